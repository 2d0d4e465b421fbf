#include "framework/object.h"

#include "framework/exceptions.h"
#include "framework/strutils.h"

#include <algorithm>
#include <vector>

namespace dvr::fw {

TMetaClass::TMetaClass(std::string_view name, const TMetaClass* parent, PublishFn publish)
    : name_(name), parent_(parent), publish_(publish) {}

TMetaClass::~TMetaClass() = default;

bool TMetaClass::InheritsFrom(const TMetaClass* c) const {
    for (const TMetaClass* k = this; k; k = k->parent_)
        if (k == c) return true;
    return false;
}

const TMetaClass* TObject::StaticClass() {
    static const TClassOf<TObject> meta("TObject", nullptr);
    return &meta;
}

namespace {

std::vector<const TMetaClass*>& Registry() {
    static std::vector<const TMetaClass*> classes;
    return classes;
}

} // namespace

void RegisterClass(const TMetaClass* c) {
    if (!c) return;
    if (const TMetaClass* known = GetClass(c->ClassName())) {
        if (known == c) return;
        throw EInvalidOperation("A class named " + c->ClassName() + " already exists");
    }
    Registry().push_back(c);
}

void UnregisterClass(const TMetaClass* c) {
    auto& r = Registry();
    r.erase(std::remove(r.begin(), r.end(), c), r.end());
}

const TMetaClass* GetClass(std::string_view name) {
    for (const TMetaClass* c : Registry())
        if (SameText(c->ClassName(), name)) return c;
    return nullptr;
}

const TMetaClass* FindClass(std::string_view name) {
    if (const TMetaClass* c = GetClass(name)) return c;
    throw EClassNotFound("Class " + std::string(name) + " not found");
}

} // namespace dvr::fw
