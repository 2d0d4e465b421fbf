#include "framework/collection.h"

#include "framework/exceptions.h"

#include <gtest/gtest.h>

namespace dvr::fw {
namespace {

class TPanelItem : public TCollectionItem {
    FW_CLASS(TPanelItem, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    int Width = 50;
    void SetWidth(int w) {
        Width = w;
        Changed(false);
    }
    void Assign(const TPersistent* Source) override {
        if (auto* p = dynamic_cast<const TPanelItem*>(Source)) {
            Width = p->Width;
            return;
        }
        TCollectionItem::Assign(Source);
    }
};

class TPanels : public TCollection {
public:
    TPanels() : TCollection(TPanelItem::StaticClass()) {}
    std::vector<TCollectionItem*> updates;

protected:
    void Update(TCollectionItem* Item) override { updates.push_back(Item); }
};

TEST(Collection, MakesOwnsAndOrdersItsItems) {
    TPanels c;
    auto* a = static_cast<TPanelItem*>(c.Add());
    auto* b = static_cast<TPanelItem*>(c.Add());
    auto* first = c.Insert(0);
    EXPECT_EQ(first->Index(), 0);
    EXPECT_EQ(a->Index(), 1);
    EXPECT_EQ(a->ID(), 0);
    EXPECT_EQ(b->ID(), 1);
    EXPECT_EQ(c.FindItemID(1), b);
    b->SetIndex(0);
    EXPECT_EQ(c.Items(0), b);
    EXPECT_THROW(b->SetIndex(3), EListError);
    EXPECT_THROW(c.Items(3), EListError);

    delete a; // an item freed on its own leaves the collection
    EXPECT_EQ(c.Count(), 2);
    c.Delete(0);
    EXPECT_EQ(c.Items(0), first);
    EXPECT_EQ(c.FindItemID(1), nullptr);
}

TEST(Collection, UpdateRunsOncePerBracketAndPerItemChangeOutsideIt) {
    TPanels c;
    auto* a = static_cast<TPanelItem*>(c.Add());
    c.updates.clear();
    a->SetWidth(10);
    EXPECT_EQ(c.updates, (std::vector<TCollectionItem*>{a}));
    c.updates.clear();
    c.BeginUpdate();
    a->SetWidth(20);
    c.Add();
    c.EndUpdate();
    EXPECT_EQ(c.updates, (std::vector<TCollectionItem*>{nullptr}));
}

TEST(Collection, AssignCopiesItemByItem) {
    TPanels src, dst;
    static_cast<TPanelItem*>(src.Add())->Width = 7;
    static_cast<TPanelItem*>(src.Add())->Width = 9;
    dst.Add();
    dst.Add();
    dst.Add();
    dst.Assign(&src);
    ASSERT_EQ(dst.Count(), 2);
    EXPECT_EQ(static_cast<TPanelItem*>(dst.Items(1))->Width, 9);
    TCollection plain(TCollectionItem::StaticClass());
    EXPECT_THROW(plain.Assign(nullptr), EConvertError);
}

} // namespace
} // namespace dvr::fw
