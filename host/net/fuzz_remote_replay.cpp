// Untrusted texts of remote replay: requests reaching the replay port and answers reaching
// the client.
#include "host/net/U_NetTransferTexts.h"
#include "host/net/U_RemoteReplayProtocol.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const vantrel::RemoteReplayCommand c = vantrel::ParseRemoteReplayCommand(text);
    vantrel::RecordingPathDayKey(c.Path);
    vantrel::FileInfoDayKey(c.Date);
    vantrel::ParseConnectReply(text);
    vantrel::FileInfoParser parser([](const vantrel::RemoteFileEntry& e) {
        vantrel::SizeColumn(e.SizeText, ',');
        vantrel::RemoteFileName(e.Path);
        vantrel::EntryInDayAndTime(e, "2026-12-10", "00:00:00", "23:59:59");
    });
    parser.Feed(text);
    int32_t n = 0;
    std::string name;
    if (vantrel::ParseFileTransferHeader(text, n, name)) vantrel::IsPlainUpgradeName(name);
    std::string start;
    vantrel::FileStartText(text, start);
    return 0;
}
