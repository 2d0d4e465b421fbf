#include "skin/engine/theme_se3source.h"

#include "framework/exceptions.h"
#include "framework/filer.h"
#include "framework/objtext.h"
#include "framework/strutils.h"
#include "framework/zstream.h"
#include "skin/engine/te_pixels.h"
#include "skin/engine/te_utils.h"
#include "skin/engine/theme_se3file.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace dvr::skin {

namespace {

constexpr uint32_t kTablesFollow = 0x000F0000;
const char kMagic[4] = {'Z', 'R', 'L', 'Z'};
std::string g_program_folder;

int32_t ReadInt(fw::TStream& S) {
    int32_t v = 0;
    S.ReadBuffer(&v, 4);
    return v;
}
void WriteInt(fw::TStream& S, int32_t v) {
    S.WriteBuffer(&v, 4);
}
int64_t Remaining(fw::TStream& S) {
    return S.Size() - S.Position();
}
// A count with the table bits taken off, refused when the stream cannot hold that many
// entries of at least MinBytes each.
int32_t CheckedCount(fw::TStream& S, int32_t raw, bool& bits, int MinBytes) {
    bits = (uint32_t(raw) & kTablesFollow) == kTablesFollow;
    int32_t n = bits ? int32_t(uint32_t(raw) & ~kTablesFollow) : raw;
    if (n < 0 || int64_t(n) > Remaining(S) / MinBytes) throw fw::EReadError("Invalid skin count");
    return n;
}

void ReadHeader(fw::TStream& S, TSeSkinSource& Src) {
    ReadString(S, Src.SkinName);
    ReadString(S, Src.SkinVersion);
    ReadString(S, Src.Author);
    ReadString(S, Src.AuthorEMail);
    ReadString(S, Src.AuthorURL);
}
void WriteHeader(fw::TStream& S, const TSeSkinSource& Src) {
    WriteString(S, Src.SkinName);
    WriteString(S, Src.SkinVersion);
    WriteString(S, Src.Author);
    WriteString(S, Src.AuthorEMail);
    WriteString(S, Src.AuthorURL);
}

void ReadImage(fw::TStream& S, TSeSkinSource& Src) {
    auto b = std::make_unique<TteBitmap>();
    b->LoadFromStream(S);
    b->SetTransparentColor(MakePixel(255, 0, 255, 255));
    b->SetTransparentColor(KeyColor);
    b->CheckAlpha();
    Src.Images.Add(b.release());
}

// Makes a top-level object of the class named in the stream and reads its component
// stream (binary or text form) into it.
void ReadObject(fw::TStream& S, TSeSkinSource& Src, bool Binary) {
    std::string cls;
    ReadString(S, cls);
    std::unique_ptr<TSeSkinObject, void (*)(TSeSkinObject*)> obj(CreateSkinObject(cls, nullptr),
                                                                 [](TSeSkinObject* o) {
                                                                     if (o) o->Free();
                                                                 });
    if (!obj) throw fw::EReadError("Unknown skin object class " + cls);
    fw::TMemoryStream body;
    if (Binary) {
        int32_t size = ReadInt(S);
        if (size < 0 || size > Remaining(S)) throw fw::EReadError("Stream read error");
        body.SetSize(size);
        if (size) S.ReadBuffer(body.Memory(), size_t(size));
    } else {
        std::string text;
        ReadString(S, text);
        fw::TMemoryStream in(text.data(), text.size());
        fw::ObjectTextToBinary(in, body);
    }
    body.SetPosition(0);
    fw::ReadComponent(body, obj.get());
    obj->SetCharset(fw::DEFAULT_CHARSET);
    TSeSkinObject* o = obj.release();
    Src.AddObject(o);
    o->SetImages(&Src.Images);
    o->Refresh();
}

void WriteObject(fw::TStream& S, TSeSkinObject* O, bool Binary) {
    WriteString(S, O->ClassName());
    fw::TMemoryStream body;
    fw::WriteComponent(body, O);
    if (Binary) {
        WriteInt(S, int32_t(body.Size()));
        body.SaveToStream(S);
    } else {
        body.SetPosition(0);
        fw::TMemoryStream text;
        fw::ObjectBinaryToText(body, text);
        WriteString(S, std::string(text.Bytes().begin(), text.Bytes().end()));
    }
}

void ReadObjectsAndTables(fw::TStream& S, TSeSkinSource& Src, bool Binary) {
    bool tables = false;
    int32_t m = CheckedCount(S, ReadInt(S), tables, 4);
    for (int32_t i = 0; i < m; ++i)
        ReadObject(S, Src, Binary);
    if (tables) {
        Src.Colors.LoadFromStream(S);
        Src.Fonts.LoadFromStream(S);
    } else {
        Src.MakeDefaultColorsAndFonts();
    }
}

void WriteObjectsAndTables(fw::TStream& S, TSeSkinSource& Src, bool Binary) {
    WriteInt(S, int32_t(uint32_t(Src.Count()) | kTablesFollow));
    for (int i = 0; i < Src.Count(); ++i)
        WriteObject(S, Src.SkinObjects(i), Binary);
    Src.Colors.SaveToStream(S);
    Src.Fonts.SaveToStream(S);
}

// The inflated body, whole in memory (bounded), so that its readers can check every
// count against what is left.
void Inflate(fw::TStream& Stream, fw::TMemoryStream& Body) {
    fw::TDecompressionStream z(Stream);
    uint8_t buf[16384];
    for (;;) {
        size_t n = z.Read(buf, sizeof buf);
        if (n == 0) break;
        if (Body.Size() + int64_t(n) > kMaxSkinBodySize)
            throw fw::EReadError("Skin body too large");
        Body.WriteBuffer(buf, n);
    }
    Body.SetPosition(0);
}

TSeSkinSource* Need(TSeSkinSource* s) {
    return s;
}

// An uncompressed 24- or 32-bit Windows BMP file into Image; others are refused.
void LoadBmpImage(const std::string& Bmp, TteBitmap& Image) {
    auto u32 = [&](size_t at) {
        uint32_t v = 0;
        std::memcpy(&v, Bmp.data() + at, 4);
        return v;
    };
    auto u16 = [&](size_t at) {
        uint16_t v = 0;
        std::memcpy(&v, Bmp.data() + at, 2);
        return v;
    };
    if (Bmp.size() < 54 || Bmp[0] != 'B' || Bmp[1] != 'M') throw fw::EReadError("Invalid bitmap");
    uint32_t offset = u32(10);
    int32_t w = int32_t(u32(18)), h = int32_t(u32(22));
    uint16_t bpp = u16(28);
    uint32_t compression = u32(30);
    if ((bpp != 24 && bpp != 32) || (compression != 0 && compression != 3) || w <= 0 || h == 0 ||
        h == INT32_MIN)
        throw fw::EReadError("Unsupported bitmap");
    int64_t ah = h < 0 ? -int64_t(h) : h;
    int64_t stride = ((int64_t(w) * bpp + 31) / 32) * 4;
    if (offset > Bmp.size() || stride * ah > int64_t(Bmp.size() - offset))
        throw fw::EReadError("Invalid bitmap");
    Image.SetSize(w, int32_t(ah));
    for (int64_t y = 0; y < ah; ++y) {
        const uint8_t* row = reinterpret_cast<const uint8_t*>(Bmp.data()) + offset +
                             stride * (h < 0 ? y : ah - 1 - y);
        for (int32_t x = 0; x < w; ++x) {
            const uint8_t* p = row + size_t(x) * (bpp / 8);
            Image.SetPixel(x, int(y), MakePixel(p[2], p[1], p[0], 255));
        }
    }
}

std::vector<const TSeSkinFilterClass*>& FilterList() {
    static std::vector<const TSeSkinFilterClass*> list = {
        TSeSkinFilterUncompressed::Class(), TSeSkinFilterCompressed::Class(),
        TSeSkinFilterUltraCompressed::Class(), TSeSkinFilterMaxCompression::Class()};
    return list;
}

struct RegisterObjects {
    RegisterObjects() { RegisterSkinObjectClasses(); }
};

} // namespace

