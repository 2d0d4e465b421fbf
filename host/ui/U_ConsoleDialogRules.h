// The rules of the console's small dialogs that need no window: the motion full-screen value,
// the disk view's row, the rights tree's shape, the work-log viewer's day tree, pages and rows.
// Texts are GBK.
#pragma once

#include "host/engine/U_HostRecords.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// ---- motion full-screen setting --------------------------------------------------------
struct AutoFullScreenChoice {
    bool Enabled = false;
    int Item = 0;
};
// "1" or "0" then the item as two digits; a value of 2 characters or fewer: off, item 0.
AutoFullScreenChoice ParseAutoFullScreen(const std::string& value);
std::string FormatAutoFullScreen(bool enabled, int item);

// ---- disk view -----------------------------------------------------------------------------
struct DiskViewRow {
    std::string Root, CapacityMB, Free, HoursLeft;
};
DiskViewRow MakeDiskViewRow(const std::string& root, uint64_t totalBytes, uint64_t freeBytes);

// ---- users dialog's rights tree --------------------------------------------------------------
// A node of the rights tree below the root: a right, an item or a sub-item.
struct RightsTreeNode {
    std::string Text;
    std::vector<RightsTreeNode> Children;
};
// The 33 rights with their items and sub-items, in order.
const std::vector<RightsTreeNode>& RightsTreeLayout();
// The level texts of cb_UserKind: 0 .. 2.
std::string UserLevelText(int level);

// ---- work-log viewer ---------------------------------------------------------------------
constexpr int kWorkLogPageRecords = 200;

struct WorkLogYear {
    struct Month {
        std::string Text;
        struct Day {
            std::string Text; // yyyy-mm-dd
            int FirstIndex;
        };
        std::vector<Day> Days;
    };
    std::string Text;
    std::vector<Month> Months;
};
// Year, month and day nodes of the days that TWorkLog::ListDays gave.
std::vector<WorkLogYear> BuildWorkLogDays(const std::vector<std::string>& dates,
                                          const std::vector<int>& firstIndexes);
// The page texts of a day of `count` records ("1--200", "201--237"); empty up to 200.
std::vector<std::string> WorkLogPages(int count);
// One row of the record list, the eight columns in order; false for an event outside 0..74.
bool WorkLogRow(const TWorkLogRecord& r, std::vector<std::string>& columns);

} // namespace vantrel
