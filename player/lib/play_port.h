// The player port table and the library-wide state beside it.
#pragma once

#include <windows.h>
// Before the handle owners, so that they include the DrawDib one.
#include <vfw.h>
#include <ddraw.h>

#include <atomic>
#include <mutex>
#include <cstdint>
#include <vector>

#include "common/win/handles.h"
#include <memory>

#include "player/format/file_reader.h"
#include "player/lib/display_layout.h"
#include "player/lib/key_frame_index.h"
#include "player/lib/sound_port.h"
#include "player/lib/stream_mode.h"
#include "player/lib/play_timing.h"
#include "player/lib/strovid_api.h"
#include "player/lib/win_file.h"

namespace dvr::strovid {

inline constexpr int kPortCount = 20;
inline constexpr int kStreamPortCount = 16;
inline constexpr int kSdkVersion = 0x02200100;

enum PlayerError : int {
    kErrorBadPort = 1,
    kErrorIndexIncomplete = 2,
    kErrorDecode = 4,
    kErrorDirectDraw = 9,
    kErrorSurface = 10,
    kErrorDirectSound = 12,
    kErrorNoDecoder = 19,
    kErrorFileTooShort = 20,
    kErrorBlit = 22,
    kErrorOverlay = 23,
};

// Files shorter than this are not worth playing.
inline constexpr uint64_t kMinFileSize = 4096;

struct PlayPort {
    // mode
    int streamFlag = 0;     // 0 file, 1 stream
    int streamOpenMode = 2; // 1 own stream thread, 0 shared stream thread
    std::atomic<int> fileOpen{0};

    // header and file readers: the header fields, file size and the last record each
    // reader has read
    PortFileState file;
    Win32File playFile;
    Win32File soundFile;
    Win32File indexFile;

    // key-frame index, written by the index thread; read only once indexComplete is set
    KeyFrameIndex keyFrames;
    uint32_t firstFrameNumber = 0;
    uint32_t firstTime = 0;
    uint32_t lastTime = 0;
    std::atomic<uint32_t> totalPictures{0};
    std::atomic<uint32_t> totalSeconds{0};
    std::atomic<int> indexComplete{0};
    win::Thread indexThread;
    win::Event indexStop;
    win::Event indexDone;
    std::atomic<FileRefCallback> fileRefCallback{nullptr};

    // playing
    int currentPicture = 0;
    win::Thread playThread;
    win::Event playEvent; // auto-reset; the thread signals it to run its next cycle
    win::Event quitEvent;
    // Never signalled: the play thread's timed waits run their full time on it.
    win::Event pacingEvent;
    std::atomic<int> running{0};
    std::atomic<int> userPause{0};
    std::atomic<int> soundPause{0};
    std::atomic<int> stepRequest{0};
    std::atomic<int> seekInProgress{0};
    std::atomic<int> seekDone{0};
    // Held by the play thread while it reads and decodes a picture and by a seek while
    // it moves the file and the decoder, so that the two never share them.
    win::CriticalSection decodeLock;
    std::atomic<int> driftReset{0}; // the controls ask the play thread to drop its drift
    std::atomic<int> speedStep{0};
    std::atomic<int> throwB{0};
    std::atomic<int> endOfFileFlag{0};
    std::atomic<HWND> endWindow{nullptr};
    std::atomic<UINT> endMessage{0};
    std::atomic<int> roundPlay{0};
    std::atomic<int> lowWaterNotice{0};
    std::atomic<DisplayCallback> displayCallback{nullptr};
    int keyFramesPassed = 0;
    int lastKind = 0;
    int pendingB = 0;
    uint32_t recordTimeStamp = 0; // of the record the current picture came from
    PacingState pacing;
    DecodedFrameInfo frameInfo{};

    // decoder
    int decoderHandle = 0; // 1000 + slot; 0 none
    uint8_t* rgbOutput = nullptr;
    int rgbOutputFlag = 0;
    uint8_t* currentPicturePtr = nullptr;
    uint8_t* lastShownPicture = nullptr;

