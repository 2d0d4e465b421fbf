#include "host/net/U_PatrolRules.h"

namespace vantrel {

bool ApplyPingOutcome(PingPicture& picture, bool answered) {
    const bool outage = !answered && picture == PingPicture::Answered;
    picture = answered ? PingPicture::Answered : PingPicture::Silent;
    return outage;
}

std::vector<PingLogRow> PairPingLogLines(const std::vector<std::string>& lines) {
    std::vector<PingLogRow> rows;
    for (size_t i = 0; i < lines.size(); i += 2)
        rows.push_back(PingLogRow{lines[i], i + 1 < lines.size() ? lines[i + 1] : std::string()});
    return rows;
}

} // namespace vantrel
