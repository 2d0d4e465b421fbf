// Objects with class metadata: every framework class knows its name and parent class,
// answers "is" tests, can be made through its metaclass without naming the type, and
// can be registered for lookup by name (the stream reader makes components that way).
//
// A class declares itself with one macro at the top of its body:
//
//     class TFoo : public TComponent {
//         FW_CLASS(TFoo, TComponent)          // or FW_PUBLISHED(...) with a property table
//     public:
//         explicit TFoo(TComponent* AOwner) : TComponent(AOwner) {}
//     };
//
// A class whose metaclass carries class functions (asked before any instance exists)
// names its own metaclass type with FW_CLASS_META; see object_test.cpp.
#pragma once

#include "framework/message.h"

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <type_traits>

namespace dvr::fw {

class TObject;
class TComponent;
class TPropList;

// The class of a class: its name, its parent, its virtual constructors and its
// published properties (inherited ones first).
class TMetaClass {
public:
    using PublishFn = void (*)(TPropList&);

    TMetaClass(std::string_view name, const TMetaClass* parent, PublishFn publish = nullptr);
    virtual ~TMetaClass();
    TMetaClass(const TMetaClass&) = delete;
    TMetaClass& operator=(const TMetaClass&) = delete;

    const std::string& ClassName() const { return name_; }
    const TMetaClass* ClassParent() const { return parent_; }
    // True when this class is c or descends from it.
    bool InheritsFrom(const TMetaClass* c) const;

    // Virtual constructors; nullptr when the class is abstract or has no such constructor.
    virtual TObject* Create() const { return nullptr; }
    virtual TComponent* CreateComponent(TComponent* /*AOwner*/) const { return nullptr; }

    // Published properties of the class, inherited ones first, in declaration order.
    const TPropList& Properties() const;

private:
    std::string name_;
    const TMetaClass* parent_;
    PublishFn publish_;
    mutable std::once_flag props_once_;
    mutable std::shared_ptr<TPropList> props_;
};

// The metaclass of T; Meta is TMetaClass or a metaclass type with class functions.
template <class T, class Meta = TMetaClass> class TClassOf : public Meta {
public:
    using Meta::Meta;
    TObject* Create() const override {
        if constexpr (!std::is_abstract_v<T> && std::is_default_constructible_v<T>)
            return new T();
        else
            return nullptr;
    }
    TComponent* CreateComponent(TComponent* AOwner) const override {
        if constexpr (!std::is_abstract_v<T> && std::is_constructible_v<T, TComponent*>)
            return new T(AOwner);
        else {
            (void)AOwner;
            return nullptr;
        }
    }
};

#define FW_CLASS_BODY(Self, Parent, Meta, publish)                                                 \
public:                                                                                            \
    using inherited = Parent;                                                                      \
    static const Meta* StaticClass() {                                                             \
        static const Meta meta(#Self, Parent::StaticClass(), publish);                             \
        return &meta;                                                                              \
    }                                                                                              \
    const ::dvr::fw::TMetaClass* ClassType() const override {                                      \
        return StaticClass();                                                                      \
    }

// A class without properties of its own.
#define FW_CLASS(Self, Parent) FW_CLASS_BODY(Self, Parent, ::dvr::fw::TClassOf<Self>, nullptr)
#define FW_CLASS_META(Self, Parent, Meta) FW_CLASS_BODY(Self, Parent, Meta, nullptr)

// A class that publishes properties: it defines
//     void Self::Publish(dvr::fw::TPublisher<Self>& p)
// (framework/typinfo.h), listing its own properties in declaration order.
#define FW_PUBLISHED_META(Self, Parent, Meta)                                                      \
    FW_CLASS_BODY(Self, Parent, Meta, &Self::PublishInto)                                          \
    static void Publish(::dvr::fw::TPublisher<Self>& p);                                           \
    static void PublishInto(::dvr::fw::TPropList& list) {                                          \
        ::dvr::fw::TPublisher<Self> p(list);                                                       \
        Publish(p);                                                                                \
    }
#define FW_PUBLISHED(Self, Parent) FW_PUBLISHED_META(Self, Parent, ::dvr::fw::TClassOf<Self>)

// Root of every framework class.
class TObject {
public:
    TObject() = default;
    virtual ~TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    static const TMetaClass* StaticClass();
    virtual const TMetaClass* ClassType() const { return StaticClass(); }

    const std::string& ClassName() const { return ClassType()->ClassName(); }
    bool InheritsFrom(const TMetaClass* c) const { return ClassType()->InheritsFrom(c); }
    template <class T> bool Is() const { return dynamic_cast<const T*>(this) != nullptr; }

    // Message methods (framework/message.h): Dispatch hands Message to the handler of
    // its number in the nearest class that has one, else to DefaultHandler.
    void Dispatch(TMessage& Message) {
        if (!DispatchMsg(Message)) DefaultHandler(Message);
    }
    // What happens to a message no class handles; nothing in the base.
    virtual void DefaultHandler(TMessage& /*Message*/) {}
    // The message map: true when this class or an ancestor handled Message.
    virtual bool DispatchMsg(TMessage& /*Message*/) { return false; }
};

// windows.h names its window-class function RegisterClass too (a macro); the framework's
// meaning wins where both are seen.
#ifdef RegisterClass
#undef RegisterClass
#endif

// Registration of classes for lookup by name (names compare ignoring ASCII case).
// Registering the same class again does nothing; another class under a registered name
// raises EInvalidOperation.
void RegisterClass(const TMetaClass* c);
void UnregisterClass(const TMetaClass* c);
// The registered class of that name, or nullptr.
const TMetaClass* GetClass(std::string_view name);
// The registered class of that name; raises EClassNotFound when there is none.
const TMetaClass* FindClass(std::string_view name);

} // namespace dvr::fw
