#include "host/net/F_RemoteUpgradeWindow.h"

#include "framework/ui/place_control.h"

#include "common/win/textconv.h"

#include <cstdlib>

namespace vantrel {

namespace {

using namespace dvr::fw;
using dvr::win::Utf8ToGbk;

constexpr int kDefaultUpgradePort = 62000;

TLabel* Label(TRemoteUpgradeWindow* form, int x, int y, int w, const char* utf8) {
    auto* l = PlaceControl<TLabel>(form, x, y, w, 16);
    l->SetCaption(Utf8ToGbk(utf8));
    return l;
}

} // namespace

TRemoteUpgradeWindow::TRemoteUpgradeWindow(TComponent* AOwner, const std::string& appTitle,
                                           const std::string& programPath, UINT timerMs)
    : TForm(AOwner) {
    SetCaption(appTitle + "    " + Utf8ToGbk("远程升级"));
    SetBorderStyle(TFormBorderStyle::bsDialog);
    SetBorderIcons(TBorderIcons{});
    SetBounds(120, 80, 440, 440);

    Label(this, 8, 12, 50, "地址：");
    cb_MainAddr = PlaceControl<TComboBox>(this, 60, 8, 140, 22);
    im_Keyboor = PlaceControl<TSpeedButton>(this, 204, 7, 24, 24);
    im_Keyboor->SetHint(Utf8ToGbk("屏幕键盘"));
    im_Keyboor->SetShowHint(true);
    Label(this, 236, 12, 110, "使用端口(TCP)：");
    se_TCPRemoteUpgradePort = PlaceControl<TEdit>(this, 346, 8, 76, 22);
    se_TCPRemoteUpgradePort->SetText(std::to_string(kDefaultUpgradePort));

    Label(this, 8, 40, 200, "请选择须要升级的文件：");
    lv_FileList = PlaceControl<TListView>(this, 8, 58, 414, 220);
    lv_FileList->SetViewStyle(TViewStyle::vsReport);
    lv_FileList->SetCheckboxes(true);
    lv_FileList->SetReadOnly(true);
    TListColumn* column = lv_FileList->AddColumn();
    column->SetCaption(Utf8ToGbk("文件名"));
    column->SetWidth(380);
    // "全清" at creation: every file starts checked.
    for (const std::string& name : ListUpgradeFiles(programPath)) {
        TListItem* item = lv_FileList->Items()->Add();
        item->SetCaption(name);
        item->SetChecked(true);
    }
    sb_SelectAll = PlaceControl<TSpeedButton>(this, 8, 282, 60, 24);
    sb_SelectAll->SetCaption(Utf8ToGbk("全清"));

    lb_FileName = Label(this, 8, 314, 414, "");
    lb_FileName->SetCaption({});
    pb_UpgradeStatu = PlaceControl<TProgressBar>(this, 8, 334, 414, 18);
    lb_Wait = Label(this, 8, 358, 300, "正在升级中，请稍候......");
    lb_Wait->SetVisible(false);
    bt_StartUpgrade = PlaceControl<TButton>(this, 8, 384, 90, 26);
    bt_StartUpgrade->SetCaption(Utf8ToGbk("开始升级"));
    bt_EndUpgrade = PlaceControl<TButton>(this, 106, 384, 90, 26);
    bt_EndUpgrade->SetCaption(Utf8ToGbk("中断升级"));
    bt_Close = PlaceControl<TButton>(this, 332, 384, 90, 26);
    bt_Close->SetCaption(Utf8ToGbk("退出"));

    cb_MainAddr->OnChange = TNotifyEvent(this, &TRemoteUpgradeWindow::cb_MainAddrChange);
    im_Keyboor->OnClick = TNotifyEvent(this, &TRemoteUpgradeWindow::im_KeyboorClick);
    sb_SelectAll->OnClick = TNotifyEvent(this, &TRemoteUpgradeWindow::sb_SelectAllClick);
    bt_StartUpgrade->OnClick = TNotifyEvent(this, &TRemoteUpgradeWindow::bt_StartUpgradeClick);
    bt_EndUpgrade->OnClick = TNotifyEvent(this, &TRemoteUpgradeWindow::bt_EndUpgradeClick);
    bt_Close->OnClick = TNotifyEvent(this, &TRemoteUpgradeWindow::bt_CloseClick);
    OnShow = TNotifyEvent(this, &TRemoteUpgradeWindow::FormShow);
    OnCloseQuery = TCloseQueryEvent(this, &TRemoteUpgradeWindow::FormCloseQuery);

    MessageBox = [this](const std::string& text) {
        ::MessageBoxW(Handle(), dvr::win::GbkToWide(text).c_str(),
                      dvr::win::GbkToWide(Caption()).c_str(), MB_OK);
    };
    AskBox = [this](const std::string& text) {
        return ::MessageBoxW(Handle(), dvr::win::GbkToWide(text).c_str(), L"提示信息",
                             MB_YESNO | MB_ICONQUESTION) == IDYES;
    };
    sender_ = std::make_unique<TRemoteUpgradeSender>(static_cast<TRemoteUpgradeView&>(*this),
                                                     programPath, timerMs);
}

TRemoteUpgradeWindow::~TRemoteUpgradeWindow() = default;

void TRemoteUpgradeWindow::SetHosts(const std::vector<std::string>& addresses,
                                    std::function<int(const std::string&)> portOf) {
    portOf_ = std::move(portOf);
    for (const std::string& a : addresses)
        if (!a.empty() && cb_MainAddr->Items()->IndexOf(a) < 0) cb_MainAddr->Items()->Add(a);
    if (cb_MainAddr->Items()->Count() > 0 && cb_MainAddr->Caption().empty()) {
        cb_MainAddr->SetItemIndex(0);
        cb_MainAddrChange(cb_MainAddr);
    }
}

void TRemoteUpgradeWindow::cb_MainAddrChange(TObject*) {
    int port = portOf_ ? portOf_(cb_MainAddr->Caption()) : 0;
    if (port < 1) port = kDefaultUpgradePort;
    se_TCPRemoteUpgradePort->SetText(std::to_string(port));
}

void TRemoteUpgradeWindow::im_KeyboorClick(TObject*) {
    ::WinExec("osk.exe", SW_SHOWNORMAL);
}

void TRemoteUpgradeWindow::sb_SelectAllClick(TObject*) {
    const bool check = sb_SelectAll->Tag() == 1;
    for (int i = 0; i < lv_FileList->Items()->Count(); ++i)
        lv_FileList->Items()->Item(i)->SetChecked(check);
    sb_SelectAll->SetTag(check ? 0 : 1);
    sb_SelectAll->SetCaption(Utf8ToGbk(check ? "全清" : "全选"));
}

void TRemoteUpgradeWindow::bt_StartUpgradeClick(TObject*) {
    std::vector<std::string> names;
    for (int i = 0; i < lv_FileList->Items()->Count(); ++i)
        if (lv_FileList->Items()->Item(i)->Checked())
            names.push_back(lv_FileList->Items()->Item(i)->Caption());
    sender_->StartUpgrade(cb_MainAddr->Caption(),
                          std::atoi(se_TCPRemoteUpgradePort->Caption().c_str()), names);
}

void TRemoteUpgradeWindow::bt_EndUpgradeClick(TObject*) {
    if (!lb_Wait->Visible()) return;
    if (AskBox && AskBox(Utf8ToGbk("你要中断远程升级吗？"))) sender_->EndUpgrade();
}

void TRemoteUpgradeWindow::bt_CloseClick(TObject*) {
    if (lb_Wait->Visible()) return;
    CloseAllowed = true;
    Close();
}

void TRemoteUpgradeWindow::FormShow(TObject*) {
    CloseAllowed = false;
}

void TRemoteUpgradeWindow::FormCloseQuery(TObject*, bool& CanClose) {
    CanClose = CloseAllowed;
}

void TRemoteUpgradeWindow::ShowMessage(const std::string& text) {
    if (MessageBox) MessageBox(text);
}

void TRemoteUpgradeWindow::SetProgressRange(int max) {
    pb_UpgradeStatu->SetMax(max);
}

void TRemoteUpgradeWindow::SetProgress(int position) {
    pb_UpgradeStatu->SetPosition(position);
}

void TRemoteUpgradeWindow::StepProgress(int by) {
    pb_UpgradeStatu->StepBy(by);
}

void TRemoteUpgradeWindow::SetFileNameLabel(const std::string& text) {
    lb_FileName->SetCaption(text);
}

void TRemoteUpgradeWindow::SetWaitVisible(bool visible) {
    lb_Wait->SetVisible(visible);
}

void TRemoteUpgradeWindow::SetWindowEnabled(bool enabled) {
    SetEnabled(enabled);
}

void TRemoteUpgradeWindow::SetStartEnabled(bool enabled) {
    bt_StartUpgrade->SetEnabled(enabled);
}

void TRemoteUpgradeWindow::SetHourglass(bool on) {
    ::SetCursor(::LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW));
}

} // namespace vantrel