// ---- source ----

TSeSkinSource::TSeSkinSource(fw::TComponent* AOwner) : fw::TComponent(AOwner) {
    static RegisterObjects once;
}

TSeSkinSource::~TSeSkinSource() {
    Clear();
}

void TSeSkinSource::Publish(fw::TPublisher<TSeSkinSource>& p) {
    p.Field("SkinName", nullptr, &TSeSkinSource::SkinName);
    p.Field("SkinVersion", nullptr, &TSeSkinSource::SkinVersion);
    p.Field("Author", nullptr, &TSeSkinSource::Author);
    p.Field("AuthorEMail", nullptr, &TSeSkinSource::AuthorEMail);
    p.Field("AuthorURL", nullptr, &TSeSkinSource::AuthorURL);
}

TSeSkinObject* TSeSkinSource::SkinObjects(int Index) const {
    if (Index < 0 || Index >= Count()) return nullptr;
    return objects_[size_t(Index)];
}

void TSeSkinSource::AddObject(TSeSkinObject* Object) {
    if (Object) objects_.push_back(Object);
}

TSeSkinObject* TSeSkinSource::FindObject(const std::string& Name) const {
    for (TSeSkinObject* o : objects_)
        if (fw::SameText(o->Name(), Name)) return o;
    return nullptr;
}

