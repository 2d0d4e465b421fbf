// How the remote replay window hands file-list rows to its 16 replay windows, the layout it
// picks for them, and the texts of its status bar.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

constexpr int kReplayWindows = 16;

// One file-list row as the play command sees it: its caption (the channel column), its queue
// entry (remote path + ";" + size in bytes) and its check box.
struct PlayRow {
    std::string Caption;
    std::string Entry;
    bool Checked = false;
};

using PlayQueues = std::array<std::vector<std::string>, kReplayWindows>;

// Checked rows in list order start the queues of windows 0, 1, ...; each takes its row and
// every later row of the same caption; a checked row is unchecked as it is taken, and the
// rows left when all 16 windows are used are unchecked. Without a checked row the selected
// row and the later rows of its caption go to window 0. Returns the number of windows
// given a queue (0 when nothing was checked or selected).
int AssignCheckedRows(std::vector<PlayRow>& rows, int selected, PlayQueues& queues);

// Busy case: the selected row and every row after it, whatever the channel.
void AppendFromSelected(const std::vector<PlayRow>& rows, int selected,
                        std::vector<std::string>& queue);

// The entry's path (before the first ";") and size (after it; 0 when not a number).
std::string QueueEntryPath(std::string_view entry);
int QueueEntrySize(std::string_view entry);
// Text after the last "\" of the entry's path.
std::string QueueEntryFileName(std::string_view entry);

// Status text of a speed step (GBK): 1..3 slower, 4 normal, 5..8 faster; empty otherwise.
std::string SpeedText(int step);

} // namespace vantrel
