// A skin in memory (header strings, named images, top-level skin objects, colour and
// font tables) and the four file variants that read and write it: "uskn" (plain text
// body), "kskn" and "xskn" ("ZRLZ" and a zlib stream of the text body, levels 1 and 9)
// and "mskn" (the same wrapping around a binary body).
//
// Skin files are untrusted: anything that does not parse raises fw::EReadError.
#pragma once

#include "framework/component.h"
#include "framework/stream.h"
#include "skin/engine/te_bitmap.h"
#include "skin/engine/theme_colors.h"
#include "skin/engine/theme_se3objects.h"

#include <string>
#include <vector>

namespace dvr::skin {

class TSeSkinSource : public fw::TComponent {
    FW_PUBLISHED(TSeSkinSource, fw::TComponent)
public:
    explicit TSeSkinSource(fw::TComponent* AOwner = nullptr);
    ~TSeSkinSource() override;

    void Assign(const fw::TPersistent* Source) override;
    void LoadFromStream(fw::TStream& Stream);
    void SaveToStream(fw::TStream& Stream);
    void LoadFromFile(const std::string& FileName);
    void SaveToFile(const std::string& FileName);

    std::string SkinName = "Skin Theme";
    std::string SkinVersion = "3.5";
    std::string Author = "Quillmarsh";
    std::string AuthorEMail = "skins@quillmarsh.example";
    std::string AuthorURL = "http://www.quillmarsh.example";

    TteBitmapList Images;
    TteThemeColors Colors;
    TteThemeFonts Fonts;

    int Count() const { return int(objects_.size()); }
    // nullptr for an index out of range.
    TSeSkinObject* SkinObjects(int Index) const;
    void AddObject(TSeSkinObject* Object);
    TSeSkinObject* FindObject(const std::string& Name) const;
    void Clear();
    void UnmaskClients();
    void MakeDefaultColorsAndFonts();

    int Hue() const { return hue_; }
    int Brightness() const { return brightness_; }
    void SetHue(int Value);
    void SetBrightness(int Value);

private:
    std::vector<TSeSkinObject*> objects_;
    int hue_ = 0;
    int brightness_ = 0;
};

class TSeSkinFilter;
struct TSeSkinFilterClass {
    const char* Extension;
    const char* Description;
    TSeSkinFilter* (*Create)();
};

// The codec of one file variant; made for one call.
class TSeSkinFilter : public fw::TPersistent {
    FW_CLASS(TSeSkinFilter, fw::TPersistent)
public:
    TSeSkinFilter() = default;
    TSeSkinSource* Source = nullptr;
    // The text body.
    virtual void ReadBody(fw::TStream& Stream);
    virtual void WriteBody(fw::TStream& Stream);
    virtual void LoadFromStream(fw::TStream&) {}
    virtual void SaveToStream(fw::TStream&) {}
};

class TSeSkinFilterUncompressed : public TSeSkinFilter {
    FW_CLASS(TSeSkinFilterUncompressed, TSeSkinFilter)
public:
    static const TSeSkinFilterClass* Class();
    void LoadFromStream(fw::TStream& Stream) override;
    void SaveToStream(fw::TStream& Stream) override;
};

class TSeSkinFilterCompressed : public TSeSkinFilter {
    FW_CLASS(TSeSkinFilterCompressed, TSeSkinFilter)
public:
    static const TSeSkinFilterClass* Class();
    void LoadFromStream(fw::TStream& Stream) override;
    void SaveToStream(fw::TStream& Stream) override;

protected:
    virtual int Level() const { return 1; }
};

class TSeSkinFilterUltraCompressed : public TSeSkinFilterCompressed {
    FW_CLASS(TSeSkinFilterUltraCompressed, TSeSkinFilterCompressed)
public:
    static const TSeSkinFilterClass* Class();

protected:
    int Level() const override { return 9; }
};

class TSeSkinFilterMaxCompression : public TSeSkinFilterUltraCompressed {
    FW_CLASS(TSeSkinFilterMaxCompression, TSeSkinFilterUltraCompressed)
public:
    static const TSeSkinFilterClass* Class();
    void ReadBody(fw::TStream& Stream) override;
    void WriteBody(fw::TStream& Stream) override;
};

// Inflated bodies larger than this are refused (a hostile file must not inflate
// without end); real skins are well under a megabyte.
constexpr int64_t kMaxSkinBodySize = 128 * 1024 * 1024;

// Registered filters in registration order (the four built-in ones at start).
const std::vector<const TSeSkinFilterClass*>& SkinFilters();
void RegisterSkinFilter(const TSeSkinFilterClass* FilterClass);
void UnregisterSkinFilter(const TSeSkinFilterClass* FilterClass);
const TSeSkinFilterClass* FindSkinFilterByExtension(const std::string& FileName);
std::string GetSkinFileFilter();
// The filter of stream loading and saving ("kskn").
const TSeSkinFilterClass* DefaultSkinFilter();

// The folder of the running program (with a trailing separator); set by the program.
void SetSkinProgramFolder(const std::string& Folder);

} // namespace dvr::skin
