#include "framework/stringlist.h"

#include "framework/exceptions.h"
#include "framework/strutils.h"

#include <gtest/gtest.h>

#include <vector>

namespace dvr::fw {
namespace {

std::vector<std::string> All(const TStrings& s) {
    std::vector<std::string> v;
    for (int i = 0; i < s.Count(); ++i)
        v.push_back(s.Strings(i));
    return v;
}

TEST(StringList, SortedAddFollowsTheDuplicatesRule) {
    struct Case {
        TDuplicates dups;
        std::vector<std::string> expect;
        bool raises;
    };
    const Case cases[] = {
        {TDuplicates::dupIgnore, {"apple", "Banana", "cherry"}, false},
        {TDuplicates::dupAccept, {"apple", "BANANA", "Banana", "cherry"}, false},
        {TDuplicates::dupError, {"apple", "Banana", "cherry"}, true},
    };
    for (const Case& c : cases) {
        TStringList l;
        l.SetSorted(true);
        l.SetDuplicates(c.dups);
        l.Add("cherry");
        l.Add("Banana");
        l.Add("apple");
        if (c.raises)
            EXPECT_THROW(l.Add("BANANA"), EListError);
        else
            l.Add("BANANA"); // equal to "Banana" ignoring case
        EXPECT_EQ(All(l), c.expect);
    }
}

TEST(StringList, SortedListsFindAndRefusePositionalChanges) {
    TStringList l;
    for (const char* s : {"d", "b", "a", "c"})
        l.AddObject(s, reinterpret_cast<TObject*>(s[0] + 0L));
    l.SetSorted(true); // sorts what is there, objects travel with their strings
    EXPECT_EQ(All(l), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(l.Objects(0), reinterpret_cast<TObject*>(long('a')));
    int i;
    EXPECT_TRUE(l.Find("C", i));
    EXPECT_EQ(i, 2);
    EXPECT_FALSE(l.Find("bb", i));
    EXPECT_EQ(i, 2);
    EXPECT_EQ(l.IndexOf("D"), 3);
    EXPECT_THROW(l.Insert(0, "z"), EListError);
    EXPECT_THROW(l.Put(0, "z"), EListError);

    l.SetCaseSensitive(true);
    l.Add("B"); // upper case sorts before lower case byte-wise
    EXPECT_EQ(All(l), (std::vector<std::string>{"B", "a", "b", "c", "d"}));
    EXPECT_EQ(l.IndexOf("A"), -1);
}

TEST(StringList, CaseBlindComparisonLeavesTwoByteCharactersAlone) {
    // "\xB0\x61" and "\xB0\x41" are different GBK characters whose second bytes are
    // 'a' and 'A'; folding them would merge two different strings.
    TStringList l;
    l.SetSorted(true);
    l.Add("\xB0\x61");
    l.Add("\xB0\x41");
    EXPECT_EQ(l.Count(), 2);
    EXPECT_NE(l.IndexOf("\xB0\x61"), l.IndexOf("\xB0\x41"));
}

class TChangeCounter : public TObject {
public:
    std::vector<std::string> events;
    void Changing(TObject*) { events.push_back("changing"); }
    void Changed(TObject*) { events.push_back("changed"); }
};

TEST(StringList, UpdateBracketTurnsManyChangesIntoOne) {
    TChangeCounter counter;
    TStringList l;
    l.OnChanging = TNotifyEvent(&counter, &TChangeCounter::Changing);
    l.OnChange = TNotifyEvent(&counter, &TChangeCounter::Changed);
    l.Add("one");
    EXPECT_EQ(counter.events, (std::vector<std::string>{"changing", "changed"}));

    counter.events.clear();
    l.BeginUpdate();
    l.BeginUpdate();
    l.Add("two");
    l.Delete(0);
    l.EndUpdate();
    EXPECT_EQ(counter.events, (std::vector<std::string>{"changing"}));
    l.EndUpdate();
    EXPECT_EQ(counter.events, (std::vector<std::string>{"changing", "changed"}));
    l.EndUpdate(); // unbalanced: ignored
    EXPECT_EQ(l.UpdateCount(), 0);
}

// A TStrings over a plain vector, overriding only what descendants must; the base
// builds Put, Exchange, Move and Assign on top of these.
class TVectorStrings : public TStrings {
public:
    std::vector<std::string> v;
    std::vector<std::string> calls;
    int GetCount() const override { return int(v.size()); }
    std::string Get(int i) const override {
        CheckIndex(i, GetCount());
        return v[size_t(i)];
    }
    void Insert(int i, const std::string& s) override {
        calls.push_back("insert " + s);
        v.insert(v.begin() + i, s);
    }
    void Delete(int i) override {
        CheckIndex(i, GetCount());
        calls.push_back("delete " + v[size_t(i)]);
        v.erase(v.begin() + i);
    }
    void Clear() override {
        calls.push_back("clear");
        v.clear();
    }
};

TEST(Strings, BaseOperationsGoThroughTheOverridableOnes) {
    TVectorStrings s;
    s.Add("a");
    s.Add("b");
    s.Add("c");
    s.Put(1, "B");
    s.Exchange(0, 2);
    s.Move(0, 1);
    EXPECT_EQ(s.v, (std::vector<std::string>{"B", "c", "a"}));
    EXPECT_EQ(s.IndexOf("C"), 1);

    TStringList src;
    src.AddObject("x", &src);
    src.Add("y");
    s.calls.clear();
    s.Assign(&src);
    EXPECT_EQ(s.v, (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(s.calls, (std::vector<std::string>{"clear", "insert x", "insert y"}));

    TStringList copy;
    copy.Assign(&src);
    EXPECT_EQ(copy.Objects(0), &src);
    EXPECT_TRUE(copy.Equals(src));
}

TEST(Strings, TextSplitsAtEveryLineBreakKind) {
    TStringList l;
    l.SetText("one\r\ntwo\nthree\rfour\r\n\r\nsix");
    EXPECT_EQ(All(l), (std::vector<std::string>{"one", "two", "three", "four", "", "six"}));
    EXPECT_EQ(l.Text(), "one\r\ntwo\r\nthree\r\nfour\r\n\r\nsix\r\n");
}

} // namespace
} // namespace dvr::fw
