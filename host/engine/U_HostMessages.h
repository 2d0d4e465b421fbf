// Window messages between the host's subsystems, as far as the engine posts or handles them.
#pragma once

namespace vantrel {

// wParam 0 shut Windows down, 1 restart, negative close the program, 10000 UPS shutdown.
constexpr unsigned WM_POWERACTION = 0x40E;
constexpr unsigned WM_REBUILDCHANNELMAP = 0x40D;
constexpr unsigned WM_SETTINGSCHANGED = 0x41F;
constexpr unsigned WM_THREADQUIT = 3024;

} // namespace vantrel
