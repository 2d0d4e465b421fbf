// The voice broadcast's address list as the registry value "NetTalk" keeps it: every row as
// name "/" address "|" port ";". Portable.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

constexpr const char* kNetTalkKey = "SOFTWARE\\VQS\\NetTalk";
constexpr uint16_t kNetTalkPort = 59000;
// One 60 ms block of 8 kHz 16-bit mono sound, and its coded datagram.
constexpr size_t kVoicePcmBytes = 960;
constexpr size_t kVoiceDatagramBytes = 60;

struct NetTalkRow {
    bool Checked = false; // only checked rows receive the broadcast; not stored
    std::string Name;
    std::string Address;
    std::string Port; // as the list shows it
};

// Characters gather into a field: "/" ends the name, "|" the address, ";" the port and adds
// the row. A trailing part without ";" is ignored.
std::vector<NetTalkRow> ParseNetTalkList(std::string_view text);
std::string FormatNetTalkList(const std::vector<NetTalkRow>& rows);

// The row's port column as a number; `fallback` when it is not a number in 1..65535.
uint16_t NetTalkRowPort(const NetTalkRow& row, uint16_t fallback);

} // namespace vantrel
