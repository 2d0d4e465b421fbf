#include "host/ui/F_ShowBMP.h"

#include "host/ui/F_ReplayForCaptureBMP.h"
#include "host/ui/U_DialogControls.h"
#include "host/ui/U_ReplayRules.h"

#include "framework/win/filestream.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"

#include <windows.h>
#include <winspool.h>

#include <cmath>
#include <cstdio>

namespace vantrel {

using namespace dvr::fw;
using dvr::win::GbkToWide;
using dvr::win::Utf8ToGbk;
using dvr::win::WideToGbk;

namespace {
std::string LocalStamp(const FILETIME& ft) {
    FILETIME local;
    SYSTEMTIME st;
    if (!::FileTimeToLocalFileTime(&ft, &local) || !::FileTimeToSystemTime(&local, &st)) return {};
    char text[20];
    std::snprintf(text, sizeof text, "%04u%02u%02u%02u%02u%02u", st.wYear, st.wMonth, st.wDay,
                  st.wHour, st.wMinute, st.wSecond);
    return text;
}

std::string FindIn(const std::string& folder, const std::string& snapshotName) {
    WIN32_FIND_DATAW data;
    dvr::win::FindHandle find(::FindFirstFileW(GbkToWide(folder + "*").c_str(), &data));
    if (!find) return {};
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::string name = WideToGbk(data.cFileName);
        if (RecordingCovers(name, LocalStamp(data.ftLastWriteTime), snapshotName))
            return folder + name;
    } while (::FindNextFileW(find.get(), &data));
    return {};
}
} // namespace

std::string FindSnapshotRecording(const std::string& snapshotPath) {
    const size_t slash = snapshotPath.rfind('\\');
    if (slash == std::string::npos) return {};
    const std::string name = snapshotPath.substr(slash + 1);
    std::string found = FindIn(RecordingFolderFor(snapshotPath, 'C'), name);
    if (found.empty()) found = FindIn(RecordingFolderFor(snapshotPath, 'A'), name);
    return found;
}