void TSeSkinSource::Clear() {
    for (TSeSkinObject* o : objects_)
        o->Free();
    objects_.clear();
    Images.Clear();
}

void TSeSkinSource::UnmaskClients() {
    for (TSeSkinObject* o : objects_)
        if (TSeSkinObject* c = o->FindObjectByKind(TSeKind::skClient)) c->Masked = false;
}

void TSeSkinSource::Assign(const fw::TPersistent* Source) {
    auto* s = dynamic_cast<const TSeSkinSource*>(Source);
    if (!s) {
        fw::TComponent::Assign(Source);
        return;
    }
    if (s == this) return;
    Clear();
    SkinName = s->SkinName;
    SkinVersion = s->SkinVersion;
    Author = s->Author;
    AuthorEMail = s->AuthorEMail;
    AuthorURL = s->AuthorURL;
    for (int i = 0; i < s->Images.Count(); ++i) {
        auto b = std::make_unique<TteBitmap>();
        b->Assign(s->Images.GetBitmap(i));
        Images.Add(b.release());
    }
    for (TSeSkinObject* o : s->objects_) {
        TSeSkinObject* c = CloneSkinObject(o, nullptr);
        if (!c) continue;
        objects_.push_back(c);
        c->SetImages(&Images);
        c->Refresh();
    }
    Fonts.Assign(&s->Fonts);
    Colors.Assign(&s->Colors);
    hue_ = 0;
    brightness_ = 0;
}

void TSeSkinSource::SetHue(int Value) {
    if (Value == hue_) return;
    hue_ = Value;
    for (int i = 0; i < Images.Count(); ++i)
        Images.GetBitmap(i)->ApplyHue(Value);
    for (TSeSkinObject* o : objects_)
        o->ChangeHue(Value);
}

void TSeSkinSource::SetBrightness(int Value) {
    if (Value == brightness_) return;
    brightness_ = Value;
    for (int i = 0; i < Images.Count(); ++i)
        Images.GetBitmap(i)->ApplyBrightness(Value);
    for (TSeSkinObject* o : objects_)
        o->ChangeBrightness(Value);
}

void TSeSkinSource::LoadFromStream(fw::TStream& Stream) {
    std::unique_ptr<TSeSkinFilter> f(DefaultSkinFilter()->Create());
    f->Source = this;
    f->LoadFromStream(Stream);
    UnmaskClients();
}

void TSeSkinSource::SaveToStream(fw::TStream& Stream) {
    std::unique_ptr<TSeSkinFilter> f(DefaultSkinFilter()->Create());
    f->Source = this;
    f->SaveToStream(Stream);
}

