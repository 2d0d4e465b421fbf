#include "framework/ui/comctrls.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"
#include "framework/ui/forms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace dvr::fw {
namespace {

struct FormDeleter {
    void operator()(TCustomForm* f) const { f->Free(); }
};
using FormPtr = std::unique_ptr<TForm, FormDeleter>;

FormPtr NewForm() {
    FormPtr f(new TForm(nullptr));
    f->SetBounds(0, 0, 500, 400);
    return f;
}

template <class T> T* Put(TWinControl* parent, TComponent* owner) {
    auto* c = new T(owner);
    c->SetParent(parent);
    return c;
}

// Sends a notification as the control's window would to its parent.
void Notify(TWinControl* c, UINT code) {
    NMHDR h{c->Handle(), UINT_PTR(::GetDlgCtrlID(c->Handle())), code};
    ::SendMessageW(::GetParent(c->Handle()), WM_NOTIFY, h.idFrom, LPARAM(&h));
}

std::wstring ItemText(HWND w, int item, int sub) {
    wchar_t buf[128] = {};
    LVITEMW it{};
    it.iSubItem = sub;
    it.pszText = buf;
    it.cchTextMax = 128;
    ::SendMessageW(w, LVM_GETITEMTEXTW, WPARAM(item), LPARAM(&it));
    return buf;
}

TEST(ListView, RowsColumnsChecksAndSelectionLiveThroughRecreation) {
    FormPtr f = NewForm();
    auto* lv = Put<TListView>(f.get(), f.get());
    lv->SetViewStyle(TViewStyle::vsReport);
    lv->SetCheckboxes(true);
    lv->AddColumn()->SetCaption(win::Utf8ToGbk("时间"));
    lv->AddColumn()->SetCaption(win::Utf8ToGbk("类型"));
    TListItem* a = lv->Items()->Add();
    a->SetCaption("10:00");
    a->SubItems()->Add(win::Utf8ToGbk("移动侦测"));
    HWND w = lv->Handle();
    TListItem* b = lv->Items()->Add();
    b->SetCaption("10:05");
    b->SubItems()->Add(win::Utf8ToGbk("视频丢失"));
    int data = 7;
    b->Data = &data;
    EXPECT_EQ(::SendMessageW(w, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(ItemText(w, 1, 1), win::Utf8ToWide("视频丢失"));
    b->SetChecked(true);
    EXPECT_TRUE(b->Checked());

    struct Events : TObject {
        std::vector<std::string> log;
        void Select(TObject*, TListItem* I, bool S) {
            log.push_back(I->Caption() + (S ? "+" : "-"));
        }
    } e;
    lv->OnSelectItem = TLVSelectItemEvent(&e, &Events::Select);
    lv->SetSelected(a);
    lv->SetSelected(b);
    EXPECT_EQ(e.log, (std::vector<std::string>{"10:00+", "10:00-", "10:05+"}));
    EXPECT_EQ(lv->Selected(), b);

    lv->SetMultiSelect(true); // a new window
    HWND w2 = lv->WindowHandle();
    EXPECT_NE(w2, w);
    EXPECT_EQ(::SendMessageW(w2, LVM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(ItemText(w2, 0, 1), win::Utf8ToWide("移动侦测"));
    EXPECT_TRUE(b->Checked());
    EXPECT_FALSE(a->Checked());
    EXPECT_EQ(lv->Selected(), b);
    EXPECT_EQ(static_cast<TListItem*>(lv->Selected())->Data, &data);
    a->Delete();
    EXPECT_EQ(::SendMessageW(w2, LVM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(ItemText(w2, 0, 0), L"10:05");
    lv->Items()->Clear();
    EXPECT_EQ(lv->Selected(), nullptr);
}

// Black and white pixels in the check box place (the row's first 16 pixels) of a drawn item.
std::pair<int, int> CheckBoxInk(HWND w, int item) {
    RECT client{};
    ::GetClientRect(w, &client);
    win::WindowDc screen(w);
    win::MemoryDc dc(::CreateCompatibleDC(screen.get()));
    win::Bitmap bmp(::CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
    win::SelectObjectScope sel(dc.get(), bmp.get());
    ::SendMessageW(w, WM_PRINTCLIENT, WPARAM(dc.get()), PRF_CLIENT | PRF_ERASEBKGND);
    RECT row{};
    row.left = LVIR_BOUNDS;
    ::SendMessageW(w, LVM_GETITEMRECT, WPARAM(item), LPARAM(&row));
    int black = 0, white = 0;
    for (int y = row.top; y < row.bottom; ++y)
        for (int x = row.left; x < row.left + 16; ++x) {
            const COLORREF c = ::GetPixel(dc.get(), x, y);
            // The display may hold fewer bits per colour.
            const int lo = std::min({GetRValue(c), GetGValue(c), GetBValue(c)});
            const int hi = std::max({GetRValue(c), GetGValue(c), GetBValue(c)});
            black += hi < 40;
            white += lo > 215;
        }
    return {black, white};
}

TEST(ListView, CheckBoxesDrawAsWhiteBoxesWithATickWhenChecked) {
    FormPtr f = NewForm();
    auto* lv = Put<TListView>(f.get(), f.get());
    lv->SetBounds(0, 0, 300, 200);
    lv->SetViewStyle(TViewStyle::vsReport);
    lv->SetCheckboxes(true);
    lv->AddColumn()->SetCaption("A");
    lv->Columns(0)->SetWidth(120);
    lv->Items()->Add()->SetCaption("off");
    lv->Items()->Add()->SetCaption("on");
    f->Show();
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "first window" : "recreated window");
        lv->Items()->Item(1)->SetChecked(true);
        auto [offBlack, offWhite] = CheckBoxInk(lv->Handle(), 0);
        auto [onBlack, onWhite] = CheckBoxInk(lv->Handle(), 1);
        EXPECT_EQ(offBlack, 0);
        EXPECT_GT(offWhite, 60);
        EXPECT_GT(onBlack, 10);
        EXPECT_LT(onBlack, offWhite / 2);
        EXPECT_GT(onWhite, 40);
        // Off and on again: a new window with new pictures.
        lv->SetCheckboxes(false);
        lv->SetCheckboxes(true);
    }
}

TEST(TreeView, NodesExpansionAndSelectionLiveThroughRecreation) {
    FormPtr f = NewForm();
    auto* tv = Put<TTreeView>(f.get(), f.get());
    TTreeNode* host = tv->Items()->Add(nullptr, win::Utf8ToGbk("主机"));
    TTreeNode* ch1 = tv->Items()->AddChild(host, "1");
    tv->HandleNeeded();
    TTreeNode* ch2 = tv->Items()->AddChild(host, "2");
    TTreeNode* first = tv->Items()->Insert(host, "first");
    EXPECT_EQ(tv->Items()->Count(), 4);
    EXPECT_EQ(tv->Items()->Item(0), first);
    EXPECT_EQ(tv->Items()->Item(3), ch2);
    EXPECT_EQ(ch2->Level(), 1);
    EXPECT_EQ(ch1->GetNextSibling(), ch2);
    EXPECT_EQ(::SendMessageW(tv->Handle(), TVM_GETCOUNT, 0, 0), 4);
    host->Expand(false);
    struct Events : TObject {
        std::vector<std::string> log;
        void Change(TObject*, TTreeNode* N) { log.push_back(N ? N->Text() : "-"); }
    } e;
    tv->OnChange = TTVChangedEvent(&e, &Events::Change);
    tv->SetSelected(ch2);
    EXPECT_EQ(e.log, (std::vector<std::string>{"2"}));

    tv->SetShowLines(false); // a new window
    EXPECT_EQ(::SendMessageW(tv->Handle(), TVM_GETCOUNT, 0, 0), 4);
    EXPECT_TRUE(host->Expanded());
    EXPECT_EQ(tv->Selected(), ch2);
    wchar_t buf[64] = {};
    TVITEMW it{};
    it.mask = TVIF_TEXT;
    it.hItem = host->ItemId();
    it.pszText = buf;
    it.cchTextMax = 64;
    ::SendMessageW(tv->Handle(), TVM_GETITEMW, 0, LPARAM(&it));
    EXPECT_EQ(std::wstring(buf), win::Utf8ToWide("主机"));

    host->Delete(); // with the selected child under it: never a freed node
    TTreeNode* now = tv->Selected();
    EXPECT_TRUE(now == nullptr || now == first);
    EXPECT_EQ(tv->Items()->Count(), 1);
    EXPECT_EQ(::SendMessageW(tv->Handle(), TVM_GETCOUNT, 0, 0), 1);
}

TEST(PageControl, OnlyTheActiveSheetShowsInsideTheTabArea) {
    FormPtr f = NewForm();
    auto* pc = Put<TPageControl>(f.get(), f.get());
    pc->SetBounds(0, 0, 300, 200);
    std::vector<TTabSheet*> sheets;
    for (const char* c : {"基本设置", "联动录像", "报警上传"}) {
        auto* s = new TTabSheet(f.get());
        s->SetPageControl(pc);
        s->SetCaption(win::Utf8ToGbk(c));
        sheets.push_back(s);
    }
    HWND w = pc->Handle();
    EXPECT_EQ(pc->ActivePage(), sheets[0]);
    EXPECT_EQ(::SendMessageW(w, TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_TRUE(::IsWindowVisible(sheets[0]->Handle()) || !f->Visible());
    EXPECT_FALSE(sheets[1]->Visible());
    TRect d = pc->DisplayRect();
    EXPECT_EQ(sheets[0]->BoundsRect(), d);

    struct Events : TObject {
        int changes = 0;
        bool allow = true;
        void Change(TObject*) { ++changes; }
        void Changing(TObject*, bool& A) { A = allow; }
    } e;
    pc->OnChange = TNotifyEvent(&e, &Events::Change);
    pc->OnChanging = TChangingEvent(&e, &Events::Changing);
    ::SendMessageW(w, TCM_SETCURSEL, 2, 0);
    Notify(pc, TCN_SELCHANGE);
    EXPECT_EQ(pc->ActivePage(), sheets[2]);
    EXPECT_TRUE(sheets[2]->Visible());
    EXPECT_FALSE(sheets[0]->Visible());
    EXPECT_EQ(e.changes, 1);
    e.allow = false;
    pc->SelectNextPage(true);
    EXPECT_EQ(pc->ActivePage(), sheets[2]);

    sheets[1]->SetTabVisible(false);
    EXPECT_EQ(::SendMessageW(w, TCM_GETITEMCOUNT, 0, 0), 2);
    EXPECT_EQ(sheets[2]->TabIndex(), 1);
    delete sheets[2]; // the active sheet goes: the next visible one takes over
    EXPECT_EQ(pc->ActivePage(), sheets[0]);
    EXPECT_EQ(pc->PageCount(), 2);
}

TEST(StatusBar, PanelsCarryTheirTextIntoTheWindow) {
    FormPtr f = NewForm();
    auto* sb = Put<TStatusBar>(f.get(), f.get());
    sb->AddPanel()->SetWidth(100);
    sb->AddPanel()->SetText(win::Utf8ToGbk("连接总数"));
    HWND w = sb->Handle();
    EXPECT_EQ(::SendMessageW(w, SB_GETPARTS, 0, 0), 2);
    wchar_t buf[64] = {};
    ::SendMessageW(w, SB_GETTEXTW, 1, LPARAM(buf));
    EXPECT_EQ(std::wstring(buf), win::Utf8ToWide("连接总数"));
    EXPECT_EQ(sb->Align(), TAlign::alBottom);
    EXPECT_EQ(sb->Top() + sb->Height(), f->ClientHeight());
    sb->SetSizeGrip(false);
    ::SendMessageW(sb->Handle(), SB_GETTEXTW, 1, LPARAM(buf));
    EXPECT_EQ(std::wstring(buf), win::Utf8ToWide("连接总数"));
}

TEST(RangeControls, PositionsAreClampedAndKeptAcrossRecreation) {
    FormPtr f = NewForm();
    auto* tb = Put<TTrackBar>(f.get(), f.get());
    tb->SetMax(100);
    tb->SetPosition(150);
    EXPECT_EQ(tb->Position(), 100);
    tb->SetPosition(40);
    tb->SetTickStyle(TTickStyle::tsNone); // a new window
    EXPECT_EQ(::SendMessageW(tb->Handle(), TBM_GETPOS, 0, 0), 40);
    EXPECT_EQ(::SendMessageW(tb->Handle(), TBM_GETRANGEMAX, 0, 0), 100);

    auto* edit = Put<TEdit>(f.get(), f.get());
    auto* ud = Put<TUpDown>(f.get(), f.get());
    ud->SetMax(16);
    ud->SetAssociate(edit);
    ud->SetPosition(5);
    EXPECT_EQ(edit->GetText(), "5");
    ud->SetWrap(true);
    EXPECT_EQ(ud->Position(), 5);

    auto* pb = Put<TProgressBar>(f.get(), f.get());
    pb->SetPosition(95);
    pb->StepIt(); // past the end: back to the start
    EXPECT_EQ(pb->Position(), 0);
    pb->StepBy(30);
    EXPECT_EQ(::SendMessageW(pb->Handle(), PBM_GETPOS, 0, 0), 30);
}

TEST(DateTimePicker, DatesConvertBothWaysAndSurviveTheWindow) {
    struct Case {
        int y, mo, d, h, mi, s;
        double serial;
    } cases[] = {{1899, 12, 30, 0, 0, 0, 0.0},
                 {1900, 1, 1, 12, 0, 0, 2.5},
                 {2000, 2, 29, 6, 0, 0, 36585.25},
                 {2026, 12, 10, 18, 0, 0, 46366.75}};
    for (const Case& c : cases) {
        TDateTime t = EncodeDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s);
        EXPECT_DOUBLE_EQ(t, c.serial) << c.y;
        SYSTEMTIME st = DateTimeToSystemTime(t);
        EXPECT_EQ(st.wYear, c.y);
        EXPECT_EQ(st.wMonth, c.mo);
        EXPECT_EQ(st.wDay, c.d);
        EXPECT_EQ(st.wHour, c.h);
    }
    FormPtr f = NewForm();
    auto* dtp = Put<TDateTimePicker>(f.get(), f.get());
    dtp->SetDateTime(EncodeDateTime(2026, 3, 4, 5, 6, 7));
    SYSTEMTIME st{};
    ::SendMessageW(dtp->Handle(), DTM_GETSYSTEMTIME, 0, LPARAM(&st));
    EXPECT_EQ(st.wYear, 2026);
    EXPECT_EQ(st.wMinute, 6);
    dtp->SetKind(TDateTimeKind::dtkTime);
    EXPECT_DOUBLE_EQ(dtp->Date(), EncodeDateTime(2026, 3, 4));
    dtp->SetTime(EncodeDateTime(1899, 12, 30, 23, 0, 0));
    EXPECT_DOUBLE_EQ(dtp->DateTime(), EncodeDateTime(2026, 3, 4, 23, 0, 0));
}

} // namespace
} // namespace dvr::fw