TShowBMPForm::TShowBMPForm(TComponent* AOwner, const std::string& title, TReplay& replay)
    : TForm(AOwner), title_(title), replay_(replay) {
    SetCaption(title + "    " + Utf8ToGbk("抓帧浏览器"));
    SetPosition(TPosition::poScreenCenter);
    SetClientSize(980, 640);
    clb_ReplayBMPFileTypeList = PutControl<TCheckListBox>(this, 4, 4, 200, 40);
    clb_ReplayBMPFileTypeList->Items()->Add(Utf8ToGbk("预览抓帧"));
    clb_ReplayBMPFileTypeList->Items()->Add(Utf8ToGbk("回放抓帧"));
    clb_ReplayChannelList = PutControl<TCheckListBox>(this, 4, 48, 200, 150);
    sb_SelectChannelAll = PutControl<TButton>(this, 4, 202, 60, 24);
    sb_SelectChannelAll->SetCaption(Utf8ToGbk("全清"));
    lv_ReplayDateList = PutControl<TListView>(this, 4, 230, 200, 130);
    lv_ReplayDateList->SetViewStyle(TViewStyle::vsReport);
    lv_ReplayDateList->SetReadOnly(true);
    lv_ReplayDateList->SetHideSelection(false);
    lv_ReplayDateList->AddColumn()->SetCaption(Utf8ToGbk("日期"));
    lv_ReplayDateList->Columns(0)->SetWidth(150);
    lv_BMPList = PutControl<TListView>(this, 4, 364, 200, 272);
    lv_BMPList->SetViewStyle(TViewStyle::vsReport);
    lv_BMPList->SetReadOnly(true);
    lv_BMPList->SetRowSelect(true);
    lv_BMPList->SetHideSelection(false);
    lv_BMPList->AddColumn()->SetCaption(Utf8ToGbk("通道"));
    lv_BMPList->AddColumn()->SetCaption(Utf8ToGbk("抓拍时间"));
    lv_BMPList->Columns(0)->SetWidth(60);
    lv_BMPList->Columns(1)->SetWidth(110);
    sorter_ = std::make_unique<TListSorter>(lv_BMPList);
    int x = 210;
    auto button = [&](const char* caption) {
        auto* b = PutControl<TButton>(this, x, 4, 84, 26);
        b->SetCaption(Utf8ToGbk(caption));
        b->SetHint(Utf8ToGbk(caption));
        b->SetShowHint(true);
        x += 88;
        return b;
    };
    ToolButton4 = button("上一张图片");
    ToolButton5 = button("下一张图片");
    ToolButton6 = button("放大");
    ToolButton7 = button("缩小");
    ToolButton10 = button("复原");
    ToolButton11 = button("打印");
    sb_PlayFile = button("回放相关录像");
    sb_PlayFile->SetHint(Utf8ToGbk("注意！此功能仅对预览抓帧有效"));
    ToolButton13 = button("退出");
    Panel1 = PutControl<TPanel>(this, 210, 34, 766, 602);
    Panel1->SetBevelOuter(TBevelCut::bvLowered);
    Panel1->SetColor(clAppWorkSpace);
    im_ShowBMP = PutControl<TImage>(Panel1, 0, 0, 352, 288);
    im_ShowBMP->SetAutoSize(true);
    im_ShowBMP->SetCursor(crSizeAll);
    im_ShowBMP->SetVisible(false);

    OnShow = TNotifyEvent(this, &TShowBMPForm::FormShow);
    lv_ReplayDateList->OnSelectItem = TLVSelectItemEvent(this, &TShowBMPForm::lv_ReplayDateListSelect);
    lv_BMPList->OnSelectItem = TLVSelectItemEvent(this, &TShowBMPForm::lv_BMPListSelect);
    lv_BMPList->OnColumnClick = TLVColumnClickEvent(this, &TShowBMPForm::lv_BMPListColumnClick);
    clb_ReplayChannelList->OnClickCheck = TNotifyEvent(this, &TShowBMPForm::FiltersChanged);
    clb_ReplayBMPFileTypeList->OnClickCheck = TNotifyEvent(this, &TShowBMPForm::FiltersChanged);
    sb_SelectChannelAll->OnClick = TNotifyEvent(this, &TShowBMPForm::sb_SelectChannelAllClick);
    ToolButton4->OnClick = TNotifyEvent(this, &TShowBMPForm::ToolButton4Click);
    ToolButton5->OnClick = TNotifyEvent(this, &TShowBMPForm::ToolButton5Click);
    ToolButton6->OnClick = TNotifyEvent(this, &TShowBMPForm::ToolButton6Click);
    ToolButton7->OnClick = TNotifyEvent(this, &TShowBMPForm::ToolButton7Click);
    ToolButton10->OnClick = TNotifyEvent(this, &TShowBMPForm::ToolButton10Click);
    ToolButton11->OnClick = TNotifyEvent(this, &TShowBMPForm::ToolButton11Click);
    sb_PlayFile->OnClick = TNotifyEvent(this, &TShowBMPForm::sb_PlayFileClick);
    ToolButton13->OnClick = TNotifyEvent(this, &TShowBMPForm::ToolButton13Click);
    Panel1->OnResize = TNotifyEvent(this, &TShowBMPForm::Panel1Resize);
    im_ShowBMP->OnMouseDown = TMouseEvent(this, &TShowBMPForm::im_ShowBMPMouseDown);
    im_ShowBMP->OnMouseMove = TMouseMoveEvent(this, &TShowBMPForm::im_ShowBMPMouseMove);
}

TShowBMPForm::~TShowBMPForm() {
    replay_.SnapshotList.Clear();
}

