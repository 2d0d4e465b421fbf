// The host program's global helper: registry access for every settings record, the port
// tables, the name-server login, the pane layout and small conversions.
#pragma once

#include "host/engine/U_Conversions.h"
#include "host/engine/U_HostRecords.h"
#include "host/engine/U_PaneLayout.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// Registry key of the host's settings; a record's key is this plus the key name. Builds
// for another program (the browser control) define their own root.
#ifndef VANTREL_SETTINGS_ROOT
#define VANTREL_SETTINGS_ROOT "SOFTWARE\\VQS\\"
#endif
constexpr const char* kSettingsKey = VANTREL_SETTINGS_ROOT;

class TArithmetic {
public:
    // Default ports, then the stored "SocketPort" over them, then the name-server login.
    TArithmetic();

    NetPortTable DefaultPorts{};
    NetPortTable Ports{};
    TLogonServerRecord LogonServer{};

    // Registry values. Keys and names are GBK; every key is opened for full access and
    // created when missing. No operation throws.
    //
    // Bytes read; 0 when the value is missing; -1 when the key cannot be opened, the value is
    // larger than the buffer or is a string or DWORD, or on any other error. On 0 and -1 the
    // buffer is untouched; a shorter value fills only the buffer's front.
    static int ReadRegBinary(HKEY root, std::string_view key, std::string_view name, void* buffer,
                             int size);
    // 0 when written as a REG_BINARY of exactly `size` bytes, else -1.
    static int WriteRegBinary(HKEY root, std::string_view key, std::string_view name,
                              const void* buffer, int size);
    // The text is emptied, then set to the stored text when there is one.
    static void ReadRegString(HKEY root, std::string_view key, std::string& text,
                              std::string_view name);
    static int WriteRegString(HKEY root, std::string_view key, std::string_view name,
                              std::string_view text);
    // The stored integer; -1 when missing, not an integer or the key cannot be opened.
    static int32_t ReadRegInteger(HKEY root, std::string_view key, std::string_view name);
    static int WriteRegInteger(HKEY root, std::string_view key, std::string_view name,
                               int32_t value);
    // Size of the stored value; -1 when the key cannot be opened or the value is missing.
    static int GetRegDataSize(HKEY root, std::string_view key, std::string_view name);

    static void SetDefaultPorts(NetPortTable& table);
    void LoadPortTable();
    // Stores the table for the next start; Ports itself stays as it is.
    static int SavePortTable(const NetPortTable& table);
    void LoadLogonServer();
    static int SaveLogonServer(const TLogonServerRecord& record);
    static void ClearLogonServer(TLogonServerRecord& record);

    static int LayoutPanes(const PaneRect& area, PaneRect* list, int highIndex) {
        return vantrel::LayoutPanes(area, list, highIndex);
    }
    static bool IsIPAddress(std::string_view text) { return vantrel::IsIPAddress(text); }
    static int TimeToHHMMSS(double oleDate) { return vantrel::TimeToHHMMSS(oleDate); }
    // Size in bytes; 0 when the file cannot be opened. The file name is GBK.
    static int64_t GetFileLength(std::string_view fileName);
};

// The current local time as an OLE Automation date.
double CurrentOleDate();

} // namespace vantrel
