#include "framework/filer.h"

#include "framework/exceptions.h"
#include "framework/strutils.h"
#include "framework/typinfo.h"

#include <algorithm>
#include <cstring>

namespace dvr::fw {

namespace {

// Deeper nesting than this is refused rather than allowed to exhaust the stack.
constexpr int kMaxDepth = 200;

bool ValidValueType(uint8_t b) {
    return b <= 13 && b != 5;
}

std::vector<std::string> SplitPath(const std::string& name) {
    std::vector<std::string> parts;
    size_t i = 0;
    for (;;) {
        size_t j = name.find('.', i);
        parts.push_back(name.substr(i, j == std::string::npos ? std::string::npos : j - i));
        if (j == std::string::npos) break;
        i = j + 1;
    }
    return parts;
}

} // namespace

// ---- TReader ----

uint8_t TReader::ReadByte() {
    if (peeked_ >= 0) {
        uint8_t b = uint8_t(peeked_);
        peeked_ = -1;
        return b;
    }
    uint8_t b;
    stream_->ReadBuffer(&b, 1);
    return b;
}

uint8_t TReader::PeekByte() {
    if (peeked_ < 0) {
        uint8_t b;
        stream_->ReadBuffer(&b, 1);
        peeked_ = b;
    }
    return uint8_t(peeked_);
}

int32_t TReader::ReadInt32() {
    uint8_t b[4];
    for (uint8_t& x : b)
        x = ReadByte();
    return int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                   uint32_t(b[3]) << 24);
}

std::string TReader::ReadBytes(int64_t Count) {
    if (Count < 0) throw EReadError("Invalid length in stream");
    std::string out;
    if (Count == 0) return out;
    if (peeked_ >= 0) {
        out.push_back(char(ReadByte()));
        --Count;
    }
    // Grow with the data actually present; a hostile length runs out of stream first.
    constexpr int64_t kChunk = 64 * 1024;
    while (Count > 0) {
        size_t n = size_t(std::min(Count, kChunk));
        size_t at = out.size();
        out.resize(at + n);
        stream_->ReadBuffer(out.data() + at, n);
        Count -= int64_t(n);
    }
    return out;
}

std::string TReader::ReadStr() {
    uint8_t n = ReadByte();
    return ReadBytes(n);
}

void TReader::ReadSignature() {
    std::string sig = ReadBytes(4);
    if (sig != "TPF0") throw EReadError("Invalid stream format");
}

TValueType TReader::ReadValue() {
    uint8_t b = ReadByte();
    if (!ValidValueType(b)) throw EReadError("Invalid value type " + IntToStr(b));
    return TValueType(b);
}

TValueType TReader::NextValue() {
    uint8_t b = PeekByte();
    if (!ValidValueType(b)) throw EReadError("Invalid value type " + IntToStr(b));
    return TValueType(b);
}

bool TReader::EndOfList() {
    return PeekByte() == 0;
}

void TReader::ReadListBegin() {
    if (ReadValue() != TValueType::vaList)
        throw EReadError("Invalid property value: list expected");
}

void TReader::ReadListEnd() {
    if (ReadByte() != 0) throw EReadError("Invalid property value: end of list expected");
}

int32_t TReader::ReadInteger() {
    switch (ReadValue()) {
    case TValueType::vaInt8:
        return int8_t(ReadByte());
    case TValueType::vaInt16: {
        uint8_t lo = ReadByte(), hi = ReadByte();
        return int16_t(uint16_t(lo | hi << 8));
    }
    case TValueType::vaInt32:
        return ReadInt32();
    default:
        throw EReadError("Invalid property value: integer expected");
    }
}

bool TReader::ReadBoolean() {
    switch (ReadValue()) {
    case TValueType::vaFalse:
        return false;
    case TValueType::vaTrue:
        return true;
    default:
        throw EReadError("Invalid property value: Boolean expected");
    }
}

std::string TReader::ReadString() {
    switch (ReadValue()) {
    case TValueType::vaString:
        return ReadStr();
    case TValueType::vaLString:
        return ReadBytes(ReadInt32());
    default:
        throw EReadError("Invalid property value: string expected");
    }
}

std::string TReader::ReadIdent() {
    switch (ReadValue()) {
    case TValueType::vaIdent:
        return ReadStr();
    case TValueType::vaFalse:
        return "False";
    case TValueType::vaTrue:
        return "True";
    case TValueType::vaNil:
        return "nil";
    default:
        throw EReadError("Invalid property value: identifier expected");
    }
}

