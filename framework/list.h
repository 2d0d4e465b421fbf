// TList: an ordered list of pointers with a hook that hears every pointer that enters
// or leaves it (descendants use it to own their items).
#pragma once

#include "framework/object.h"

#include <functional>
#include <vector>

namespace dvr::fw {

enum class TListNotification : uint8_t { lnAdded, lnExtracted, lnDeleted };

class TList : public TObject {
    FW_CLASS(TList, TObject)
public:
    TList() = default;
    // Clears the list, so owning descendants free their items.
    ~TList() override;

    int Count() const { return int(items_.size()); }
    // Index checks raise EListError "List index out of bounds (i)".
    void* Get(int Index) const;
    void* Items(int Index) const { return Get(Index); }
    template <class T> T* Item(int Index) const { return static_cast<T*>(Get(Index)); }
    void Put(int Index, void* Item);

    int Add(void* Item);
    void Insert(int Index, void* Item);
    void Delete(int Index);
    // Removes the first occurrence; its former index, or -1.
    int Remove(void* Item);
    // Takes the first occurrence out without deleting it (lnExtracted); the item or nullptr.
    void* Extract(void* Item);
    int IndexOf(const void* Item) const;
    void Exchange(int Index1, int Index2);
    void Move(int CurIndex, int NewIndex);
    void Clear();
    // Drops the nullptr entries.
    void Pack();
    void* First() const { return Get(0); }
    void* Last() const { return Get(Count() - 1); }

    // Sorts by Compare (<0, 0, >0); equal items keep their order. A comparison that
    // contradicts itself (but answers alike when asked alike) leaves some order and never
    // reaches outside the list.
    using TListSortCompare = std::function<int(void* Item1, void* Item2)>;
    void Sort(const TListSortCompare& Compare);

protected:
    // Called after an item entered (lnAdded) or left (lnExtracted, lnDeleted) the list;
    // nullptr items are not announced.
    virtual void Notify(void* /*Ptr*/, TListNotification /*Action*/) {}

private:
    void Check(int Index) const;
    std::vector<void*> items_;
};

} // namespace dvr::fw
