#include "playerapp/U_ReplayDll.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"
#include "player/lib/sound.h"
#include "player/lib/strovid_api.h"
#include "playerapp/U_PortGrid.h"

namespace playerqz {

TReplayService* ReplayService = nullptr;

namespace {

// The library wants a reference callback on some port; the player has no use for it.
void CALLBACK EmptyFileRefCallback(int, int) {}

dvr::win::RegKey OpenSettingsKey() {
    dvr::win::RegKey key;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, TReplayService::RegistryKey, 0, nullptr, 0,
                          KEY_READ | KEY_WRITE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        key.release();
    return key;
}

bool ValueExists(HKEY key, const wchar_t* name) {
    return ::RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void WriteInteger(HKEY key, const wchar_t* name, int32_t value) {
    const DWORD v = static_cast<DWORD>(value);
    ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

bool ReadInteger(HKEY key, const wchar_t* name, int32_t& value) {
    DWORD type = 0, v = 0, size = sizeof v;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof v)
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

void WriteString(HKEY key, const wchar_t* name, const std::string& text) {
    const std::wstring w = dvr::win::GbkToWide(text);
    ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(w.c_str()),
                     static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t)));
}

// A string value, or empty when it is missing or not a string.
std::string ReadString(HKEY key, const wchar_t* name) {
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    std::wstring w(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(w.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(w.data()), &size) !=
        ERROR_SUCCESS)
        return {};
    w.resize(wcsnlen(w.c_str(), w.size()));
    return dvr::win::WideToGbk(w);
}

} // namespace

bool TReplayService::Init() {
    Layout.Valid = 0;
    ReadSettings();
    // The grid is made for 1..16 ports: a count outside that (or none, when the key
    // could not be read) starts the default.
    if (PortCount < 1 || PortCount > MaxPorts) PortCount = DefaultPortCount;
    PortWindows.resize(PortCount);
    PortStates.resize(PortCount);
    PortFileNames.resize(PortCount);
    for (int i = 0; i < PortCount; ++i)
        RE4Ravi_SetPicQuality(i, 1);
    RE4Ravi_SetFileRefCallBack(0, &EmptyFileRefCallback, 0);
    return true;
}

void TReplayService::SetPortCount(int n) {
    if (n < 1 || n > MaxPorts) return;
    PortCount = n;
    PortWindows.resize(n);
    PortStates.resize(n);
    PortFileNames.resize(n);
}

int TReplayService::Slot() const {
    return CurrentPort >= 0 && CurrentPort < static_cast<int>(PortStates.size()) ? CurrentPort : -1;
}

int TReplayService::GetPortState() const {
    const int s = Slot();
    return s < 0 ? 3 : PortStates[s];
}

void TReplayService::SetPortState(int state) {
    if (const int s = Slot(); s >= 0) PortStates[s] = state;
}

void TReplayService::SetPortFileName(const std::string& gbkPath) {
    if (const int s = Slot(); s >= 0) PortFileNames[s] = gbkPath;
}

std::string TReplayService::GetPortFileName() const {
    const int s = Slot();
    return s < 0 ? std::string() : PortFileNames[s];
}

void TReplayService::SetPortWindow(HWND window) {
    if (const int s = Slot(); s >= 0) PortWindows[s] = window;
}

HWND TReplayService::GetPortWindow() const {
    const int s = Slot();
    return s < 0 ? nullptr : PortWindows[s];
}

bool TReplayService::OpenFile() {
    return RE4Ravi_OpenFile(CurrentPort, GetPortFileName().c_str()) != 0;
}

bool TReplayService::Play() {
    RE4Ravi_SetDisplayBuf(CurrentPort, 0);
    const int r = RE4Ravi_Play(CurrentPort, GetPortWindow());
    SetSound(false);
    return r != 0;
}

int TReplayService::Stop() {
    return RE4Ravi_Stop(CurrentPort);
}

int TReplayService::CloseFile() {
    RE4Ravi_Stop(CurrentPort);
    return RE4Ravi_CloseFile(CurrentPort);
}

int TReplayService::Pause(bool pause) {
    return RE4Ravi_Pause(CurrentPort, pause ? 1 : 0);
}
int TReplayService::Fast() {
    return RE4Ravi_Fast(CurrentPort);
}
int TReplayService::Slow() {
    return RE4Ravi_Slow(CurrentPort);
}
int TReplayService::OneByOne() {
    return RE4Ravi_OneByOne(CurrentPort);
}
int TReplayService::OneByOneBack() {
    return RE4Ravi_OneByOneBack(CurrentPort);
}

int TReplayService::SetPlayPos(double fraction) {
    return RE4Ravi_SetPlayPos(CurrentPort, static_cast<float>(fraction));
}

double TReplayService::GetPlayPos() {
    return RE4Ravi_GetPlayPos(CurrentPort);
}

int TReplayService::SetCurrentFrameNum(int frame) {
    return RE4Ravi_SetCurrentFrameNum(CurrentPort, static_cast<unsigned>(frame));
}

int TReplayService::GetCurrentFrameNum() {
    return RE4Ravi_GetCurrentFrameNum(CurrentPort);
}
unsigned TReplayService::GetFileTotalFrames() {
    return RE4Ravi_GetFileTotalFrames(CurrentPort);
}
unsigned TReplayService::GetFileTime() {
    return RE4Ravi_GetFileTime(CurrentPort);
}
unsigned TReplayService::GetPlayedTime() {
    return RE4Ravi_GetPlayedTime(CurrentPort);
}

void TReplayService::SetSound(bool on) {
    RE4Ravi_StopSound();
    if (on) RE4Ravi_PlaySound(CurrentPort);
}

int TReplayService::SetVolume(uint16_t volume) {
    return RE4Ravi_SetVolume(CurrentPort, volume);
}

int TReplayService::SetFileEndMsg(HWND window, UINT message) {
    return RE4Ravi_SetFileEndMsg(CurrentPort, window, message);
}

int TReplayService::RefreshPlay() {
    return RE4Ravi_RefreshPlay(CurrentPort);
}

void TReplayService::WriteSettings(int count) {
    dvr::win::RegKey key = OpenSettingsKey();
    if (!key) return;
    WriteInteger(key.get(), L"WindowsNumber", count);
    Layout.Valid = 1;
    WriteString(key.get(), L"ChooseFileWindow", ChooseFileWindowText(Layout));
    WriteString(key.get(), L"ReplayWindow", ReplayWindowText(Layout));
}

void TReplayService::ReadSettings() {
    dvr::win::RegKey key = OpenSettingsKey();
    if (!key) return;
    if (!ValueExists(key.get(), L"WindowsNumber"))
        WriteInteger(key.get(), L"WindowsNumber", DefaultPortCount);
    int32_t count = 0;
    if (ReadInteger(key.get(), L"WindowsNumber", count)) PortCount = count;
    if (ValueExists(key.get(), L"ReplayWindow") && ValueExists(key.get(), L"ChooseFileWindow")) {
        // "ReplayWindow" is read only when "ChooseFileWindow" parsed whole; reading both
        // up front changes nothing, since parsing stops at the first failure.
        ParseWindowLayout(ReadString(key.get(), L"ChooseFileWindow"),
                          ReadString(key.get(), L"ReplayWindow"), Layout);
    }
}

} // namespace playerqz
