#include "framework/component.h"

#include "framework/exceptions.h"
#include "framework/list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dvr::fw {
namespace {

std::vector<std::string>* g_log = nullptr;

void Log(const std::string& s) {
    if (g_log) g_log->push_back(s);
}

// Records what it hears, and keeps a list of components it watches that must never
// hold a freed one.
class TWatcher : public TComponent {
    FW_CLASS(TWatcher, TComponent)
public:
    using TComponent::TComponent;
    ~TWatcher() override { Log("~" + Name()); }

    TList Watched;
    void Watch(TComponent* c) {
        Watched.Add(c);
        FreeNotification(c);
    }
    void Loaded() override {
        TComponent::Loaded();
        Log("Loaded " + Name());
    }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
        TComponent::Notification(AComponent, Operation);
        if (Operation == TOperation::opRemove) {
            Watched.Remove(AComponent);
            Log(Name() + " hears removal of " + AComponent->Name());
        } else {
            Log(Name() + " hears insertion of " + AComponent->Name());
        }
    }
};

TWatcher* Make(TComponent* owner, const std::string& name) {
    auto* w = new TWatcher(owner);
    w->SetName(name);
    return w;
}

class ComponentTest : public ::testing::Test {
protected:
    void SetUp() override { g_log = &log; }
    void TearDown() override { g_log = nullptr; }
    std::vector<std::string> log;
};

TEST_F(ComponentTest, FreeingAnOwnerFreesWhatItOwnsLastFirst) {
    TWatcher* root = Make(nullptr, "Root");
    TWatcher* a = Make(root, "A");
    Make(root, "B");
    Make(a, "A1");
    ASSERT_EQ(root->ComponentCount(), 2);
    EXPECT_EQ(a->ComponentIndex(), 0);
    log.clear();
    root->Free();
    // B goes first; A takes its own A1 with it before it goes.
    std::vector<std::string> dtors;
    for (const std::string& s : log)
        if (s[0] == '~') dtors.push_back(s);
    // Each owner's destructors run before what it owns goes: Root, then B, then A
    // followed by its own A1.
    EXPECT_EQ(dtors, (std::vector<std::string>{"~Root", "~B", "~A", "~A1"}));
}

// An owner whose destructor still works with a component it owns (a form saving its
// list's contents, say) must find it alive however the owner is freed.
TEST_F(ComponentTest, AnOwnersDestructorCanStillUseWhatItOwns) {
    struct TPart : TComponent {
        using TComponent::TComponent;
        ~TPart() override { Log("~part"); }
        bool alive = true;
        std::string Read() const { return alive ? "part:" + Name() : "dead"; }
    };
    struct THolder : TComponent {
        explicit THolder(TComponent* owner) : TComponent(owner), part(new TPart(this)) {
            part->SetName("P");
        }
        ~THolder() override {
            Log(part->Read());
            // Still in the list while the holder's destructor runs.
            Log(FindComponent("P") == part ? "part owned" : "part gone");
        }
        TPart* part;
    };
    const std::vector<std::string> want = {"part:P", "part owned", "~part"};
    struct Case {
        const char* how;
        void (*free)(THolder*, TComponent*);
    };
    const Case cases[] = {
        {"Free", [](THolder* h, TComponent*) { h->Free(); }},
        {"delete", [](THolder* h, TComponent*) { delete h; }},
        {"owner's Free", [](THolder*, TComponent* top) { top->Free(); }},
        {"owner's delete", [](THolder*, TComponent* top) { delete top; }},
    };
    for (const Case& c : cases) {
        auto* top = new TComponent(nullptr);
        auto* h = new THolder(top);
        log.clear();
        c.free(h, top);
        EXPECT_EQ(log, want) << c.how;
        if (std::string(c.how).find("owner") == std::string::npos) {
            EXPECT_EQ(top->ComponentCount(), 0) << c.how;
            top->Free();
        }
    }
}

TEST_F(ComponentTest, AFreedComponentLeavesEveryListThatAskedForNotification) {
    TWatcher* form = Make(nullptr, "Form");
    TWatcher* other = Make(nullptr, "Other"); // no common owner with the watched ones
    TWatcher* button = Make(form, "Button");
    TWatcher* menu = Make(form, "Menu");
    other->Watch(button);
    other->Watch(menu);
    form->Watch(button);

    button->Free();
    EXPECT_EQ(other->Watched.IndexOf(button), -1);
    EXPECT_EQ(form->Watched.IndexOf(button), -1);
    EXPECT_EQ(other->Watched.Count(), 1);
    EXPECT_EQ(form->FindComponent("Button"), nullptr);

    // The request is mutual: freeing the watcher does not leave the watched one
    // holding it, and it can then be freed safely.
    other->Free();
    menu->Free();
    EXPECT_EQ(form->ComponentCount(), 0);
    form->Free();
}

