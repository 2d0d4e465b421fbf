#include "host/ui/U_PreviewLayout.h"

namespace vantrel {

int LayoutFirstChannel(int selected, int n, int channelCount) {
    int first = selected;
    if (first + n > channelCount) first = channelCount - n;
    return first < 0 ? 0 : first;
}

int NextCyclePage(int first, int n, int boardChannels) {
    int next = first + n;
    if (next >= boardChannels)
        next = 0;
    else if (next + n >= boardChannels)
        next = boardChannels - n;
    return next < 0 ? 0 : next;
}

} // namespace vantrel
