// The text line that any part of the host hands to the work-log writer, and its reading
// into a record. The line never leaves the process, so its date has one fixed form.
#pragma once

#include "host/engine/U_HostRecords.h"

#include <string>
#include <string_view>

namespace vantrel {

// Eight fields, each followed by ";": date and time, event, client channel, host channel,
// alarm point, host address, client address, user name (texts GBK).
std::string WorkLogLine(double time, int event, int clientChannel, int hostChannel, int alarmPoint,
                        std::string_view hostAddress, std::string_view clientAddress,
                        std::string_view userName);

// Reads a line into a record (link 0). Numbers keep their low 8 bits; texts are cut to their
// fields on a character boundary. False when a field is missing or does not read.
bool ParseWorkLogLine(std::string_view line, TWorkLogRecord& record);

// "yyyy-mm-dd hh:mm:ss:zzz", as the day list shows a day head.
std::string FormatDayHeadTime(double time);

} // namespace vantrel