TEST_F(ComponentTest, OwnerPassesInsertAndRemoveToWhatItOwns) {
    TWatcher* form = Make(nullptr, "Form");
    Make(form, "Panel");
    log.clear();
    TWatcher* edit = Make(form, "");
    edit->SetName("Edit");
    edit->Free();
    EXPECT_EQ(log, (std::vector<std::string>{
                       // A component under construction hears nothing itself.
                       "Panel hears insertion of ",
                       "Form hears insertion of ",
                       "Panel hears removal of Edit",
                       "Edit hears removal of Edit",
                       "Form hears removal of Edit",
                       "~Edit",
                   }));
    form->Free();
}

TEST_F(ComponentTest, DestroyingStateIsSetBeforeNotificationsGoOut) {
    struct TProbe : TComponent {
        using TComponent::TComponent;
        bool ownerDying = false;
        void Notification(TComponent* c, TOperation op) override {
            TComponent::Notification(c, op);
            if (op == TOperation::opRemove && c == watched) ownerDying = c->Destroying();
        }
        TComponent* watched = nullptr;
    };
    auto* dying = new TComponent(nullptr);
    TProbe probe(nullptr);
    probe.watched = dying;
    probe.FreeNotification(dying);
    dying->Free();
    EXPECT_TRUE(probe.ownerDying);
}

TEST_F(ComponentTest, NamesAreIdentifiersUniqueWithinTheOwner) {
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    a->SetName("bt_OK");
    struct Case {
        std::string name;
        bool ok;
    };
    const Case cases[] = {
        {"BT_ok", false}, // taken, ignoring case
        {"1st", false},   {"has space", false}, {"a.b", false},
        {"_x9", true},    {"", true},           {"bt_Cancel", true},
    };
    for (const Case& c : cases) {
        if (c.ok) {
            EXPECT_NO_THROW(b->SetName(c.name)) << c.name;
            EXPECT_EQ(b->Name(), c.name);
        } else {
            b->SetName("Before");
            EXPECT_THROW(b->SetName(c.name), EInvalidOperation) << c.name;
            EXPECT_EQ(b->Name(), "Before");
        }
    }
    EXPECT_EQ(owner.FindComponent("BT_OK"), a);
    EXPECT_EQ(owner.FindComponent(""), nullptr);
    EXPECT_THROW(owner.Components(2), EListError);
}

TEST_F(ComponentTest, LoadingBracketCallsLoadedInCreationOrderThenEndsLoading) {
    TWatcher* form = Make(nullptr, "Form");
    {
        TLoadingBracket bracket(*form);
        EXPECT_TRUE(form->Loading());
        TWatcher* panel = Make(form, "Panel");
        TWatcher* button = Make(panel, "Button");
        Make(form, "Edit");
        EXPECT_TRUE(panel->Loading());
        EXPECT_TRUE(button->Loading());
        log.clear();
        bracket.Finish();
        Log("OnCreate");
    }
    EXPECT_EQ(log, (std::vector<std::string>{"Loaded Form", "Loaded Panel", "Loaded Button",
                                             "Loaded Edit", "OnCreate"}));
    EXPECT_FALSE(form->Loading());
    EXPECT_FALSE(form->Components(0)->Loading());
    // After the bracket, new components are not loading.
    EXPECT_FALSE(Make(form, "Late")->Loading());
    form->Free();
}

TEST_F(ComponentTest, ABracketLeftByAnExceptionEndsLoadingWithoutLoaded) {
    TWatcher* form = Make(nullptr, "Form");
    log.clear();
    try {
        TLoadingBracket bracket(*form);
        Make(form, "Panel");
        throw EInvalidOperation("building failed");
    } catch (const EInvalidOperation&) {
    }
    EXPECT_FALSE(form->Loading());
    EXPECT_FALSE(form->Components(0)->Loading());
    for (const std::string& s : log)
        EXPECT_EQ(s.find("Loaded"), std::string::npos) << s;
    form->Free();
}

TEST_F(ComponentTest, MovingAComponentToAnotherOwner) {
    TWatcher* a = Make(nullptr, "A");
    TWatcher* b = Make(nullptr, "B");
    TWatcher* c = Make(a, "C");
    b->InsertComponent(c);
    EXPECT_EQ(c->Owner(), b);
    EXPECT_EQ(a->ComponentCount(), 0);
    Make(a, "D");
    TWatcher* d2 = Make(b, "");
    d2->SetName("D");
    EXPECT_THROW(a->InsertComponent(d2), EInvalidOperation); // name taken in a
    EXPECT_EQ(d2->Owner(), b);
    a->Free();
    b->Free();
}

} // namespace
} // namespace dvr::fw
