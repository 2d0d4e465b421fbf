#include "framework/list.h"

#include "framework/exceptions.h"
#include "framework/strutils.h"

#include <algorithm>

namespace dvr::fw {

TList::~TList() {
    // Notify is no longer virtual here: descendants that own items clear in their own
    // destructors; this clear only empties the array.
    items_.clear();
}

void TList::Check(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
}

void* TList::Get(int Index) const {
    Check(Index);
    return items_[size_t(Index)];
}

void TList::Put(int Index, void* Item) {
    Check(Index);
    void* old = items_[size_t(Index)];
    if (old == Item) return;
    items_[size_t(Index)] = Item;
    if (old) Notify(old, TListNotification::lnDeleted);
    if (Item) Notify(Item, TListNotification::lnAdded);
}

int TList::Add(void* Item) {
    items_.push_back(Item);
    if (Item) Notify(Item, TListNotification::lnAdded);
    return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
    if (Index < 0 || Index > Count())
        throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
    items_.insert(items_.begin() + Index, Item);
    if (Item) Notify(Item, TListNotification::lnAdded);
}

void TList::Delete(int Index) {
    Check(Index);
    void* old = items_[size_t(Index)];
    items_.erase(items_.begin() + Index);
    if (old) Notify(old, TListNotification::lnDeleted);
}

int TList::Remove(void* Item) {
    int i = IndexOf(Item);
    if (i >= 0) Delete(i);
    return i;
}

void* TList::Extract(void* Item) {
    int i = IndexOf(Item);
    if (i < 0) return nullptr;
    items_.erase(items_.begin() + i);
    if (Item) Notify(Item, TListNotification::lnExtracted);
    return Item;
}

int TList::IndexOf(const void* Item) const {
    auto it = std::find(items_.begin(), items_.end(), Item);
    return it == items_.end() ? -1 : int(it - items_.begin());
}

void TList::Exchange(int Index1, int Index2) {
    Check(Index1);
    Check(Index2);
    std::swap(items_[size_t(Index1)], items_[size_t(Index2)]);
}

void TList::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    Check(CurIndex);
    Check(NewIndex);
    void* item = items_[size_t(CurIndex)];
    items_.erase(items_.begin() + CurIndex);
    items_.insert(items_.begin() + NewIndex, item);
}

void TList::Clear() {
    // Delete from the end, one at a time, so Notify always sees a consistent list.
    while (!items_.empty())
        Delete(Count() - 1);
}

void TList::Pack() {
    items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end());
}

void TList::Sort(const TListSortCompare& Compare) {
    std::stable_sort(items_.begin(), items_.end(),
                     [&](void* a, void* b) { return Compare(a, b) < 0; });
}

} // namespace dvr::fw
