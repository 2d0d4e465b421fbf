// What the engine calls of the host's main window and of the recording, detection and preview
// objects. The real objects implement these; tests put their own stand-ins in their place.
#pragma once

#include <windows.h>

#include <string_view>

namespace vantrel {

class TMainFormServices {
public:
    virtual ~TMainFormServices() = default;
    // The window that receives WM_POWERACTION and the other posted messages.
    virtual HWND Handle() const = 0;
    // The orderly stop that every stop of the host program runs.
    virtual void ShutdownAll() = 0;
    // Reloads every settings object and transfers the other settings into TOtherCtrl.
    virtual void ApplyAllSettings() = 0;
    // Handler of WM_REBUILDCHANNELMAP.
    virtual void RebuildChannelMap(WPARAM wParam, LPARAM lParam) = 0;
    // The automatic-work button: checks the current user's right, then toggles the mode.
    virtual void im_AutoWorkClick() = 0;
};

// The recording engine, as far as the schedule and the work state drive it.
class TCaptureServices {
public:
    virtual ~TCaptureServices() = default;
    virtual bool CaptureRunning(int channel) const = 0;
    virtual bool FileOpen(int channel) const = 0;
    // request ')' file, '*' live viewers, '+' network recording; recordingType 0 normal.
    virtual void StartChannel(int channel, char request, int recordingType) = 0;
    virtual void StopChannel(int channel, char request) = 0;
    virtual void SetAutoMode() = 0;
    virtual void ClearAutoMode() = 0;
};

// The alarm detection, as far as the schedule and the work state drive it.
class TAlarmServices {
public:
    virtual ~TAlarmServices() = default;
    virtual bool Armed(int channel) const = 0;
    virtual bool Alarming(int channel) const = 0;
    // mode 1..12 as the schedule's work types; -1 the kinds of the channel's alarm settings.
    virtual void StartDetection(int channel, int mode) = 0;
    virtual void StopDetection(int channel) = 0;
    virtual void SetAutoMode() = 0;
    virtual void ClearAutoMode() = 0;
};

// The live preview panes.
class TPreviewServices {
public:
    virtual ~TPreviewServices() = default;
    virtual bool PaneOpen(int channel) const = 0;
    virtual void OpenPreview(int channel) = 0;
};

// The board wrapper, as far as the recording and preview settings drive the encoders and the
// video inputs. The wrapper clamps the values on their way to the board; a call may throw.
class TVideoCardServices {
public:
    virtual ~TVideoCardServices() = default;
    virtual int ChannelCount() const = 0;
    virtual void SetPictureFormat(int channel, int format) = 0;
    virtual void SetBitrate(int channel, int megabytesPerHour, bool mode) = 0;
    virtual void SetIBPMode(int channel, int keyFrameInterval, int bFrames, int third,
                            int frameRate) = 0;
    virtual void SetQuantisers(int channel, int quantI, int quantP, int quantB) = 0;
    virtual void SetStreamType(int channel, int kind) = 0;
    // Title in GBK; positions in the coordinates of a 352 x 288 picture.
    virtual void SetChannelOsd(int channel, std::string_view title, bool showTitle,
                               bool showDateTime, bool autoBrightness, POINT dateTimePos,
                               POINT titlePos) = 0;
    virtual void SetPictureParams(int channel, int brightness, int contrast, int saturation,
                                  int hue) = 0;
};

} // namespace vantrel
