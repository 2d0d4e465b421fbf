// Sorting a report list on a clicked column: the clicked column is marked descending, or
// ascending when it already was; the others lose their mark. The mark shows as an arrow
// behind the column's caption.
#pragma once

#include "framework/ui/comctrls.h"

#include <string>
#include <vector>

namespace vantrel {

constexpr int kSortNone = -1;
constexpr int kSortAscending = 3;
constexpr int kSortDescending = 4;

class TListSorter {
public:
    explicit TListSorter(dvr::fw::TListView* list);
    // The clicked column: marks and sorts (case-insensitive text of the caption for the
    // first column, of the sub-item otherwise).
    void ColumnClick(int column);
    int Mark(int column) const { return marks_.at(size_t(column)); }

private:
    dvr::fw::TListView* list_;
    std::vector<int> marks_;
    std::vector<std::string> captions_;
};

} // namespace vantrel
