#include "host/engine/U_Arithmetic.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"

#include <cstring>
#include <vector>

namespace vantrel {
namespace {

using dvr::win::GbkToWide;
using dvr::win::RegKey;

RegKey OpenOrCreate(HKEY root, std::string_view key) {
    RegKey k;
    const std::wstring path = GbkToWide(key);
    if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                          nullptr, k.put(), nullptr) != ERROR_SUCCESS)
        k.reset();
    return k;
}

std::string SettingsKey(std::string_view name) {
    return std::string(kSettingsKey) + std::string(name);
}

} // namespace

TArithmetic::TArithmetic() {
    SetDefaultPorts(DefaultPorts);
    LoadPortTable();
    ClearLogonServer(LogonServer);
    LoadLogonServer();
}

int TArithmetic::ReadRegBinary(HKEY root, std::string_view key, std::string_view name, void* buffer,
                               int size) {
    RegKey k = OpenOrCreate(root, key);
    if (!k) return -1;
    const std::wstring value = GbkToWide(name);
    DWORD type = 0, stored = 0;
    LONG rc = ::RegQueryValueExW(k.get(), value.c_str(), nullptr, &type, nullptr, &stored);
    if (rc == ERROR_FILE_NOT_FOUND) return 0;
    if (rc != ERROR_SUCCESS) return -1;
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_DWORD) return -1;
    if (size < 0 || stored > static_cast<DWORD>(size)) return -1;
    if (stored == 0) return 0;
    // Read into a copy so that a value that changed in between never overruns the buffer.
    std::vector<BYTE> data(stored);
    DWORD got = stored;
    rc = ::RegQueryValueExW(k.get(), value.c_str(), nullptr, &type, data.data(), &got);
    if (rc != ERROR_SUCCESS || got > static_cast<DWORD>(size)) return -1;
    std::memcpy(buffer, data.data(), got);
    return static_cast<int>(got);
}

int TArithmetic::WriteRegBinary(HKEY root, std::string_view key, std::string_view name,
                                const void* buffer, int size) {
    if (size < 0 || (size > 0 && !buffer)) return -1;
    RegKey k = OpenOrCreate(root, key);
    if (!k) return -1;
    const std::wstring value = GbkToWide(name);
    return ::RegSetValueExW(k.get(), value.c_str(), 0, REG_BINARY, static_cast<const BYTE*>(buffer),
                            static_cast<DWORD>(size)) == ERROR_SUCCESS
               ? 0
               : -1;
}

void TArithmetic::ReadRegString(HKEY root, std::string_view key, std::string& text,
                                std::string_view name) {
    text.clear();
    RegKey k = OpenOrCreate(root, key);
    if (!k) return;
    const std::wstring value = GbkToWide(name);
    DWORD type = 0, bytes = 0;
    if (::RegQueryValueExW(k.get(), value.c_str(), nullptr, &type, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return;
    std::wstring w(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(w.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(k.get(), value.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(w.data()), &got) != ERROR_SUCCESS)
        return;
    w.resize(got / sizeof(wchar_t));
    while (!w.empty() && w.back() == L'\0')
        w.pop_back();
    text = dvr::win::WideToGbk(w);
}

int TArithmetic::WriteRegString(HKEY root, std::string_view key, std::string_view name,
                                std::string_view text) {
    RegKey k = OpenOrCreate(root, key);
    if (!k) return -1;
    const std::wstring value = GbkToWide(name);
    const std::wstring w = GbkToWide(text);
    return ::RegSetValueExW(k.get(), value.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(w.c_str()),
                            static_cast<DWORD>((w.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS
               ? 0
               : -1;
}

int32_t TArithmetic::ReadRegInteger(HKEY root, std::string_view key, std::string_view name) {
    RegKey k = OpenOrCreate(root, key);
    if (!k) return -1;
    const std::wstring value = GbkToWide(name);
    DWORD type = 0, v = 0, bytes = sizeof(v);
    if (::RegQueryValueExW(k.get(), value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&v),
                           &bytes) != ERROR_SUCCESS ||
        type != REG_DWORD || bytes != sizeof(v))
        return -1;
    return static_cast<int32_t>(v);
}

int TArithmetic::WriteRegInteger(HKEY root, std::string_view key, std::string_view name,
                                 int32_t value) {
    RegKey k = OpenOrCreate(root, key);
    if (!k) return -1;
    const std::wstring n = GbkToWide(name);
    const DWORD v = static_cast<DWORD>(value);
    return ::RegSetValueExW(k.get(), n.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v),
                            sizeof(v)) == ERROR_SUCCESS
               ? 0
               : -1;
}

int TArithmetic::GetRegDataSize(HKEY root, std::string_view key, std::string_view name) {
    RegKey k = OpenOrCreate(root, key);
    if (!k) return -1;
    const std::wstring value = GbkToWide(name);
    DWORD type = 0, bytes = 0;
    if (::RegQueryValueExW(k.get(), value.c_str(), nullptr, &type, nullptr, &bytes) !=
        ERROR_SUCCESS)
        return -1;
    return static_cast<int>(bytes);
}

void TArithmetic::SetDefaultPorts(NetPortTable& table) {
    std::memset(&table, 0, sizeof(table));
    table.Port[TCPVideoServerPortBase] = 50000;
    table.Port[TCPRemotePlayServerPortBase] = 51000;
    table.Port[TCPRemoteUpgradePort] = 62000;
    table.Port[TCPSendFilePort] = 60001;
    table.Port[TCPChatRoomPort] = 60000;
    table.Port[TCPDS_DCtrlPort] = 52100;
    table.Port[TCPPelco232CtrlPort] = 52000;
    table.Port[12] = 54000; // stored and sent with the table; nothing listens on it
    table.Port[UDPMessageClientPort] = 56000;
    table.Port[UDPMessageServerPort] = 57000;
    table.Port[UDPNetTalkPort] = 59000;
}

void TArithmetic::LoadPortTable() {
    SetDefaultPorts(Ports);
    ReadRegBinary(HKEY_LOCAL_MACHINE, SettingsKey("SocketPort"), "SocketPort", &Ports,
                  sizeof(Ports));
}

int TArithmetic::SavePortTable(const NetPortTable& table) {
    return WriteRegBinary(HKEY_LOCAL_MACHINE, SettingsKey("SocketPort"), "SocketPort", &table,
                          sizeof(table));
}

void TArithmetic::LoadLogonServer() {
    ReadRegBinary(HKEY_LOCAL_MACHINE, SettingsKey("LOGONSERVER"), "LOGONSERVER", &LogonServer,
                  sizeof(LogonServer));
}

int TArithmetic::SaveLogonServer(const TLogonServerRecord& record) {
    return WriteRegBinary(HKEY_LOCAL_MACHINE, SettingsKey("LOGONSERVER"), "LOGONSERVER", &record,
                          sizeof(record));
}

void TArithmetic::ClearLogonServer(TLogonServerRecord& record) {
#ifdef VANTREL_CONTROL_BUILD
    // The viewer control asks a name server on its own machine until told another.
    record.ServerAddress.Set("127.0.0.1");
#else
    record.ServerAddress.len = 0;
#endif
    record.UserName.len = 0;
    record.Password.len = 0;
}

int64_t TArithmetic::GetFileLength(std::string_view fileName) {
    const std::wstring path = GbkToWide(fileName);
    dvr::win::File f(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return 0;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(f.get(), &size)) return 0;
    return size.QuadPart;
}

double CurrentOleDate() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return OleDateFromParts(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
                            t.wMilliseconds);
}

} // namespace vantrel
