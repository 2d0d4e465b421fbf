// What the engine calls of the host's main window. The real window implements this; tests
// put their own stand-in in its place.
#pragma once

#include <windows.h>

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
};

} // namespace vantrel
