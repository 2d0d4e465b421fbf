// The player's A-B loop table: per port a start and an end point, a flag and the file the
// loop belongs to. Only port 0's entry can be written; the window consults the table at
// every end of file and lets it refresh the loop controls.
#pragma once

#include <cstdint>
#include <string>

namespace playerqz {

// What the loop buttons and the position slider's selection show.
struct LoopControlsView {
    bool LoopDown;
    int LoopGlyph; // image of the window's image list: 15 loop on, 14 loop off
    int SelStart, SelEnd;
    bool StartEnabled, EndEnabled, SaveEnabled;
    bool operator==(const LoopControlsView&) const = default;
};

constexpr int LoopGlyphOn = 15;
constexpr int LoopGlyphOff = 14;

// The current port of the replay service and the window's loop controls, as the loop
// table sees them.
class TPlayCycleHost {
public:
    virtual int CurrentPort() = 0;
    virtual int PortCount() = 0;
    virtual int CurrentPortState() = 0;
    virtual int GetCurrentFrameNum() = 0;
    virtual int SetCurrentFrameNum(int frame) = 0;
    virtual void ShowLoopControls(const LoopControlsView& view) = 0;
    // Runs the save dialog; the chosen name (empty when cancelled).
    virtual std::string RunSaveDialog() = 0;

protected:
    ~TPlayCycleHost() = default;
};

class TPlayCycle {
public:
    static constexpr int EntryCount = 24;

    struct Entry {
        bool Enabled = false;
        int32_t StartFrame = 0, EndFrame = 0;
        int32_t StartSlider = 0, EndSlider = 0; // 0..1000
        int32_t StartBytes = 0, EndBytes = 0;
        std::string FileName;
    };

    explicit TPlayCycle(TPlayCycleHost& host) : host_(host) {}

    // Results: 0 success, -1 refused, -2 invalid.
    void Clear();
    bool IsLoopOn();
    bool IsValidPort(int port);
    int ValidateLoop();
    // At an end of file: 0 when the port was rewound to its loop start.
    int CheckLoop();
    int ToggleLoop();
    int SetLoopStart(int slider, int frame, int bytes);
    int SetLoopEnd(int slider, int frame, int bytes);
    int SetFileName(const std::string& name);
    int UpdateLoopControls();
    int SaveSelection();

    const Entry& EntryOf(int port) const { return entries_[port]; }

private:
    // The current port's entry; null for a port outside the table.
    Entry* Current();
    int SetEnd(bool start, int slider, int frame, int bytes);

    TPlayCycleHost& host_;
    Entry entries_[EntryCount];
};

} // namespace playerqz