void TShowBMPForm::FormShow(TObject*) {
    im_ShowBMP->SetVisible(false);
    clb_ReplayBMPFileTypeList->SetChecked(0, true);
    clb_ReplayBMPFileTypeList->SetChecked(1, true);
    clb_ReplayChannelList->Items()->Clear();
    TReplayHost& host = replay_.Host();
    for (int ch = 0; ch < std::min(host.ChannelCount(), kIndexChannels); ++ch) {
        const std::string number = "00" + std::to_string(ch + 1);
        clb_ReplayChannelList->Items()->Add(number.substr(number.size() - 2) + " <" +
                                            host.ChannelTitle(ch) + ">");
        clb_ReplayChannelList->SetChecked(ch, true);
    }
    sb_SelectChannelAll->SetCaption(Utf8ToGbk("全清"));
    std::vector<std::string> days;
    replay_.GetRecordingDays(days);
    std::sort(days.begin(), days.end());
    filling_ = true;
    lv_ReplayDateList->Items()->Clear();
    for (const std::string& d : days)
        lv_ReplayDateList->Items()->Add()->SetCaption(d);
    filling_ = false;
    replay_.SnapshotList.Clear();
    replay_.Days.clear();
    for (const std::string& d : days)
        if (d.size() >= 10) replay_.Days.push_back(d.substr(0, 4) + d.substr(5, 2) + d.substr(8, 2));
    replay_.StartFileSearch(0);
}

void TShowBMPForm::ScanEnded() {
    if (lv_ReplayDateList->Items()->Count() == 0) return;
    lv_ReplayDateList->SetSelected(lv_ReplayDateList->Items()->Item(0));
    if (lv_ReplayDateList->HandleAllocated() && Visible()) lv_ReplayDateList->SetFocus();
    FillBMPList();
}

void TShowBMPForm::lv_ReplayDateListSelect(TObject*, TListItem*, bool selected) {
    if (selected && !filling_) FillBMPList();
}

void TShowBMPForm::FiltersChanged(TObject*) {
    FillBMPList();
}

void TShowBMPForm::FillBMPList() {
    filling_ = true;
    lv_BMPList->Items()->Clear();
    TListItem* dayItem = lv_ReplayDateList->Selected();
    if (!dayItem) {
        filling_ = false;
        return;
    }
    const std::string day = dayItem->Caption();
    const bool preview = clb_ReplayBMPFileTypeList->Checked(0);
    const bool replayed = clb_ReplayBMPFileTypeList->Checked(1);
    const int channels = clb_ReplayChannelList->Items()->Count();
    for (const ReplayFileRecord* r = replay_.SnapshotList.Head; r; r = r->Next) {
        if (r->Channel >= channels || !clb_ReplayChannelList->Checked(r->Channel)) continue;
        if (!((r->RecordType == 2 && preview) || (r->RecordType == 3 && replayed))) continue;
        if (DayFromPath(r->Path) != day) continue;
        TListItem* item = lv_BMPList->Items()->Add();
        const std::string number = "00" + std::to_string(r->Channel + 1);
        item->SetCaption(number.substr(number.size() - 2));
        item->SubItems()->Add(TimeOfDayFromPath(r->Path));
        item->SubItems()->Add(r->Path);
    }
    filling_ = false;
    if (lv_BMPList->Items()->Count() > 0) {
        lv_BMPList->SetSelected(lv_BMPList->Items()->Item(0));
        ShowPicture(SelectedPath());
    }
}

std::string TShowBMPForm::SelectedPath() {
    TListItem* item = lv_BMPList->Selected();
    return item && item->SubItems()->Count() > 1 ? item->SubItems()->Get(1) : std::string();
}

void TShowBMPForm::lv_BMPListSelect(TObject*, TListItem* item, bool selected) {
    if (!selected || filling_ || !item) return;
    ShowPicture(SelectedPath());
}

