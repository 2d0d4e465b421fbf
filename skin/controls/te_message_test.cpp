#include "skin/controls/te_message.h"

#include "framework/ui/stdctrls.h"
#include "skin/controls/te_button.h"
#include "skin/controls/te_edit.h"
#include "skin/controls/te_form_theme.h"

#include <gtest/gtest.h>

namespace dvr::skin {
namespace {

TEST(Message, NewComponentDefaults) {
    TTeMessage m(nullptr);
    EXPECT_EQ(m.Position, fw::TPosition::poScreenCenter);
    EXPECT_TRUE(m.ShowButtonGlyph);
    EXPECT_TRUE(m.ShowIconImage);
    EXPECT_FALSE(m.ShowHints);
    EXPECT_FALSE(m.StayOnTop);
    EXPECT_FALSE(m.Global());
    EXPECT_EQ(m.BorderIcons,
              (TTeBorderIcons{TTeBorderIcon::kbiClose, TTeBorderIcon::kbiSystemMenu}));
    EXPECT_FALSE(m.Dragging()->Sizeable);
    ASSERT_NE(m.Blending(), nullptr);
    ASSERT_NE(m.Shadow(), nullptr);
    ASSERT_NE(m.Animation(), nullptr);
    // The fonts are the component's own: assigning copies.
    fw::TFont f;
    f.SetSize(20);
    m.SetMessageFont(&f);
    EXPECT_EQ(m.MessageFont()->Size(), 20);
    EXPECT_NE(m.MessageFont(), &f);
}

TEST(Message, FactoriesMakeTheBoxParts) {
    TTeMessage m(nullptr);
    fw::TComponent owner(nullptr);
    fw::TComponent* made[] = {m.CreateButton(&owner), m.CreateEdit(&owner), m.CreateForm(&owner),
                              m.CreateLabel(&owner), m.CreateCheckBox(&owner)};
    const fw::TMetaClass* classes[] = {TTeButton::StaticClass(), TTeEdit::StaticClass(),
                                       TTeForm::StaticClass(), fw::TLabel::StaticClass(),
                                       TTeCheckBox::StaticClass()};
    for (int i = 0; i < 5; ++i) {
        ASSERT_NE(made[i], nullptr);
        EXPECT_TRUE(made[i]->InheritsFrom(classes[i])) << i;
        EXPECT_EQ(made[i]->Owner(), &owner);
    }
    EXPECT_STREQ(kButtonCaptions[0], "&Yes");
    EXPECT_STREQ(kButtonCaptions[8], "N&o to All");
    EXPECT_STREQ(kButtonCaptions[10], "&Help");
    EXPECT_STREQ(kButtonCaptions[11], "");
    EXPECT_STREQ(kMessageCaptions[3], "Confirm");
}

// Watches whether a component is still there.
struct Watcher : fw::TComponent {
    using fw::TComponent::TComponent;
    fw::TComponent* watched = nullptr;
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override {
        fw::TComponent::Notification(AComponent, Operation);
        if (Operation == fw::TOperation::opRemove && AComponent == watched) watched = nullptr;
    }
};

TEST(Message, GlobalRoleMovesToTheLastComponentSwitchedOn) {
    TTeMessage* before = GlobalMessage();
    auto* app_owned = new TTeMessage(fw::Application);
    GlobalMessage() = app_owned;
    Watcher w(nullptr);
    w.watched = app_owned;
    app_owned->FreeNotification(&w);

    fw::TComponent form(nullptr);
    auto* mine = new TTeMessage(&form);
    mine->SetGlobal(true);
    EXPECT_EQ(GlobalMessage(), mine);
    EXPECT_EQ(w.watched, nullptr); // the application's instance is gone
    mine->SetGlobal(true);         // unchanged: nothing happens
    EXPECT_EQ(GlobalMessage(), mine);
    mine->Free();
    EXPECT_EQ(GlobalMessage(), nullptr);
    GlobalMessage() = before;
}

} // namespace
} // namespace dvr::skin
