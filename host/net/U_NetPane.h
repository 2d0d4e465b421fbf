// The preview pane of a network channel as far as its client drives it: the flags that the
// preview and the client's receive thread share, and the window the player draws into.
#pragma once

#include <windows.h>

#include <atomic>

namespace vantrel {

struct TNetPane {
    std::atomic<bool> Previewing{false};
    std::atomic<bool> Playing{false};
    std::atomic<HWND> Control{nullptr};
};

} // namespace vantrel
