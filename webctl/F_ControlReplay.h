// The control's local replay: the host's replay window over the recordings the control made
// of the hosts' channels, its index and its day locks.
#pragma once

#include "host/engine/U_CaptureFileList.h"
#include "host/engine/U_DataLockTable.h"
#include "host/engine/U_DiskManager.h"
#include "host/ui/F_ReplayForm.h"
#include "host/ui/U_ReplayHostEngine.h"

#include <functional>
#include <memory>
#include <string>

namespace vantrel::webctl {

struct TControlReplayParts {
    TCaptureFileList* Files = nullptr;
    TDataLockTable* Locks = nullptr;
    TDiskManager* Disk = nullptr;
    std::function<int()> ChannelCount;
    std::function<std::string(int)> ChannelTitle; // GBK
    // Messages and questions to the operator (GBK); boxes unless set.
    std::function<void(const std::string&)> ShowMessage;
    std::function<bool(const std::string&)> Confirm;
};

// The window with what it stands on; the window goes first.
class TControlReplay {
public:
    explicit TControlReplay(TControlReplayParts parts, dvr::fw::TComponent* owner = nullptr);
    ~TControlReplay();
    TReplayForm& Form() { return *form_; }
    int ShowModal();

private:
    TControlReplayParts parts_;
    std::unique_ptr<TEngineReplayHost> host_;
    std::unique_ptr<TThreadReplayVideoCapture> clip_;
    TReplayForm* form_ = nullptr;
};

} // namespace vantrel::webctl