void TSeSkinSource::LoadFromFile(const std::string& FileName) {
    if (FileName.empty()) return;
    std::string name = FileName;
    if (!SkinFileExists(name)) {
        if (name.size() >= 2 && name[1] == ':') return;
        name = g_program_folder + name;
        if (g_program_folder.empty() || !SkinFileExists(name)) return;
    }
    const TSeSkinFilterClass* fc = FindSkinFilterByExtension(name);
    if (!fc) return;
    std::unique_ptr<fw::TStream> file = OpenSkinFile(name, false);
    std::unique_ptr<TSeSkinFilter> f(fc->Create());
    f->Source = this;
    f->LoadFromStream(*file);
    UnmaskClients();
}

void TSeSkinSource::SaveToFile(const std::string& FileName) {
    if (FileName.empty()) return;
    const TSeSkinFilterClass* fc = FindSkinFilterByExtension(FileName);
    if (!fc) fc = DefaultSkinFilter();
    std::unique_ptr<fw::TStream> file = OpenSkinFile(FileName, true);
    std::unique_ptr<TSeSkinFilter> f(fc->Create());
    f->Source = this;
    f->SaveToStream(*file);
}

namespace {

int FontIndex(const char* Name) {
    for (int i = 0; i < kThemeFontCount; ++i)
        if (std::strcmp(ThemeEntryNames[kThemeColorCount + i], Name) == 0) return i;
    return -1;
}

int ColorIndex(const char* Name) {
    for (int i = 0; i < kThemeColorCount; ++i)
        if (std::strcmp(ThemeEntryNames[i], Name) == 0) return i;
    return -1;
}

} // namespace

void TSeSkinSource::MakeDefaultColorsAndFonts() {
    auto named = [&](const char* obj, const char* part) -> TSeSkinObject* {
        TSeSkinObject* o = FindObject(obj);
        return o ? o->FindChildObject(part) : nullptr;
    };
    auto kindPart = [&](const char* obj, TSeKind k) -> TSeSkinObject* {
        TSeSkinObject* o = FindObject(obj);
        return o ? o->FindObjectByKind(k) : nullptr;
    };
    auto color = [&](std::initializer_list<const char*> entries, TSeSkinObject* o) {
        if (!o) return;
        for (const char* e : entries)
            Colors.SetColor(ColorIndex(e), o->Color);
    };
    color({"Window"}, FindObject("form"));
    color({"CaptionNormal", "CaptionInactive"}, kindPart("form", TSeKind::skTitle));
    color({"WindowBorder"}, kindPart("form", TSeKind::skLeft));
    color({"List", "Tree"}, FindObject("listbox"));
    color({"Grid"}, FindObject("grid"));
    Colors.SetColor(ColorIndex("Border"), 0);
    color({"PanelNormal", "PanelDisabled"}, FindObject("container"));
    color({"ButtonNormal", "ButtonHot", "ButtonPressed", "ButtonFocused", "ButtonDisabled"},
          FindObject("button"));
    color({"EditNormal", "EditHot", "EditFocused", "EditDisabled"}, FindObject("edit"));
    if (FindObject("edit")) Colors.SetColor(ColorIndex("EditSelection"), fw::clHighlight);
    TSeSkinObject* hint = FindObject("hint");
    Colors.SetColor(ColorIndex("Hint"), hint ? hint->Color : fw::clInfoBk);

    auto fonts = [&](std::initializer_list<std::pair<const char*, uint8_t>> entries,
                     TSeSkinObject* part) {
        if (!part) return;
        for (auto& [name, state] : entries)
            if (TteFont* f = Fonts.GetFont(FontIndex(name))) AssignStateFont(*f, part, state);
    };
    fonts({{"CaptionTextNormal", 7}, {"CaptionTextInactive", 0}},
          kindPart("form", TSeKind::skTitle));
    for (const char* base : {"Button", "CheckBox", "RadioButton"}) {
        const char* obj = std::strcmp(base, "Button") == 0     ? "button"
                          : std::strcmp(base, "CheckBox") == 0 ? "checkbox"
                                                               : "radiobutton";
        std::string b = std::string(base) + "Text";
        std::string n = b + "Normal", p = b + "Pressed", h = b + "Hot", f = b + "Focused",
                    d = b + "Disabled";
        fonts({{n.c_str(), 0}, {p.c_str(), 6}, {h.c_str(), 5}, {f.c_str(), 7}, {d.c_str(), 8}},
              named(obj, "text"));
    }
    fonts({{"GroupBoxTextNormal", 0}, {"GroupBoxTextDisabled", 8}}, named("groupbox", "caption"));
    for (const char* e : {"WindowTextNormal", "WindowTextDisabled"})
        if (TteFont* f = Fonts.GetFont(FontIndex(e)))
            SetFontAttributes(*f, "Tahoma", 8, TFontStyles{}, fw::clBlack);
    if (TSeSkinObject* t = named("edit", "text")) {
        fonts({{"EditBoxTextNormal", 0},
               {"EditBoxTextFocused", 7},
               {"EditBoxTextHot", 5},
               {"EditBoxTextDisabled", 8},
               {"EditBoxTextSelected", 0}},
              t);
        if (TteFont* f = Fonts.GetFont(FontIndex("EditBoxTextSelected"))) f->Color = 0xFFFFFF;
    }
    fonts({{"ListItemTextNormal", 0},
           {"ListItemTextHot", 0},
           {"ListItemTextSelected", 7},
           {"ListItemTextFocused", 0},
           {"ListItemTextDisabled", 8}},
          named("listbox", "item"));
    fonts({{"MenuItemTextNormal", 0},
           {"MenuItemTextSelected", 7},
           {"MenuItemTextHot", 5},
           {"MenuItemTextDisabled", 8}},
          named("menubar", "item"));
    fonts({{"ToolItemTextNormal", 0},
           {"ToolItemTextSelected", 7},
           {"ToolItemTextHot", 5},
           {"ToolItemTextDisabled", 8}},
          named("menubar", "toolbaritem"));
    if (TSeSkinObject* t = named("popupmenu", "item")) {
        fonts({{"PopupMenuItemTextNormal", 0},
               {"PopupMenuItemTextSelected", 7},
               {"PopupMenuItemTextHot", 5},
               {"PopupMenuItemTextDisabled", 8}},
              t);
        if (TteFont* f = Fonts.GetFont(FontIndex("PopupMenuItemTextDisabled"))) f->Color = 0x808080;
    }
}

