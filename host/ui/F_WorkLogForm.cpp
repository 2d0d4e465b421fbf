#include "host/ui/F_WorkLogForm.h"

#include "host/ui/U_ConsoleDialogRules.h"
#include "host/ui/U_DialogControls.h"

#include "host/engine/U_Conversions.h"

#include <winspool.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

TWorkLogForm::TWorkLogForm(TComponent* AOwner, TWorkLog& log) : TForm(AOwner), log_(log) {
    SetCaption(DialogCaption("日志管理"));
    SetPosition(TPosition::poScreenCenter);
    SetClientWidth(860);
    SetClientHeight(520);
    bt_Manager = PutButton(this, 8, 6, 70, "管理");
    bt_Print = PutButton(this, 84, 6, 70, "打印");
    bt_Exit = PutButton(this, 160, 6, 70, "退出");
    tv_LogDayList = PutControl<TTreeView>(this, 8, 38, 180, 474);
    tv_LogDayList->SetReadOnly(true);
    tv_LogDayList->SetHideSelection(false);
    lv_LogRecordList = PutControl<TListView>(this, 194, 38, 658, 474);
    lv_LogRecordList->SetViewStyle(TViewStyle::vsReport);
    lv_LogRecordList->SetRowSelect(true);
    lv_LogRecordList->SetReadOnly(true);
    const std::pair<const char*, int> columns[8] = {
        {"时间", 150},    {"描述", 120},  {"用户", 60},      {"主控通道", 60},
        {"副控通道", 60}, {"报警点", 50}, {"主控地址", 100}, {"副控地址", 100}};
    for (const auto& [text, width] : columns) {
        TListColumn* c = lv_LogRecordList->AddColumn();
        c->SetCaption(Utf8ToGbk(text));
        c->SetWidth(width);
    }
    pn_LogManager = PutControl<TPanel>(this, 240, 2, 420, 32);
    PutLabel(pn_LogManager, 6, 8, 50, "仅保留");
    se_LogDays = PutControl<TEdit>(pn_LogManager, 58, 4, 50, 22);
    PutLabel(pn_LogManager, 112, 8, 100, "天的日志记录");
    bt_OK = PutButton(pn_LogManager, 240, 3, 70, "确定");
    bt_Cancel = PutButton(pn_LogManager, 316, 3, 70, "取消");
    pn_LogManager->SetVisible(false);

    bt_Manager->OnClick = TNotifyEvent(this, &TWorkLogForm::bt_ManagerClick);
    bt_Print->OnClick = TNotifyEvent(this, &TWorkLogForm::bt_PrintClick);
    bt_Exit->OnClick = TNotifyEvent(this, &TWorkLogForm::bt_ExitClick);
    bt_OK->OnClick = TNotifyEvent(this, &TWorkLogForm::bt_OKClick);
    bt_Cancel->OnClick = TNotifyEvent(this, &TWorkLogForm::bt_CancelClick);
    tv_LogDayList->OnChange = TTVChangedEvent(this, &TWorkLogForm::tv_LogDayListChange);
    OnShow = TNotifyEvent(this, &TWorkLogForm::FormShow);
    OnClose = TCloseEvent(this, &TWorkLogForm::FormClose);

    // The writer keeps every day while the viewer is open.
    log_.ViewerOpen = true;
    se_LogDays->SetText(std::to_string(int(log_.KeepDays)));
    LoadDays();
}

TWorkLogForm::~TWorkLogForm() {
    log_.ViewerOpen = false;
}

void TWorkLogForm::FormShow(TObject*) {
    log_.ViewerOpen = true;
}

void TWorkLogForm::FormClose(TObject*, TCloseAction&) {
    log_.ViewerOpen = false;
}

void TWorkLogForm::LoadDays() {
    tv_LogDayList->Items()->Clear();
    dayNodes_.clear();
    DayFirstIndexes.clear();
    std::vector<std::string> dates, indexTexts;
    log_.ListDays(dates, indexTexts);
    for (const std::string& t : indexTexts)
        DayFirstIndexes.push_back(std::atoi(t.c_str()));
    TTreeNodes* nodes = tv_LogDayList->Items();
    for (const WorkLogYear& y : BuildWorkLogDays(dates, DayFirstIndexes)) {
        TTreeNode* yn = nodes->AddChild(nullptr, y.Text);
        for (const auto& m : y.Months) {
            TTreeNode* mn = nodes->AddChild(yn, m.Text);
            for (const auto& d : m.Days)
                dayNodes_.push_back(nodes->AddChildObject(
                    mn, d.Text, reinterpret_cast<void*>(intptr_t(d.FirstIndex))));
        }
    }
}

int TWorkLogForm::DayIndexOf(TTreeNode* dayNode) const {
    const auto it = std::find(dayNodes_.begin(), dayNodes_.end(), dayNode);
    return it == dayNodes_.end() ? -1 : int(it - dayNodes_.begin());
}

void TWorkLogForm::tv_LogDayListChange(TObject*, TTreeNode* Node) {
    if (choosing_) return;
    ChooseNode(Node);
}

