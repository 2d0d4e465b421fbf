#include "skin/controls/te_form_options.h"

#include "framework/exceptions.h"

#include <gtest/gtest.h>

namespace dvr::skin {
namespace {

class ChangeCounter : public fw::TObject {
public:
    int Count = 0;
    void Changed(fw::TObject*) { ++Count; }
};

TEST(FormOptions, ValuesAreClampedAndChangesReported) {
    struct Case {
        int32_t set, stored;
        bool event;
    };
    ChangeCounter counter;
    {
        TTeBlending b;
        b.OnChange = fw::TNotifyEvent(&counter, &ChangeCounter::Changed);
        for (Case c : {Case{300, 255, true}, Case{-5, 0, true}, Case{0, 0, false},
                       Case{128, 128, true}, Case{256, 255, true}}) {
            SCOPED_TRACE(c.set);
            int before = counter.Count;
            b.SetValue(c.set);
            EXPECT_EQ(b.Value(), c.stored);
            EXPECT_EQ(counter.Count - before, c.event ? 1 : 0);
        }
        int before = counter.Count;
        b.SetEnabled(false); // unchanged
        b.SetEnabled(true);
        EXPECT_EQ(counter.Count - before, 1);
    }
    {
        TTeShadow s;
        s.SetEnabled(true);
        s.SetSize(35);
        EXPECT_EQ(s.Size(), 20);
        EXPECT_TRUE(s.Enabled());
        s.SetSize(0); // switches the shadow off and keeps the value
        EXPECT_EQ(s.Size(), 0);
        EXPECT_FALSE(s.Enabled());
        s.SetSize(-3);
        EXPECT_EQ(s.Size(), -3);
    }
    {
        TTeGravitation g;
        EXPECT_TRUE(g.Enabled());
        EXPECT_EQ(g.Size(), 20);
        g.SetSize(0);
        EXPECT_EQ(g.Size(), 1);
        g.SetSize(80);
        EXPECT_EQ(g.Size(), 50);
    }
    TTeDragging d;
    EXPECT_TRUE(d.Moveable);
    EXPECT_TRUE(d.Sizeable);
    EXPECT_EQ(d.DragMode, TTeFormDragMode::kfdmFullDrag);
}

TEST(FormOptions, AssignCopiesRawValuesOnceAndRefusesForeignClasses) {
    ChangeCounter counter;
    TTeBlending from, to;
    from.SetValue(150);
    from.SetEnabled(true);
    to.SetValue(200);
    to.OnChange = fw::TNotifyEvent(&counter, &ChangeCounter::Changed);
    to.Assign(&from);
    EXPECT_EQ(counter.Count, 1);
    EXPECT_EQ(to.Value(), 150);
    EXPECT_TRUE(to.Enabled());

    TTeShadow shadow;
    EXPECT_THROW(to.Assign(&shadow), fw::Exception);

    TTePopupMenuOptions a, b;
    ChangeCounter container;
    b.OnChange = fw::TNotifyEvent(&container, &ChangeCounter::Changed);
    a.Shadow()->SetEnabled(true);
    a.Shadow()->SetSize(7);
    a.Blending()->SetValue(99);
    a.Animation()->SetTime(900);
    b.Assign(&a);
    EXPECT_EQ(container.Count, 1);
    EXPECT_TRUE(b.Shadow()->Enabled());
    EXPECT_EQ(b.Shadow()->Size(), 7);
    EXPECT_EQ(b.Blending()->Value(), 99);
    EXPECT_EQ(b.Animation()->Time(), 900);
    b.SetShadow(DefaultShadow());
    EXPECT_EQ(container.Count, 2);
    EXPECT_FALSE(b.Shadow()->Enabled());
}

TEST(FormOptions, AnimationPassesToItsRecordAndDirectionReadsBack) {
    TTeAnimation a;
    EXPECT_FALSE(a.Enabled());
    EXPECT_EQ(a.Time(), 400);
    EXPECT_EQ(a.Resolution(), 1);
    EXPECT_EQ(a.TileCount(), 1);
    a.SetTime(10);
    EXPECT_EQ(a.Time(), 50);
    a.SetTileCount(99);
    EXPECT_EQ(a.TileCount(), 20);
    struct Case {
        TTeDirection set, read;
        TteRotation rotation;
    };
    for (Case c :
         {Case{TTeDirection::kdRotate90, TTeDirection::kdRotate90, TteRotation::krRotate90},
          Case{TTeDirection::kdRotate180, TTeDirection::kdRotate180, TteRotation::krRotate180},
          Case{TTeDirection::kdRotate270, TTeDirection::kdRotate270, TteRotation::krRotate270},
          Case{TTeDirection::kdNoRotate, TTeDirection::kdNone, TteRotation::krNone},
          Case{TTeDirection::kdNone, TTeDirection::kdNone, TteRotation::krNone}}) {
        a.SetDirection(c.set);
        EXPECT_EQ(a.Direction(), c.read);
        EXPECT_EQ(a.Animation()->Rotation(), c.rotation);
    }
    TTeAnimation b;
    a.SetEffectKind("Fade");
    b.Assign(&a);
    EXPECT_EQ(b.EffectKind(), "Fade");
    EXPECT_EQ(b.Time(), 50);
}

TEST(FormOptions, ClassesAreRegisteredByName) {
    RegisterFormOptionClasses();
    for (const char* name : {"TTeBlending", "TTeShadow", "TTeGravitation", "TTeDragging",
                             "TTeAnimation", "TTePopupMenuOptions"})
        EXPECT_NE(fw::FindClass(name), nullptr) << name;
}

} // namespace
} // namespace dvr::skin
