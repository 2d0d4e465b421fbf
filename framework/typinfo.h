// Published properties: the table of a class's stored settings (name, type, getter,
// setter, default, stored) that the stream reader and writer walk. Inherited
// properties come first, then the class's own in declaration order.
//
//     void TFoo::Publish(TPublisher<TFoo>& p) {
//         p.Property("Align", AlignType(), &TFoo::Align, &TFoo::SetAlign).Default(0);
//         p.Property("Caption", nullptr, &TFoo::Caption, &TFoo::SetCaption);
//         p.Object("Font", &TFoo::Font);
//     }
#pragma once

#include "framework/object.h"
#include "framework/types.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace dvr::fw {

class TPersistent;

enum class TTypeKind : uint8_t { tkInteger, tkEnumeration, tkSet, tkString, tkClass };

// A named integer value that streams as an identifier (clWhite, DEFAULT_CHARSET).
struct TIdentMapEntry {
    int32_t Value;
    const char* Name;
};

// The type of a property.
class TTypeInfo {
public:
    static TTypeInfo Integer(std::string name, std::vector<TIdentMapEntry> idents = {});
    static TTypeInfo Enumeration(std::string name, std::initializer_list<const char*> literals);
    static TTypeInfo Set(std::string name, const TTypeInfo* element);
    static TTypeInfo String(std::string name);
    static TTypeInfo Class(std::string name);

    TTypeKind Kind() const { return kind_; }
    const std::string& Name() const { return name_; }
    bool IsBoolean() const { return is_boolean_; }

    // Enumerations: literal of an ordinal ("" when out of range) and ordinal of a
    // literal (ignoring case; -1 when unknown).
    int EnumCount() const { return int(literals_.size()); }
    std::string EnumName(int64_t ordinal) const;
    int EnumValue(std::string_view literal) const;
    // Sets: the element type.
    const TTypeInfo* CompType() const { return element_; }
    // Integers: identifier of a value and value of an identifier (ignoring case).
    bool IntToIdent(int32_t value, std::string& ident) const;
    bool IdentToInt(std::string_view ident, int32_t& value) const;

private:
    TTypeKind kind_ = TTypeKind::tkInteger;
    std::string name_;
    bool is_boolean_ = false;
    std::vector<std::string> literals_;
    const TTypeInfo* element_ = nullptr;
    std::vector<TIdentMapEntry> idents_;
    friend const TTypeInfo* BooleanType();
};

// Types of plain values.
const TTypeInfo* IntegerType();
const TTypeInfo* BooleanType();
const TTypeInfo* StringType();
const TTypeInfo* ObjectType();

// One published property. Ordinal values (integers, enumerations, Booleans, sets as
// bit masks) travel as int64; strings as GBK text; a class property hands out its
// sub-object, whose own properties stream under "Name.Sub".
class TPropInfo {
public:
    std::string Name;
    const TTypeInfo* Type = nullptr;
    std::function<int64_t(const TObject*)> GetOrd;
    std::function<void(TObject*, int64_t)> SetOrd;
    std::function<std::string(const TObject*)> GetStr;
    std::function<void(TObject*, const std::string&)> SetStr;
    std::function<TPersistent*(TObject*)> GetObj;

    // Ordinals equal to the default are not written; without one they always are.
    // Strings are written when not empty.
    TPropInfo& Default(int64_t v) {
        default_ = v;
        return *this;
    }
    TPropInfo& NoDefault() {
        default_.reset();
        return *this;
    }
    TPropInfo& Stored(bool v) {
        stored_ = v;
        stored_fn_ = nullptr;
        return *this;
    }
    TPropInfo& Stored(std::function<bool(const TObject*)> fn) {
        stored_fn_ = std::move(fn);
        return *this;
    }

    const std::optional<int64_t>& DefaultValue() const { return default_; }
    bool IsStored(const TObject* o) const { return stored_fn_ ? stored_fn_(o) : stored_; }
    // True when the property's current value needs no entry in a stream.
    bool IsDefaultValue(const TObject* o) const;

private:
    std::optional<int64_t> default_;
    bool stored_ = true;
    std::function<bool(const TObject*)> stored_fn_;
};

