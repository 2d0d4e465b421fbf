// The outage log viewer: one row (host, detection time) per pair of log lines.
#pragma once

#include "host/net/T_PingThread.h"
#include "host/net/U_PatrolRules.h"

#include <vector>

namespace vantrel {

class TPingLogForm {
public:
    // The list is filled at creation.
    explicit TPingLogForm(TPingThread& thread);

    std::vector<PingLogRow> lv_LogList;

    // "刷新": emptied and filled again.
    void bt_RefreshClick();
    // "清除记录": the log is emptied, and the list.
    void bt_ClearClick();

private:
    void Fill();
    TPingThread& thread_;
};

} // namespace vantrel
