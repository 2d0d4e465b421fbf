// The network patrol's rules: when a ping result is an outage worth logging, and how the
// outage log's lines pair into rows. Portable.
#pragma once

#include <string>
#include <vector>

namespace vantrel {

// A row's state picture: none before its first ping, then the last ping's outcome.
enum class PingPicture { None = -1, Silent = 0, Answered = 1 };

// Applies one ping outcome to the row's picture; true when it is an outage to log (the row
// answered last time and now does not).
bool ApplyPingOutcome(PingPicture& picture, bool answered);

// Lines 1 and 2 form the first row (host, time), 3 and 4 the second and so on; an unpaired
// last line forms a row with an empty time.
struct PingLogRow {
    std::string Host;
    std::string Time;
};
std::vector<PingLogRow> PairPingLogLines(const std::vector<std::string>& lines);

} // namespace vantrel
