#include "host/ui/F_RemoteWorkLogForm.h"

#include "host/engine/U_Conversions.h"
#include "host/engine/U_WorkLogConst.h"
#include "host/ui/U_DialogControls.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"

#include <windows.h>
#include <winspool.h>

#include <cstdio>

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

std::vector<TLogBlock> DayBlocks(int records) {
    std::vector<TLogBlock> blocks;
    if (records <= kWorkLogBlock) return blocks;
    for (int a = 0; a < records / kWorkLogBlock; ++a)
        blocks.push_back({a * kWorkLogBlock, kWorkLogBlock});
    if (records % kWorkLogBlock > 0)
        blocks.push_back({records / kWorkLogBlock * kWorkLogBlock, records % kWorkLogBlock});
    return blocks;
}

std::vector<std::string> WorkLogRowCells(const TWorkLogRecord& r) {
    const DateTimeParts t = DecodeOleDate(r.Time);
    char time[40];
    std::snprintf(time, sizeof time, "%04d-%02d-%02d %02d:%02d:%02d:%03d", t.Year, t.Month, t.Day,
                  t.Hour, t.Minute, t.Second, t.Millisecond);
    auto number = [](int v, int plus) { return v < 0 ? std::string() : std::to_string(v + plus); };
    return {time,
            r.Event < kWorkLogEvents ? Utf8ToGbk(WorkLogEventTexts[r.Event]) : std::string(),
            r.UserName.Get(),
            number(r.HostChannel, 1),
            number(r.ClientChannel, 1),
            number(r.AlarmPoint, 0),
            r.HostAddress.Get(),
            r.ClientAddress.Get()};
}

TRemoteWorkLogForm::TRemoteWorkLogForm(TComponent* AOwner, TRemoteWindowHost host)
    : TForm(AOwner), host_(std::move(host)) {
    const std::string title = Application ? Application->Title() : "";
    SetCaption(title + "   " + Utf8ToGbk("远程工作日志"));
    SetBounds(100, 80, 760, 500);
    if (!host_.ShowMessage)
        host_.ShowMessage = [this](const std::string& text) { ShowDialogMessage(this, text); };
    wait_ = std::make_unique<TReplyWait>([this] { ConnectTimeout(); }, host_.ReplyTimeoutMs);

    PutLabel(this, 8, 10, 60, "主控地址：");
    cb_MainAddr = PutControl<TComboBox>(this, 70, 6, 140, 22);
    PutLabel(this, 220, 10, 40, "端口：");
    se_UDPMessageServerPort = PutControl<TEdit>(this, 262, 6, 70, 22);
    sb_Connect = PutButton(this, 344, 6, 80, "连接");
    sb_Print = PutButton(this, 572, 6, 80, "打印");
    sb_Exit = PutButton(this, 660, 6, 80, "退出");
    tv_LogDayList = PutControl<TTreeView>(this, 8, 40, 180, 400);
    tv_LogDayList->SetReadOnly(true);
    lv_LogRecordList = PutControl<TListView>(this, 196, 40, 550, 400);
    lv_LogRecordList->SetViewStyle(TViewStyle::vsReport);
    lv_LogRecordList->SetRowSelect(true);
    lv_LogRecordList->SetReadOnly(true);
    for (const char* c :
         {"时间", "描述", "用户", "主控通道", "副控通道", "报警点", "主控地址", "副控地址"}) {
        TListColumn* col = lv_LogRecordList->AddColumn();
        col->SetCaption(Utf8ToGbk(c));
        col->SetWidth(90);
    }
    StatusBar = PutControl<TStatusBar>(this, 0, 450, 760, 20);
    StatusBar->SetSimplePanel(true);

    cb_MainAddr->OnChange = TNotifyEvent(this, &TRemoteWorkLogForm::cb_MainAddrChange);
    sb_Connect->OnClick = TNotifyEvent(this, &TRemoteWorkLogForm::sb_ConnectClick);
    sb_Exit->OnClick = TNotifyEvent(this, &TRemoteWorkLogForm::sb_ExitClick);
    sb_Print->OnClick = TNotifyEvent(this, &TRemoteWorkLogForm::sb_PrintClick);
    tv_LogDayList->OnChange = TTVChangedEvent(this, &TRemoteWorkLogForm::tv_LogDayListChange);

    FillHostAddresses(host_, cb_MainAddr, se_UDPMessageServerPort);
}

