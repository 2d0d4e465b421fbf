// The host's only path to the capture board: channel handles, the host's corrections before
// every board call, and the routing of every stream record the board delivers.
#pragma once

#include "host/engine/U_BoardValues.h"
#include "host/engine/U_HostServices.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class TCaptureFileList;

// Where the records go: motion grids to the alarm analysis, the rest to recording and then
// to the channel's live viewers.
class TStreamRoutes {
public:
    virtual ~TStreamRoutes() = default;
    virtual void AnalyzeMotionData(int channel, const uint8_t* data, int length) = 0;
    virtual void InputFrame(int channel, int frameType, const uint8_t* data, int length) = 0;
    virtual void FanOutFrame(int channel, int frameType, const uint8_t* data, int length) = 0;
};

constexpr int kStreamReadBufferSize = 1024000;
constexpr int kFrameTypeHeader = 128;
constexpr int kFrameTypeMotion = 4096;

// The one buffer every record is read into: the board calls back from one thread only.
extern std::vector<uint8_t> StreamReadBuffer;
// Set by the shutdown; the callback then returns at once.
extern std::atomic<bool> CallbackClosing;

class TVideoCard : public TVideoCardServices, public TBoardEncoders {
public:
    TVideoCard(HWND mainWindow, TStreamRoutes& routes, TCaptureFileList* files = nullptr);
    ~TVideoCard() override;
    TVideoCard(const TVideoCard&) = delete;
    TVideoCard& operator=(const TVideoCard&) = delete;

    int InitBoard();
    int CloseBoard();
    int OpenChannel(int channel);
    void SetEncoderDefaults(int channel);

    int ChannelCount() const override;
    intptr_t ChannelHandle(int channel) const;
    int FramesSinceKeyFrame(int channel) const;
    std::atomic<uint8_t> SignalPresent[kMaxBoardChannels];

    int StartPreview(int channel, HWND window, const RECT& rect, int frameRate);
    int StopPreview(int channel);
    int RestoreOverlay();
    void SetPictureParams(int channel, int brightness, int contrast, int saturation,
                          int hue) override;
    void SetStreamType(int channel, int kind) override;
    void SetPictureFormat(int channel, int format) override;
    void SetIBPMode(int channel, int keyFrameInterval, int bFrames, int third,
                    int frameRate) override;
    void SetQuantisers(int channel, int quantI, int quantP, int quantB) override;
    void SetBitrate(int channel, int megabytesPerHour, bool mode) override;
    void SetChannelOsd(int channel, std::string_view title, bool showTitle, bool showDateTime,
                       bool autoBrightness, POINT dateTimePos, POINT titlePos) override;
    // The same calls with their board results.
    int PictureParams(int channel, int brightness, int contrast, int saturation, int hue);
    int StreamType(int channel, int kind);
    int PictureFormat(int channel, int format);
    int IBPMode(int channel, int keyFrameInterval, int bFrames, int third, int frameRate);
    int Quantisers(int channel, int quantI, int quantP, int quantB);
    int Bitrate(int channel, int megabytesPerHour, bool mode);
    int ChannelOsd(int channel, std::string_view title, bool showTitle, bool showDateTime,
                   bool autoBrightness, POINT dateTimePos, POINT titlePos);
    int SetVideoStandard(int channel, int standard);
    int StartCapture(int channel) override;
    int StopCapture(int channel) override;
    int RequestKeyFrame(int channel) override;
    int SetAudioPreview(int channel, bool on);
    int StartMosaic(int channel, RECT rect);
    int StopMosaic(int channel);
    int StartMotionDetection(int channel);
    int StopMotionDetection(int channel);
    int SetupMotionDetection(int channel, void* areas, int count);
    int MotionAnalyzer(int channel, const void* record, int sensitivity, int32_t* results);
    int AdjustMotionPrecision(int channel, int a, int b, int c);
    int GetVideoSignal(int channel);
    // GBK path "X:\DVRDat\YYYYMMDD\..."; the picture joins that day's index.
    int SaveSnapshot(int channel, const std::string& fileName);

    // One record as the board delivered it.
    void RouteRecord(int channel, int frameType, const uint8_t* data, int length);
    // Routes every record the channel's stream ring holds, then stops its encoder (a stop
    // empties the ring, losing what is still there). Result of the stop.
    int StopCaptureDrained(int channel);

private:
    static void __stdcall StreamReadCallback(int channel, intptr_t user);
    // Lowers the channel count to 49, then whether `channel` is a board channel.
    bool Valid(int channel);

    HWND mainWindow_;
    TStreamRoutes& routes_;
    TCaptureFileList* files_;
    std::atomic<int> channelCount_{0};
    std::vector<intptr_t> channelHandles_;
    std::vector<std::atomic<int>> framesSinceKeyFrame_;
    // The read buffer is shared: the board's callback and a drain take turns.
    std::mutex streamReadLock_;
};

} // namespace vantrel
