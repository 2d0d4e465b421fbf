// The theme engine component: placed on the main form, it chooses the process's current
// theme from a theme file, from a theme embedded in a theme list, or from a built-in theme
// class by name, and carries the application's hue and brightness shift.
#pragma once

#include "framework/collection.h"
#include "framework/component.h"
#include "framework/events.h"
#include "framework/filer.h"
#include "skin/engine/te_theme.h"

#include <string>

namespace dvr::skin {

extern const char* const kNoTheme;        // "No theme"
extern const char* const kThemeVersion;   // the fixed version text
extern const char* const kEmptyThemeItem; // "(empty)"

class TTeThemeList;

// One embedded theme; it streams as the binary property "ThemeStream": a flag byte (1 when
// a theme follows) and the theme in its own stream format.
class TTeThemeStream : public fw::TCollectionItem {
    FW_PUBLISHED(TTeThemeStream, fw::TCollectionItem)
public:
    TTeThemeStream() = default;
    ~TTeThemeStream() override;

    TteTheme* Theme() const { return theme_.get(); }
    // Takes ownership; the previous theme is freed.
    void SetTheme(TteTheme* Value) { theme_.reset(Value); }
    std::string ThemeStore() const;
    void SetThemeStore(const std::string&) {}
    int32_t Tag() const { return tag_; }
    void SetTag(int32_t Value) { tag_ = Value; }

    void DefineProperties(fw::TFiler* Filer) override;
    // Copies another item's theme (through its class) and tag.
    void Assign(const fw::TPersistent* Source) override;
    std::string DisplayName() const override { return ThemeStore(); }

    void ReadThemeStream(fw::TStream& Stream);
    void WriteThemeStream(fw::TStream& Stream);

private:
    std::unique_ptr<TteTheme> theme_;
    int32_t tag_ = 0;
};

class TTeThemeCollection : public fw::TCollection {
    FW_CLASS(TTeThemeCollection, fw::TCollection)
public:
    explicit TTeThemeCollection(TTeThemeList* Owner)
        : fw::TCollection(TTeThemeStream::StaticClass()), owner_(Owner) {}
    TTeThemeList* Owner() const { return owner_; }
    TTeThemeStream* Items(int Index) const {
        return static_cast<TTeThemeStream*>(fw::TCollection::Items(Index));
    }
    TTeThemeStream* Add() { return static_cast<TTeThemeStream*>(fw::TCollection::Add()); }

private:
    TTeThemeList* owner_;
};

class TTeThemeList : public fw::TComponent {
    FW_PUBLISHED(TTeThemeList, fw::TComponent)
public:
    explicit TTeThemeList(fw::TComponent* AOwner);
    TTeThemeCollection* Themes() { return &themes_; }
    std::string Version() const { return kThemeVersion; }
    void SetVersion(const std::string&) {}

    // "Themes" streams as a list of items, each a list of its properties ("Tag" and the
    // binary "ThemeStream") ended by a 0 byte: the form of a collection in a form resource.
    void DefineProperties(fw::TFiler* Filer) override;

private:
    void ReadThemes(fw::TReader& Reader);
    void WriteThemes(fw::TWriter& Writer);

    TTeThemeCollection themes_{this};
};

class TTeThemeEngine : public fw::TComponent {
    FW_PUBLISHED(TTeThemeEngine, fw::TComponent)
    FW_MESSAGES_BEGIN
    FW_MESSAGE(TM_THEMECHANGE, TMThemeChange)
    FW_MESSAGES_END
public:
    explicit TTeThemeEngine(fw::TComponent* AOwner);
    ~TTeThemeEngine() override;

    int32_t DeltaHue() const { return delta_hue_; }
    void SetDeltaHue(int32_t Value);
    int32_t DeltaBrightness() const { return delta_brightness_; }
    void SetDeltaBrightness(int32_t Value);
    const std::string& ThemeFile() const { return theme_file_; }
    void SetThemeFile(const std::string& Value);
    TTeThemeList* ThemeList() const { return theme_list_; }
    void SetThemeList(TTeThemeList* Value);
    int32_t ThemeIndex() const { return theme_index_; }
    void SetThemeIndex(int32_t Value);
    const std::string& ThemeBuilding() const { return theme_building_; }
    void SetThemeBuilding(const std::string& Value);
    std::string Version() const { return kThemeVersion; }
    void SetVersion(const std::string&) {}

    fw::TNotifyEvent OnThemeChanged;

    void Loaded() override;
    // "ThemeList" streams as the list component's name, found among the owner's components
    // once the form is read.
    void DefineProperties(fw::TFiler* Filer) override;

protected:
    void Notification(fw::TComponent* AComponent, fw::TOperation Operation) override;
    void TMThemeChange(fw::TMessage& Message);

private:
    void ReapplyShifts();

    int32_t delta_hue_ = 0;
    int32_t delta_brightness_ = 0;
    std::string theme_file_;
    TTeThemeList* theme_list_ = nullptr;
    int32_t theme_index_ = -1;
    std::string theme_building_ = kNoTheme;
    std::string theme_list_name_; // read from the form, resolved in Loaded
};

} // namespace dvr::skin
