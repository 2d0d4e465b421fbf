// Untrusted bytes of the live ports: a viewer's open or key-frame request as the reader takes
// it (the first 188 bytes of a read), and the head a viewer reads back.
#include "host/net/U_LiveProtocol.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vantrel::TChannelOpenRequest request;
    if (vantrel::ReadChannelOpenRequest(data, size, request)) {
        vantrel::IsKeyFrameRequest(request);
        // The fields the admission reads.
        volatile size_t seen = request.User.View().size() + request.Password.View().size() +
                               request.OwnAddress.View().size();
        (void)seen;
        request.OwnAddress.Set("127.0.0.1");
    }
    vantrel::IsStreamRefusal(data, size);
    return 0;
}