    // display
    // Held while a picture is drawn: the play threads and a caller redrawing the port take
    // turns (two draws at once on one DrawDib free the picture the other is copying into).
    win::CriticalSection displayLock;
    HWND window = nullptr;
    std::unique_ptr<win::WindowDc> windowDc; // DrawDib ports only
    std::atomic<int> overlay{0};             // drawing through an overlay surface
    std::atomic<int> overlayMode{0};         // asked for by the caller
    Rect sourceRect;                         // all 0: the whole picture
    Rect destRect;                           // the window's screen rectangle
    int pictureWidth = 0;                    // as the decoder last reported it
    int pictureHeight = 0;
    std::atomic<int> brightnessStep{8};
    std::atomic<int> contrastStep{8};
    std::atomic<int> pictureQuality{0};
    std::atomic<int> displayBuffers{15};
    int drawDibFlag = 0;
    win::DrawDib drawDib;
    // Off-screen (YUY2 in video memory, or the screen's RGB format in system memory) or
    // an overlay surface in YUY2.
    win::ComPtr<IDirectDrawSurface> surface;
    int surfaceYuy2 = 0;     // the surface takes packed 4:2:2 pictures
    DWORD overlayFlags = 0;  // for UpdateOverlay: show, with effects, key override
    DDOVERLAYFX overlayFx{}; // carries the destination colour key
    DDCAPS hardwareCaps{};   // as read when the overlay was prepared
    win::ComPtr<IDirectDrawClipper> clipper;
    BITMAPINFOHEADER bitmapHeader{};
    // The picture format of the last DrawDib draw (0 x 0: none since the context opened).
    LONG drawDibWidth = 0;
    LONG drawDibHeight = 0;
    std::vector<uint8_t> shrunkPicture; // DrawDib ports drawing into a smaller window
    std::vector<int> shrunkColumns;
    int displayPrepared = 0;
    std::atomic<DecodeCallback> decodeCallback{nullptr};
    std::atomic<int> decodeCallbackFlag{0};

    // live stream and sound
    PortStream stream;
    PortSound sound;

    // handed back to the file and source-buffer callbacks
    std::atomic<int> userValue{0};
};

// The overlay colour key as the caller gave it (0x00BBGGRR) and as a display pixel.
extern std::atomic<uint32_t> OverlayColorKey;
extern std::atomic<uint32_t> OverlayKeyPixel;

extern win::Mutex StreamLock;
extern win::Mutex DirectDrawLock;

// The port table: created with the library and never destroyed. At process exit the
// threads that drew through its surfaces are gone mid-call, and releasing a surface then
// waits for them for ever; unloading the library releases what it holds explicitly.
extern PlayPort (&PortTable)[kPortCount];
// The last error of the whole library; the last writer wins.
extern std::atomic<int> PlayerErrorCode;

inline bool ValidPort(int port) {
    return port >= 0 && port < kPortCount;
}
// Refuses a port number outside the table, setting error 1.
bool CheckPort(int port);
inline void SetPlayerError(int code) {
    PlayerErrorCode.store(code, std::memory_order_relaxed);
}

// Holds a port's semaphore for one operation.
class PortLock {
public:
    explicit PortLock(int port);
    ~PortLock();
    PortLock(const PortLock&) = delete;
    PortLock& operator=(const PortLock&) = delete;

private:
    HANDLE sem_;
};

// DrawDib contexts are opened and closed only through these: the system's DrawDib keeps
// its contexts in one list, unguarded, so contexts opened at once from two threads
// could share a handle, and a context closed while another port draws could be freed
// under the draw.
void OpenDrawDib(win::DrawDib& context);
void CloseDrawDib(win::DrawDib& context);

// Takes the port's display away from its window (on stop and close): waits for a draw
// in progress.
void ReleaseDisplay(PlayPort& port);

// Chooses how the port shows its pictures in `window` (when playing starts); 1, or 0
// when the port cannot draw there.
int PrepareDisplay(int port, HWND window);

// The library's DirectDraw object and primary surface, made when a port first prepares
// its display (not inside the loader's lock) and released at unload. While the path
// flag is clear every port draws with DrawDib.
bool SetUpDirectDraw();
void ReleaseDirectDraw();
extern std::atomic<int> DirectDrawPathAllowed;
extern int DisplayRgbFormat; // 555, 565, 888 or 8888

// Library load and unload: the entry point calls these; tests that link the library
// statically call them around their cases.
void LoadLibraryState();
void UnloadLibraryState();
// Frees the port table for good: only when the library itself is unloaded.
void DestroyPortTable();

} // namespace dvr::strovid
