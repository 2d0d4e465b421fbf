// The console's windows that need more of the host than one constructor call: the local
// settings dialog over the host's own settings objects, and the remote replay window.
#pragma once

#include <memory>

namespace vantrel {

class THost;
class TMainForm;
class TReplayHost;
struct TConsoleDialogResult;
struct TSystemSetHost;

// The replay's view of this host's recordings; none before the recordings index exists.
std::unique_ptr<TReplayHost> MakeHostReplayView(THost& h);

// What the settings dialog reaches of this host in local mode.
TSystemSetHost LocalSettingsHost(THost& h, TMainForm& console);
// A page the dialog has just saved and reloaded goes into the running system.
void ApplySavedSettingsPage(THost& h, int page);

// Modal; the dialog's result, -1 when the host lacks its settings objects.
int OpenLocalSettings(THost& h, TMainForm& console, TConsoleDialogResult& result);
int OpenRemoteReplay(THost& h, TMainForm& console);

} // namespace vantrel