void TShowBMPForm::ShowPicture(const std::string& path) {
    try {
        TFileStream in(path, fmOpenRead | fmShareDenyWrite);
        auto* bitmap = im_ShowBMP->Picture()->Bitmap();
        bitmap->LoadFromStream(in);
    } catch (const std::exception&) {
        // A snapshot that cannot be read leaves the last picture.
        return;
    }
    im_ShowBMP->SetStretch(false);
    im_ShowBMP->SetAutoSize(true);
    const int w = im_ShowBMP->Picture()->Width(), h = im_ShowBMP->Picture()->Height();
    im_ShowBMP->SetBounds((Panel1->ClientWidth() - w) / 2, (Panel1->ClientHeight() - h) / 2, w, h);
    im_ShowBMP->SetVisible(true);
    im_ShowBMP->Invalidate();
}

void TShowBMPForm::lv_BMPListColumnClick(TObject*, TListColumn* column) {
    filling_ = true;
    sorter_->ColumnClick(column->Index());
    filling_ = false;
}

void TShowBMPForm::sb_SelectChannelAllClick(TObject*) {
    const bool checkAll = sb_SelectChannelAll->Caption() == Utf8ToGbk("全选");
    for (int i = 0; i < clb_ReplayChannelList->Items()->Count(); ++i)
        clb_ReplayChannelList->SetChecked(i, checkAll);
    sb_SelectChannelAll->SetCaption(Utf8ToGbk(checkAll ? "全清" : "全选"));
    FillBMPList();
}

void TShowBMPForm::SelectRow(int row) {
    if (row < 0 || row >= lv_BMPList->Items()->Count()) return;
    lv_BMPList->SetSelected(lv_BMPList->Items()->Item(row));
    if (lv_BMPList->HandleAllocated())
        ::SendMessageW(lv_BMPList->Handle(), LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
}

void TShowBMPForm::ToolButton4Click(TObject*) {
    const int i = lv_BMPList->ItemIndex();
    if (i > 0) SelectRow(i - 1);
}

void TShowBMPForm::ToolButton5Click(TObject*) {
    const int i = lv_BMPList->ItemIndex();
    if (i >= 0) SelectRow(i + 1);
}

void TShowBMPForm::Zoom(double factor) {
    PictureAxis x{im_ShowBMP->Width(), im_ShowBMP->Left()};
    PictureAxis y{im_ShowBMP->Height(), im_ShowBMP->Top()};
    x = ZoomAxis(x, Panel1->ClientWidth(), factor);
    y = ZoomAxis(y, Panel1->ClientHeight(), factor);
    im_ShowBMP->SetAutoSize(false);
    im_ShowBMP->SetStretch(true);
    im_ShowBMP->SetBounds(x.Pos, y.Pos, x.Size, y.Size);
}

void TShowBMPForm::Place() {
    const PictureAxis x = PlaceAxis({im_ShowBMP->Width(), im_ShowBMP->Left()}, Panel1->ClientWidth());
    const PictureAxis y =
        PlaceAxis({im_ShowBMP->Height(), im_ShowBMP->Top()}, Panel1->ClientHeight());
    im_ShowBMP->SetBounds(x.Pos, y.Pos, x.Size, y.Size);
}

void TShowBMPForm::ToolButton6Click(TObject*) {
    Zoom(1.5);
}

void TShowBMPForm::ToolButton7Click(TObject*) {
    Zoom(0.75);
    Place();
}

void TShowBMPForm::ToolButton10Click(TObject*) {
    im_ShowBMP->SetStretch(false);
    im_ShowBMP->SetAutoSize(true);
    const int w = im_ShowBMP->Width(), h = im_ShowBMP->Height();
    im_ShowBMP->SetBounds((Panel1->ClientWidth() - w) / 2, (Panel1->ClientHeight() - h) / 2, w, h);
}

void TShowBMPForm::Panel1Resize(TObject*) {
    Place();
}

void TShowBMPForm::im_ShowBMPMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
    ::GetCursorPos(&pressed_);
}

void TShowBMPForm::im_ShowBMPMouseMove(TObject*, TShiftState shift, int, int) {
    if (!shift.Contains(TShiftStateItem::ssLeft)) return;
    POINT p;
    ::GetCursorPos(&p);
    PanTo(p);
}

