// The MDI client window of a skinned MDI parent: the form paints its background, the
// client loses its sunken edge, and skinned scroll bars with a size grip between them
// stand over the client's own scroll bars.
#include "skin/controls/te_form.h"
#include "skin/controls/te_scrollbar.h"
#include "skin/engine/te_winapi.h"

#include <windowsx.h>

#include <algorithm>

namespace dvr::skin {

namespace {

void SetBarRange(TTeScrollBar& Bar, const SCROLLINFO& Info) {
    // The bar keeps min <= max at every step.
    if (Info.nMin > Bar.Max()) {
        Bar.SetMax(Info.nMax);
        Bar.SetMin(Info.nMin);
    } else {
        Bar.SetMin(Info.nMin);
        Bar.SetMax(Info.nMax);
    }
    Bar.SetPageSize(int(Info.nPage));
    Bar.SetPosition(Info.nPos);
}

bool InRect(const TRect& R, int X, int Y) {
    return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom;
}

void DropClientEdge(HWND Client) {
    LONG_PTR ex = ::GetWindowLongPtrW(Client, GWL_EXSTYLE);
    if (!(ex & WS_EX_CLIENTEDGE)) return;
    ::SetWindowLongPtrW(Client, GWL_EXSTYLE, ex & ~LONG_PTR(WS_EX_CLIENTEDGE));
    ::SetWindowPos(Client, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

} // namespace

HWND TTeDefaultForm::MDIClientHandle() {
    fw::TCustomForm* form = GetForm();
    return form && form->FormStyle() == fw::TFormStyle::fsMDIForm ? form->ClientHandle() : nullptr;
}

void TTeDefaultForm::HookMDIClient() {
    if (destroying_form_hook_ || !Active()) return;
    HWND client = MDIClientHandle();
    if (client == hooked_client_ && (!client || ::IsWindow(client))) return;
    UnhookMDIClient();
    if (!client) return;
    if (!client_instance_)
        client_instance_ = fw::MakeObjectInstance(fw::TWndMethod(this, &TTeDefaultForm::ClientWndProc));
    old_client_proc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(client, GWLP_WNDPROC, LONG_PTR(client_instance_)));
    hooked_client_ = client;
    DropClientEdge(client);
    UpdateMDIScrollBars();
}

void TTeDefaultForm::UnhookMDIClient() {
    HWND client = hooked_client_;
    hooked_client_ = nullptr;
    if (client && ::IsWindow(client) &&
        ::GetWindowLongPtrW(client, GWLP_WNDPROC) == LONG_PTR(client_instance_))
        ::SetWindowLongPtrW(client, GWLP_WNDPROC, LONG_PTR(old_client_proc_));
    old_client_proc_ = nullptr;
}

void TTeDefaultForm::ClientWndProc(fw::TMessage& M) {
    HWND client = hooked_client_;
    WNDPROC old = old_client_proc_;
    auto call_old = [&] {
        M.Result = old ? ::CallWindowProcW(old, client, M.Msg, M.WParam, M.LParam)
                       : ::DefWindowProcW(client, M.Msg, M.WParam, M.LParam);
    };
    if (!client) {
        M.Result = 0;
        return;
    }
    switch (M.Msg) {
    case WM_PAINT:
        if (M.WParam != 0) break;
        {
            PAINTSTRUCT ps{};
            ::BeginPaint(client, &ps);
            ::EndPaint(client, &ps);
        }
        M.Result = 0;
        return;
    case WM_ERASEBKGND:
        if (!HasMaximizedMDIChild())
            if (HWND wnd = GetHandle()) ::SendMessageW(wnd, WM_ERASEBKGND, M.WParam, 0);
        M.Result = 1;
        return;
    case 0x3F:
        // The client recounted its scroll range: the frame is worked out again, which
        // brings the skinned bars in step.
        call_old();
        ::SetWindowLongPtrW(client, GWL_EXSTYLE,
                            ::GetWindowLongPtrW(client, GWL_EXSTYLE) & ~LONG_PTR(WS_EX_CLIENTEDGE));
        ::SetWindowPos(client, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        return;
    case WM_WINDOWPOSCHANGED:
    case WM_HSCROLL:
    case WM_VSCROLL:
        call_old();
        UpdateMDIScrollBars();
        return;
    case WM_STYLECHANGING:
        if (M.WParam == WPARAM(GWL_EXSTYLE))
            if (auto* ss = reinterpret_cast<STYLESTRUCT*>(M.LParam))
                ss->styleNew &= ~DWORD(WS_EX_CLIENTEDGE);
        call_old();
        return;
    case WM_NCHITTEST:
        call_old();
        if (M.Result == HTCLIENT)
            M.Result = HTTRANSPARENT;
        else if (M.Result == HTGROWBOX)
            M.Result = HTCLIENT;
        return;
    case WM_NCPAINT: {
        HDC dc = ::GetWindowDC(client);
        if (dc) {
            RECT cr{};
            ::GetClientRect(client, &cr);
            ::ExcludeClipRect(dc, cr.left, cr.top, cr.right, cr.bottom);
            if (RectHasArea(size_grip_rect_)) {
                fw::TCanvas canvas;
                canvas.SetHandle(dc);
                PaintSizeGrip(canvas);
                canvas.SetHandle(nullptr);
            }
            ::ReleaseDC(client, dc);
        }
        UpdateMDIScrollBars();
        M.Result = 0;
        return;
    }
    case WM_MOUSEMOVE:
        if (dragging_->Sizeable) {
            POINT p{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
            bool in = InRect(size_grip_rect_, p.x, p.y);
            ::SetCursor(::LoadCursorW(nullptr, in ? IDC_SIZENWSE : IDC_ARROW));
        }
        break;
    case WM_LBUTTONDOWN: {
        POINT p{GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)};
        if (InRect(size_grip_rect_, p.x, p.y)) {
            ::ClientToScreen(client, &p);
            if (HWND wnd = GetHandle()) ::SendMessageW(wnd, WM_NCLBUTTONDOWN, 0, MAKELPARAM(p.x, p.y));
            M.Result = 0;
            return;
        }
        break;
    }
    case WM_NCDESTROY:
        call_old();
        if (hooked_client_ == client) {
            hooked_client_ = nullptr;
            old_client_proc_ = nullptr;
        }
        return;
    default:
        break;
    }
    call_old();
}

void TTeDefaultForm::UpdateMDIScrollBars() {
    HWND client = hooked_client_;
    fw::TCustomForm* form = GetForm();
    HWND wnd = GetHandle();
    if (!client || !form || !wnd || updating_scroll_bars_ || destroying_form_hook_) return;
    if (form->Destroying()) return;
    updating_scroll_bars_ = true;
    RECT fr{};
    ::GetClientRect(wnd, &fr);
    const TRect area{fr.left, fr.top, fr.right, fr.bottom};
    auto one = [&](bool vertical) {
        TTeScrollBar*& bar = vertical ? vert_scroll_bar_ : horz_scroll_bar_;
        fw::TWinControl*& host = vertical ? vert_scroll_host_ : horz_scroll_host_;
        SCROLLBARINFO info{};
        info.cbSize = sizeof info;
        bool have = GetScrollBarInfoSafe(client, vertical ? OBJID_VSCROLL : OBJID_HSCROLL, info);
        if (!have || (info.rgstate[0] & STATE_SYSTEM_INVISIBLE)) {
            if (host) host->SetVisible(false);
            return;
        }
        if (!host) {
            host = new fw::TWinControl(form);
            host->SetParent(form);
            host->FreeNotification(this);
            bar = CreateScrollBar(form);
            bar->SetParent(host);
            bar->SetAlign(fw::TAlign::alClient);
            bar->SetBorderWidth(0);
            bar->SetOrientation(vertical ? ksoVertical : ksoHorizontal);
            bar->OnScroll = vertical ? TTeScrollEvent(this, &TTeDefaultForm::VertScrollBarScroll)
                                     : TTeScrollEvent(this, &TTeDefaultForm::HorzScrollBarScroll);
            bar->FreeNotification(this);
        }
        POINT tl{info.rcScrollBar.left, info.rcScrollBar.top};
        POINT br{info.rcScrollBar.right, info.rcScrollBar.bottom};
        ::ScreenToClient(wnd, &tl);
        ::ScreenToClient(wnd, &br);
        TRect r{std::max(int(tl.x), area.Left), std::max(int(tl.y), area.Top),
                std::min(int(br.x), area.Right), std::min(int(br.y), area.Bottom)};
        if (r.Right < r.Left) r.Right = r.Left;
        if (r.Bottom < r.Top) r.Bottom = r.Top;
        host->SetBoundsRect(r);
        host->SetVisible(true);
        host->BringToFront();
        if (bar) {
            SCROLLINFO si{};
            si.cbSize = sizeof si;
            si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;
            if (::GetScrollInfo(client, vertical ? SB_VERT : SB_HORZ, &si)) SetBarRange(*bar, si);
        }
    };
    try {
        one(true);
        one(false);
    } catch (...) {
        updating_scroll_bars_ = false;
        throw;
    }
    TRect grip{};
    if (vert_scroll_host_ && horz_scroll_host_ && vert_scroll_host_->Visible() &&
        horz_scroll_host_->Visible()) {
        POINT p{horz_scroll_host_->Left() + horz_scroll_host_->Width(),
                vert_scroll_host_->Top() + vert_scroll_host_->Height()};
        ::MapWindowPoints(wnd, client, &p, 1);
        grip = TRect{p.x, p.y, p.x + vert_scroll_host_->Width(), p.y + horz_scroll_host_->Height()};
    }
    size_grip_rect_ = grip;
    updating_scroll_bars_ = false;
}

void TTeDefaultForm::MDIScroll(bool Vertical, TTeScrollCode ScrollCode, int& ScrollPos) {
    HWND client = hooked_client_;
    TTeScrollBar* bar = Vertical ? vert_scroll_bar_ : horz_scroll_bar_;
    if (!GetForm() || !client || !bar) return;
    if (ScrollCode > kscEndScroll) return;
    const UINT msg = Vertical ? WM_VSCROLL : WM_HSCROLL;
    if (ScrollCode == kscLineUp || ScrollCode == kscLineDown) {
        ::SendMessageW(client, msg, ScrollCode, 0);
        ScrollPos = bar->Position();
        return;
    }
    // The bar reports where it goes: the client scrolls there.
    int pos = ScrollCode == kscTrack || ScrollCode == kscPosition ? ScrollPos : bar->Position();
    ::SendMessageW(client, msg, MAKEWPARAM(ScrollCode, uint16_t(pos)), 0);
    RECT r{0, 0, form_width_, form_height_};
    ::InvalidateRect(client, &r, FALSE);
}

void TTeDefaultForm::VertScrollBarScroll(fw::TObject*, TTeScrollCode ScrollCode, int& ScrollPos) {
    MDIScroll(true, ScrollCode, ScrollPos);
}

void TTeDefaultForm::HorzScrollBarScroll(fw::TObject*, TTeScrollCode ScrollCode, int& ScrollPos) {
    MDIScroll(false, ScrollCode, ScrollPos);
}

} // namespace dvr::skin
