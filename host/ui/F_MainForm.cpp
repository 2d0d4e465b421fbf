#include "host/ui/F_MainForm.h"

#include "host/ui/F_Logon.h"
#include "host/ui/F_ElectronMap.h"
#include "host/ui/F_StartUp.h"
#include "host/ui/U_HostObjects.h"

#include "common/win/textconv.h"
#include "host/engine/U_DiskAccess.h"
#include "host/net/U_NetSentBytes.h"
#include "framework/colors.h"

#include <cmath>
#include <cstdio>

namespace vantrel {

using namespace dvr::fw;

TMainForm* MainForm = nullptr;

namespace {

std::string Gbk(const char* utf8) {
    return dvr::win::Utf8ToGbk(utf8);
}

// The caption the start-up gives the application: the same title, so the host is found by it.
std::string TitleOfProgram() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return ProgramTitle(folder.substr(0, folder.find_last_of(L'\\') + 1));
}

} // namespace

std::string ClockText(const SYSTEMTIME& t) {
    char s[32];
    std::snprintf(s, sizeof s, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
    return s;
}

const char* WeekDayName(int dayOfWeek) {
    static const char* const kNames[7] = {"星期日", "星期一", "星期二", "星期三",
                                          "星期四", "星期五", "星期六"};
    return kNames[((dayOfWeek % 7) + 7) % 7];
}

std::string UptimeText(uint32_t seconds) {
    return std::to_string(seconds / 3600) + ":" + std::to_string(seconds / 60 % 60) + ":" +
           std::to_string(seconds % 60);
}

TMainForm::TMainForm(TComponent* AOwner)
    : TForm(AOwner), ConsoleEngine(Host, *this), ConsoleWindows(Host, *this) {
    MainForm = this;
    SetBorderStyle(TFormBorderStyle::bsNone);
    SetColor(0x303030);
    SetCaption(TitleOfProgram());
    SetBounds(0, 0, 1024, 768);
    // Locked from creation until an operator logs on.
    Locked = true;

    Button("im_PartWindow", 0, 912, 90, "画面分割");
    Button("im_SystemSet", 1, 962, 90, "系统设置");
    im_AutoWork = Button("im_AutoWork", 2, 912, 110, "进入自动工作模式，执行自动工作计划");
    Button("im_Replay", 3, 962, 110, "回放");
    Button("im_PreviewAudio", 4, 912, 130, "监听");
    Button("im_CaptureBMP", 5, 962, 130, "抓帧");
    im_CycleVideo = Button("im_CycleVideo", 6, 912, 740, "轮视/分组");
    Button("im_OtherFunction", 7, 962, 740, "其它功能");
    im_Logon = Button("im_Logon", 8, 912, 720, "登录/锁定");
    im_ExitSystem = Button("im_ExitSystem", 9, 962, 720, "退出系统");

    lb_Time = new TLabel(this);
    lb_Time->SetParent(this);
    lb_Time->SetBounds(905, 2, 118, 14);
    lb_Time->Font()->SetColor(clWhite);
    lb_Week = new TLabel(this);
    lb_Week->SetParent(this);
    lb_Week->SetBounds(905, 76, 50, 14);
    lb_Week->Font()->SetColor(clWhite);
    lb_TotalTime = new TLabel(this);
    lb_TotalTime->SetParent(this);
    lb_TotalTime->SetBounds(960, 76, 60, 14);
    lb_TotalTime->Font()->SetColor(clWhite);

    CurrentTimeTimer = new TTimer(this);
    CurrentTimeTimer->SetInterval(1000);
    CurrentTimeTimer->SetOnTimer(TNotifyEvent(this, &TMainForm::CurrentTimeTimerTimer));
    CurrentTimeTimer->SetEnabled(true);
    VideoCycleTimer = new TTimer(this);
    VideoCycleTimer->SetEnabled(false);
    VideoCycleTimer->SetInterval(60000);
    VideoCycleTimer->SetOnTimer(TNotifyEvent(this, &TMainForm::VideoCycleTimerTimer));
    // The name-server registration, started at the first show when there is a board.
    Timer2 = new TTimer(this);
    Timer2->SetEnabled(false);
    Timer2->SetInterval(5000);
    Timer2->SetOnTimer(TNotifyEvent(this, &TMainForm::Timer2Timer));
    Timer3 = new TTimer(this);
    Timer3->SetInterval(100);
    Timer3->SetOnTimer(TNotifyEvent(this, &TMainForm::Timer3Timer));
    Timer3->SetEnabled(true);

    im_ExitSystem->OnClick = TNotifyEvent(this, &TMainForm::im_ExitSystemClick);
    Commands = new TConsoleCommands(this, ConsoleEngine, ConsoleWindows);
    Commands->Ask = [this](const std::wstring& text, const std::wstring& caption, UINT type) {
        return Ask(text.c_str(), caption.c_str(), type);
    };
    Commands->AskLogon = [this](std::string& name, std::string& password) {
        return LogonPrompt && LogonPrompt->Prompt(name, password);
    };
    Commands->ExitSystem = [this] { im_ExitSystemClick(nullptr); };
    SetKeyPreview(true);
    OnKeyDown = TKeyEvent(this, &TMainForm::FormKeyDown);
    OnKeyUp = TKeyEvent(this, &TMainForm::FormKeyUp);
    OnShow = TNotifyEvent(this, &TMainForm::FormShow);
    OnClose = TCloseEvent(this, &TMainForm::FormClose);
    OnDestroy = TNotifyEvent(this, &TMainForm::FormDestroy);
}

bool TLogonDialogPrompt::Prompt(std::string& name, std::string& password) {
    TLogonForm* form = MakeForm<TLogonForm>(nullptr);
    form_ = form;
    const bool ok = form->ShowModal() == mrOk;
    form_ = nullptr;
    name = form->ed_UserName->GetText();
    password = form->ed_Password->GetText();
    form->Free();
    return ok;
}

void TLogonDialogPrompt::Cancel() {
    if (!form_) return;
    form_->CanClose = true;
    form_->SetModalResult(mrCancel);
}

int TMainForm::Ask(const wchar_t* text, const wchar_t* caption, UINT type) {
    if (Hooks.MessageBox) return Hooks.MessageBox(WindowHandle(), text, caption, type);
    return ::MessageBoxW(WindowHandle(), text, caption, type);
}

void TMainForm::im_ExitSystemClick(TObject*) {
    THost* h = Host;
    if (!h || !h->User) return;
    if (Ask(L"你要关闭系统吗？", L"提示信息", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    std::string name, password;
    if (!LogonPrompt || !LogonPrompt->Prompt(name, password)) return;
    if (!h->User->CheckRight(name, password, 29, -1, -1)) {
        Ask(L"对不起！您无权关闭系统。", L"提示", MB_OK | MB_ICONERROR);
        return;
    }
    h->User->SaveLastUser();
    const bool mayReturn = h->User->CheckRight(name, password, 29, 0, -1);
    h->WriteLog(3);
    const bool board = h->BoardCount() > 0;
    bool returnToWindows = false;
    if (board && mayReturn)
        returnToWindows = Ask(L"要返回操作系统吗？\r\r注意！按<否>则自动关闭计算机！\r", L"退出系统",
                              MB_YESNO | MB_ICONQUESTION) == IDYES;
    ShutdownAll();
    if (CompanionWindow) ::PostMessageW(CompanionWindow, WM_COMPANION, WPARAM(-1), LPARAM(-1));
    Pause(1000);
    if (board) {
        if (returnToWindows) {
            if (h->OtherCtrl) h->OtherCtrl->ShowTaskBar();
        } else if (Hooks.ExitWindows) {
            Hooks.ExitWindows(false);
        } else if (h->OtherCtrl) {
            h->OtherCtrl->ExitWindows(false);
        }
    }
    Close();
}

void TMainForm::FormKeyDown(TObject*, uint16_t& Key, TShiftState) {
    if (Key == VK_CONTROL && Host && Host->AlarmView) Host->AlarmView->ShowAreaOutlines();
}

void TMainForm::FormKeyUp(TObject*, uint16_t& Key, TShiftState) {
    if (Key == VK_CONTROL && Host && Host->AlarmView) Host->AlarmView->HideAreaOutlines();
}

void TMainForm::FormDestroy(TObject*) {
    // The remote-play downloads live only as long as the program.
    if (Host && !Host->ProgramPath.empty())
        DeleteFolder(Host->ProgramPath + "RemotePlay");
}

TPanel* TMainForm::Button(const char* name, int tag, int left, int top, const char* hint) {
    auto* b = new TPanel(this);
    b->SetName(name);
    b->SetParent(this);
    b->SetTag(tag);
    b->SetBounds(left, top, 46, 18);
    b->SetHint(Gbk(hint));
    b->SetShowHint(true);
    b->SetColor(0x605040);
    return b;
}

void TMainForm::Pause(DWORD ms) {
    if (Hooks.Pause) {
        Hooks.Pause(ms);
        return;
    }
    // Workers waiting on a step of this thread (the alarm dispatcher's display steps) are
    // served meanwhile; posted messages wait.
    const DWORD start = ::GetTickCount();
    for (DWORD spent = 0; spent < ms; spent = ::GetTickCount() - start) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_SENDMESSAGE);
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void TMainForm::Step(const char* name) {
    ShutdownTrace += name;
    ShutdownTrace += ';';
}

void TMainForm::FormShow(TObject*) {
    if (shownOnce_ || !Host || !Host->Preview) return;
    shownOnce_ = true;
    Host->ShownVisible = ::IsWindowVisible(WindowHandle()) != 0;
    Host->ShownEnabled = ::IsWindowEnabled(WindowHandle()) != 0;
    TPreview& preview = *Host->Preview;
    preview.SelectPane(0);
    preview.ShowSelectionFrame(0, true);
    if (Host->WorkState) Host->WorkState->Restore();
    if (Host->BoardCount() == 0) Commands->Buttons[2]->SetVisible(false);
    Commands->Buttons[6]->SetVisible(true);
    // The companion program is not part of this system: started when it is installed beside
    // the host, told only when it runs.
    CompanionWindow = ::FindWindowW(nullptr, L"Tavrelis");
    if (!CompanionWindow && Host->ProgramPath.size()) {
        const std::string exe = Host->ProgramPath + "Tavren.exe";
        if (::GetFileAttributesA(exe.c_str()) != INVALID_FILE_ATTRIBUTES) {
            ::WinExec(exe.c_str(), SW_SHOWNORMAL);
            CompanionWindow = ::FindWindowW(nullptr, L"Tavrelis");
        }
    }
    if (CompanionWindow) ::PostMessageW(CompanionWindow, WM_COMPANION, WPARAM(WindowHandle()), 0);
    if (Host->SystemOtherSet && Host->SystemOtherSet->Record.ShowLogonAtStart) {
        ::SetCursorPos(im_Logon->Left() + 1, im_Logon->Top() + 1);
        ::PostMessageW(WindowHandle(), WM_SETCURSOR, 0, MAKELPARAM(0, WM_LBUTTONUP));
    }
    // The upgrade receiver on its port and the name-server lookup for the host groups.
    Host->StartConsoleServices(*this, [this] { return CompanionWindow; });
    if (Host->BoardCount() > 0) {
        Timer2->SetEnabled(true);
        Timer2Timer(this);
    }
}

void TMainForm::Timer2Timer(TObject*) {
    if (Host) Host->RegisterWithNameServer();
}

void TMainForm::FormClose(TObject*, TCloseAction& Action) {
    // Only the orderly shutdown lets the console close; a logon dialog still up goes with it.
    if (!ShutdownDone)
        Action = TCloseAction::caNone;
    else
        LogonDialog.Cancel();
}

void TMainForm::CurrentTimeTimerTimer(TObject*) {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    lb_Time->SetCaption(ClockText(t));
    lb_Week->SetCaption(Gbk(WeekDayName(t.wDayOfWeek)));
    ++UptimeSeconds;
    lb_TotalTime->SetCaption(UptimeText(UptimeSeconds));
    if (Host) Host->DogTimerTick();
}

void TMainForm::VideoCycleTimerTimer(TObject*) {
    if (!Host || !Host->Preview) return;
    const int board = Host->BoardCount();
    if (board == 0) {
        if (Commands) Commands->CycleNetworkGroups();
        return;
    }
    int first = 0;
    for (int ch = 0; ch < board; ++ch)
        if (Host->Preview->Panes[size_t(ch)].Panel->Visible()) {
            first = ch;
            break;
        }
    const int n = Host->Preview->LastLayoutCount;
    Host->Preview->ShowLayout(NextCyclePage(first, n, board), n);
}

void TMainForm::Timer3Timer(TObject*) {
    // The senders' bandwidth cap counts bytes per 100 ms.
    NetSentBytes = 0;
}

void TMainForm::WMSetCursor(TMessage& M) {
    M.Result = ::DefWindowProcW(WindowHandle(), M.Msg, M.WParam, M.LParam);
    if (!Locked || HIWORD(M.LParam) != WM_LBUTTONUP) return;
    POINT pt{};
    ::GetCursorPos(&pt);
    ::ScreenToClient(WindowHandle(), &pt);
    const TRect b = im_Logon->BoundsRect();
    if (pt.x < b.Left || pt.x >= b.Right || pt.y < b.Top || pt.y >= b.Bottom) return;
    Unlock();
}

void TMainForm::Unlock() {
    Locked = false;
    std::string name, password;
    if (!LogonPrompt || !LogonPrompt->Prompt(name, password)) {
        Locked = true;
        return;
    }
    if (!Host || !Host->User || !Host->User->CheckRight(name, password, 0, -1, -1)) {
        ::MessageBoxW(WindowHandle(), L"对不起！您不具备登录本系统的权限。", L"登录",
                      MB_OK | MB_ICONERROR);
        Locked = true;
        return;
    }
    Host->User->SaveLastUser();
    SetEnabled(true);
    Commands->ShowLocked(false);
    TPreview& preview = *Host->Preview;
    for (int ch = 0; ch < Host->BoardCount(); ++ch)
        if (preview.Panes[size_t(ch)].Previewing && !Host->CheckRight(3, ch))
            preview.ClosePreview(ch, false);
    for (int ch = 0; ch < Host->BoardCount(); ++ch)
        preview.Open(ch);
    Host->WriteLog(1);
}

void TMainForm::WMSyncPaint(TMessage& M) {
    M.Result = ::DefWindowProcW(WindowHandle(), M.Msg, M.WParam, M.LParam);
    if (Host && Host->BoardCount() > 0 && Host->Preview) Host->Preview->RestoreOverlay();
}

void TMainForm::WMStreamData(TMessage&) {
    // The ready-data worker is not part of this host; nothing sends this message.
}

void TMainForm::WMPaneColor(TMessage& M) {
    if (!Host || int(M.WParam) >= Host->TotalChannels()) return;
    Commands->ShowPictureValues(int(M.WParam));
}

void TMainForm::WMRebuildChannelMap(TMessage& M) {
    RebuildChannelMap(M.WParam, M.LParam);
}

void TMainForm::WMPaneMenu(TMessage& M) {
    if (!Host || !Host->Preview) return;
    Host->Preview->PrepareLayoutMenu();
    Host->Preview->LayoutMenu->Popup(int(M.WParam), int(M.LParam));
}

void TMainForm::WMPowerAction(TMessage& M) {
    if (Host) Host->WriteLog(3);
    ShutdownAll();
    Pause(2000);
    if (CompanionWindow)
        ::PostMessageW(CompanionWindow, WM_COMPANION, WPARAM(M.LParam < 0 ? -2 : -1), LPARAM(-1));
    intptr_t action = intptr_t(M.WParam);
    if (action < 0) {
        Close();
        return;
    }
    if (action == 10000) {
        if (Host) Host->RaiseUpsDtr();
        action = 0;
    }
    const bool restart = action >= 1;
    if (Hooks.ExitWindows)
        Hooks.ExitWindows(restart);
    else if (Host && Host->OtherCtrl)
        Host->OtherCtrl->ExitWindows(restart);
}

void TMainForm::WMRemoteClose(TMessage&) {
    ShutdownAll();
    if (!Host || !Host->User || !Host->CheckRight(29, 0)) {
        if (Hooks.ExitWindows)
            Hooks.ExitWindows(false);
        else if (Host && Host->OtherCtrl)
            Host->OtherCtrl->ExitWindows(false);
    }
    Close();
}

void TMainForm::WMSettingsChanged(TMessage&) {
    if (!Host || !Host->SystemOtherSet) return;
    const uint8_t clientMode = Host->SystemOtherSet->Record.ActAsClient;
    ApplyAllSettings();
    if (Host->SystemOtherSet->Record.ActAsClient != clientMode && Host->ThreadCloseAll)
        Host->ThreadCloseAll->CloseChannels(-1, false, true, true, true, false, -1);
    if (Host->AlarmView) Host->AlarmView->HideAreaOutlines();
}

void TMainForm::WMCompanion(TMessage&) {
    if (CompanionWindow) ::PostMessageW(CompanionWindow, WM_COMPANION, WPARAM(WindowHandle()), 1);
}

void TMainForm::ShutdownAll() {
    ShutdownTrace.clear();
    THost* h = Host;
    const int board = h ? h->BoardCount() : 0;
    if (h && h->Preview)
        for (int ch = 0; ch < board; ++ch)
            h->Preview->StopListen(ch);
    Step("StopListen");
    // Before the callback closes, the recordings take what the board's stream rings still hold,
    // so an orderly stop loses no recorded second.
    if (h) h->FinishBoardRecordings();
    Step("FinishRecordings");
    CallbackClosing = true;
    Step("CallbackClosing");
    if (h && h->ThreadFreeTCPMainConnecter) h->ThreadFreeTCPMainConnecter->Stop();
    if (h && h->ThreadClearErrorData) h->ThreadClearErrorData->Stop();
    Step("StopSweeperAndCleaner");
    Timer2->SetEnabled(false);
    if (h) h->SendNameServerGoodbye();
    Step("NameServerGoodbye");
    if (h && h->WorkState) h->WorkState->Save();
    Step("SaveWorkState");
    if (h && h->ThreadAlarmAudio) h->ThreadAlarmAudio->SetRemoteAlarm(false);
    Step("ClearRemoteAlarmSound");
    if (h && h->Preview) h->Preview->CycleMode = false;
    VideoCycleTimer->SetEnabled(false);
    Step("StopCycling");
    Screen->SetCursor(crHourGlass);
    if (h && h->LiveServers) h->LiveServers->StopViewers();
    Step("StopViewers");
    if (h && h->ThreadCapturePackage)
        ::PostThreadMessageW(h->ThreadCapturePackage->ThreadId(), WM_THREADQUIT, 0, 0);
    Step("QuitCutter");
    Pause(200);
    if (h && h->ThreadWriteLogRecord) h->ThreadWriteLogRecord->Stop();
    Step("StopLogWriter");
    Pause(500);
    try {
        const int total = h ? h->TotalChannels() : 0;
        for (int ch = 0; h && h->Preview && ch < total; ++ch)
            if (h->Preview->Panes[size_t(ch)].Previewing) {
                h->Preview->ClosePreview(ch, true);
                Pause(50);
                h->Preview->Panes[size_t(ch)].Panel->Repaint();
            }
        Step("ClosePreviews");
        Pause(500);
        for (int ch = 0; h && h->Capture && ch < total && ch < kMaxBoardChannels; ++ch) {
            const TCaptureSlot& slot = h->Capture->Slots[size_t(ch)];
            if (slot.CaptureRunning && slot.FileOpen) {
                h->Capture->StopChannel(ch, ch < board ? ')' : '+');
                Pause(50);
            }
        }
        Step("StopRecordings");
        Pause(500);
        for (int ch = 0; h && h->Alarm && ch < total && ch < kSettingsChannels; ++ch)
            if (h->Alarm->Armed[ch]) {
                h->Alarm->StopDetection(ch);
                Pause(20);
            }
        Step("StopDetection");
    } catch (...) {
        // The rest of the block is skipped; the shutdown goes on.
    }
    Pause(1000);
    if (h && h->ThreadOpenAll) h->ThreadOpenAll->Stop();
    if (h && h->ThreadCloseAll) h->ThreadCloseAll->Stop();
    if (h && h->ThreadAlarmingMsg)
        ::PostThreadMessageW(h->ThreadAlarmingMsg->ThreadId(), WM_THREADQUIT, 0, 0);
    Step("StopBatchWorkersAndDispatcher");
    Pause(500);
    if (h && h->LiveServers) h->LiveServers->StopAll();
    Step("StopLiveServers");
    if (h) h->FreeUdpObjects();
    Step("FreeUdpObjects");
    Screen->SetCursor(crDefault);
    ShutdownDone = true;
    Step("Done");
    if (h) h->ShutdownTrace = ShutdownTrace;
}

void TMainForm::ApplyAllSettings() {
    THost* h = Host;
    if (!h) return;
    if (h->PreviewSet) h->PreviewSet->Load();
    if (h->CaptureSet) h->CaptureSet->Load();
    if (h->Preview) h->Preview->ApplySettings();
    if (h->AlarmSet) h->AlarmSet->Load();
    if (h->Alarm) h->Alarm->ApplyAreaSettings();
    if (h->AutoSet) h->AutoSet->Load();
    if (h->DogSet) h->DogSet->Reload();
    if (h->Dog) h->Dog->ApplySettings();
    if (h->ClientCheckSet) h->ClientCheckSet->Load();
    if (h->SystemOtherSet) h->SystemOtherSet->Reload();
    if (h->YunTaiSet) h->YunTaiSet->Load();
    if (h->YunTai) h->YunTai->LoadSpeedDefaults();
    for (int ch = 0; h->Preview && ch < h->TotalChannels(); ++ch)
        if (!h->Preview->Panes[size_t(ch)].Previewing)
            h->Preview->Panes[size_t(ch)].Background->SetVisible(h->ShowBackground(ch));
    if (h->OtherCtrl && h->SystemOtherSet) h->OtherCtrl->ApplyChanged(h->SystemOtherSet->Record);
    // The per-channel transfer to the board runs on a thread of its own.
    if (h->VideoCard && h->BoardCount() > 0) {
        struct Work {
            THost* host;
        };
        auto* w = new Work{h};
        HANDLE t = ::CreateThread(
            nullptr, 0,
            [](LPVOID p) -> DWORD {
                auto* work = static_cast<Work*>(p);
                THost& host = *work->host;
                // Titles, on-screen text and picture values, then the encoders.
                try {
                    host.PreviewSet->ApplyToBoard();
                } catch (...) {
                }
                for (int ch = 0; ch < host.BoardCount(); ++ch) {
                    try {
                        host.CaptureSet->ApplyChannel(ch);
                    } catch (...) {
                    }
                }
                delete work;
                return 0;
            },
            w, CREATE_SUSPENDED, nullptr);
        if (t) {
            ::SetThreadPriority(t, THREAD_PRIORITY_BELOW_NORMAL);
            ::ResumeThread(t);
            dvr::win::Thread owned(t); // frees itself when it ends
        } else {
            delete w;
        }
    }
}

void TMainForm::RebuildChannelMap(WPARAM wParam, LPARAM lParam) {
    THost* h = Host;
    if (!h || !h->SystemInfo || !h->Preview) return;
    try {
        const intptr_t w = intptr_t(wParam), l = intptr_t(lParam);
        if (w <= 0) {
            h->NetClientSet->Reload();
            if (h->NetClient) h->NetClient->LoadChannels();
        } else if (l > 0) {
            h->NetClientSet->SelectGroup(int(l - 1));
            if (h->NetClient) h->NetClient->LoadGroupChannels(int(l - 1));
        } else if (!(h->Preview->CycleMode && CycleGroup >= 0)) {
            return;
        } else {
            h->NetClientSet->SelectGroup(CycleGroup);
            if (h->NetClient) h->NetClient->LoadGroupChannels(CycleGroup);
        }
        h->SystemInfo->UpdateChannelLayout();
        for (int ch = h->BoardCount(); ch < kLayoutChannels; ++ch) {
            TPreviewSet::SetDefaults(ch, h->PreviewSet->Records[size_t(ch)]);
            TCaptureSet::SetDefaults(h->CaptureSet->Records[size_t(ch)]);
        }
        if (w <= 0) {
            TPreviewSet::SaveRecords(h->PreviewSet->Records.data(), 48);
            TCaptureSet::SaveRecords(h->CaptureSet->Records.data(), 48);
            h->PreviewSet->Load();
        }
        h->Preview->ApplySettings();
        if (w <= 0) h->CaptureSet->Load();
        h->BindNetworkSlots();
        if (w <= 0 && h->AlarmSet) h->AlarmSet->Load();
        if (w <= 0 && h->Alarm) h->Alarm->ApplyAreaSettings();
        if (w <= 0 && h->AutoSet) h->AutoSet->Load();
        if (w <= 0 && h->YunTaiSet) h->YunTaiSet->Load();
        if (w <= 0 && h->YunTai) h->YunTai->LoadSpeedDefaults();
        h->Preview->PlacePanes(h->SystemInfo->ChannelCount, h->SystemInfo->PaneRects,
                               h->SystemInfo->ChannelCount);
        h->Preview->ShowSelectionFrame(h->Preview->SelectedChannel, true);
        if (w > 0 && h->Preview->CycleMode) h->ThreadOpenAll->Request(-1, true, false, false);
        if (h->ElectronMapForm) h->ElectronMapForm->BuildMapTree();
    } catch (...) {
        // The map stays as far as it got.
    }
}

void TMainForm::im_AutoWorkClick() {
    Commands->im_AutoWorkClick(this);
}

} // namespace vantrel
