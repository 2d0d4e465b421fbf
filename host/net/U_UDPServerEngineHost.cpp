#include "host/net/U_UDPServerEngineHost.h"

#include "host/engine/U_Conversions.h"

#include <windows.h>

#include <cstdlib>

namespace vantrel {

bool TUDPServerEngineHost::CheckUser(std::string_view name, std::string_view password, int right,
                                     int item, int subItem) {
    return check_.CheckUser(name, password, right, item, subItem);
}

bool TUDPServerEngineHost::CheckIP(std::string_view address, int right, int item, int subItem) {
    return check_.CheckIP(address, right, item, subItem);
}

void TUDPServerEngineHost::SwitchMatrix(uint8_t input, uint8_t output) {
    p_.Devices.SwitchMatrix(input, output);
}

WorkStateRecord TUDPServerEngineHost::CaptureWorkState() {
    p_.WorkState.CaptureState();
    return p_.WorkState.Record;
}

int TUDPServerEngineHost::ReadWorkLog(int first, TWorkLogRecord* buffer, int count) {
    return p_.WorkLog.ReadRecords(first, buffer, count);
}

void TUDPServerEngineHost::ListWorkLogDays(std::vector<double>& times,
                                           std::vector<int32_t>& indexes) {
    std::vector<std::string> dates, indexTexts;
    p_.WorkLog.ListDays(dates, indexTexts);
    for (const std::string& text : indexTexts) {
        const int index = std::atoi(text.c_str());
        // The day head's own time, exact to the millisecond the log stored.
        TWorkLogRecord head{};
        if (p_.WorkLog.ReadRecords(index, &head, 1) != 1) continue;
        times.push_back(head.Time);
        indexes.push_back(index);
    }
}

bool TUDPServerEngineHost::FixedDriveSpace(char letter, uint64_t& totalBytes, uint64_t& freeBytes) {
    const wchar_t root[] = {wchar_t(letter), L':', L'\\', 0};
    if (::GetDriveTypeW(root) != DRIVE_FIXED) return false;
    ULARGE_INTEGER available, total, free;
    if (!::GetDiskFreeSpaceExW(root, &available, &total, &free)) return false;
    totalBytes = total.QuadPart;
    freeBytes = free.QuadPart;
    return true;
}

void TUDPServerEngineHost::SavePreviewRecords() {
    TPreviewSet::SaveRecords(p_.PreviewSet.Records.data(), kSettingsChannels - 1);
}

void TUDPServerEngineHost::SaveCaptureRecords() {
    TCaptureSet::SaveRecords(p_.CaptureSet.Records.data(), kSettingsChannels - 1);
}

void TUDPServerEngineHost::SaveAlarmRecords() {
    TAlarmSet::SaveRecords(p_.AlarmSet.Records.data(), kSettingsChannels - 1);
}

void TUDPServerEngineHost::SaveAutoRecords() {
    TAutoSet::SaveRecords(p_.AutoSet.Records.data(), kAutoSetChannels - 1);
}

void TUDPServerEngineHost::SaveYunTaiSettings() {
    TYunTaiSet::Save(p_.YunTaiSet.Settings);
}

void TUDPServerEngineHost::SaveOtherSettings() {
    p_.OtherSet.Save(p_.OtherSet.Record);
}

void TUDPServerEngineHost::PostToMainForm(unsigned message, intptr_t wParam, intptr_t lParam) {
    ::PostMessageW(p_.MainForm.Handle(), message, WPARAM(wParam), LPARAM(lParam));
}

void TUDPServerEngineHost::SetPictureParams(int channel, const TPictureParams& params) {
    p_.Devices.SetPictureParams(channel, params);
}

void TUDPServerEngineHost::SubscribeAlarms(int channel, const std::string& address, int port) {
    p_.Devices.SubscribeAlarms(channel, address, port);
}

void TUDPServerEngineHost::SendAlarmOutputs(int boxType, int port, int address,
                                            const uint8_t* states) {
    p_.Devices.SendAlarmOutputs(boxType, port, address, states);
}

void TUDPServerEngineHost::SetLocalTime(double oleDate) {
    const DateTimeParts t = DecodeOleDate(oleDate);
    if (t.Year < 1601 || t.Year > 30827) return; // no SYSTEMTIME for it
    SYSTEMTIME st{};
    st.wYear = WORD(t.Year);
    st.wMonth = WORD(t.Month);
    st.wDay = WORD(t.Day);
    st.wHour = WORD(t.Hour);
    st.wMinute = WORD(t.Minute);
    st.wSecond = WORD(t.Second);
    st.wMilliseconds = WORD(t.Millisecond);
    ::SetLocalTime(&st);
}

void TUDPServerEngineHost::PtzStart(int channel, int command, int value1, int value2) {
    p_.Devices.PtzStart(channel, command, value1, value2);
}

void TUDPServerEngineHost::PtzStop(int channel, int command, int value1, int value2) {
    p_.Devices.PtzStop(channel, command, value1, value2);
}

} // namespace vantrel
