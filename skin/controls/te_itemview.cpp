#include "skin/controls/te_itemview.h"

#include "framework/ui/forms.h"
#include "skin/engine/te_utils_win.h"

#include <windowsx.h>

#include <algorithm>

namespace dvr::skin {

namespace {

// The last mouse position a loop handled, shared by every view: a move to the same
// point is dropped.
POINT g_last_menu_mouse{-100000, -100000};

bool MenuRectEmpty(const TRect& R) {
    return R.Right <= R.Left || R.Bottom <= R.Top;
}

bool MenuRectHas(const TRect& R, TPoint P) {
    return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
}

void PostMenuKey(fw::TWinControl* Host, WPARAM Key) {
    if (Host && Host->HandleAllocated()) ::PostMessageW(Host->WindowHandle(), WM_KEYDOWN, Key, 0);
}

} // namespace

TTeItemView::TTeItemView(fw::TComponent* AOwner, TTeItem* Items, bool IsMenuBar, bool Horizontal)
    : fw::TComponent(AOwner), items_(Items), is_menu_bar_(IsMenuBar), horizontal_(Horizontal) {}

TTeItemView::~TTeItemView() {
    StopScrollTimer();
    delete measure_canvas_;
    if (measure_dc_) ::DeleteDC(measure_dc_);
}

fw::TCanvas* TTeItemView::MeasureCanvas() {
    if (canvas_) return canvas_;
    if (!measure_canvas_) {
        measure_dc_ = ::CreateCompatibleDC(nullptr);
        measure_canvas_ = new fw::TCanvas();
        measure_canvas_->SetHandle(measure_dc_);
    }
    return measure_canvas_;
}

bool TTeItemView::Scrolls() const {
    return items_ && !horizontal_ && items_->Scrolled() && items_->ScrollCount() > 0;
}

void TTeItemView::VisibleWindow(int& First, int& Last) const {
    int n = items_ ? items_->Count() : 0;
    if (Scrolls()) {
        First = std::clamp(items_->FirstVisible(), 0, n);
        Last = std::min(First + items_->ScrollCount(), n);
    } else {
        First = 0;
        Last = n;
    }
}

void TTeItemView::InitiateAction() {
    if (!items_) return;
    for (int i = 0; i < items_->Count(); ++i) items_->Items(i)->InitiateAction();
}

// ---- layout ----

void TTeItemView::LayOut() {
    fw::TCanvas* c = MeasureCanvas();
    c->SetFont(MenuFont());
    int first, last;
    VisibleWindow(first, last);
    int top = Scrolls() ? kMenuScrollButtonHeight : 0;
    int widest = 0;
    // Items before the window lie above it; those after it below.
    int pos = 0;
    for (int i = first - 1; i >= 0; --i) {
        TTeItem* it = items_->Items(i);
        if (!it->Visible() || it->ItemKind() != 0) continue;
        int w = 0, h = 0;
        it->MeasureItem(c, this, w, h);
        pos -= horizontal_ ? w : h;
    }
    for (int i = 0; i < items_->Count(); ++i) {
        TTeItem* it = items_->Items(i);
        if (!it->Visible()) {
            it->SetBoundsRect(TRect{});
            continue;
        }
        if (it->ItemKind() != 0) {
            int w = 0, h = 0;
            it->MeasureItem(c, this, w, h);
            int cw = container_ ? container_->Width() : 0;
            TRect r;
            switch (it->ItemKind()) {
            case 1:
                r = TRect{cw - w, 0, cw, h};
                break;
            case 2:
                r = TRect{cw - 2 * w, 0, cw - w, h};
                break;
            case 3:
                r = TRect{cw - 3 * w, 0, cw - 2 * w, h};
                break;
            default:
                r = TRect{0, 0, w, h};
                break;
            }
            it->SetBoundsRect(TRect{r.Left + origin_.X, r.Top + origin_.Y, r.Right + origin_.X,
                                    r.Bottom + origin_.Y});
            // The items after the system icon start beside it, not over it.
            if (horizontal_) pos += w;
            continue;
        }
        int w = 0, h = 0;
        it->MeasureItem(c, this, w, h);
        pos += horizontal_ ? w : h;
        if (horizontal_)
            it->SetBoundsRect(TRect{origin_.X + pos - w, origin_.Y, origin_.X + pos, origin_.Y + h});
        else
            it->SetBoundsRect(
                TRect{origin_.X, origin_.Y + top + pos - h, origin_.X + w, origin_.Y + top + pos});
        widest = std::max(widest, w);
    }
    if (!horizontal_) {
        for (int i = 0; i < items_->Count(); ++i) {
            TTeItem* it = items_->Items(i);
            if (!it->Visible() || it->ItemKind() != 0) continue;
            TRect r = it->BoundsRect();
            r.Right = origin_.X + widest;
            it->SetBoundsRect(r);
        }
    }
}

TRect TTeItemView::GetItemRect(TTeItem* Item) {
    if (!Item || !Item->Visible()) return TRect{};
    if (MenuRectEmpty(Item->BoundsRect())) LayOut();
    return Item->BoundsRect();
}

void TTeItemView::CalcSize() {
    SIZE size{0, 0};
    if (items_ && items_->Count()) {
        MeasureCanvas()->SetFont(MenuFont());
        for (int i = 0; i < items_->Count(); ++i) items_->Items(i)->SetBoundsRect(TRect{});
        LayOut();
        int first, last;
        VisibleWindow(first, last);
        for (int i = first; i < last; ++i) {
            TTeItem* it = items_->Items(i);
            if (!it->Visible()) continue;
            TRect r = GetItemRect(it);
            if (horizontal_) {
                size.cx += r.Right - r.Left;
                size.cy = std::max<LONG>(size.cy, r.Bottom - r.Top);
            } else {
                size.cx = std::max<LONG>(size.cx, r.Right - r.Left);
                size.cy += r.Bottom - r.Top;
            }
        }
        if (Scrolls()) size.cy += 2 * kMenuScrollButtonHeight;
    }
    content_size_ = size;
    SetContentSize(size);
}

TRect TTeItemView::GetScrollButtonRect(int Kind) {
    if (!Scrolls()) return TRect{};
    if (Kind == 1)
        return TRect{origin_.X, origin_.Y, origin_.X + content_size_.cx,
                     origin_.Y + kMenuScrollButtonHeight};
    int bottom = origin_.Y + content_size_.cy;
    return TRect{origin_.X, bottom - kMenuScrollButtonHeight, origin_.X + content_size_.cx, bottom};
}

// ---- painting ----

void TTeItemView::Paint(fw::TCanvas* Canvas) {
    if (!Canvas || !items_) return;
    Canvas->SetFont(MenuFont());
    if (Scrolls()) {
        items_->PaintScrollButton(Canvas, this, GetScrollButtonRect(1), 1, scroll_direction_ == 1);
        items_->PaintScrollButton(Canvas, this, GetScrollButtonRect(2), 2, scroll_direction_ == 2);
    }
    int first, last;
    VisibleWindow(first, last);
    for (int i = first; i < last; ++i) {
        TTeItem* it = items_->Items(i);
        if (!it->Visible() || it->SkipPaint()) continue;
        it->PaintItem(Canvas, this, GetItemRect(it), it == hot_item_, !tracking_);
    }
}

// ---- mouse ----

TPoint TTeItemView::ToHost(TPoint ScreenPoint) {
    if (!host_ || !host_->HandleAllocated()) return ScreenPoint;
    POINT p{ScreenPoint.X, ScreenPoint.Y};
    ::ScreenToClient(host_->WindowHandle(), &p);
    return TPoint{p.x, p.y};
}

TRect TTeItemView::HostScreenRect() {
    if (!host_ || !host_->HandleAllocated()) return TRect{};
    RECT r{};
    ::GetWindowRect(host_->WindowHandle(), &r);
    return TRect{r.left, r.top, r.right, r.bottom};
}

void TTeItemView::ChangeHot(TTeItem* NewItem) {
    if (NewItem == hot_item_) return;
    TTeItem* old = hot_item_;
    hot_item_ = NewItem;
    if (old) InvalidateItem(old);
    if (NewItem) InvalidateItem(NewItem);
}

void TTeItemView::MouseMove(TPoint ScreenPoint) {
    if (!host_ || !items_) return;
    TPoint p = ToHost(ScreenPoint);
    if (!tracking_) {
        TTeItem* old = hot_item_;
        hot_item_ = nullptr;
        if (old) InvalidateItem(old);
    }
    if (Scrolls()) {
        if (MenuRectHas(GetScrollButtonRect(1), p)) {
            scroll_direction_ = 1;
            InvalidateScrollButton(1);
            StartScrollTimer();
        } else if (MenuRectHas(GetScrollButtonRect(2), p)) {
            scroll_direction_ = 2;
            InvalidateScrollButton(2);
            StartScrollTimer();
        } else {
            InvalidateScrollButton(1);
            InvalidateScrollButton(2);
            StopScrollTimer();
        }
    }
    int first, last;
    VisibleWindow(first, last);
    TTeItem* found = nullptr;
    for (int i = first; i < last && !found; ++i) {
        TTeItem* it = items_->Items(i);
        if (it->Visible() && MenuRectHas(GetItemRect(it), p)) found = it;
    }
    if (found) {
        ChangeHot(found);
    }
}

// ---- scrolling ----

void TTeItemView::StartScrollTimer() {
    if (auto_drop_down_ && child_view_) PostMenuKey(child_view_->host_, VK_ESCAPE);
    if (!scroll_timer_) {
        scroll_timer_ = new fw::TTimer(nullptr);
        scroll_timer_->SetInterval(kMenuScrollInterval);
        scroll_timer_->SetOnTimer(fw::TNotifyEvent(this, &TTeItemView::ScrollTick));
        scroll_timer_->SetEnabled(true);
    }
}

void TTeItemView::StopScrollTimer() {
    delete scroll_timer_;
    scroll_timer_ = nullptr;
    scroll_direction_ = 0;
}

void TTeItemView::ScrollTick(fw::TObject*) {
    if (!items_) return;
    if (scroll_direction_ == 1 && items_->FirstVisible() > 0)
        SelectPrev();
    else if (scroll_direction_ == 2 &&
             items_->FirstVisible() + items_->ScrollCount() < items_->Count())
        SelectNext();
}

// ---- selection ----

void TTeItemView::SelectStep(int Direction) {
    int n = items_ ? items_->Count() : 0;
    if (n == 0) return;
    int index = hot_item_ ? items_->IndexOf(hot_item_) : -1;
    // One full pass at most: a list with nothing selectable keeps its hot item.
    for (int tries = 0; tries < n; ++tries) {
        if (Direction > 0)
            index = index < 0 || index >= n - 1 ? 0 : index + 1;
        else
            index = index <= 0 ? n - 1 : index - 1;
        TTeItem* it = items_->Items(index);
        if (!it->Visible() || it->IsSeparator()) {
            if (hot_item_) InvalidateItem(hot_item_);
            continue;
        }
        if (Scrolls()) {
            int sc = items_->ScrollCount();
            bool moved = false;
            if (Direction > 0) {
                if (index == 0) {
                    items_->SetFirstVisible(0);
                    moved = true;
                } else if (index >= items_->FirstVisible() + sc) {
                    items_->SetFirstVisible(index - sc + 1);
                    moved = true;
                }
            } else {
                if (index < items_->FirstVisible()) {
                    items_->SetFirstVisible(index);
                    moved = true;
                } else if (index == n - 1) {
                    items_->SetFirstVisible(std::max(n - sc, 0));
                    moved = true;
                }
            }
            if (moved) {
                CalcSize();
                Invalidate();
            }
        }
        if (it != hot_item_) {
            ChangeHot(it);
        }
        if (auto_drop_down_) DropDown();
        return;
    }
}

void TTeItemView::SelectNext() {
    SelectStep(1);
}

void TTeItemView::SelectPrev() {
    SelectStep(-1);
}

TPoint TTeItemView::GetDropDownPoint() {
    if (!hot_item_) return TPoint{0, 0};
    TRect r = GetItemRect(hot_item_);
    TPoint p = is_menu_bar_ ? TPoint{r.Left, r.Bottom} : TPoint{r.Right, r.Top};
    return host_ ? host_->ClientToScreen(p) : p;
}

bool TTeItemView::DropDown() {
    if (!hot_item_ || !hot_item_->Enabled() || hot_item_->Count() == 0 || scroll_direction_ != 0)
        return false;
    TPoint p = GetDropDownPoint();
    TRect r = GetItemRect(hot_item_);
    if (host_) {
        TPoint a = host_->ClientToScreen(TPoint{r.Left, r.Top});
        TPoint b = host_->ClientToScreen(TPoint{r.Right, r.Bottom});
        r = TRect{a.X, a.Y, b.X, b.Y};
    }
    auto_drop_down_ = true;
    InitiateAction();
    hot_item_->DropDown(this, p, r);
    return true;
}

void TTeItemView::CloseAll() {
    for (TTeItemView* v = this; v; v = v->parent_view_) {
        v->tracking_ = false;
        v->hot_item_ = nullptr;
        v->auto_drop_down_ = false;
        v->Invalidate();
    }
}

// ---- the loop ----

void TTeItemView::Track() {
    tracking_ = true;
    ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
    if (items_ && items_->Count()) {
        int n = items_->Count();
        int i = items_->FirstVisible();
        if (i < 0 || i >= n) i = n - 1;
        if (items_->Items(i)->ItemKind() != 0 && i + 1 < n) ++i;
        hot_item_ = items_->Items(i);
        InvalidateItem(hot_item_);
        POINT cp{};
        ::GetCursorPos(&cp);
        MouseMove(TPoint{cp.x, cp.y});
    }
    HWND wnd = host_ && host_->HandleAllocated() ? host_->WindowHandle() : nullptr;
    if (wnd) BeginMouseCapture(wnd);
    auto in_hot = [](TTeItemView* v, TPoint screen) {
        if (!v->hot_item_) return false;
        return MenuRectHas(v->GetItemRect(v->hot_item_), v->ToHost(screen));
    };
    auto in_any_hot = [&](TPoint screen) {
        for (TTeItemView* v = this; v; v = v->parent_view_)
            if (in_hot(v, screen)) return true;
        return false;
    };
    auto screen_of = [](const MSG& m) {
        POINT p{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
        if (m.hwnd) ::ClientToScreen(m.hwnd, &p);
        return TPoint{p.x, p.y};
    };
    try {
        // The outermost level holds the capture for the whole chain.
        while (tracking_ && wnd && ::GetCapture() == CaptureWindow()) {
            MSG msg;
            if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
                ::WaitMessage();
                continue;
            }
            if (msg.message == WM_QUIT ||
                (msg.message >= WM_NCLBUTTONDOWN && msg.message <= WM_NCMBUTTONDBLCLK)) {
                CloseAll();
                break;
            }
            if (msg.message == WM_WINDOWPOSCHANGING) {
                CloseAll();
                break;
            }
            if (msg.message == WM_LBUTTONDOWN) {
                TPoint sp = screen_of(msg);
                if (in_hot(this, sp)) {
                    PostMenuKey(host_, VK_RETURN);
                } else if (!in_any_hot(sp)) {
                    CloseAll();
                    // The click goes on to the window under the mouse; while the menu held
                    // the capture it was queued for the menu's own window.
                    HWND captured = CaptureWindow();
                    if (msg.hwnd && msg.hwnd == captured) {
                        ::PeekMessageW(&msg, captured, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE);
                        HWND target = ::WindowFromPoint(POINT{sp.X, sp.Y});
                        if (target && target != captured) {
                            POINT cp{sp.X, sp.Y};
                            ::ScreenToClient(target, &cp);
                            ::PostMessageW(target, WM_LBUTTONDOWN, msg.wParam, MAKELPARAM(cp.x, cp.y));
                        }
                    }
                    break;
                }
            }
            if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) continue;
            if (msg.message == WM_CONTEXTMENU) continue;
            if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
                if (::GetKeyState(VK_LBUTTON) < 0) continue;
                if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
                    bool parent_bar = parent_view_ && parent_view_->is_menu_bar_;
                    switch (msg.wParam) {
                    case VK_RETURN:
                        if (hot_item_) {
                            TTeItem* hot = hot_item_;
                            hot->Click();
                            if (!DropDown() && IsLiveItem(hot) && hot->Enabled() &&
                                !hot->IsSeparator())
                                CloseAll();
                        }
                        break;
                    case VK_ESCAPE:
                        if (parent_view_) parent_view_->auto_drop_down_ = false;
                        hot_item_ = nullptr;
                        Invalidate();
                        tracking_ = false;
                        break;
                    case VK_LEFT:
                        if (is_menu_bar_) {
                            SelectPrev();
                        } else if (parent_bar) {
                            PostMenuKey(parent_view_->host_, VK_LEFT);
                            tracking_ = false;
                        } else if (parent_view_) {
                            PostMenuKey(host_, VK_ESCAPE);
                        }
                        break;
                    case VK_RIGHT:
                        if (is_menu_bar_) {
                            SelectNext();
                        } else if (parent_view_) {
                            if (!DropDown()) {
                                if (parent_bar) {
                                    PostMenuKey(parent_view_->host_, VK_RIGHT);
                                    tracking_ = false;
                                } else {
                                    PostMenuKey(host_, VK_ESCAPE);
                                }
                            }
                        }
                        break;
                    case VK_UP:
                        if (!is_menu_bar_) SelectPrev();
                        break;
                    case VK_DOWN:
                        if (!is_menu_bar_)
                            SelectNext();
                        else
                            DropDown();
                        break;
                    case VK_MENU:
                    case VK_F10:
                        CloseAll();
                        break;
                    case VK_TAB:
                    case VK_SPACE:
                        break;
                    default:
                        ::TranslateMessage(&msg);
                        break;
                    }
                } else if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) {
                    if (TTeItem* it = items_ ? items_->FindAccelItem(wchar_t(msg.wParam)) : nullptr) {
                        ChangeHot(it);
                        PostMenuKey(host_, VK_RETURN);
                    }
                }
                continue;
            }
            if (msg.message == WM_MOUSEMOVE) {
                TPoint sp = screen_of(msg);
                if (sp.X == g_last_menu_mouse.x && sp.Y == g_last_menu_mouse.y) continue;
                g_last_menu_mouse = POINT{sp.X, sp.Y};
                if (MenuRectHas(HostScreenRect(), sp)) {
                    MouseMove(sp);
                    continue;
                }
                std::vector<TTeItemView*> chain;
                for (TTeItemView* v = this; v; v = v->parent_view_) chain.insert(chain.begin(), v);
                for (TTeItemView* v : chain) {
                    TTeItem* before = v->hot_item_;
                    v->MouseMove(sp);
                    if (v != this && v->hot_item_ != before) {
                        for (TTeItemView* w = this; w && w != v; w = w->parent_view_)
                            PostMenuKey(w->host_, VK_ESCAPE);
                        if (v->host_ && v->host_->HandleAllocated())
                            ::PostMessageW(v->host_->WindowHandle(), TM_MENUDROPDOWN, 0, 0);
                        tracking_ = false;
                        break;
                    }
                }
                continue;
            }
            if (msg.message == WM_LBUTTONUP) {
                TPoint sp = screen_of(msg);
                if (in_hot(this, sp))
                    PostMenuKey(host_, VK_RETURN);
                else if (!in_any_hot(sp))
                    CloseAll();
                continue;
            }
            if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSEWHEEL) continue;
            if (msg.message == TM_MENUDROPDOWN) {
                DropDown();
                continue;
            }
            ::DispatchMessageW(&msg);
        }
    } catch (...) {
        if (parent_view_) parent_view_->Invalidate();
        tracking_ = false;
        if (wnd) EndMouseCapture();
        throw;
    }
    if (parent_view_) parent_view_->Invalidate();
    tracking_ = false;
    if (wnd) EndMouseCapture();
}

} // namespace dvr::skin
