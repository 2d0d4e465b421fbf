#include "host/net/U_NetSentBytes.h"

namespace vantrel {

std::atomic<uint32_t> NetSentBytes{0};

} // namespace vantrel
