#include "host/ui/F_DiskView.h"

#include "host/ui/U_ConsoleDialogRules.h"
#include "host/ui/U_DialogControls.h"

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

bool QueryFixedDrive(const std::string& root, uint64_t& total, uint64_t& free) {
    const std::wstring w = dvr::win::GbkToWide(root);
    if (::GetDriveTypeW(w.c_str()) != DRIVE_FIXED) return false;
    ULARGE_INTEGER avail{}, size{}, freeAll{};
    if (!::GetDiskFreeSpaceExW(w.c_str(), &avail, &size, &freeAll)) {
        total = free = 0;
        return true;
    }
    total = size.QuadPart;
    free = freeAll.QuadPart;
    return true;
}

TDiskViewForm::TDiskViewForm(TComponent* AOwner, DriveQuery query)
    : TForm(AOwner), query_(query ? std::move(query) : DriveQuery(QueryFixedDrive)) {
    SetCaption(DialogCaption("磁盘信息"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poScreenCenter);
    SetClientWidth(560);
    SetClientHeight(300);
    ListView = PutControl<TListView>(this, 8, 8, 544, 250);
    ListView->SetViewStyle(TViewStyle::vsReport);
    ListView->SetRowSelect(true);
    ListView->SetReadOnly(true);
    const std::pair<const char*, int> columns[4] = {
        {"磁盘", 60}, {"容量(M)", 90}, {"剩余空间", 160}, {"还可录像时间（100M/小时/每通道)", 220}};
    for (const auto& [text, width] : columns) {
        TListColumn* c = ListView->AddColumn();
        c->SetCaption(Utf8ToGbk(text));
        c->SetWidth(width);
    }
    bt_Refresh = PutButton(this, 390, 266, 75, "刷新");
    bt_Close = PutButton(this, 476, 266, 75, "关闭");
    bt_Refresh->OnClick = TNotifyEvent(this, &TDiskViewForm::bt_RefreshClick);
    bt_Close->OnClick = TNotifyEvent(this, &TDiskViewForm::bt_CloseClick);
    bt_RefreshClick(nullptr);
}

void TDiskViewForm::bt_RefreshClick(TObject*) {
    ListView->Items()->Clear();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string root = std::string(1, letter) + ":\\";
        uint64_t total = 0, free = 0;
        if (!query_(root, total, free)) continue;
        const DiskViewRow row = MakeDiskViewRow(root, total, free);
        TListItem* item = ListView->Items()->Add();
        item->SetCaption(row.Root);
        item->SubItems()->Add(row.CapacityMB);
        item->SubItems()->Add(row.Free);
        item->SubItems()->Add(row.HoursLeft);
    }
}

void TDiskViewForm::bt_CloseClick(TObject*) {
    SetModalResult(mrCancel);
}

void ShowDiskViewModal() {
    auto* f = new TDiskViewForm(nullptr);
    f->AfterConstruction();
    f->ShowModal();
    f->Free();
}

} // namespace vantrel