TRemoteWorkLogForm::~TRemoteWorkLogForm() = default;

void TRemoteWorkLogForm::cb_MainAddrChange(TObject*) {
    ShowHostPort(host_, cb_MainAddr, se_UDPMessageServerPort);
}

void TRemoteWorkLogForm::sb_ConnectClick(TObject*) {
    const std::string address = cb_MainAddr->GetText();
    if (address.empty()) return;
    ConnectedAddress = address;
    tv_LogDayList->Items()->Clear();
    lv_LogRecordList->Items()->Clear();
    FirstIndexes.clear();
    UdpMsgWorkLogDaysQuery m{};
    m.Keyword.Set(std::string(kKeyWorkLog));
    try {
        if (host_.Udp)
            host_.Udp->SendTo(&m, sizeof m, SpinValue(se_UDPMessageServerPort, 1, 1000000),
                              ConnectedAddress);
    } catch (...) {
        // The time-out message follows.
    }
    wait_->Start();
    SetEnabled(false);
    Screen->SetCursor(crHourGlass);
    StatusBar->SetSimpleText(Utf8ToGbk("正在连接中，请稍候！"));
}

void TRemoteWorkLogForm::EndWait() {
    wait_->Done();
    SetEnabled(true);
    Screen->SetCursor(crDefault);
    StatusBar->SetSimpleText("");
}

void TRemoteWorkLogForm::ConnectTimeout() {
    SetEnabled(true);
    Screen->SetCursor(crDefault);
    StatusBar->SetSimpleText("");
    if (tv_LogDayList->Items()->Count() == 0) host_.ShowMessage(Utf8ToGbk("连接失败！"));
}

void TRemoteWorkLogForm::WMWorkLogDays(TMessage&) {
    EndWait();
}

void TRemoteWorkLogForm::WMWorkLogEnd(TMessage&) {
    EndWait();
}

void TRemoteWorkLogForm::ClearStatus() {
    StatusBar->SetSimpleText("");
}

void TRemoteWorkLogForm::FillDayTree(const std::vector<std::string>& days,
                                     const std::vector<int>& firstIndexes) {
    FirstIndexes = firstIndexes;
    TTreeNodes* nodes = tv_LogDayList->Items();
    nodes->Clear();
    TTreeNode *year = nullptr, *month = nullptr;
    for (size_t d = 0; d < days.size() && d < firstIndexes.size(); ++d) {
        const std::string& day = days[d];
        if (day.size() < 10) continue;
        if (!year || year->Text() != day.substr(0, 4)) {
            year = nodes->AddChild(nullptr, day.substr(0, 4));
            month = nullptr;
        }
        if (!month || month->Text() != day.substr(5, 2))
            month = nodes->AddChild(year, day.substr(5, 2));
        // The day keeps its position in the day list; its first index is looked up there.
        nodes->AddChildObject(month, day, reinterpret_cast<void*>(intptr_t(d)));
    }
}

int TRemoteWorkLogForm::DayRecords(int day) const {
    const int first = FirstIndexes[size_t(day)];
    const int next =
        size_t(day) + 1 < FirstIndexes.size() ? FirstIndexes[size_t(day) + 1] : RecordTotal;
    return next - first;
}

void TRemoteWorkLogForm::AskRecords(int first, int count) {
    UdpMsgWorkLogQuery m{};
    m.First = first;
    m.Count = count;
    try {
        if (host_.Udp)
            host_.Udp->SendTo(
                &m, sizeof m,
                GroupMessagePort(host_.Groups, ConnectedAddress, kDefaultMessageServerPort),
                ConnectedAddress);
    } catch (...) {
        // The time-out ends the wait.
    }
    wait_->Start();
    StatusBar->SetSimpleText(Utf8ToGbk("正在连接中，请稍候！"));
}

