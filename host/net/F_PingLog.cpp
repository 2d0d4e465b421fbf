#include "host/net/F_PingLog.h"

namespace vantrel {

TPingLogForm::TPingLogForm(TPingThread& thread) : thread_(thread) {
    Fill();
}

void TPingLogForm::Fill() {
    std::vector<std::string> lines;
    thread_.ReadLog(lines);
    lv_LogList = PairPingLogLines(lines);
}

void TPingLogForm::bt_RefreshClick() {
    lv_LogList.clear();
    Fill();
}

void TPingLogForm::bt_ClearClick() {
    thread_.ClearLog();
    lv_LogList.clear();
}

} // namespace vantrel