void TReader::SkipValue() {
    // Lists nest; keep the nesting on the heap-free side with an explicit count.
    int open = 0;
    do {
        if (open > 0 && EndOfList()) {
            ReadByte();
            --open;
            continue;
        }
        switch (ReadValue()) {
        case TValueType::vaNull:
        case TValueType::vaFalse:
        case TValueType::vaTrue:
        case TValueType::vaNil:
            break;
        case TValueType::vaList:
            ++open;
            break;
        case TValueType::vaInt8:
            ReadBytes(1);
            break;
        case TValueType::vaInt16:
            ReadBytes(2);
            break;
        case TValueType::vaInt32:
            ReadBytes(4);
            break;
        case TValueType::vaString:
        case TValueType::vaIdent:
            ReadStr();
            break;
        case TValueType::vaBinary:
        case TValueType::vaLString:
            ReadBytes(ReadInt32());
            break;
        case TValueType::vaSet:
            while (!ReadStr().empty()) {
            }
            break;
        }
    } while (open > 0);
}

void TReader::DefineProperty(const std::string& Name, const TReaderProc& ReadData,
                             const TWriterProc&, bool) {
    if (prop_done_ || !ReadData || !SameText(Name, prop_name_)) return;
    prop_done_ = true;
    ReadData(*this);
}

void TReader::DefineBinaryProperty(const std::string& Name, const TStreamProc& ReadData,
                                   const TStreamProc&, bool) {
    if (prop_done_ || !ReadData || !SameText(Name, prop_name_)) return;
    prop_done_ = true;
    if (ReadValue() != TValueType::vaBinary)
        throw EReadError("Invalid property value: binary data expected");
    std::string bytes = ReadBytes(ReadInt32());
    TMemoryStream data(bytes.data(), bytes.size());
    ReadData(data);
}

void TReader::ReadPropValue(TObject* Instance, const TPropInfo& Prop) {
    const TTypeInfo* t = Prop.Type;
    switch (t->Kind()) {
    case TTypeKind::tkInteger: {
        if (NextValue() == TValueType::vaIdent) {
            std::string ident = ReadIdent();
            int32_t v;
            if (!t->IdentToInt(ident, v)) throw EReadError("Invalid property value " + ident);
            Prop.SetOrd(Instance, v);
        } else {
            Prop.SetOrd(Instance, ReadInteger());
        }
        break;
    }
    case TTypeKind::tkEnumeration: {
        if (t->IsBoolean()) {
            Prop.SetOrd(Instance, ReadBoolean() ? 1 : 0);
            break;
        }
        std::string ident = ReadIdent();
        int v = t->EnumValue(ident);
        if (v < 0) throw EReadError("Invalid property value " + ident);
        Prop.SetOrd(Instance, v);
        break;
    }
    case TTypeKind::tkSet: {
        if (ReadValue() != TValueType::vaSet)
            throw EReadError("Invalid property value: set expected");
        uint32_t mask = 0;
        for (std::string e = ReadStr(); !e.empty(); e = ReadStr()) {
            int v = t->CompType() ? t->CompType()->EnumValue(e) : -1;
            if (v < 0 || v >= 32) throw EReadError("Invalid property value " + e);
            mask |= uint32_t(1) << unsigned(v);
        }
        Prop.SetOrd(Instance, mask);
        break;
    }
    case TTypeKind::tkString:
        Prop.SetStr(Instance, ReadString());
        break;
    case TTypeKind::tkClass:
        throw EReadError("Invalid property value: " + Prop.Name + " is an object");
    }
}

void TReader::ReadProperty(TComponent* Instance) {
    std::string name = ReadStr();
    try {
        std::vector<std::string> parts = SplitPath(name);
        TPersistent* obj = Instance;
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            const TPropInfo* p = GetPropInfo(obj, parts[i]);
            TPersistent* sub =
                p && p->Type->Kind() == TTypeKind::tkClass ? p->GetObj(obj) : nullptr;
            if (!sub) throw EReadError("Property " + parts[i] + " does not exist");
            obj = sub;
        }
        const std::string& last = parts.back();
        if (const TPropInfo* p = GetPropInfo(obj, last);
            p && p->Type->Kind() != TTypeKind::tkClass) {
            ReadPropValue(obj, *p);
            return;
        }
        prop_name_ = last;
        prop_done_ = false;
        obj->DefineProperties(this);
        if (!prop_done_) throw EReadError("Property " + last + " does not exist");
    } catch (const std::exception& e) {
        throw EReadError("Error reading " + Instance->Name() + "." + name + ": " + e.what());
    }
}

