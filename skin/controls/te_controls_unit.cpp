#include "skin/controls/te_controls_unit.h"

#include "framework/ui/forms.h"
#include "skin/controls/te_button.h"
#include "skin/controls/te_controls.h"
#include "skin/controls/te_form.h"
#include "skin/controls/te_form_options.h"
#include "skin/controls/te_form_theme.h"
#include "skin/controls/te_hook.h"
#include "skin/controls/te_inplacescrollbar.h"
#include "skin/controls/te_items.h"
#include "skin/controls/te_listbox.h"
#include "skin/controls/te_message.h"
#include "skin/controls/te_popupmenu.h"
#include "skin/controls/te_speedbutton.h"
#include "skin/controls/te_tabcontrol.h"
#include "skin/engine/te_theme.h"

namespace dvr::skin {

bool ControlsWinNT = false;
bool ControlsWin98 = false;

namespace {

int g_starts = 0;
fw::TImageList* g_form_button_images = nullptr;
TRect g_parked_bounds{0, 0, 0, 0};

constexpr const char* kFormButtonResources[] = {"TE_FORM_CLOSE",    "TE_FORM_MINIMIZE",
                                                "TE_FORM_MAXIMIZE", "TE_FORM_RESTORE",
                                                "TE_FORM_ROLLUP",   "TE_FORM_TRAY"};

void ReadVersionFlags() {
    OSVERSIONINFOA v{};
    v.dwOSVersionInfoSize = sizeof(v); // 148
    static_assert(sizeof(OSVERSIONINFOA) == 148);
    if (!::GetVersionExA(&v)) return;
    ControlsWinNT = v.dwPlatformId == VER_PLATFORM_WIN32_NT;
    ControlsWin98 = v.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && v.dwMinorVersion > 0;
}

} // namespace

fw::TImageList* FormButtonImages() {
    if (!g_form_button_images) LoadFormButtonImages();
    return g_form_button_images;
}

void LoadFormButtonImages() {
    FreeFormButtonImages();
    auto* list = new fw::TImageList(nullptr);
    list->SetDrawingStyle(fw::TDrawingStyle::dsNormal);
    HINSTANCE module = ::GetModuleHandleW(nullptr);
    for (const char* name : kFormButtonResources) {
        if (!::FindResourceA(module, name, MAKEINTRESOURCEA(2))) continue;
        fw::TBitmap b;
        try {
            b.LoadFromResourceName(module, name);
            list->AddMasked(&b, fw::TColor(0xFF00FF));
        } catch (...) {
            // A damaged resource is left out.
        }
    }
    g_form_button_images = list;
}

void FreeFormButtonImages() {
    fw::TImageList* list = g_form_button_images;
    g_form_button_images = nullptr;
    delete list;
}

const TRect& ParkedMDIChildBounds() {
    return g_parked_bounds;
}

int ControlsUnitStarts() {
    return g_starts;
}

void StartControlsUnit() {
    if (g_starts++ > 0) return;
    RegisterFormOptionClasses();
    EnsureSharedPaintBuffer();
    SharedPaintBuffer(); // also registers the controls' background painter
    MenuFont();
    SubMenuArrow();
    InitPopupMenus();
    fw::RegisterClass(TTeItem::StaticClass());
    ClickHandler();
    CommonPopupOptions() = false;
    DefaultBlending();
    DefaultShadow();
    DefaultAnimation();
    ReadVersionFlags();
    ListTrueTypeGlyph();
    RegisterBackgroundPainter(TTeInplaceScrollBar::StaticClass(),
                              &InplaceScrollBarBackgroundPainter);
    fw::RegisterClass(TTeSpeedContainer::StaticClass());
    fw::RegisterClass(TTeSpeedDivider::StaticClass());
    FreeKindGlyphs(); // filled again on first use
    CreateCaptionFonts();
    LoadFormButtonImages();
    CacheCaptionMetrics();
    RegisterBackgroundPainter(TTeForm::StaticClass(), &FormBackgroundPainter);
    RegisterBackgroundPainter(fw::TCustomForm::StaticClass(), &FormBackgroundPainter);
    g_parked_bounds = TRect{0, 0, 10, 10};
    if (!GlobalMessage()) {
        auto* m = new TTeMessage(fw::Application);
        GlobalMessage() = m;
    }
    fw::RegisterClass(TTeTabSheet::StaticClass());
    RegisterBackgroundPainter(TTeTabSheet::StaticClass(), &TabSheetBackgroundPainter);
}

void EndControlsUnit() {
    if (g_starts == 0 || --g_starts > 0) return;
    FreeKindGlyphs();
    FreeSharedPaintBuffer();
    FreeFormButtonImages();
    FreeCaptionFonts();
    FreeHookList();
    FreeListTrueTypeGlyph();
    FreeDefaultOptions();
    FreeClickHandler();
    ClearItemContainers();
    FreeMenuResources();
    if (TTeMessage* m = GlobalMessage(); m && m->Owner() == fw::Application) {
        GlobalMessage() = nullptr;
        m->Free();
    }
}

} // namespace dvr::skin
