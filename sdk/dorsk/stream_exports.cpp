// The host's side of stream delivery: where notices go, and reading one record.
#include "sdk/dorsk/dorsk_api.h"

#include "sdk/dorsk/sdk_state.h"

using namespace dvr::dorsk;

extern "C" {

int DORSK_CALL RU4Dov_RegisterStreamReadCallback(RU4DovStreamReadCallback callback, intptr_t user) {
    if (!callback || !user) return AsResult(kSdkBadArgument);
    // The user value first: the notifier calls only when it sees both.
    g_sdk.streamUser.store(user);
    g_sdk.streamCallback.store(callback);
    return 0;
}

int DORSK_CALL RU4Dov_RegisterMessageNotifyHandle(HWND window, UINT message) {
    if (!window || !message) return AsResult(kSdkBadArgument);
    g_sdk.notifyMessage.store(message);
    g_sdk.notifyWindow.store(window);
    return 0;
}

int DORSK_CALL RU4Dov_ReadStreamData(intptr_t handle, void* buffer, int* length, int* type) {
    auto fail = [](uint32_t word) {
        StoreError(word);
        return -1;
    };
    if (!IsOpenChannelHandle(handle)) return fail(kSdkBadHandle);
    int number = ChannelOf(handle)->number;
    if (number >= g_sdk.totalChannels) return fail(kSdkBadArgument);
    if (!g_sdk.initialised) return fail(kSdkBadHandle);
    ChannelAccess access(handle);
    if (!access.ok()) return fail(kSdkBadHandle);
    if (!length || !type || (!buffer && *length > 0)) return fail(kSdkBadArgument);

    StreamRing& ring = g_sdk.rings[number];
    SectionLock ring_lock(ring.lock);
    RingRecordHeader head{};
    uint32_t size = *length > 0 ? static_cast<uint32_t>(*length) : 0;
    switch (ReadRecord(ring.state, static_cast<uint8_t*>(buffer), size, head)) {
    case ReadAnswer::Empty:
        return fail(kSdkNoStreamRecord);
    case ReadAnswer::TooSmall:
        *length = static_cast<int>(head.payloadLength);
        return fail(kSdkBufferTooSmall);
    case ReadAnswer::Read:
        break;
    }
    *length = static_cast<int>(head.payloadLength);
    *type = head.frameType;
    return head.frameType == kFrameKey ? 1 : 0;
}

} // extern "C"