void TWorkLogForm::ChooseNode(TTreeNode* node) {
    if (!node || node->Level() < 2) return;
    choosing_ = true;
    lv_LogRecordList->Items()->Clear();
    TTreeNode* day = node->Level() == 2 ? node : node->Parent();
    const int dayIndex = DayIndexOf(day);
    if (dayIndex < 0) {
        choosing_ = false;
        return;
    }
    int first = int(reinterpret_cast<intptr_t>(day->Data));
    const int next = dayIndex + 1 < int(DayFirstIndexes.size())
                         ? DayFirstIndexes[size_t(dayIndex) + 1]
                         : log_.GetRecordCount();
    int count = next - first;
    if (node == day) {
        if (count <= kWorkLogPageRecords) {
            ShowRecords(first, count);
        } else {
            while (day->Count() > 0)
                day->Item(0)->Delete();
            for (const std::string& page : WorkLogPages(count))
                tv_LogDayList->Items()->AddChild(day, page);
            day->SetExpanded(true);
        }
    } else {
        const int k = node->Index();
        first += k * kWorkLogPageRecords;
        count = k == day->Count() - 1 ? count - k * kWorkLogPageRecords : kWorkLogPageRecords;
        ShowRecords(first, count);
    }
    choosing_ = false;
}

void TWorkLogForm::ShowRecords(int first, int count) {
    if (count <= 0) return;
    try {
        std::vector<TWorkLogRecord> buffer(static_cast<size_t>(count));
        for (auto& r : buffer)
            r.Event = 156; // unread records stay invalid
        log_.ReadRecords(first, buffer.data(), count);
        lv_LogRecordList->Items()->BeginUpdate();
        std::vector<std::string> columns;
        for (const TWorkLogRecord& r : buffer) {
            if (!WorkLogRow(r, columns)) continue;
            TListItem* item = lv_LogRecordList->Items()->Add();
            item->SetCaption(columns[0]);
            for (size_t c = 1; c < columns.size(); ++c)
                item->SubItems()->Add(columns[c]);
        }
        lv_LogRecordList->Items()->EndUpdate();
    } catch (...) {
        // What could be shown stays shown.
    }
}

std::vector<std::string> TWorkLogForm::PrintLines() {
    std::vector<std::string> lines;
    const DateTimeParts t = DecodeOleDate(CurrentOleDate());
    char now[40];
    std::snprintf(now, sizeof now, "%04d-%02d-%02d %02d:%02d:%02d", t.Year, t.Month, t.Day, t.Hour,
                  t.Minute, t.Second);
    lines.push_back(now);
    lines.push_back(" ");
    for (int i = 0; i < lv_LogRecordList->Items()->Count(); ++i) {
        TListItem* item = lv_LogRecordList->Items()->Item(i);
        std::string line = item->Caption();
        for (int c = 0; c < item->SubItems()->Count(); ++c)
            line += "  " + item->SubItems()->Get(c);
        lines.push_back(line);
    }
    return lines;
}

void TWorkLogForm::bt_PrintClick(TObject*) {
    try {
        wchar_t name[256];
        DWORD size = 256;
        if (!::GetDefaultPrinterW(name, &size)) return;
        HDC dc = ::CreateDCW(L"WINSPOOL", name, nullptr, nullptr);
        if (!dc) return;
        DOCINFOW doc{};
        doc.cbSize = sizeof doc;
        doc.lpszDocName = L"WorkLog";
        if (::StartDocW(dc, &doc) > 0) {
            ::StartPage(dc);
            TEXTMETRICW tm{};
            ::GetTextMetricsW(dc, &tm);
            const int pageHeight = ::GetDeviceCaps(dc, VERTRES);
            int y = 0;
            for (const std::string& line : PrintLines()) {
                if (y + tm.tmHeight > pageHeight) {
                    ::EndPage(dc);
                    ::StartPage(dc);
                    y = 0;
                }
                const std::wstring w = dvr::win::GbkToWide(line);
                ::TextOutW(dc, 0, y, w.c_str(), int(w.size()));
                y += tm.tmHeight;
            }
            ::EndPage(dc);
            ::EndDoc(dc);
        }
        ::DeleteDC(dc);
    } catch (...) {
    }
}

void TWorkLogForm::bt_ManagerClick(TObject*) {
    pn_LogManager->SetVisible(true);
}

void TWorkLogForm::bt_OKClick(TObject*) {
    log_.KeepDays = uint8_t(SpinValue(se_LogDays, 10, 90));
    log_.SaveKeepDays();
    pn_LogManager->SetVisible(false);
}

void TWorkLogForm::bt_CancelClick(TObject*) {
    pn_LogManager->SetVisible(false);
}

void TWorkLogForm::bt_ExitClick(TObject*) {
    Close();
}

void ShowWorkLogModal(TWorkLog& log) {
    auto* f = new TWorkLogForm(nullptr, log);
    f->AfterConstruction();
    f->ShowModal();
    f->Free();
}

} // namespace vantrel
