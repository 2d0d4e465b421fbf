// Collections: a list of items of one item class that the collection makes and owns.
#pragma once

#include "framework/persistent.h"

#include <string>
#include <vector>

namespace dvr::fw {

class TCollection;

class TCollectionItem : public TPersistent {
    FW_CLASS(TCollectionItem, TPersistent)
public:
    TCollectionItem() = default;
    // Joins Collection (nullptr: none), at its end.
    explicit TCollectionItem(TCollection* Collection);
    // Leaves its collection.
    ~TCollectionItem() override;

    TCollection* Collection() const { return collection_; }
    void SetCollection(TCollection* Value);
    int Index() const;
    // Moves the item within its collection.
    void SetIndex(int Value);
    // Unique within the collection, in order of joining.
    int ID() const { return id_; }
    virtual std::string DisplayName() const { return ClassName(); }

protected:
    // Tells the collection (Update) that this item (or, with AllItems, every item) changed.
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
    int id_ = 0;
};

class TCollection : public TPersistent {
    FW_CLASS(TCollection, TPersistent)
public:
    // ItemClass must make TCollectionItem descendants with its default constructor.
    explicit TCollection(const TMetaClass* ItemClass);
    ~TCollection() override;

    const TMetaClass* ItemClass() const { return item_class_; }
    int Count() const { return int(items_.size()); }
    // Raises EListError for an index out of range.
    TCollectionItem* Items(int Index) const;
    TCollectionItem* Add();
    TCollectionItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    TCollectionItem* FindItemID(int ID) const;

    // Update bracket: Update(nullptr) runs once when the outermost bracket closes.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return update_count_; }

    // From another TCollection: the same number of items, each assigned from its peer.
    void Assign(const TPersistent* Source) override;

protected:
    // An item (nullptr: the whole collection) changed; called outside update brackets.
    virtual void Update(TCollectionItem* /*Item*/) {}
    void Changed();

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);

    const TMetaClass* item_class_;
    std::vector<TCollectionItem*> items_;
    int next_id_ = 0;
    int update_count_ = 0;
};

} // namespace dvr::fw
