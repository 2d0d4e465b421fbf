// The work-log events: records store the number, the viewers show the text.
#pragma once

namespace vantrel {

constexpr int kWorkLogEvents = 75;

// UTF-8 texts, index = event number; windows and records convert them to GBK at the edge.
extern const char* const WorkLogEventTexts[kWorkLogEvents];

} // namespace vantrel
