#include "host/ui/F_BackupForm.h"

#include "framework/ui/place_control.h"

#include "host/ui/U_ReplayRules.h"

#include "common/win/textconv.h"

#include <windows.h>

namespace vantrel {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

TDriveList TDriveList::System() {
    TDriveList d;
    d.Letters = [] {
        std::vector<char> letters;
        const DWORD mask = ::GetLogicalDrives();
        for (int i = 0; i < 26; ++i)
            if (mask & (1u << i)) letters.push_back(static_cast<char>('A' + i));
        return letters;
    };
    d.FreeBytes = [](char letter, uint64_t& bytes) {
        const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', 0};
        ULARGE_INTEGER free{};
        if (!::GetDiskFreeSpaceExW(root, &free, nullptr, nullptr)) return false;
        bytes = free.QuadPart;
        return true;
    };
    return d;
}

void FillDriveBox(TComboBox* box, const TDriveList& drives) {
    box->Items()->Clear();
    if (drives.Letters)
        for (char c : drives.Letters())
            box->Items()->Add(std::string(1, c) + ":");
    if (box->Items()->Count() > 0) box->SetItemIndex(0);
}

char ChosenDrive(TComboBox* box) {
    const int i = box->ItemIndex();
    if (i < 0) return 0;
    const std::string text = box->Items()->Get(i);
    return text.empty() ? 0 : text[0];
}

TBackupForm::TBackupForm(TComponent* AOwner, const std::string& title, TDriveList drives)
    : TForm(AOwner), drives_(std::move(drives)) {
    SetCaption(title + "    " + Utf8ToGbk("数据备份"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetPosition(TPosition::poMainFormCenter);
    SetClientSize(300, 130);
    PlaceControl<TLabel>(this, 12, 14, 110, 16)->SetCaption(Utf8ToGbk("备份盘："));
    dcb_Driver = PlaceControl<TComboBox>(this, 130, 10, 150, 22);
    dcb_Driver->SetStyle(TComboBoxStyle::csDropDownList);
    PlaceControl<TLabel>(this, 12, 44, 110, 16)->SetCaption(Utf8ToGbk("剩余空间(KB)："));
    lb_Space = PlaceControl<TLabel>(this, 130, 44, 150, 16);
    PlaceControl<TLabel>(this, 12, 68, 110, 16)->SetCaption(Utf8ToGbk("需要空间(KB)："));
    lb_NeedSpace = PlaceControl<TLabel>(this, 130, 68, 150, 16);
    bt_OK = PlaceControl<TButton>(this, 110, 96, 80, 26);
    bt_OK->SetCaption(Utf8ToGbk("确定"));
    bt_OK->SetDefault(true);
    bt_Cancel = PlaceControl<TButton>(this, 200, 96, 80, 26);
    bt_Cancel->SetCaption(Utf8ToGbk("取消"));
    bt_Cancel->SetCancel(true);
    bt_Cancel->SetModalResult(mrCancel);
    FillDriveBox(dcb_Driver, drives_);

    OnShow = TNotifyEvent(this, &TBackupForm::FormShow);
    dcb_Driver->OnChange = TNotifyEvent(this, &TBackupForm::dcb_DriverChange);
    bt_OK->OnClick = TNotifyEvent(this, &TBackupForm::bt_OKClick);
    ShowMessage = [this](const std::string& text) {
        ::MessageBoxW(Handle(), dvr::win::GbkToWide(text).c_str(), L"", MB_OK);
    };
}

void TBackupForm::ShowSpace() {
    uint64_t bytes = 0;
    const char drive = Drive();
    if (!drive || !drives_.FreeBytes || !drives_.FreeBytes(drive, bytes)) bytes = 0;
    lb_Space->SetCaption(std::to_string(bytes / 1024));
}

void TBackupForm::FormShow(TObject*) {
    ShowSpace();
}
void TBackupForm::dcb_DriverChange(TObject*) {
    ShowSpace();
}

void TBackupForm::bt_OKClick(TObject*) {
    if (!BackupHasRoom(lb_Space->Caption(), lb_NeedSpace->Caption())) {
        if (ShowMessage) ShowMessage(Utf8ToGbk("空间不足"));
        return;
    }
    SetModalResult(mrOk);
}

} // namespace vantrel