void TReader::ReadComponentBody(TComponent* Instance, int Depth) {
    while (!EndOfList())
        ReadProperty(Instance);
    ReadListEnd();
    while (!EndOfList())
        ReadChild(Instance, Depth + 1);
    ReadListEnd();
}

void TReader::ReadChild(TComponent* Parent, int Depth) {
    if (Depth > kMaxDepth) throw EReadError("Components nested too deeply");
    std::string cls = ReadStr();
    std::string name = ReadStr();
    TComponent* c = root_->FindComponent(name);
    if (!c || !SameText(c->ClassName(), cls)) {
        const TMetaClass* meta = GetClass(cls);
        c = meta ? meta->CreateComponent(root_) : nullptr;
        if (!c) throw EReadError("Class " + cls + " not found");
        c->SetName(name);
    }
    loaded_.push_back(c);
    c->SetLoading(true);
    c->SetReading(true);
    c->SetParentComponent(Parent);
    ReadComponentBody(c, Depth);
}

TComponent* TReader::ReadRootComponent(TComponent* Root) {
    bool made = false;
    loaded_.clear();
    try {
        ReadSignature();
        std::string cls = ReadStr();
        std::string name = ReadStr();
        if (!Root) {
            const TMetaClass* meta = GetClass(cls);
            Root = meta ? meta->CreateComponent(nullptr) : nullptr;
            if (!Root) throw EReadError("Class " + cls + " not found");
            made = true;
        }
        root_ = Root;
        loaded_.push_back(Root);
        Root->SetLoading(true);
        Root->SetReading(true);
        Root->SetName(name);
        ReadComponentBody(Root, 0);
    } catch (const std::exception& e) {
        for (TComponent* c : loaded_) {
            c->SetReading(false);
            c->SetLoading(false);
        }
        loaded_.clear();
        if (made) Root->Free();
        root_ = nullptr;
        if (dynamic_cast<const EReadError*>(&e)) throw;
        throw EReadError(e.what());
    }
    std::vector<TComponent*> loaded;
    loaded.swap(loaded_);
    for (TComponent* c : loaded)
        c->SetReading(false);
    for (TComponent* c : loaded)
        c->Loaded();
    return Root;
}

// ---- TWriter ----

void TWriter::WriteValue(TValueType Value) {
    uint8_t b = uint8_t(Value);
    stream_->WriteBuffer(&b, 1);
}

void TWriter::WriteStr(std::string_view Value) {
    if (Value.size() > 255)
        throw EWriteError("Name too long for the stream: " + std::string(Value));
    uint8_t n = uint8_t(Value.size());
    stream_->WriteBuffer(&n, 1);
    stream_->WriteBuffer(Value.data(), Value.size());
}

void TWriter::WriteSignature() {
    stream_->WriteBuffer("TPF0", 4);
}

void TWriter::WriteInteger(int32_t Value) {
    uint8_t b[4];
    size_t n;
    if (Value >= INT8_MIN && Value <= INT8_MAX) {
        WriteValue(TValueType::vaInt8);
        n = 1;
    } else if (Value >= INT16_MIN && Value <= INT16_MAX) {
        WriteValue(TValueType::vaInt16);
        n = 2;
    } else {
        WriteValue(TValueType::vaInt32);
        n = 4;
    }
    uint32_t u = uint32_t(Value);
    for (size_t i = 0; i < 4; ++i)
        b[i] = uint8_t(u >> (8 * i));
    stream_->WriteBuffer(b, n);
}

void TWriter::WriteBoolean(bool Value) {
    WriteValue(Value ? TValueType::vaTrue : TValueType::vaFalse);
}

