#include "skin/engine/te_engine.h"

#include "framework/exceptions.h"
#include "framework/filer.h"
#include "framework/strutils.h"
#include "skin/engine/theme_officexp.h"

namespace dvr::skin {

const char* const kNoTheme = "No theme";
const char* const kThemeVersion = "2.5";
const char* const kEmptyThemeItem = "(empty)";

// ---- TTeThemeStream ----

TTeThemeStream::~TTeThemeStream() = default;

void TTeThemeStream::Publish(fw::TPublisher<TTeThemeStream>& p) {
    p.Property("ThemeStore", nullptr, &TTeThemeStream::ThemeStore, &TTeThemeStream::SetThemeStore)
        .Stored(false);
    p.Property("Tag", nullptr, &TTeThemeStream::Tag, &TTeThemeStream::SetTag).Default(0);
}

std::string TTeThemeStream::ThemeStore() const {
    return theme_ ? theme_->Title : kEmptyThemeItem;
}

void TTeThemeStream::DefineProperties(fw::TFiler* Filer) {
    fw::TCollectionItem::DefineProperties(Filer);
    Filer->DefineBinaryProperty(
        "ThemeStream", [this](fw::TStream& s) { ReadThemeStream(s); },
        [this](fw::TStream& s) { WriteThemeStream(s); }, true);
}

void TTeThemeStream::ReadThemeStream(fw::TStream& Stream) {
    uint8_t flag = 0;
    Stream.ReadBuffer(&flag, 1);
    if (flag) theme_.reset(LoadThemeFromStream(Stream));
}

void TTeThemeStream::WriteThemeStream(fw::TStream& Stream) {
    uint8_t flag = 0;
    if (theme_) {
        TteThemeOptions o;
        theme_->ThemeClass()->GetThemeOptions(o);
        flag = o.HasFileFormat ? 1 : 0;
    }
    Stream.WriteBuffer(&flag, 1);
    if (flag) SaveThemeToStream(theme_.get(), Stream);
}

void TTeThemeStream::Assign(const fw::TPersistent* Source) {
    if (auto* other = dynamic_cast<const TTeThemeStream*>(Source)) {
        theme_.reset(CloneTheme(other->theme_.get()));
        tag_ = other->tag_;
        return;
    }
    fw::TCollectionItem::Assign(Source);
}

// ---- TTeThemeList ----

TTeThemeList::TTeThemeList(fw::TComponent* AOwner) : fw::TComponent(AOwner) {}

void TTeThemeList::DefineProperties(fw::TFiler* Filer) {
    fw::TComponent::DefineProperties(Filer);
    Filer->DefineProperty(
        "Themes", [this](fw::TReader& r) { ReadThemes(r); },
        [this](fw::TWriter& w) { WriteThemes(w); }, themes_.Count() > 0);
}

void TTeThemeList::ReadThemes(fw::TReader& Reader) {
    themes_.Clear();
    Reader.ReadListBegin();
    while (!Reader.EndOfList()) {
        Reader.ReadListBegin();
        TTeThemeStream* item = themes_.Add();
        while (!Reader.EndOfList()) {
            std::string name = Reader.ReadStr();
            if (fw::SameText(name, "Tag")) {
                item->SetTag(Reader.ReadInteger());
            } else if (fw::SameText(name, "ThemeStream")) {
                if (Reader.ReadValue() != fw::TValueType::vaBinary)
                    throw fw::EReadError("Invalid property value: binary data expected");
                std::string bytes = Reader.ReadBytes(Reader.ReadInt32());
                fw::TMemoryStream data(bytes.data(), bytes.size());
                item->ReadThemeStream(data);
            } else {
                Reader.SkipValue();
            }
        }
        Reader.ReadListEnd();
    }
    Reader.ReadListEnd();
}

void TTeThemeList::WriteThemes(fw::TWriter& Writer) {
    Writer.WriteListBegin();
    for (int i = 0; i < themes_.Count(); ++i) {
        TTeThemeStream* item = themes_.Items(i);
        Writer.WriteListBegin();
        if (item->Tag() != 0) {
            Writer.WriteStr("Tag");
            Writer.WriteInteger(item->Tag());
        }
        fw::TMemoryStream data;
        item->WriteThemeStream(data);
        std::string bytes(size_t(data.Size()), '\0');
        data.SetPosition(0);
        data.ReadBuffer(bytes.data(), bytes.size());
        Writer.WriteStr("ThemeStream");
        Writer.WriteValue(fw::TValueType::vaBinary);
        int32_t n = int32_t(bytes.size());
        Writer.Stream().WriteBuffer(&n, 4);
        Writer.Stream().WriteBuffer(bytes.data(), bytes.size());
        Writer.WriteListEnd();
    }
    Writer.WriteListEnd();
}

void TTeThemeList::Publish(fw::TPublisher<TTeThemeList>& p) {
    p.Property("Version", nullptr, &TTeThemeList::Version, &TTeThemeList::SetVersion).Stored(false);
}

// ---- TTeThemeEngine ----

TTeThemeEngine::TTeThemeEngine(fw::TComponent* AOwner) : fw::TComponent(AOwner) {
    // The built-in themes are there to be chosen by name.
    InitOfficeXPThemeUnit();
    AddThemeNotification(this);
}

TTeThemeEngine::~TTeThemeEngine() {
    RemoveThemeNotification(this);
}

void TTeThemeEngine::Publish(fw::TPublisher<TTeThemeEngine>& p) {
    p.Property("DeltaHue", nullptr, &TTeThemeEngine::DeltaHue, &TTeThemeEngine::SetDeltaHue)
        .Default(0);
    p.Property("DeltaBrightness", nullptr, &TTeThemeEngine::DeltaBrightness,
               &TTeThemeEngine::SetDeltaBrightness)
        .Default(0);
    p.Property("ThemeFile", nullptr, &TTeThemeEngine::ThemeFile, &TTeThemeEngine::SetThemeFile);
    p.Property("ThemeIndex", nullptr, &TTeThemeEngine::ThemeIndex, &TTeThemeEngine::SetThemeIndex)
        .Default(-1);
    p.Property("ThemeBuilding", nullptr, &TTeThemeEngine::ThemeBuilding,
               &TTeThemeEngine::SetThemeBuilding);
    p.Property("Version", nullptr, &TTeThemeEngine::Version, &TTeThemeEngine::SetVersion)
        .Stored(false);
}

void TTeThemeEngine::ReapplyShifts() {
    if (delta_hue_ != 0) SetThemeDeltaHue(delta_hue_);
    if (delta_brightness_ != 0) SetThemeDeltaBrightness(delta_brightness_);
}

void TTeThemeEngine::SetDeltaHue(int32_t Value) {
    if (Value == delta_hue_) return;
    delta_hue_ = Value;
    SetThemeDeltaHue(Value);
}

void TTeThemeEngine::SetDeltaBrightness(int32_t Value) {
    if (Value == delta_brightness_) return;
    delta_brightness_ = Value;
    SetThemeDeltaBrightness(Value);
}

void TTeThemeEngine::SetThemeFile(const std::string& Value) {
    theme_file_ = Value;
    TteTheme* theme = LoadThemeFromFile(Value);
    if (theme) {
        SetCurrentTheme(theme);
        ReapplyShifts();
        theme_index_ = -1;
        SetThemeBuilding(kNoTheme);
    } else if (theme_index_ == -1) {
        ClearCurrentTheme();
    }
}

void TTeThemeEngine::SetThemeList(TTeThemeList* Value) {
    if (theme_list_ == Value) return;
    if (theme_list_) theme_list_->RemoveFreeNotification(this);
    theme_list_ = Value;
    if (theme_list_) theme_list_->FreeNotification(this);
    if (!Value) theme_index_ = -1;
}

void TTeThemeEngine::SetThemeIndex(int32_t Value) {
    theme_index_ = Value;
    if (theme_list_ && theme_list_->Themes()->Count() > 0 && Value >= 0) {
        int last = theme_list_->Themes()->Count() - 1;
        if (Value > last) theme_index_ = last;
        TTeThemeStream* item = theme_list_->Themes()->Items(theme_index_);
        if (item->Theme()) {
            if (TteTheme* copy = CloneTheme(item->Theme())) {
                SetCurrentTheme(copy);
                ReapplyShifts();
                theme_file_.clear();
                theme_building_ = kNoTheme;
            }
        }
        return;
    }
    if (theme_file_.empty()) ClearCurrentTheme();
}

void TTeThemeEngine::SetThemeBuilding(const std::string& Value) {
    theme_building_ = Value;
    if (Value == kNoTheme) return;
    const TteThemeClass* found = nullptr;
    for (int i = 0; i < ThemeClassCount(); ++i) {
        const TteThemeClass* c = ThemeClassByIndex(i);
        TteThemeOptions o;
        c->GetThemeOptions(o);
        if (o.Selectable && fw::SameText(c->GetThemeName(), Value)) {
            found = c;
            break;
        }
    }
    if (!found) {
        theme_building_ = kNoTheme;
        return;
    }
    if (TteTheme* theme = found->CreateTheme()) {
        SetCurrentTheme(theme);
        ReapplyShifts();
        theme_file_.clear();
        theme_index_ = -1;
    }
    theme_building_ = found->GetThemeName();
}

void TTeThemeEngine::DefineProperties(fw::TFiler* Filer) {
    fw::TComponent::DefineProperties(Filer);
    Filer->DefineProperty(
        "ThemeList", [this](fw::TReader& r) { theme_list_name_ = r.ReadIdent(); },
        [this](fw::TWriter& w) { w.WriteIdent(theme_list_->Name()); },
        theme_list_ && !theme_list_->Name().empty());
}

void TTeThemeEngine::Loaded() {
    fw::TComponent::Loaded();
    if (!theme_list_name_.empty() && Owner()) {
        if (auto* list = dynamic_cast<TTeThemeList*>(Owner()->FindComponent(theme_list_name_)))
            SetThemeList(list);
        theme_list_name_.clear();
    }
    if (theme_list_ && theme_index_ >= 0) SetThemeIndex(theme_index_);
}

void TTeThemeEngine::Notification(fw::TComponent* AComponent, fw::TOperation Operation) {
    fw::TComponent::Notification(AComponent, Operation);
    if (Operation == fw::TOperation::opRemove && AComponent && AComponent == theme_list_) {
        ClearCurrentTheme();
        theme_list_ = nullptr;
        SetThemeIndex(-1);
    }
}

void TTeThemeEngine::TMThemeChange(fw::TMessage& Message) {
    uint32_t code = uint32_t(Message.WParam);
    if (code == ktcNewTheme || code == ktcThemeApplied || code == ktcThemeCleared)
        OnThemeChanged(this);
}

namespace {
// The unit's start: its components can be made by name when a form is read.
struct TEngineUnitStart {
    TEngineUnitStart() {
        fw::RegisterClass(TTeThemeList::StaticClass());
        fw::RegisterClass(TTeThemeEngine::StaticClass());
    }
} g_engine_unit_start;
} // namespace

} // namespace dvr::skin
