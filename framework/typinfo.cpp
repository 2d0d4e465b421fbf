#include "framework/typinfo.h"

#include "framework/strutils.h"

namespace dvr::fw {

TTypeInfo TTypeInfo::Integer(std::string name, std::vector<TIdentMapEntry> idents) {
    TTypeInfo t;
    t.kind_ = TTypeKind::tkInteger;
    t.name_ = std::move(name);
    t.idents_ = std::move(idents);
    return t;
}

TTypeInfo TTypeInfo::Enumeration(std::string name, std::initializer_list<const char*> literals) {
    TTypeInfo t;
    t.kind_ = TTypeKind::tkEnumeration;
    t.name_ = std::move(name);
    for (const char* l : literals)
        t.literals_.emplace_back(l);
    return t;
}

TTypeInfo TTypeInfo::Set(std::string name, const TTypeInfo* element) {
    TTypeInfo t;
    t.kind_ = TTypeKind::tkSet;
    t.name_ = std::move(name);
    t.element_ = element;
    return t;
}

TTypeInfo TTypeInfo::String(std::string name) {
    TTypeInfo t;
    t.kind_ = TTypeKind::tkString;
    t.name_ = std::move(name);
    return t;
}

TTypeInfo TTypeInfo::Class(std::string name) {
    TTypeInfo t;
    t.kind_ = TTypeKind::tkClass;
    t.name_ = std::move(name);
    return t;
}

std::string TTypeInfo::EnumName(int64_t ordinal) const {
    if (ordinal < 0 || ordinal >= int64_t(literals_.size())) return {};
    return literals_[size_t(ordinal)];
}

int TTypeInfo::EnumValue(std::string_view literal) const {
    for (size_t i = 0; i < literals_.size(); ++i)
        if (SameText(literals_[i], literal)) return int(i);
    return -1;
}

bool TTypeInfo::IntToIdent(int32_t value, std::string& ident) const {
    for (const TIdentMapEntry& e : idents_)
        if (e.Value == value) {
            ident = e.Name;
            return true;
        }
    return false;
}

bool TTypeInfo::IdentToInt(std::string_view ident, int32_t& value) const {
    for (const TIdentMapEntry& e : idents_)
        if (SameText(e.Name, ident)) {
            value = e.Value;
            return true;
        }
    return false;
}

const TTypeInfo* IntegerType() {
    static const TTypeInfo t = TTypeInfo::Integer("Integer");
    return &t;
}

const TTypeInfo* BooleanType() {
    static const TTypeInfo t = [] {
        TTypeInfo b = TTypeInfo::Enumeration("Boolean", {"False", "True"});
        b.is_boolean_ = true;
        return b;
    }();
    return &t;
}

const TTypeInfo* StringType() {
    static const TTypeInfo t = TTypeInfo::String("string");
    return &t;
}

const TTypeInfo* ObjectType() {
    static const TTypeInfo t = TTypeInfo::Class("TPersistent");
    return &t;
}

bool TPropInfo::IsDefaultValue(const TObject* o) const {
    switch (Type->Kind()) {
    case TTypeKind::tkString:
        return GetStr(o).empty();
    case TTypeKind::tkClass:
        return false;
    default:
        return default_.has_value() && GetOrd(o) == *default_;
    }
}

const TPropInfo* TPropList::Find(std::string_view name) const {
    for (const auto& p : items_)
        if (SameText(p->Name, name)) return p.get();
    return nullptr;
}

TPropInfo& TPropList::Add(TPropInfo p) {
    items_.push_back(std::make_unique<TPropInfo>(std::move(p)));
    return *items_.back();
}

const TPropList& TMetaClass::Properties() const {
    std::call_once(props_once_, [this] {
        auto list = std::make_shared<TPropList>();
        // Inherited first: walk from the root class down.
        std::vector<const TMetaClass*> chain;
        for (const TMetaClass* k = this; k; k = k->parent_)
            chain.insert(chain.begin(), k);
        for (const TMetaClass* k : chain)
            if (k->publish_) k->publish_(*list);
        props_ = std::move(list);
    });
    return *props_;
}

const TPropList& GetPropList(const TObject* o) {
    static const TPropList empty;
    return o ? o->ClassType()->Properties() : empty;
}

const TPropInfo* GetPropInfo(const TObject* o, std::string_view name) {
    return GetPropList(o).Find(name);
}

} // namespace dvr::fw
