#include "host/ui/U_ListSort.h"

#include "common/win/textconv.h"

#include <algorithm>
#include <cctype>

namespace vantrel {

using namespace dvr::fw;

TListSorter::TListSorter(TListView* list) : list_(list) {
    for (int c = 0; c < list_->ColumnCount(); ++c) {
        marks_.push_back(kSortNone);
        captions_.push_back(list_->Columns(c)->Caption());
    }
}

namespace {
struct Row {
    std::string Caption;
    std::vector<std::string> Subs;
    int Image = -1;
    bool Checked = false;
    bool Selected = false;
    void* Data = nullptr;
};

std::string Lower(std::string s) {
    // GBK double bytes keep their value; only ASCII letters fold.
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x80) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}
} // namespace

void TListSorter::ColumnClick(int column) {
    if (column < 0 || column >= int(marks_.size())) return;
    const int mark = marks_[size_t(column)] == kSortDescending ? kSortAscending : kSortDescending;
    for (size_t c = 0; c < marks_.size(); ++c) {
        marks_[c] = int(c) == column ? mark : kSortNone;
        const char* arrow = marks_[c] == kSortDescending ? " ▼" : marks_[c] == kSortAscending ? " ▲" : "";
        list_->Columns(int(c))->SetCaption(captions_[c] + dvr::win::Utf8ToGbk(arrow));
    }
    std::vector<Row> rows;
    TListItems* items = list_->Items();
    for (int i = 0; i < items->Count(); ++i) {
        TListItem* it = items->Item(i);
        Row r{it->Caption(), {}, it->ImageIndex(), it->Checked(), it->Selected(), it->Data};
        for (int s = 0; s < it->SubItems()->Count(); ++s)
            r.Subs.push_back(it->SubItems()->Get(s));
        rows.push_back(std::move(r));
    }
    auto key = [column](const Row& r) {
        if (column == 0) return Lower(r.Caption);
        return size_t(column - 1) < r.Subs.size() ? Lower(r.Subs[size_t(column - 1)]) : std::string();
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        return mark == kSortDescending ? key(b) < key(a) : key(a) < key(b);
    });
    items->Clear();
    TListItem* selected = nullptr;
    for (const Row& r : rows) {
        TListItem* it = items->Add();
        it->SetCaption(r.Caption);
        for (const std::string& s : r.Subs)
            it->SubItems()->Add(s);
        it->SetImageIndex(r.Image);
        it->SetChecked(r.Checked);
        it->Data = r.Data;
        if (r.Selected) selected = it;
    }
    if (selected) list_->SetSelected(selected);
}

} // namespace vantrel
