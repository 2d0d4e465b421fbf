#include "framework/object.h"

#include "framework/component.h"
#include "framework/events.h"
#include "framework/exceptions.h"
#include "framework/persistent.h"
#include "framework/sample_components.h"

#include <gtest/gtest.h>

namespace dvr::fw {
namespace {

using testing::TSample;
using testing::TSampleFont;

// A metaclass with class functions, asked before any instance of its classes exists.
class TCodecClass : public TMetaClass {
public:
    using TMetaClass::TMetaClass;
    virtual std::string GetExtension() const { return {}; }
};
template <class T> class TCodecClassOf : public TClassOf<T, TCodecClass> {
public:
    using TClassOf<T, TCodecClass>::TClassOf;
    std::string GetExtension() const override { return T::GetExtension(); }
};

int g_codecs_made = 0;

class TCodec : public TPersistent {
    FW_CLASS_META(TCodec, TPersistent, TCodecClassOf<TCodec>)
public:
    TCodec() { ++g_codecs_made; }
    static std::string GetExtension() { return ""; }
};
class TPackedCodec : public TCodec {
    FW_CLASS_META(TPackedCodec, TCodec, TCodecClassOf<TPackedCodec>)
public:
    static std::string GetExtension() { return "kpk"; }
};

TEST(ClassMetadata, NamesParentsAndIsTests) {
    TPackedCodec codec;
    EXPECT_EQ(codec.ClassName(), "TPackedCodec");
    EXPECT_EQ(codec.ClassType()->ClassParent(), TCodec::StaticClass());
    EXPECT_TRUE(codec.InheritsFrom(TPersistent::StaticClass()));
    EXPECT_TRUE(codec.InheritsFrom(TObject::StaticClass()));
    EXPECT_FALSE(codec.InheritsFrom(TComponent::StaticClass()));
    EXPECT_FALSE(TCodec::StaticClass()->InheritsFrom(TPackedCodec::StaticClass()));
    const TObject& asObject = codec;
    EXPECT_TRUE(asObject.Is<TCodec>());
    EXPECT_FALSE(asObject.Is<TComponent>());
}

TEST(ClassMetadata, ClassFunctionsAnswerThroughTheMetaclassBeforeAnyInstance) {
    g_codecs_made = 0;
    const TMetaClass* classes[] = {TCodec::StaticClass(), TPackedCodec::StaticClass()};
    std::vector<std::string> exts;
    for (const TMetaClass* c : classes)
        exts.push_back(static_cast<const TCodecClass*>(c)->GetExtension());
    EXPECT_EQ(exts, (std::vector<std::string>{"", "kpk"}));
    EXPECT_EQ(g_codecs_made, 0);

    // The virtual constructor makes the class the metaclass stands for.
    std::unique_ptr<TObject> made(classes[1]->Create());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->ClassName(), "TPackedCodec");
    EXPECT_EQ(g_codecs_made, 1);
}

TEST(ClassMetadata, RegisteredClassesAreFoundByNameIgnoringCase) {
    RegisterClass(TSample::StaticClass());
    RegisterClass(TSample::StaticClass()); // again: no effect
    EXPECT_EQ(GetClass("tsample"), TSample::StaticClass());
    EXPECT_EQ(GetClass("TNoSuchClass"), nullptr);
    EXPECT_THROW(FindClass("TNoSuchClass"), EClassNotFound);

    TComponent owner(nullptr);
    TComponent* c = FindClass("TSample")->CreateComponent(&owner);
    ASSERT_NE(dynamic_cast<TSample*>(c), nullptr);
    EXPECT_EQ(c->Owner(), &owner);
    // An abstract or owner-less class cannot be made as a component.
    EXPECT_EQ(TPersistent::StaticClass()->CreateComponent(&owner), nullptr);
}

TEST(ClassMetadata, AnotherClassUnderARegisteredNameIsRefused) {
    class TSampleImpostor : public TComponent {
    public:
        static const TMetaClass* StaticClass() {
            static const TClassOf<TSampleImpostor> meta("TSample", TComponent::StaticClass());
            return &meta;
        }
        using TComponent::TComponent;
    };
    RegisterClass(TSample::StaticClass());
    EXPECT_THROW(RegisterClass(TSampleImpostor::StaticClass()), EInvalidOperation);
    EXPECT_EQ(GetClass("TSample"), TSample::StaticClass());
}

// ---- Assign ----

class TKnowsFont : public TPersistent {
    FW_CLASS(TKnowsFont, TPersistent)
public:
    int Size = 0;

protected:
    // Only this side knows how to copy itself into a font.
    void AssignTo(TPersistent* Dest) const override {
        if (auto* f = dynamic_cast<TSampleFont*>(Dest)) {
            f->Size = Size;
            return;
        }
        TPersistent::AssignTo(Dest);
    }
};

TEST(Assign, CopiesWhenEitherSideKnowsTheOther) {
    TSampleFont a, b;
    a.Name = "SimSun";
    a.Size = 12;
    b.Assign(&a);
    EXPECT_EQ(b.Name, "SimSun");
    EXPECT_EQ(b.Size, 12);

    TKnowsFont k;
    k.Size = 20;
    b.Assign(&k); // through k's AssignTo
    EXPECT_EQ(b.Size, 20);
}

TEST(Assign, RaisesTheConversionErrorWhenNeitherSideCan) {
    struct Case {
        const TPersistent* source;
        std::string message;
    };
    TKnowsFont k;
    TSampleFont font;
    TStringList list;
    const Case cases[] = {
        {&list, "Cannot assign a TStringList to a TKnowsFont"},
        {&font, "Cannot assign a TSampleFont to a TKnowsFont"},
        {nullptr, "Cannot assign a nil to a TKnowsFont"},
    };
    for (const Case& c : cases) {
        try {
            k.Assign(c.source);
            ADD_FAILURE() << c.message;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

// ---- events ----

class THandler : public TObject {
public:
    int clicks = 0;
    int other = 0;
    void Click(TObject*) { ++clicks; }
    void Other(TObject*) { ++other; }
};

TEST(Events, EqualWhenObjectAndCodeAreTheSame) {
    THandler a, b;
    struct Case {
        TNotifyEvent x, y;
        bool equal;
    };
    const Case cases[] = {
        {{&a, &THandler::Click}, {&a, &THandler::Click}, true},
        {{&a, &THandler::Click}, {&a, &THandler::Other}, false},
        {{&a, &THandler::Click}, {&b, &THandler::Click}, false},
        {{&a, &THandler::Click}, {}, false},
        {{}, {}, true},
        {{}, nullptr, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.x == c.y, c.equal);
        EXPECT_EQ(c.y == c.x, c.equal);
    }
}

TEST(Events, CallReachesTheBoundObjectAndUnassignedDoesNothing) {
    THandler a, b;
    TNotifyEvent e(&b, &THandler::Other);
    e(&a);
    EXPECT_EQ(b.other, 1);
    EXPECT_EQ(a.other, 0);
    TNotifyEvent none;
    EXPECT_FALSE(none.Assigned());
    none(&a); // no crash, no effect

    TScrollEvent scroll;
    int pos = 7;
    scroll(&a, TScrollCode::scTrack, pos);
    EXPECT_EQ(pos, 7);
}

} // namespace
} // namespace dvr::fw

namespace dvr::fw {
namespace {

constexpr uint32_t kPing = 0x400, kPong = 0x401, kOther = 0x402;

class TBaseHandler : public TObject {
    FW_CLASS(TBaseHandler, TObject)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(kPing, Ping)
    FW_MESSAGE(kPong, Pong)
    FW_MESSAGES_END
public:
    std::string log;
    void Ping(TMessage& M) {
        log += "base-ping ";
        M.Result = 1;
    }
    void Pong(TMessage&) { log += "base-pong "; }
    void DefaultHandler(TMessage& M) override {
        log += "default ";
        M.Result = -1;
    }
};

class TDerivedHandler : public TBaseHandler {
    FW_CLASS(TDerivedHandler, TBaseHandler)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(kPing, Ping2)
    FW_MESSAGE(kOther, Other)
    FW_MESSAGES_END
public:
    void Ping2(TMessage& M) {
        log += "derived-ping ";
        FW_INHERITED(M);
    }
    void Other(TMessage& M) {
        log += "derived-other ";
        FW_INHERITED(M); // no ancestor handles it: the default handler does
    }
};

TEST(MessageMethods, DispatchFindsTheNearestHandlerAndInheritedFallsThrough) {
    struct Case {
        uint32_t msg;
        const char* log;
        intptr_t result;
    } cases[] = {
        {kPing, "derived-ping base-ping ", 1},
        {kPong, "base-pong ", 0},
        {kOther, "derived-other default ", -1},
        {0x999, "default ", -1},
    };
    for (const Case& c : cases) {
        TDerivedHandler h;
        TMessage m{c.msg, 0, 0, 0};
        h.Dispatch(m);
        EXPECT_EQ(h.log, c.log) << c.msg;
        EXPECT_EQ(m.Result, c.result) << c.msg;
    }
    TBaseHandler b;
    TMessage m{kOther, 0, 0, 0};
    b.Dispatch(m);
    EXPECT_EQ(b.log, "default ");
}

} // namespace
} // namespace dvr::fw
