#include "framework/collection.h"

#include "framework/exceptions.h"
#include "framework/strutils.h"

#include <algorithm>

namespace dvr::fw {

TCollectionItem::TCollectionItem(TCollection* Collection) {
    SetCollection(Collection);
}

TCollectionItem::~TCollectionItem() {
    if (collection_) collection_->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value) {
    if (collection_ == Value) return;
    if (collection_) collection_->RemoveItem(this);
    if (Value) Value->InsertItem(this);
}

int TCollectionItem::Index() const {
    if (!collection_) return -1;
    auto& v = collection_->items_;
    return int(std::find(v.begin(), v.end(), this) - v.begin());
}

void TCollectionItem::SetIndex(int Value) {
    int cur = Index();
    if (cur < 0 || cur == Value) return;
    auto& v = collection_->items_;
    if (Value < 0 || Value >= int(v.size()))
        throw EListError("List index out of bounds (" + IntToStr(Value) + ")");
    v.erase(v.begin() + cur);
    v.insert(v.begin() + Value, this);
    Changed(true);
}

void TCollectionItem::Changed(bool AllItems) {
    if (collection_ && collection_->update_count_ == 0)
        collection_->Update(AllItems ? nullptr : this);
}

TCollection::TCollection(const TMetaClass* ItemClass) : item_class_(ItemClass) {}

TCollection::~TCollection() {
    update_count_ = 1; // no Update calls while dying
    while (!items_.empty())
        delete items_.back();
}

TCollectionItem* TCollection::Items(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
    return items_[size_t(Index)];
}

TCollectionItem* TCollection::Add() {
    TObject* o = item_class_ ? item_class_->Create() : nullptr;
    auto* item = dynamic_cast<TCollectionItem*>(o);
    if (!item) {
        delete o;
        throw EInvalidOperation("Collection item class cannot be made");
    }
    item->SetCollection(this);
    return item;
}

TCollectionItem* TCollection::Insert(int Index) {
    if (Index < 0 || Index > Count())
        throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
    BeginUpdate();
    TCollectionItem* item;
    try {
        item = Add();
        item->SetIndex(Index);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return item;
}

void TCollection::Delete(int Index) {
    delete Items(Index);
}

void TCollection::Clear() {
    if (items_.empty()) return;
    BeginUpdate();
    while (!items_.empty())
        delete items_.back();
    EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int ID) const {
    for (TCollectionItem* i : items_)
        if (i->id_ == ID) return i;
    return nullptr;
}

void TCollection::BeginUpdate() {
    ++update_count_;
}

void TCollection::EndUpdate() {
    if (update_count_ == 0) return;
    if (--update_count_ == 0) Changed();
}

void TCollection::Changed() {
    if (update_count_ == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* Item) {
    items_.push_back(Item);
    Item->collection_ = this;
    Item->id_ = next_id_++;
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
    items_.erase(std::remove(items_.begin(), items_.end(), Item), items_.end());
    Item->collection_ = nullptr;
    Changed();
}

void TCollection::Assign(const TPersistent* Source) {
    if (auto* src = dynamic_cast<const TCollection*>(Source)) {
        if (src == this) return;
        BeginUpdate();
        try {
            Clear();
            for (TCollectionItem* i : src->items_)
                Add()->Assign(i);
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    TPersistent::Assign(Source);
}

} // namespace dvr::fw
