// The library frame: start and stop, channel open and close, and the exports that only
// report on the tables.
#include "sdk/dorsk/dorsk_api.h"

#include "sdk/dorsk/board_boot.h"
#include "sdk/dorsk/preview_surface.h"
#include "sdk/dorsk/sdk_state.h"
#include "sdk/dorsk/stream_rings.h"

#include <vector>

using namespace dvr::dorsk;

namespace {

bool FileExists(const wchar_t* name) {
    DWORD attributes = ::GetFileAttributesW(name);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Types of the processors the tables hold, as the driver reports them.
std::vector<int> ReadProcessorTypes() {
    int count = BrevixDSPGetNum();
    std::vector<int> types;
    for (int p = 0; p < count && p < kMaxProcessors; ++p) {
        int type = 0;
        if (BrevixDSPGetType(p, &type) != BREVIX_OK) type = 0;
        types.push_back(type);
    }
    return types;
}

// Audio preview, preview and capture of a closing channel stop here, each through its
// own export and with its own locking.
void TurnOffChannelActivity(ChannelHandle handle) {
    RU4Dov_SetAudioPreview(handle, 0);
    RU4Dov_StopVideoPreview(handle);
    RU4Dov_StopVideoCapture(handle);
}

} // namespace

extern "C" {

int DORSK_CALL RU4Dov_InitDSPs(void) {
    // A second start would orphan the running threads and open processors.
    if (g_sdk.initialised) return g_sdk.totalChannels;

    StoreError(0);
    g_sdk.mainFirmwarePresent = FileExists(L"Main.out");
    g_sdk.singleFirmwarePresent = FileExists(L"MainD1.out");

    for (int p = 0; p < kMaxProcessors; ++p)
        g_sdk.boards[p] = SdkBoard{};
    for (int n = 0; n < kMaxChannels; ++n)
        g_sdk.channels[n] = SdkChannel{};
    std::vector<int> types = ReadProcessorTypes();
    ChannelLayout layout = AssignChannels(types);
    g_sdk.totalChannels = layout.total;
    if (layout.total <= 0) return 0;

    if (!CreateStreamRings()) {
        StoreError(kSdkOutOfMemory);
        return 0;
    }

    for (int p = 0; p < kMaxProcessors; ++p) {
        SdkBoard& board = g_sdk.boards[p];
        board.index = p;
        board.channelCount = p < static_cast<int>(types.size()) ? types[p] : 0;
        for (int s = 0; s < kMaxSubChannels; ++s)
            board.channelNumber[s] = layout.numbers[p][s];
    }
    for (int n = 0; n < kMaxChannels; ++n) {
        SdkChannel& channel = g_sdk.channels[n];
        channel.number = n;
        if (layout.processor[n] >= 0) {
            channel.board = &g_sdk.boards[layout.processor[n]];
            channel.sub = layout.sub[n];
        }
        if (n < layout.total) InitChannelDefaults(channel);
    }

    if (!StartPreviewSurfaces()) {
        StoreError(kSdkNoPreviewSurface);
        FreeStreamRings();
        return 0;
    }
    uint32_t thread_error = 0;
    if (!StartStreamThreads(thread_error)) {
        if (thread_error != 0) StoreError(thread_error);
        ReleasePreviewSurfaces();
        FreeStreamRings();
        return 0;
    }
    for (auto& slot : g_sdk.openTable)
        slot.store(0);
    g_sdk.openChannels = 0;
    g_sdk.initialised = true;
    return g_sdk.totalChannels;
}

int DORSK_CALL RU4Dov_DeInitDSPs(void) {
    if (!g_sdk.initialised) return 0;
    StopStreamThreads();
    for (SdkChannel& channel : g_sdk.channels)
        RU4Dov_ChannelClose(HandleOf(channel));
    ReleasePreviewSurfaces();
    FreeStreamRings();
    g_sdk.openChannels = 0;
    g_sdk.initialised = false;
    return g_sdk.totalChannels;
}

int DORSK_CALL RU4Dov_GetTotalDSPs(void) {
    return AssignChannels(ReadProcessorTypes()).total;
}

int DORSK_CALL RU4Dov_GetTotalChannels(void) {
    return g_sdk.totalChannels == 0 ? 0 : g_sdk.openChannels.load();
}

intptr_t DORSK_CALL RU4Dov_ChannelOpen(int n) {
    if (!g_sdk.initialised || n < 0 || n >= g_sdk.totalChannels || n >= kMaxChannels)
        return kNoChannel;
    SdkChannel& channel = g_sdk.channels[n];
    SectionLock channel_lock(g_sdk.channelLocks[n]);
    if (channel.open) return HandleOf(channel);
    // Counted by a processor of another type: no record stands behind the number.
    if (!channel.board) return kNoChannel;

    SdkBoard& board = *channel.board;
    {
        SectionLock board_lock(BoardLockOf(board));
        if (board.booted) {
            board.subOpen[channel.sub] = 1;
        } else if (!BootBoard(board, channel.sub)) {
            return kNoChannel;
        }
    }
    ++g_sdk.openChannels;
    channel.open = 1;
    g_sdk.openTable[n].store(HandleOf(channel));
    return HandleOf(channel);
}

int DORSK_CALL RU4Dov_ChannelClose(intptr_t handle) {
    if (!IsOpenChannelHandle(handle)) return AsResult(kSdkBadHandle);
    TurnOffChannelActivity(handle);

    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    SdkChannel& channel = access.channel();
    SdkBoard& board = *channel.board;
    {
        SectionLock board_lock(BoardLockOf(board));
        board.subOpen[channel.sub] = 0;
        bool any_open = false;
        for (int s = 0; s < kMaxSubChannels; ++s)
            any_open = any_open || board.subOpen[s];
        if (board.booted && !any_open) ShutdownBoard(board);
    }
    g_sdk.openTable[channel.number].store(0);
    --g_sdk.openChannels;
    channel.open = 0;
    return 0;
}

int DORSK_CALL RU4Dov_GetLastErrorNum(intptr_t handle, int* first, int* second) {
    ChannelAccess access(handle);
    if (!access.ok()) return AsResult(kSdkBadHandle);
    if (first) *first = 0;
    if (second) *second = 0;
    return 0;
}

int DORSK_CALL RU4Dov_ResetDSP(void) {
    return 0;
}

} // extern "C"
