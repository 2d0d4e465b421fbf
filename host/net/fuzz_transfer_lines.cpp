// Untrusted control lines of the upgrade port, the file-transfer port and the chat port.
#include "host/net/U_NetTransferTexts.h"

#include "common/gbk.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // An upgrade file's name, as its data connection sends it.
    if (vantrel::IsPlainUpgradeName(text) && vantrel::IsWindowsDeviceName(text)) __builtin_trap();
    // A file-transfer offer.
    int32_t length = 0;
    std::string name;
    if (vantrel::ParseFileTransferHeader(text, length, name)) vantrel::IsPlainUpgradeName(name);
    // A chat message cut to what the window shows.
    const size_t cut = dvr::GbkFitLength(text, 4096);
    if (cut > size || cut > 4096) __builtin_trap();
    vantrel::BuildChatMessage("2026-12-10 10:00:00", "me", text.substr(0, cut));
    return 0;
}