void TRemoteWorkLogForm::tv_LogDayListChange(TObject*, TTreeNode* Node) {
    if (!Node || Node->Level() < 2) return;
    TTreeNode* dayNode = Node->Level() == 2 ? Node : Node->Parent();
    const int day = int(reinterpret_cast<intptr_t>(dayNode->Data));
    if (day < 0 || size_t(day) >= FirstIndexes.size()) return;
    lv_LogRecordList->Items()->Clear();
    const int first = FirstIndexes[size_t(day)];
    const std::vector<TLogBlock> blocks = DayBlocks(DayRecords(day));
    if (Node->Level() == 2) {
        if (blocks.empty()) {
            AskRecords(first, DayRecords(day));
            return;
        }
        while (dayNode->Count() > 0)
            dayNode->Item(0)->Delete();
        for (const TLogBlock& b : blocks)
            tv_LogDayList->Items()->AddChild(dayNode, std::to_string(b.Offset + 1) + "--" +
                                                          std::to_string(b.Offset + b.Count));
        dayNode->Expand(false);
        return;
    }
    const int b = Node->Index();
    if (b < 0 || size_t(b) >= blocks.size()) return;
    AskRecords(first + blocks[size_t(b)].Offset, blocks[size_t(b)].Count);
}

void TRemoteWorkLogForm::AddRecordRow(const TWorkLogRecord& record) {
    const std::vector<std::string> cells = WorkLogRowCells(record);
    TListItem* item = lv_LogRecordList->Items()->Add();
    item->SetCaption(cells[0]);
    for (size_t i = 1; i < cells.size(); ++i)
        item->SubItems()->Add(cells[i]);
}

std::vector<std::string> TRemoteWorkLogForm::PrintLines(const std::string& now) {
    std::vector<std::string> lines{now, " "};
    TListItems* items = lv_LogRecordList->Items();
    for (int i = 0; i < items->Count(); ++i) {
        TListItem* item = items->Item(i);
        std::string line = item->Caption();
        for (int k = 0; k < item->SubItems()->Count(); ++k)
            line += "  " + item->SubItems()->Strings(k);
        lines.push_back(line);
    }
    return lines;
}

void TRemoteWorkLogForm::sb_PrintClick(TObject*) {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    char now[32];
    std::snprintf(now, sizeof now, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay,
                  t.wHour, t.wMinute, t.wSecond);
    const std::vector<std::string> lines = PrintLines(now);
    // Any failure (no printer, a refused job) ends the print quietly.
    wchar_t printer[512];
    DWORD size = 512;
    if (!::GetDefaultPrinterW(printer, &size)) return;
    // A printer DC is released with DeleteDC, as a memory DC is.
    dvr::win::MemoryDc printerDc(::CreateDCW(L"WINSPOOL", printer, nullptr, nullptr));
    if (!printerDc) return;
    const HDC dc = printerDc.get();
    const HFONT font =
        reinterpret_cast<HFONT>(::SendMessageW(lv_LogRecordList->WindowHandle(), WM_GETFONT, 0, 0));
    const HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
    DOCINFOW doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = L"WorkLog";
    if (::StartDocW(dc, &doc) > 0) {
        TEXTMETRICW tm{};
        ::GetTextMetricsW(dc, &tm);
        const int lineHeight =
            tm.tmHeight + tm.tmExternalLeading > 0 ? tm.tmHeight + tm.tmExternalLeading : 16;
        const int pageHeight = ::GetDeviceCaps(dc, VERTRES);
        int y = pageHeight; // forces the first page
        bool pageOpen = false;
        for (const std::string& line : lines) {
            if (y + lineHeight > pageHeight) {
                if (pageOpen) ::EndPage(dc);
                pageOpen = ::StartPage(dc) > 0;
                if (!pageOpen) break;
                y = 0;
            }
            const std::wstring w = dvr::win::GbkToWide(line);
            ::TextOutW(dc, 0, y, w.c_str(), int(w.size()));
            y += lineHeight;
        }
        if (pageOpen) ::EndPage(dc);
        ::EndDoc(dc);
    }
    if (old) ::SelectObject(dc, old);
}

void TRemoteWorkLogForm::sb_ExitClick(TObject*) {
    // Hidden when shown on its own; a modal showing ends.
    Close();
}

} // namespace vantrel