// ---- filters ----

void TSeSkinFilter::ReadBody(fw::TStream& S) {
    TSeSkinSource* src = Need(Source);
    if (!src) return;
    src->Clear();
    ReadHeader(S, *src);
    // A plain count; an image takes at least its name's count and two dimensions.
    int32_t n = ReadInt(S);
    if (n < 0 || int64_t(n) > Remaining(S) / 12) throw fw::EReadError("Invalid skin count");
    for (int32_t i = 0; i < n; ++i)
        ReadImage(S, *src);
    ReadObjectsAndTables(S, *src, false);
}

void TSeSkinFilter::WriteBody(fw::TStream& S) {
    TSeSkinSource* src = Need(Source);
    if (!src) return;
    WriteHeader(S, *src);
    WriteInt(S, src->Images.Count());
    for (int i = 0; i < src->Images.Count(); ++i)
        src->Images.GetBitmap(i)->SaveToStream(S);
    WriteObjectsAndTables(S, *src, false);
}

void TSeSkinFilterMaxCompression::ReadBody(fw::TStream& S) {
    TSeSkinSource* src = Need(Source);
    if (!src) return;
    src->Clear();
    ReadHeader(S, *src);
    bool bits = false;
    int32_t n = CheckedCount(S, ReadInt(S), bits, 8);
    for (int32_t i = 0; i < n; ++i) {
        if (bits) {
            ReadImage(S, *src);
            continue;
        }
        // Older images: a name and a Windows BMP file.
        std::string name;
        ReadString(S, name);
        int32_t size = ReadInt(S);
        if (size < 0 || size > Remaining(S)) throw fw::EReadError("Stream read error");
        std::string bmp(size_t(size), '\0');
        if (size) S.ReadBuffer(bmp.data(), bmp.size());
        auto b = std::make_unique<TteBitmap>();
        LoadBmpImage(bmp, *b);
        b->Name = name;
        b->SetTransparentColor(KeyColor);
        b->CheckAlpha();
        src->Images.Add(b.release());
    }
    ReadObjectsAndTables(S, *src, true);
}

