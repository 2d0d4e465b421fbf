#include "framework/list.h"

#include "framework/exceptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dvr::fw {
namespace {

// A list that owns its items, as the bitmap and hook lists do through the hook.
class TOwningList : public TList {
public:
    ~TOwningList() override { Clear(); }
    std::vector<std::string> heard;

protected:
    void Notify(void* Ptr, TListNotification Action) override {
        int v = *static_cast<int*>(Ptr);
        static const char* names[] = {"added", "extracted", "deleted"};
        heard.push_back(std::to_string(v) + " " + names[int(Action)]);
        if (Action == TListNotification::lnDeleted) delete static_cast<int*>(Ptr);
    }
};

TEST(List, NotifyHearsEveryItemThatEntersOrLeaves) {
    auto* extracted = new int(2);
    {
        TOwningList l;
        l.Add(new int(1));
        l.Add(extracted);
        l.Insert(0, new int(0));
        l.Add(nullptr); // not announced
        l.Put(3, new int(3));
        EXPECT_EQ(l.Extract(extracted), extracted);
        l.Delete(0);
        l.heard.clear();
        l.Clear();
        EXPECT_EQ(l.heard, (std::vector<std::string>{"3 deleted", "1 deleted"}));
        l.heard.clear();
        l.Add(new int(9)); // freed by the destructor's Clear
    }
    EXPECT_EQ(*extracted, 2); // still ours
    delete extracted;
}

TEST(List, IndexErrorsAndOrderOperations) {
    int a = 1, b = 2, c = 3;
    TList l;
    for (int* p : {&a, &b, &c})
        l.Add(p);
    for (int bad : {-1, 3}) {
        EXPECT_THROW(l.Get(bad), EListError);
        EXPECT_THROW(l.Delete(bad), EListError);
        EXPECT_THROW(l.Exchange(0, bad), EListError);
    }
    EXPECT_THROW(l.Insert(4, &a), EListError);
    l.Insert(3, &a); // at the end is allowed
    EXPECT_EQ(l.Count(), 4);
    EXPECT_EQ(l.Remove(&a), 0); // first occurrence
    EXPECT_EQ(l.IndexOf(&a), 2);
    l.Move(2, 0);
    l.Exchange(1, 2);
    EXPECT_EQ(l.Item<int>(0), &a);
    EXPECT_EQ(l.Item<int>(1), &c);
    EXPECT_EQ(l.Item<int>(2), &b);
    l.Add(nullptr);
    l.Pack();
    EXPECT_EQ(l.Count(), 3);
    EXPECT_EQ(l.Remove(&l), -1);
}

TEST(List, SortIsStableAndSurvivesAContradictoryComparison) {
    struct P {
        int key;
        char tag;
    };
    std::vector<P> items = {{3, 'a'}, {1, 'b'}, {3, 'c'}, {2, 'd'}, {1, 'e'}};
    TList l;
    for (P& p : items)
        l.Add(&p);
    l.Sort([](void* x, void* y) { return static_cast<P*>(x)->key - static_cast<P*>(y)->key; });
    std::string tags;
    for (int i = 0; i < l.Count(); ++i)
        tags += l.Item<P>(i)->tag;
    EXPECT_EQ(tags, "bedac");

    // "Less" both ways: some order results, every item stays in the list once.
    std::vector<int> many(100);
    TList m;
    for (int& x : many)
        m.Add(&x);
    m.Sort([](void*, void*) { return -1; });
    EXPECT_EQ(m.Count(), 100);
    for (int& x : many)
        EXPECT_GE(m.IndexOf(&x), 0);
}

} // namespace
} // namespace dvr::fw
