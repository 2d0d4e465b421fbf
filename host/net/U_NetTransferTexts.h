// Texts of the person-to-person services: the file-offer header, the chat message and the
// names a remote upgrade may write.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// Size in bytes, ";", the file's name without folder.
std::string BuildFileTransferHeader(int64_t size, std::string_view name);
// False when the text before the first ";" is not a decimal number from 0 up to what a
// 32-bit count holds: such an offer is refused.
bool ParseFileTransferHeader(std::string_view text, int32_t& size, std::string& name);

// "(" date-time ")" + three spaces + nickname + CR LF + text + CR LF.
std::string BuildChatMessage(std::string_view dateTime, std::string_view nickname,
                             std::string_view text);

// A name the upgrade receiver writes into its "Temp" folder: one plain file name, no folder
// part, drive, parent step or control character.
// CON, PRN, AUX, NUL, COM1-9, LPT1-9 (with or without an extension, any case).
bool IsWindowsDeviceName(std::string_view name);
bool IsPlainUpgradeName(std::string_view name);

} // namespace vantrel
