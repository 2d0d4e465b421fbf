#include "common/gbk.h"

namespace dvr {

size_t GbkFitLength(std::string_view s, size_t max_bytes) {
    size_t i = 0;
    while (i < s.size()) {
        size_t step = (IsGbkLeadByte(static_cast<uint8_t>(s[i])) && i + 1 < s.size()) ? 2 : 1;
        if (i + step > max_bytes) break;
        i += step;
    }
    return i;
}

} // namespace dvr