void TShowBMPForm::PanTo(POINT cursor) {
    const int pw = Panel1->ClientWidth(), ph = Panel1->ClientHeight();
    const int w = im_ShowBMP->Width(), h = im_ShowBMP->Height();
    if (w <= pw && h <= ph) return;
    int left = im_ShowBMP->Left(), top = im_ShowBMP->Top();
    if (w > pw) left = std::clamp(left + int(cursor.x - pressed_.x), pw - w, 0);
    if (h > ph) top = std::clamp(top + int(cursor.y - pressed_.y), ph - h, 0);
    pressed_ = cursor;
    im_ShowBMP->SetBounds(left, top, w, h);
}

void TShowBMPForm::ToolButton11Click(TObject*) {
    TGraphic* g = im_ShowBMP->Picture()->Graphic();
    if (!g || g->Empty()) return;
    DWORD size = 0;
    ::GetDefaultPrinterW(nullptr, &size);
    if (size == 0) return;
    std::wstring name(size, L'\0');
    if (!::GetDefaultPrinterW(name.data(), &size)) return;
    dvr::win::MemoryDc printer(::CreateDCW(L"WINSPOOL", name.c_str(), nullptr, nullptr));
    if (!printer) return;
    dvr::win::WindowDc screen(nullptr);
    const int right = int(std::lround(double(::GetDeviceCaps(printer.get(), LOGPIXELSX)) *
                                      im_ShowBMP->Width() /
                                      ::GetDeviceCaps(screen.get(), LOGPIXELSX)));
    const int bottom = int(std::lround(double(::GetDeviceCaps(printer.get(), LOGPIXELSY)) *
                                       im_ShowBMP->Height() /
                                       ::GetDeviceCaps(screen.get(), LOGPIXELSY)));
    DOCINFOW doc{};
    doc.cbSize = sizeof doc;
    const std::wstring docName = GbkToWide(Caption());
    doc.lpszDocName = docName.c_str();
    if (::StartDocW(printer.get(), &doc) <= 0) return;
    if (::StartPage(printer.get()) > 0) {
        TBitmap* b = im_ShowBMP->Picture()->Bitmap();
        dvr::win::MemoryDc src(::CreateCompatibleDC(screen.get()));
        dvr::win::SelectObjectScope sel(src.get(), b->Handle());
        ::StretchBlt(printer.get(), 0, 0, right, bottom, src.get(), 0, 0, b->Width(), b->Height(),
                     SRCCOPY);
        ::EndPage(printer.get());
    }
    ::EndDoc(printer.get());
}

void TShowBMPForm::sb_PlayFileClick(TObject*) {
    const std::string snapshot = SelectedPath();
    if (snapshot.empty()) return;
    const std::string recording = FindSnapshotRecording(snapshot);
    if (recording.empty()) {
        const std::string text = Utf8ToGbk("对不起！找不到相关录像片段！");
        if (ShowError)
            ShowError(text);
        else
            ::MessageBoxW(WindowHandle(), GbkToWide(text).c_str(), L"提示信息",
                          MB_OK | MB_ICONERROR);
        return;
    }
    if (PlayRecording) {
        PlayRecording(recording);
        return;
    }
    auto* player = new TReplayForCaptureBMPForm(this, title_, replay_.Player());
    player->FilePath = recording;
    player->ShowModal();
    player->Free();
}

void TShowBMPForm::ToolButton13Click(TObject*) {
    Close();
}

void TShowBMPForm::DoClose(TCloseAction& Action) {
    replay_.SnapshotList.Clear();
    filling_ = true;
    lv_BMPList->Items()->Clear();
    clb_ReplayChannelList->Items()->Clear();
    lv_ReplayDateList->Items()->Clear();
    filling_ = false;
    im_ShowBMP->SetVisible(false);
    TForm::DoClose(Action);
}

} // namespace vantrel