class TPropList {
public:
    int Count() const { return int(items_.size()); }
    const TPropInfo& operator[](int i) const { return *items_[size_t(i)]; }
    // The property of that name (ignoring case), or nullptr.
    const TPropInfo* Find(std::string_view name) const;
    TPropInfo& Add(TPropInfo p);

private:
    std::vector<std::unique_ptr<TPropInfo>> items_;
};

// Published properties of an object's class (nullptr gives nothing).
const TPropList& GetPropList(const TObject* o);
const TPropInfo* GetPropInfo(const TObject* o, std::string_view name);

namespace detail {

template <class V> int64_t ToOrd(const V& v) {
    if constexpr (std::is_same_v<V, bool>)
        return v ? 1 : 0;
    else if constexpr (std::is_enum_v<V>)
        return int64_t(v);
    else if constexpr (std::is_integral_v<V>)
        return int64_t(v);
    else
        return int64_t(v.Mask()); // TSet
}

template <class V> V FromOrd(int64_t x) {
    if constexpr (std::is_same_v<V, bool>)
        return x != 0;
    else if constexpr (std::is_enum_v<V>)
        return V(std::underlying_type_t<V>(x));
    else if constexpr (std::is_integral_v<V>)
        return V(x);
    else
        return V::FromMask(uint32_t(x));
}

template <class V> const TTypeInfo* PlainType() {
    if constexpr (std::is_same_v<V, bool>)
        return BooleanType();
    else if constexpr (std::is_same_v<V, std::string>)
        return StringType();
    else if constexpr (std::is_integral_v<V>)
        return IntegerType();
    else
        return nullptr;
}

} // namespace detail

// Fills the property table of T; used by the FW_PUBLISHED macro.
template <class T> class TPublisher {
public:
    explicit TPublisher(TPropList& list) : list_(list) {}

    // A property read and written through T's member functions (or fields, as member
    // object pointers). type may be nullptr for integers, Booleans and strings.
    template <class G, class S>
    TPropInfo& Property(std::string name, const TTypeInfo* type, G get, S set) {
        using V = std::decay_t<std::invoke_result_t<G, const T&>>;
        TPropInfo p;
        p.Name = std::move(name);
        p.Type = type ? type : detail::PlainType<V>();
        if constexpr (std::is_same_v<V, std::string>) {
            p.GetStr = [get](const TObject* o) {
                return std::string(std::invoke(get, *static_cast<const T*>(o)));
            };
            p.SetStr = [set](TObject* o, const std::string& v) { Put(set, o, v); };
        } else {
            p.GetOrd = [get](const TObject* o) {
                return detail::ToOrd<V>(std::invoke(get, *static_cast<const T*>(o)));
            };
            p.SetOrd = [set](TObject* o, int64_t v) { Put(set, o, detail::FromOrd<V>(v)); };
        }
        return list_.Add(std::move(p));
    }
    // A property that is a field of T.
    template <class V> TPropInfo& Field(std::string name, const TTypeInfo* type, V T::*field) {
        return Property(std::move(name), type, field, field);
    }
    // A sub-object property: get returns the object T owns.
    template <class G> TPropInfo& Object(std::string name, G get) {
        TPropInfo p;
        p.Name = std::move(name);
        p.Type = ObjectType();
        p.GetObj = [get](TObject* o) -> TPersistent* {
            return std::invoke(get, *static_cast<T*>(o));
        };
        return list_.Add(std::move(p));
    }

private:
    template <class S, class V> static void Put(S set, TObject* o, const V& v) {
        if constexpr (std::is_member_object_pointer_v<S>)
            static_cast<T*>(o)->*set = v;
        else
            std::invoke(set, *static_cast<T*>(o), v);
    }

    TPropList& list_;
};

} // namespace dvr::fw
