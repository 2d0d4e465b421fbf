#include "skin/controls/te_listbox.h"

#include "common/win/textconv.h"
#include "framework/ui/forms.h"
#include "skin/engine/te_bitmap_win.h"
#include "skin/engine/te_canvas_win.h"
#include "skin/engine/te_theme.h"

#include <algorithm>

namespace dvr::skin {

using fw::TMessage;

namespace {

TteBitmap* g_list_truetype = nullptr;

bool ListPointIn(const TRect& R, int X, int Y) {
    return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom;
}

} // namespace

TteBitmap* ListTrueTypeGlyph() {
    if (!g_list_truetype) {
        g_list_truetype = new TteBitmap();
        HINSTANCE module = ::GetModuleHandleW(nullptr);
        if (HBITMAP h = static_cast<HBITMAP>(
                ::LoadImageA(module, "TE_LIST_TRUETYPE", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))) {
            AssignFromHBitmap(*g_list_truetype, h);
            ::DeleteObject(h);
            for (int y = 0; y < g_list_truetype->Height; ++y)
                for (int x = 0; x < g_list_truetype->Width; ++x)
                    if ((g_list_truetype->GetPixel(x, y) & 0x00FFFFFFu) == 0x00FF00FFu)
                        g_list_truetype->SetPixel(x, y, KeyColor);
        }
    }
    return g_list_truetype;
}

void FreeListTrueTypeGlyph() {
    delete g_list_truetype;
    g_list_truetype = nullptr;
}

// ---- TVoListBoxItems ----

void TVoListBoxItems::Put(int Index, const std::string& S) {
    fw::TStringList::Put(Index, S);
    ListBox->ItemsChanged();
}

void TVoListBoxItems::PutObject(int Index, fw::TObject* AObject) {
    fw::TStringList::PutObject(Index, AObject);
    ListBox->ItemsChanged();
}

int TVoListBoxItems::Add(const std::string& S) {
    const int i = fw::TStringList::Add(S);
    ListBox->ItemsChanged();
    return i;
}

void TVoListBoxItems::InsertObject(int Index, const std::string& S, fw::TObject* AObject) {
    fw::TStringList::InsertObject(Index, S, AObject);
    ListBox->ItemsChanged();
}

void TVoListBoxItems::Clear() {
    fw::TStringList::Clear();
    ListBox->ItemsChanged();
}

// The check states follow their items; selection and enabled flags stay by position.
void TVoListBoxItems::Delete(int Index) {
    fw::TStringList::Delete(Index);
    auto& c = ListBox->check_states_;
    if (Index >= 0 && Index < int(c.size())) c.erase(c.begin() + Index);
    ListBox->ItemsChanged();
}

void TVoListBoxItems::Exchange(int Index1, int Index2) {
    fw::TStringList::Exchange(Index1, Index2);
    auto& c = ListBox->check_states_;
    if (Index1 >= 0 && Index2 >= 0 && Index1 < int(c.size()) && Index2 < int(c.size()))
        std::swap(c[size_t(Index1)], c[size_t(Index2)]);
    ListBox->ItemsChanged();
}

void TVoListBoxItems::Insert(int Index, const std::string& S) {
    fw::TStringList::Insert(Index, S);
    auto& c = ListBox->check_states_;
    if (Index >= 0 && Index <= int(c.size())) c.insert(c.begin() + Index, 0);
    ListBox->ItemsChanged();
}

void TVoListBoxItems::SetUpdateState(bool Updating) {
    fw::TStringList::SetUpdateState(Updating);
    ListBox->updating_ = Updating;
    if (!Updating) {
        ListBox->Invalidate();
        ListBox->ItemsChanged();
    }
}

// ---- TTeListBox ----

TTeListBox::TTeListBox(fw::TComponent* AOwner) : TTeControl(AOwner) {
    SetPerformance(TTePerformance::kpDoubleBuffer);
    SetColor(fw::clWindow);
    // One lowered bevel line.
    SetBevelKind(TTeBevelKind::kbkSingle);
    SetBevelInner(TTeBevelCut::kbvNone);
    SetBevelWidth(1);
    SetBorderWidth(0);
    CreateListScrollBar();
    SetTabStop(true);
    SetBounds(Left(), Top(), 121, 97);
    control_style_.Include(fw::TControlStyleItem::csCaptureMouse)
        .Include(fw::TControlStyleItem::csDoubleClicks);
    AddThemeNotification(this);
}

TTeListBox::~TTeListBox() {
    RemoveThemeNotification(this);
    scroll_bar_ = nullptr;
}

void TTeListBox::CreateListScrollBar() {
    scroll_bar_ = new TTeScrollBar(this);
    scroll_bar_->SetOrientation(ksoVertical);
    scroll_bar_->SetBorderWidth(0);
    scroll_bar_->SetParent(this);
    scroll_bar_->SetVisible(true);
    scroll_bar_->OnScroll = TTeScrollEvent(this, &TTeListBox::LimitScrollPos);
    scroll_bar_->OnChange = fw::TNotifyEvent(this, &TTeListBox::ScrollBarChange);
}

bool TTeListBox::Themed() {
    return CurrentThemeHasListBoxStyle(0, theme_object_);
}

int TTeListBox::ScrollPos() const {
    return scroll_bar_ ? scroll_bar_->Position() : 0;
}

// ---- settings ----

void TTeListBox::SetItemHeight(int Value) {
    if (Value == item_height_) return;
    item_height_ = Value;
    UpdateScrollBar();
    Invalidate();
}

void TTeListBox::SetListStyle(TTeListBoxStyle Value) {
    if (Value == list_style_) return;
    list_style_ = Value;
    if (Value == TTeListBoxStyle::lbFonts || Value == TTeListBoxStyle::lbFontSamples) {
        FillFonts();
        item_height_ = 18;
    } else if (Value == TTeListBoxStyle::lbColors || Value == TTeListBoxStyle::lbColorNames) {
        FillColors();
        item_height_ = 18;
    }
    UpdateScrollBar();
    ReapplyHeight();
    Invalidate();
}

void TTeListBox::SetColumns(int Value) {
    if (Value == columns_ || Value < 0) return;
    columns_ = Value;
    scroll_bar_->SetOrientation(Value > 0 ? ksoHorizontal : ksoVertical);
    scroll_bar_->SetPosition(0);
    UpdateScrollBar();
    ReapplyHeight();
    Invalidate();
}

void TTeListBox::SetMultiSelect(bool Value) {
    if (Value == multi_select_) return;
    multi_select_ = Value;
    std::fill(selected_.begin(), selected_.end(), false);
    Invalidate();
}

void TTeListBox::SetWordWrap(bool Value) {
    if (Value == word_wrap_) return;
    word_wrap_ = Value;
    UpdateScrollBar();
    ReapplyHeight();
    Invalidate();
}

void TTeListBox::SetShowCheckBoxes(bool Value) {
    if (Value == show_check_boxes_) return;
    show_check_boxes_ = Value;
    UpdateScrollBar();
    Invalidate();
}

void TTeListBox::SetAllowGrayed(bool Value) {
    if (Value == allow_grayed_) return;
    allow_grayed_ = Value;
    for (uint8_t& c : check_states_)
        if (c == 2) c = 1;
    Invalidate();
}

void TTeListBox::SetFlat(bool Value) {
    if (Value == flat_) return;
    flat_ = Value;
    Invalidate();
}

void TTeListBox::SetAlwaysShowScrlBar(bool Value) {
    if (Value == always_show_scroll_bar_) return;
    always_show_scroll_bar_ = Value;
    UpdateScrollBar();
    Invalidate();
}

void TTeListBox::SetFontDevice(TTeFontDevice Value) {
    if (Value == font_device_) return;
    font_device_ = Value;
    if (list_style_ == TTeListBoxStyle::lbFonts || list_style_ == TTeListBoxStyle::lbFontSamples)
        FillFonts();
}

void TTeListBox::SetFontType(TTeFontType Value) {
    if (Value == font_type_) return;
    font_type_ = Value;
    if (list_style_ == TTeListBoxStyle::lbFonts || list_style_ == TTeListBoxStyle::lbFontSamples)
        FillFonts();
}

void TTeListBox::SetThemeObject(const std::string& Value) {
    if (Value == theme_object_) return;
    theme_object_ = Value;
    Invalidate();
}

int TTeListBox::SelCount() const {
    return int(std::count(selected_.begin(), selected_.end(), true));
}

// ---- items ----

void TTeListBox::ResizeArrays() {
    const size_t n = size_t(items_.GetCount());
    check_states_.resize(n, 0);
    check_enabled_.resize(n, true);
    selected_.resize(n, false);
}

void TTeListBox::ItemsChanged() {
    const int count = items_.GetCount();
    if (count == 0)
        item_index_ = -1;
    else if (item_index_ == -1)
        item_index_ = 0;
    if (item_index_ >= count) item_index_ = count - 1;
    ResizeArrays();
    if (!updating_) {
        UpdateScrollBar();
        Invalidate();
    }
}

bool TTeListBox::IsSelected(int Index) const {
    return Index >= 0 && Index < int(selected_.size()) && selected_[size_t(Index)];
}

void TTeListBox::SetSelected(int Index, bool Value) {
    if (Index < 0 || Index >= int(selected_.size())) return;
    if (selected_[size_t(Index)] == Value) return;
    selected_[size_t(Index)] = Value;
    Invalidate();
}

uint8_t TTeListBox::CheckState(int Index) const {
    return Index >= 0 && Index < int(check_states_.size()) ? check_states_[size_t(Index)] : 0;
}

void TTeListBox::SetCheckState(int Index, uint8_t State) {
    if (Index < 0 || Index >= int(check_states_.size())) return;
    if (check_states_[size_t(Index)] == State) return;
    check_states_[size_t(Index)] = State;
    Invalidate();
}

bool TTeListBox::CheckEnabled(int Index) const {
    return Index >= 0 && Index < int(check_enabled_.size()) && check_enabled_[size_t(Index)];
}

void TTeListBox::SetCheckEnabled(int Index, bool Value) {
    if (Index < 0 || Index >= int(check_enabled_.size())) return;
    check_enabled_[size_t(Index)] = Value;
    Invalidate();
}

void TTeListBox::CycleCheck(int Index) {
    if (!CheckEnabled(Index)) return;
    const uint8_t s = CheckState(Index);
    SetCheckState(Index, s == 0 ? 1 : s == 1 ? (allow_grayed_ ? 2 : 0) : 0);
}

void TTeListBox::UpdateSelection() {
    if (anchor_index_ == -1) return;
    std::fill(selected_.begin(), selected_.end(), false);
    if (multi_select_) {
        const int a = std::min(anchor_index_, item_index_), b = std::max(anchor_index_, item_index_);
        for (int i = std::max(0, a); i <= b && i < int(selected_.size()); ++i)
            selected_[size_t(i)] = true;
    } else if (item_index_ >= 0 && item_index_ < int(selected_.size())) {
        selected_[size_t(item_index_)] = true;
    }
    Invalidate();
    if (HandleAllocated()) ::UpdateWindow(Handle());
}

void TTeListBox::SetItemIndex(int Index) {
    if (Index == item_index_) {
        if (anchor_index_ == -1) anchor_index_ = Index;
        UpdateSelection();
        return;
    }
    const int count = items_.GetCount();
    if (Index >= count) Index = count - 1;
    if (Index < -1) Index = 0;
    item_index_ = Index;
    VisibleRange();
    if (Index != -1) {
        // Scroll one position at a time until the item shows, stopping where the position
        // can move no further (a list lower than one item).
        while (last_visible_ < Index) {
            const int before = ScrollPos();
            scroll_bar_->SetPosition(before + 1);
            if (ScrollPos() == before) break;
            VisibleRange();
        }
        while (Index < first_visible_) {
            const int before = ScrollPos();
            scroll_bar_->SetPosition(before - 1);
            if (ScrollPos() == before) break;
            VisibleRange();
        }
    }
    if (anchor_index_ == -1) anchor_index_ = Index;
    UpdateSelection();
    UpdateScrollBar();
    Invalidate();
}

// ---- layout ----

int TTeListBox::ColumnWidth() {
    const TRect inner = InnerRect();
    int w = inner.Width();
    if (columns_ > 0) {
        w /= columns_;
    } else if (scroll_bar_shown_ || always_show_scroll_bar_) {
        w -= scroll_bar_->Width();
    }
    if (show_check_boxes_) w -= GetCheckColumnWidth();
    return w;
}

int TTeListBox::ListHeight() {
    const TRect inner = InnerRect();
    int h = inner.Height();
    if (columns_ > 0 && (scroll_bar_->Visible() || always_show_scroll_bar_))
        h -= scroll_bar_->Height();
    return h;
}

int TTeListBox::DoMeasureItem(int Index) {
    int h = -1;
    if (OnMeasureItem) OnMeasureItem(this, Canvas(), Index, h);
    return h;
}

int TTeListBox::GetItemHeight(int Index) {
    Canvas()->Font()->Assign(Font());
    if (OnMeasureItem) return DoMeasureItem(Index);
    if (!word_wrap_) return item_height_;
    TRect r{0, 0, ColumnWidth() - 2, Canvas()->TextHeight("Pq")};
    const std::wstring text = win::GbkToWide(items_.Get(Index));
    DrawWideText(*Canvas(), text, r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return r.Height();
}

int TTeListBox::GetItemTop(int Index) {
    if (!scroll_bar_ || Index < ScrollPos()) return -1;
    int top = InnerRect().Top;
    for (int i = ScrollPos(); i < Index; ++i) top += GetItemHeight(i);
    return top;
}

void TTeListBox::GetItemRect(int Index, TRect& Rect) {
    const TRect inner = InnerRect();
    const int top = GetItemTop(Index);
    const int bar = scroll_bar_shown_ && columns_ == 0 ? scroll_bar_->Width() : 0;
    Rect = TRect{inner.Left, top, inner.Right - bar, top + GetItemHeight(Index)};
}

std::vector<TTeListBox::TItemPlace> TTeListBox::Layout() {
    std::vector<TItemPlace> out;
    const int count = items_.GetCount();
    const TRect inner = InnerRect();
    const int check = show_check_boxes_ ? GetCheckColumnWidth() : 0;
    const SIZE cs = GetCheckSize();
    const int cw = ColumnWidth();
    auto place = [&](int i, int x, int y, int h) {
        TItemPlace p{i, TRect{x + check, y, x + check + cw, y + h}, TRect{0, 0, 0, 0}};
        if (show_check_boxes_) {
            const int cx = x + (check - cs.cx) / 2, cy = y + (h - cs.cy) / 2;
            p.Check = TRect{cx, cy, cx + cs.cx, cy + cs.cy};
        }
        out.push_back(p);
    };
    if (columns_ == 0) {
        int y = inner.Top;
        for (int i = std::max(0, ScrollPos()); i < count && y < inner.Bottom; ++i) {
            const int h = GetItemHeight(i);
            place(i, inner.Left, y, h);
            y += h;
        }
        return out;
    }
    const int colw = cw + check;
    const int lh = ListHeight();
    int column = 0, y = inner.Top, first_in_column = 0;
    for (int i = 0; i < count; ++i) {
        const int h = GetItemHeight(i);
        if (y + h > inner.Top + lh && i != first_in_column) {
            ++column;
            y = inner.Top;
            first_in_column = i;
        }
        const int shown = column - ScrollPos();
        if (shown >= columns_) break;
        if (shown >= 0) place(i, inner.Left + colw * shown, y, h);
        y += h;
        if (y > inner.Top + lh && i == first_in_column) {
            // An item taller than the list fills its column alone.
            ++column;
            y = inner.Top;
            first_in_column = i + 1;
        }
    }
    return out;
}

int TTeListBox::ColumnsNeeded(int Height) {
    const int count = items_.GetCount();
    const TRect inner = InnerRect();
    int column = 0, y = inner.Top, first_in_column = 0;
    for (int i = 0; i < count; ++i) {
        const int h = GetItemHeight(i);
        if (y + h > inner.Top + Height && i != first_in_column) {
            ++column;
            y = inner.Top;
            first_in_column = i;
        }
        y += h;
        if (y > inner.Top + Height && i == first_in_column && i + 1 < count) {
            ++column;
            y = inner.Top;
            first_in_column = i + 1;
        }
    }
    return count > 0 ? column + 1 : 0;
}

void TTeListBox::VisibleRange() {
    std::vector<TItemPlace> places = Layout();
    first_visible_ = places.empty() ? 0 : places.front().Index;
    last_visible_ = -1;
    const TRect inner = InnerRect();
    for (const TItemPlace& p : places)
        if (p.Item.Bottom <= inner.Top + ListHeight() || p.Index == first_visible_)
            last_visible_ = p.Index;
}

int TTeListBox::ItemAtPos(TPoint Point, bool Existing) {
    for (const TItemPlace& p : Layout())
        if (ListPointIn(p.Item, Point.X, Point.Y)) return p.Index;
    return Existing ? -1 : items_.GetCount();
}

void TTeListBox::UpdateScrollBar() {
    if (!scroll_bar_) return;
    const TRect inner = InnerRect();
    const int count = items_.GetCount();
    const int thick = ::GetSystemMetrics(columns_ > 0 ? SM_CYHSCROLL : SM_CXVSCROLL);
    int max = 0, page = 0;
    if (columns_ > 0) {
        scroll_bar_->SetBounds(inner.Left, inner.Bottom - thick, inner.Width(), thick);
        int needed = ColumnsNeeded(always_show_scroll_bar_ ? inner.Height() - thick
                                                           : inner.Height());
        if (needed > columns_) needed = ColumnsNeeded(inner.Height() - thick);
        max = std::max(0, needed - 1);
        page = columns_;
    } else {
        scroll_bar_->SetBounds(inner.Right - thick, inner.Top, thick, inner.Height());
        const bool variable = list_style_ == TTeListBoxStyle::lbOwnerDrawVariable || word_wrap_;
        if (variable) {
            page = 0;
            auto walk = [&]() {
                int h = 0;
                for (int i = count - 1; i >= 0; --i) {
                    h += GetItemHeight(i);
                    if (h > inner.Height()) return i + 1;
                }
                return 0;
            };
            scroll_bar_shown_ = false;
            max = walk();
            if (max > 0) {
                scroll_bar_shown_ = true;
                max = walk();
            }
        } else {
            max = std::max(0, count - 1);
            const int h0 = count > 0 ? GetItemHeight(0) : 0;
            page = count > 0 && h0 > 0 ? inner.Height() / h0 : 0;
        }
    }
    scroll_bar_->SetMin(0);
    scroll_bar_->SetMax(max);
    scroll_bar_->SetPageSize(page);
    const bool needed = page < max + 1 && max != 0;
    const bool visible = always_show_scroll_bar_ || needed;
    scroll_bar_->SetVisible(visible);
    scroll_bar_->SetEnabled(needed);
    scroll_bar_shown_ = visible;
    // Keep the position within what the page allows.
    if (page > 0 && scroll_bar_->Position() > max - page + 1)
        scroll_bar_->SetPosition(std::max(0, max - page + 1));
}

void TTeListBox::LimitScrollPos(fw::TObject*, TTeScrollCode, int& Pos) {
    if (scroll_bar_->PageSize() != 0)
        Pos = std::min(Pos, scroll_bar_->Max() - scroll_bar_->PageSize() + 1);
}

void TTeListBox::ScrollBarChange(fw::TObject*) {
    if (auto_scrolling_back_ || auto_scrolling_forward_) {
        VisibleRange();
        item_index_ = auto_scrolling_back_ ? first_visible_ : last_visible_;
        UpdateSelection();
    }
    HitTest(last_mouse_.X, last_mouse_.Y);
    Invalidate();
}

void TTeListBox::ReapplyHeight() {
    SetBounds(Left(), Top(), Width(), Height());
}

void TTeListBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    const fw::TAlign a = Align();
    if (!Loading() && !word_wrap_ && list_style_ != TTeListBoxStyle::lbOwnerDrawVariable &&
        item_height_ != 0 && HandleAllocated() &&
        (a == fw::TAlign::alNone || a == fw::TAlign::alTop || a == fw::TAlign::alBottom)) {
        // The inner area holds whole rows; the frame is kept.
        const int frame = Height() - InnerRect().Height();
        const int inner = AHeight - frame;
        if (inner > 0) AHeight = frame + inner / item_height_ * item_height_;
    }
    TTeControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    UpdateScrollBar();
}

void TTeListBox::Loaded() {
    TTeControl::Loaded();
    UpdateScrollBar();
}

void TTeListBox::FillFonts() {
    items_.BeginUpdate();
    items_.Clear();
    items_.SetSorted(true);
    std::fill(selected_.begin(), selected_.end(), false);
    HDC dc = nullptr;
    bool own = false;
    if (font_device_ == TTeFontDevice::fdPrinter) {
        // The default printer as "name,driver,port".
        wchar_t device[512] = {};
        ::GetProfileStringW(L"windows", L"device", L"", device, 512);
        std::wstring name = device;
        name = name.substr(0, name.find(L','));
        if (!name.empty()) {
            dc = ::CreateDCW(L"WINSPOOL", name.c_str(), nullptr, nullptr);
            own = dc != nullptr;
        }
    }
    if (!dc) dc = ::GetDC(nullptr);
    struct Ctx {
        TTeListBox* self;
        TTeFontType type;
    } ctx{this, font_type_};
    ::EnumFontFamiliesW(
        dc, nullptr,
        [](const LOGFONTW* lf, const TEXTMETRICW* tm, DWORD, LPARAM p) -> int {
            auto* c = reinterpret_cast<Ctx*>(p);
            const BYTE pitch = tm->tmPitchAndFamily;
            if (c->type == TTeFontType::ftTrueType && !(pitch & TMPF_TRUETYPE)) return 1;
            if (c->type == TTeFontType::ftFixedPitch && (pitch & TMPF_FIXED_PITCH)) return 1;
            const std::string name = win::WideToGbk(lf->lfFaceName);
            if (c->self->items_.IndexOf(name) < 0)
                c->self->items_.AddObject(name, reinterpret_cast<fw::TObject*>(uintptr_t(pitch)));
            return 1;
        },
        LPARAM(&ctx));
    if (own)
        ::DeleteDC(dc);
    else
        ::ReleaseDC(nullptr, dc);
    items_.EndUpdate();
}

void TTeListBox::FillColors() {
    items_.BeginUpdate();
    items_.Clear();
    std::fill(selected_.begin(), selected_.end(), false);
    items_.SetSorted(false);
    fw::GetColorValues([this](const std::string& Name) { items_.Add(Name); });
    items_.EndUpdate();
}

// ---- painting ----

void TTeListBox::PaintBackground() {
    if (Themed()) {
        CurrentTheme()->PaintListBoxFrame(0, *Canvas(), theme_object_,
                                          TRect{0, 0, Width(), Height()});
        PaintItems();
        return;
    }
    TTeControl::PaintBackground();
    PaintPlainBackground();
    const TRect inner = InnerRect();
    const int saved = ::SaveDC(Canvas()->Handle());
    ::IntersectClipRect(Canvas()->Handle(), inner.Left, inner.Top, inner.Right, inner.Bottom);
    PaintItems();
    ::RestoreDC(Canvas()->Handle(), saved);
}

void TTeListBox::PaintPlainBackground() {
    FillRectColor(*Canvas(), InnerRect(), Color());
}

void TTeListBox::PaintItems() {
    for (const TItemPlace& p : Layout()) {
        if (show_check_boxes_) PaintCheck(p.Index, p.Check);
        DrawItem(*Canvas(), p.Index, p.Item);
    }
}

void TTeListBox::DoDrawItem(int Index, const TRect& Rect, fw::TOwnerDrawState State) {
    if (!Destroying() && OnDrawItem) OnDrawItem(this, Canvas(), Index, Rect, State);
}

void TTeListBox::DrawItem(fw::TCanvas& Canvas, int Index, TRect Rect) {
    const bool owner = list_style_ == TTeListBoxStyle::lbOwnerDrawFixed ||
                       list_style_ == TTeListBoxStyle::lbOwnerDrawVariable;
    const bool selected = IsSelected(Index);
    const bool focused_item = Index == item_index_ && HasFocus();
    if (owner && OnDrawItem) {
        fw::TOwnerDrawState st;
        if (selected)
            st.Include(fw::TOwnerDrawStateItem::odSelected);
        else if (Index == hot_index_)
            st.Include(fw::TOwnerDrawStateItem::odHotLight);
        if (focused_item) st.Include(fw::TOwnerDrawStateItem::odFocused);
        DoDrawItem(Index, Rect, st);
        return;
    }
    const bool themed = Themed();
    const bool single_focus = !multi_select_ && Index == item_index_ && HasFocus();
    ::SetBkMode(Canvas.Handle(), TRANSPARENT);
    if (themed) {
        const uint8_t state = !Enabled() ? 4 : selected ? 2 : single_focus ? 3
                              : Index == hot_index_     ? 1
                                                        : 0;
        TteFont f;
        CurrentTheme()->GetStyleFont(f, 57 + state, theme_object_);
        FontToTFont(f, *Canvas.Font());
        CurrentTheme()->PaintListBoxItem(0, Canvas, theme_object_, MakeListBoxItemInfo(Rect, state));
    } else {
        Canvas.Font()->Assign(Font());
        if (selected) {
            FillRectColor(Canvas, Rect, fw::clHighlight);
            Canvas.Font()->SetColor(fw::clHighlightText);
        } else if (Index == hot_index_ && list_style_ == TTeListBoxStyle::lbStandard) {
            Canvas.Font()->SetColor(fw::clHighlight);
        }
    }
    TRect text = Rect;
    text.Left += kTextInset;
    const std::string item = items_.Get(Index);
    const std::wstring wide = win::GbkToWide(item);
    switch (list_style_) {
    case TTeListBoxStyle::lbFonts:
    case TTeListBoxStyle::lbFontSamples: {
        const auto pitch = uintptr_t(items_.GetObject(Index));
        if (pitch & TMPF_TRUETYPE) {
            TteBitmap* g = ListTrueTypeGlyph();
            if (g && !g->IsEmpty())
                DrawCanvas(*g, Canvas, Rect.Left + (kFontGlyphColumn - g->Width) / 2,
                           Rect.Top + (Rect.Height() - g->Height) / 2);
        }
        if (list_style_ == TTeListBoxStyle::lbFontSamples) Canvas.Font()->SetName(item);
        DrawWideText(Canvas, wide, TRect{Rect.Left + kFontTextIndent, Rect.Top, Rect.Right, Rect.Bottom},
                     DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        break;
    }
    case TTeListBoxStyle::lbColors: {
        fw::TColor c = fw::clNone;
        try {
            c = fw::StringToColor(item);
        } catch (...) {
        }
        const TRect sw{Rect.Left + 4, Rect.Top + 4, Rect.Right - 4, Rect.Bottom - 4};
        if (c != fw::clNone) FillRectColor(Canvas, sw, c);
        DrawFrameRect(Canvas, sw, fw::clBlack);
        break;
    }
    case TTeListBoxStyle::lbColorNames: {
        fw::TColor c = fw::clNone;
        try {
            c = fw::StringToColor(item);
        } catch (...) {
        }
        const int y = Rect.Top + (Rect.Height() - kSwatchHeight) / 2;
        const TRect sw{Rect.Left + 2, y, Rect.Left + 2 + kSwatchWidth, y + kSwatchHeight};
        if (c != fw::clNone) FillRectColor(Canvas, sw, c);
        DrawFrameRect(Canvas, sw, fw::clBlack);
        std::wstring name = wide;
        if (name.find(L"cl") != std::wstring::npos) name = name.substr(2);
        DrawWideText(Canvas, name,
                     TRect{Rect.Left + kColorTextIndent, Rect.Top, Rect.Right, Rect.Bottom},
                     DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        break;
    }
    default:
        if (item == "-") {
            const int y = Rect.Top + Rect.Height() / 2;
            FillRectColor(Canvas, TRect{Rect.Left + 3, y, Rect.Right - 3, y + 1},
                          Canvas.Font()->Color());
        } else {
            const UINT f = word_wrap_ ? DT_WORDBREAK | DT_NOPREFIX
                                      : DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
            DrawWideText(Canvas, wide, text, f);
        }
        break;
    }
    if (!themed && single_focus) DrawFocusRectColor(Canvas, Rect, fw::clBtnShadow);
}

void TTeListBox::PaintCheck(int Index, TRect Rect) {
    fw::TCanvas& c = *Canvas();
    const uint8_t s = CheckState(Index);
    if (Themed()) {
        const uint8_t kind = s == 1 ? 0 : s == 2 ? 2 : 1;
        CurrentTheme()->PaintListBoxCheck(0, c, theme_object_, MakeListBoxCheckInfo(Rect, kind),
                                          MakeListBoxItemInfo(Rect, 0));
        return;
    }
    RECT rc{Rect.Left, Rect.Top, Rect.Right, Rect.Bottom};
    if (!flat_ || (Index == hot_check_ && CheckEnabled(Index))) {
        ::DrawFrameControl(c.Handle(), &rc, DFC_BUTTON,
                           DFCS_BUTTONCHECK | (s != 0 ? DFCS_CHECKED : 0));
        return;
    }
    if (s != 0) {
        ::DrawFrameControl(c.Handle(), &rc, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_FLAT);
        DrawFrameRect(c, Rect, fw::clWindow);
    } else {
        FillRectColor(c, Rect, fw::clWindow);
    }
    DrawFrameRect(c, TRect{Rect.Left + 1, Rect.Top + 1, Rect.Right - 1, Rect.Bottom - 1},
                  fw::clBtnShadow);
}

// ---- hit testing and input ----

bool TTeListBox::PtInItem(int X, int Y, const TRect& Rect, int) {
    return ListPointIn(Rect, X, Y);
}

bool TTeListBox::PtInCheck(int X, int Y, const TRect& Rect, int) {
    return ListPointIn(Rect, X, Y);
}

void TTeListBox::HitTest(int X, int Y) {
    hot_index_ = -1;
    hot_check_ = -1;
    for (const TItemPlace& p : Layout()) {
        if (show_check_boxes_ && PtInCheck(X, Y, p.Check, p.Index)) {
            hot_check_ = p.Index;
            return;
        }
        if (PtInItem(X, Y, p.Item, p.Index)) {
            hot_index_ = p.Index;
            return;
        }
    }
}

void TTeListBox::MouseDown(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    if (Button == fw::TMouseButton::mbLeft) {
        if (!Shift.Contains(fw::TShiftStateItem::ssDouble) && CanFocus() && HandleAllocated())
            SetFocus();
        button_held_ = true;
        HitTest(X, Y);
        if (hot_check_ >= 0 && hot_index_ < 0) {
            SetItemIndex(hot_check_);
            CycleCheck(hot_check_);
        } else if (hot_index_ >= 0) {
            SetItemIndex(hot_index_);
        }
        if (!Shift.Contains(fw::TShiftStateItem::ssShift)) anchor_index_ = item_index_;
        if (multi_select_ && Shift.Contains(fw::TShiftStateItem::ssCtrl))
            SetSelected(item_index_, !IsSelected(item_index_));
        else
            UpdateSelection();
    }
    TTeControl::MouseDown(Button, Shift, X, Y);
}

void TTeListBox::MouseUp(fw::TMouseButton Button, fw::TShiftState Shift, int X, int Y) {
    button_held_ = false;
    auto_scrolling_back_ = auto_scrolling_forward_ = false;
    scroll_bar_->SetAutoScrollMin(false);
    scroll_bar_->SetAutoScrollMax(false);
    TTeControl::MouseUp(Button, Shift, X, Y);
}

void TTeListBox::MouseMove(fw::TShiftState Shift, int X, int Y) {
    TTeControl::MouseMove(Shift, X, Y);
    last_mouse_ = TPoint{X, Y};
    const int hot = hot_index_, check = hot_check_;
    HitTest(X, Y);
    if (hot != hot_index_ || check != hot_check_) {
        Invalidate();
        if (fw::Application) fw::Application->ProcessMessages();
    }
    if (!button_held_) return;
    const bool vertical = columns_ == 0;
    const bool before = vertical ? Y < 0 : X < 0;
    const bool after = vertical ? Y > Height() : X > Width();
    auto_scrolling_back_ = before;
    auto_scrolling_forward_ = after;
    scroll_bar_->SetAutoScrollMin(before);
    scroll_bar_->SetAutoScrollMax(after);
    if (!before && !after && !Shift.Contains(fw::TShiftStateItem::ssCtrl) && hot_index_ >= 0 &&
        hot_index_ != item_index_) {
        item_index_ = hot_index_;
        UpdateSelection();
    }
}

void TTeListBox::KeyDown(uint16_t& Key, fw::TShiftState Shift) {
    TTeControl::KeyDown(Key, Shift);
    const int old = item_index_;
    const int page = std::max(1, scroll_bar_->PageSize());
    switch (Key) {
    case VK_RETURN:
    case VK_SPACE:
        if (CheckEnabled(item_index_)) CycleCheck(item_index_);
        break;
    case VK_PRIOR:
        SetItemIndex(item_index_ - page + 1);
        break;
    case VK_NEXT:
        SetItemIndex(item_index_ + page - 1);
        break;
    case VK_END:
        SetItemIndex(items_.GetCount() - 1);
        break;
    case VK_HOME:
        SetItemIndex(0);
        break;
    case VK_LEFT:
    case VK_UP:
        if (item_index_ > 0) SetItemIndex(item_index_ - 1);
        break;
    case VK_RIGHT:
    case VK_DOWN:
        SetItemIndex(item_index_ + 1);
        break;
    default:
        break;
    }
    if (item_index_ < 0 && items_.GetCount() > 0) item_index_ = 0;
    if (click_on_key_select_ && item_index_ != old) Click();
    if (Key >= VK_PRIOR && Key <= VK_DOWN) {
        if (!Shift.Contains(fw::TShiftStateItem::ssShift)) anchor_index_ = item_index_;
        UpdateSelection();
    }
}

void TTeListBox::FocusEnter() {
    TTeControl::FocusEnter();
    UpdateSelection();
    Invalidate();
}

void TTeListBox::FocusExit() {
    TTeControl::FocusExit();
    button_held_ = false;
    UpdateSelection();
    Invalidate();
}

void TTeListBox::WMMouseWheel(TMessage& M) {
    UINT lines = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    if (lines == 0) lines = 1;
    const int delta = GET_WHEEL_DELTA_WPARAM(M.WParam);
    const int steps = delta / int(120 / std::min<UINT>(lines, 120));
    if (steps != 0) {
        int pos = scroll_bar_->Position() - steps;
        if (scroll_bar_->PageSize() != 0)
            pos = std::min(pos, scroll_bar_->Max() - scroll_bar_->PageSize() + 1);
        scroll_bar_->SetPosition(std::max(0, pos));
        Invalidate();
    }
    M.Result = 1;
}

void TTeListBox::WMGetDlgCode(TMessage& M) {
    FW_INHERITED(M);
    M.Result = DLGC_WANTARROWS;
}

void TTeListBox::CMEnabledChanged(TMessage& M) {
    FW_INHERITED(M);
    Invalidate();
}

void TTeListBox::CMMouseLeave(TMessage& M) {
    last_mouse_ = TPoint{-1, -1};
    if (hot_index_ != -1 || hot_check_ != -1) {
        hot_index_ = hot_check_ = -1;
        Invalidate();
    }
    FW_INHERITED(M);
}

void TTeListBox::TMThemeChange(TMessage& M) {
    if (M.WParam == 0 || M.WParam == 3 || M.WParam == 4 || M.WParam == 5) Invalidate();
}

} // namespace dvr::skin