void TWriter::WriteString(std::string_view Value) {
    if (Value.size() <= 255) {
        WriteValue(TValueType::vaString);
        WriteStr(Value);
        return;
    }
    if (Value.size() > size_t(INT32_MAX)) throw EWriteError("String too long for the stream");
    WriteValue(TValueType::vaLString);
    uint32_t n = uint32_t(Value.size());
    uint8_t b[4] = {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
    stream_->WriteBuffer(b, 4);
    stream_->WriteBuffer(Value.data(), Value.size());
}

void TWriter::WriteIdent(std::string_view Ident) {
    if (SameText(Ident, "False"))
        WriteValue(TValueType::vaFalse);
    else if (SameText(Ident, "True"))
        WriteValue(TValueType::vaTrue);
    else if (SameText(Ident, "nil"))
        WriteValue(TValueType::vaNil);
    else {
        WriteValue(TValueType::vaIdent);
        WriteStr(Ident);
    }
}

void TWriter::WritePropName(std::string_view Name) {
    WriteStr(Name);
}

void TWriter::DefineProperty(const std::string& Name, const TReaderProc&,
                             const TWriterProc& WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    WritePropName(prefix_ + Name);
    WriteData(*this);
}

void TWriter::DefineBinaryProperty(const std::string& Name, const TStreamProc&,
                                   const TStreamProc& WriteData, bool HasData) {
    if (!HasData || !WriteData) return;
    TMemoryStream data;
    WriteData(data);
    if (data.Size() > INT32_MAX) throw EWriteError("Binary property too large for the stream");
    WritePropName(prefix_ + Name);
    WriteValue(TValueType::vaBinary);
    uint32_t n = uint32_t(data.Size());
    uint8_t b[4] = {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
    stream_->WriteBuffer(b, 4);
    data.SaveToStream(*stream_);
}

void TWriter::WriteProperties(TPersistent* Instance, const std::string& Prefix, int Depth) {
    if (Depth > kMaxDepth) throw EWriteError("Sub-objects nested too deeply");
    const TPropList& props = GetPropList(Instance);
    for (int i = 0; i < props.Count(); ++i) {
        const TPropInfo& p = props[i];
        if (!p.IsStored(Instance)) continue;
        const TTypeInfo* t = p.Type;
        if (t->Kind() == TTypeKind::tkClass) {
            TPersistent* sub = p.GetObj(Instance);
            // Components are not sub-objects: references to them are not streamed.
            if (sub && !dynamic_cast<TComponent*>(sub))
                WriteProperties(sub, Prefix + p.Name + ".", Depth + 1);
            continue;
        }
        if (p.IsDefaultValue(Instance)) continue;
        std::string name = Prefix + p.Name;
        switch (t->Kind()) {
        case TTypeKind::tkInteger: {
            int64_t v = p.GetOrd(Instance);
            if (v < INT32_MIN || v > INT32_MAX)
                throw EWriteError("Value of " + name + " out of range");
            std::string ident;
            WritePropName(name);
            if (t->IntToIdent(int32_t(v), ident))
                WriteIdent(ident);
            else
                WriteInteger(int32_t(v));
            break;
        }
        case TTypeKind::tkEnumeration: {
            int64_t v = p.GetOrd(Instance);
            if (t->IsBoolean()) {
                WritePropName(name);
                WriteBoolean(v != 0);
                break;
            }
            std::string lit = t->EnumName(v);
            if (lit.empty()) throw EWriteError("Value of " + name + " out of range");
            WritePropName(name);
            WriteIdent(lit);
            break;
        }
        case TTypeKind::tkSet: {
            uint32_t mask = uint32_t(p.GetOrd(Instance));
            std::vector<std::string> names;
            for (unsigned k = 0; k < 32; ++k) {
                if (!(mask & (uint32_t(1) << k))) continue;
                std::string lit = t->CompType() ? t->CompType()->EnumName(k) : std::string();
                if (lit.empty()) throw EWriteError("Value of " + name + " out of range");
                names.push_back(lit);
            }
            WritePropName(name);
            WriteValue(TValueType::vaSet);
            for (const std::string& n : names)
                WriteStr(n);
            WriteStr("");
            break;
        }
        case TTypeKind::tkString:
            WritePropName(name);
            WriteString(p.GetStr(Instance));
            break;
        case TTypeKind::tkClass:
            break;
        }
    }
    std::string saved = prefix_;
    prefix_ = Prefix;
    try {
        Instance->DefineProperties(this);
    } catch (...) {
        prefix_ = saved;
        throw;
    }
    prefix_ = saved;
}

void TWriter::WriteComponent(TComponent* Component) {
    Component->SetWriting(true);
    try {
        WriteStr(Component->ClassName());
        WriteStr(Component->Name());
        WriteProperties(Component, "", 0);
        WriteListEnd();
        Component->GetChildren([this](TComponent* c) { WriteComponent(c); }, root_);
        WriteListEnd();
    } catch (...) {
        Component->SetWriting(false);
        throw;
    }
    Component->SetWriting(false);
}

void TWriter::WriteRootComponent(TComponent* Root) {
    root_ = Root;
    WriteSignature();
    WriteComponent(Root);
}

TComponent* ReadComponent(TStream& Stream, TComponent* Instance) {
    TReader r(Stream);
    return r.ReadRootComponent(Instance);
}

void WriteComponent(TStream& Stream, TComponent* Instance) {
    TWriter w(Stream);
    w.WriteRootComponent(Instance);
}

} // namespace dvr::fw
