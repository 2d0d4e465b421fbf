#include "host/net/U_RemoteReplayQueues.h"

#include "host/net/U_RemoteReplayProtocol.h"

namespace vantrel {

namespace {

void TakeChannelFrom(const std::vector<PlayRow>& rows, size_t first,
                     std::vector<std::string>& queue) {
    for (size_t i = first; i < rows.size(); ++i)
        if (rows[i].Caption == rows[first].Caption) queue.push_back(rows[i].Entry);
}

} // namespace

int AssignCheckedRows(std::vector<PlayRow>& rows, int selected, PlayQueues& queues) {
    int n = 0;
    bool anyChecked = false;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].Checked) continue;
        anyChecked = true;
        if (n >= kReplayWindows) {
            rows[i].Checked = false;
            continue;
        }
        TakeChannelFrom(rows, i, queues[n]);
        rows[i].Checked = false;
        ++n;
    }
    if (anyChecked) return n;
    if (selected < 0 || selected >= static_cast<int>(rows.size())) return 0;
    TakeChannelFrom(rows, static_cast<size_t>(selected), queues[0]);
    return 1;
}

void AppendFromSelected(const std::vector<PlayRow>& rows, int selected,
                        std::vector<std::string>& queue) {
    if (selected < 0) return;
    for (size_t i = static_cast<size_t>(selected); i < rows.size(); ++i)
        queue.push_back(rows[i].Entry);
}

std::string QueueEntryPath(std::string_view entry) {
    return std::string(entry.substr(0, entry.find(';')));
}

int QueueEntrySize(std::string_view entry) {
    const size_t semi = entry.find(';');
    if (semi == std::string_view::npos) return 0;
    const int64_t v = NumberOr(entry.substr(semi + 1), 0);
    return v < 0 || v > INT32_MAX ? 0 : static_cast<int>(v);
}

std::string QueueEntryFileName(std::string_view entry) {
    const std::string path = QueueEntryPath(entry);
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string SpeedText(int step) {
    // 倍慢速, 常速, 倍快速
    if (step >= 1 && step <= 3) return std::to_string(4 - step) + "\xB1\xB6\xC2\xFD\xCB\xD9";
    if (step == 4) return "\xB3\xA3\xCB\xD9";
    if (step >= 5 && step <= 8) return std::to_string(step - 4) + "\xB1\xB6\xBF\xEC\xCB\xD9";
    return {};
}

} // namespace vantrel
