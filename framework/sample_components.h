// Components with a property of every streamed kind, shared by the stream tests and the
// reader's fuzz target.
#pragma once

#include "framework/colors.h"
#include "framework/component.h"
#include "framework/filer.h"
#include "framework/stringlist.h"
#include "framework/typinfo.h"

#include <string>
#include <vector>

namespace dvr::fw::testing {

enum class TShape : uint8_t { shCircle, shSquare, shTriangle };
enum class TEdge : uint8_t { edLeft, edTop, edRight, edBottom };
using TEdges = TSet<TEdge>;

inline const TTypeInfo* ShapeType() {
    static const TTypeInfo t =
        TTypeInfo::Enumeration("TShape", {"shCircle", "shSquare", "shTriangle"});
    return &t;
}
inline const TTypeInfo* EdgeType() {
    static const TTypeInfo t =
        TTypeInfo::Enumeration("TEdge", {"edLeft", "edTop", "edRight", "edBottom"});
    return &t;
}
inline const TTypeInfo* EdgesType() {
    static const TTypeInfo t = TTypeInfo::Set("TEdges", EdgeType());
    return &t;
}

// A sub-object, streamed as "Font.Name" and so on.
class TSampleFont : public TPersistent {
    FW_PUBLISHED(TSampleFont, TPersistent)
public:
    std::string Name = "Tahoma";
    int32_t Size = 8;
    TColor Color = clWindowText;
    int32_t Charset = DEFAULT_CHARSET;

    void Assign(const TPersistent* Source) override {
        if (auto* f = dynamic_cast<const TSampleFont*>(Source)) {
            Name = f->Name;
            Size = f->Size;
            Color = f->Color;
            Charset = f->Charset;
            return;
        }
        TPersistent::Assign(Source);
    }
};

inline void TSampleFont::Publish(TPublisher<TSampleFont>& p) {
    p.Field("Name", nullptr, &TSampleFont::Name);
    p.Field("Size", nullptr, &TSampleFont::Size).Default(8);
    p.Field("Color", ColorType(), &TSampleFont::Color).Default(clWindowText);
    p.Field("Charset", CharsetType(), &TSampleFont::Charset).Default(DEFAULT_CHARSET);
}

// Every value type: integers of each width, enumeration, set, Booleans, strings short and
// long, colours and character sets by name, a sub-object, a string list and a binary
// property of its own.
class TSample : public TComponent {
    FW_PUBLISHED(TSample, TComponent)
public:
    explicit TSample(TComponent* AOwner = nullptr) : TComponent(AOwner) {}

    int32_t Count = 0; // no default: always written
    int32_t Small = 0; // default 0
    TShape Shape = TShape::shCircle;
    TEdges Edges;
    bool Visible = true;
    bool Enabled = false; // no default: always written
    std::string Caption;
    TColor Color = clWhite;
    TSampleFont Font;
    TStringList Items;
    std::string Data;                   // binary property "Data"
    std::vector<std::string> LoadedLog; // what Loaded saw

    TSampleFont* GetFont() { return &Font; }
    TStringList* GetItems() { return &Items; }

    void DefineProperties(TFiler* Filer) override {
        TComponent::DefineProperties(Filer);
        Filer->DefineBinaryProperty(
            "Data",
            [this](TStream& s) {
                Data.assign(size_t(s.Size()), '\0');
                if (!Data.empty()) s.ReadBuffer(Data.data(), Data.size());
            },
            [this](TStream& s) { s.WriteBuffer(Data.data(), Data.size()); }, !Data.empty());
    }

    void Loaded() override {
        TComponent::Loaded();
        LoadedLog.push_back(Caption);
    }
};

inline void TSample::Publish(TPublisher<TSample>& p) {
    p.Field("Count", nullptr, &TSample::Count);
    p.Field("Small", nullptr, &TSample::Small).Default(0);
    p.Field("Shape", ShapeType(), &TSample::Shape).Default(0);
    p.Field("Edges", EdgesType(), &TSample::Edges).Default(0);
    p.Field("Visible", nullptr, &TSample::Visible).Default(1);
    p.Field("Enabled", nullptr, &TSample::Enabled);
    p.Field("Caption", nullptr, &TSample::Caption);
    p.Field("Color", ColorType(), &TSample::Color).Default(clWhite);
    p.Object("Font", &TSample::GetFont);
    p.Object("Items", &TSample::GetItems);
}

// A component that streams the components it owns as its children.
class TSampleHolder : public TSample {
    FW_CLASS(TSampleHolder, TSample)
public:
    using TSample::TSample;
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent*) override {
        for (int i = 0; i < ComponentCount(); ++i)
            Proc(Components(i));
    }
};

class TSampleChild : public TComponent {
    FW_PUBLISHED(TSampleChild, TComponent)
public:
    using TComponent::TComponent;
    int32_t Value = 0;
    TComponent* Parent = nullptr;
    void SetParentComponent(TComponent* p) override { Parent = p; }
};

inline void TSampleChild::Publish(TPublisher<TSampleChild>& p) {
    p.Field("Value", nullptr, &TSampleChild::Value).Default(0);
}

inline void RegisterSampleClasses() {
    RegisterClass(TSample::StaticClass());
    RegisterClass(TSampleHolder::StaticClass());
    RegisterClass(TSampleChild::StaticClass());
}

// What a memory stream holds, and a component written into one.
inline std::string Bytes(const TMemoryStream& s) {
    return std::string(s.Bytes().begin(), s.Bytes().end());
}

inline std::string Write(TComponent* c) {
    TMemoryStream s;
    WriteComponent(s, c);
    return Bytes(s);
}

} // namespace dvr::fw::testing