void TSeSkinFilterMaxCompression::WriteBody(fw::TStream& S) {
    TSeSkinSource* src = Need(Source);
    if (!src) return;
    WriteHeader(S, *src);
    WriteInt(S, int32_t(uint32_t(src->Images.Count()) | kTablesFollow));
    for (int i = 0; i < src->Images.Count(); ++i)
        src->Images.GetBitmap(i)->SaveToStream(S);
    WriteObjectsAndTables(S, *src, true);
}

void TSeSkinFilterUncompressed::LoadFromStream(fw::TStream& Stream) {
    ReadBody(Stream);
}

void TSeSkinFilterUncompressed::SaveToStream(fw::TStream& Stream) {
    WriteBody(Stream);
}

void TSeSkinFilterCompressed::LoadFromStream(fw::TStream& Stream) {
    char magic[4];
    Stream.ReadBuffer(magic, 4); // not compared: the theme checks it
    fw::TMemoryStream body;
    Inflate(Stream, body);
    ReadBody(body);
}

void TSeSkinFilterCompressed::SaveToStream(fw::TStream& Stream) {
    Stream.WriteBuffer(kMagic, 4);
    fw::TCompressionStream z(Stream, Level());
    WriteBody(z);
    z.Finish();
}

namespace {
template <class F> TSeSkinFilter* Make() {
    return new F();
}
} // namespace

const TSeSkinFilterClass* TSeSkinFilterUncompressed::Class() {
    static const TSeSkinFilterClass c{"uskn", "Uncompressed Skin",
                                      &Make<TSeSkinFilterUncompressed>};
    return &c;
}
const TSeSkinFilterClass* TSeSkinFilterCompressed::Class() {
    static const TSeSkinFilterClass c{"kskn", "Compressed Skin", &Make<TSeSkinFilterCompressed>};
    return &c;
}
const TSeSkinFilterClass* TSeSkinFilterUltraCompressed::Class() {
    static const TSeSkinFilterClass c{"xskn", "Ultra Compressed Skin",
                                      &Make<TSeSkinFilterUltraCompressed>};
    return &c;
}
const TSeSkinFilterClass* TSeSkinFilterMaxCompression::Class() {
    static const TSeSkinFilterClass c{"mskn", "Maximum Compressed",
                                      &Make<TSeSkinFilterMaxCompression>};
    return &c;
}

const std::vector<const TSeSkinFilterClass*>& SkinFilters() {
    return FilterList();
}

void RegisterSkinFilter(const TSeSkinFilterClass* FilterClass) {
    if (FilterClass) FilterList().push_back(FilterClass);
}

void UnregisterSkinFilter(const TSeSkinFilterClass* FilterClass) {
    auto& l = FilterList();
    auto it = std::find(l.begin(), l.end(), FilterClass);
    if (it != l.end()) l.erase(it);
}

const TSeSkinFilterClass* FindSkinFilterByExtension(const std::string& FileName) {
    size_t dot = FileName.find_last_of('.');
    size_t sep = FileName.find_last_of("\\/:");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return nullptr;
    std::string ext = fw::LowerCase(FileName.substr(dot));
    for (const TSeSkinFilterClass* c : FilterList())
        if (ext == "." + fw::LowerCase(c->Extension)) return c;
    return nullptr;
}

std::string GetSkinFileFilter() {
    std::string out;
    for (const TSeSkinFilterClass* c : FilterList()) {
        if (!out.empty()) out += "|";
        out += std::string(c->Description) + " (*." + c->Extension + ")|*." + c->Extension;
    }
    return out;
}

const TSeSkinFilterClass* DefaultSkinFilter() {
    return TSeSkinFilterCompressed::Class();
}

void SetSkinProgramFolder(const std::string& Folder) {
    g_program_folder = Folder;
}

} // namespace dvr::skin
