// The whole host, run in this process, showing and recording a channel of another host: a live
// server of this program on loopback serves one camera's records; the host's network channel
// (the first channel after the board's) records it into a file, plays it in its pane once the
// pane opens, and the orderly stop closes the file with every record received in order.
#include "host/ui/F_MainForm.h"
#include "host/ui/F_StartUp.h"
#include "host/ui/U_HostObjects.h"
#include "host/ui/client_settings_testing.h"
#include "host/ui/exit_with_result_testing.h"
#include "host/ui/host_run_testing.h"
#include "host/ui/window_shot_testing.h"

#include "common/win/handles.h"
#include "host/engine/recording_testing.h"
#include "host/net/live_testing.h"
#include "host/net/serving_host_testing.h"
#include "player/format/file_reader.h"
#include "player/format/readable_file.h"
#include "player/lib/strovid_api.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantrel {
namespace {

using Bytes = std::vector<uint8_t>;

std::wstring NetRunBinFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

using testing::WaitUntil;

std::atomic<int> PanePictures{0};
void CALLBACK CountPanePicture(int, const uint8_t*, int, int, int, uint32_t, int, int) {
    ++PanePictures;
}

// What the watcher saw while the host ran.
struct NetRun {
    std::vector<std::string> failures;
    std::mutex lock;
    void Fail(const std::string& what) {
        std::lock_guard guard(lock);
        failures.push_back(what);
    }
    int channel = -1;
    std::string file;
    bool recordingFirst = false, played = false, workPicture = false;
    bool receivingAtCloseAll = true, closedForRebuild = false;
    int keyFrameRequests = -1;
};

void WatchNetRun(NetRun& run, testing::FakeLiveHost& server) {
    // The logon prompt of the first show is answered with Cancel.
    testing::CancelledLogon& cancel = testing::CancelledLogonPrompt();
    if (!testing::WaitForHostUp([] { return Host->WorkState && Host->UDPMessageClient; })) {
        run.Fail("the host did not come up");
        return;
    }
    THost& h = *Host;
    testing::AccountLogon logon;
    int result = -1;
    h.Synchronize([&] {
        MainForm->LogonPrompt = &logon;
        MainForm->Unlock();
        MainForm->LogonPrompt = &cancel;
        run.channel = h.BoardCount();
        h.Preview->Open(run.channel);
    });
    // Host groups changed while the pane plays: the receive thread is stopped and has ended
    // before the close-all rebuilds the channel map under it; the close-all then closes the
    // connection.
    TPreviewPane& shown = h.Preview->Panes[size_t(run.channel)];
    if (!WaitUntil([&] { return shown.Playing.load(); }, 60000)) {
        run.Fail("the network pane did not play");
        return;
    }
    h.Synchronize([&] {
        MainForm->ConsoleEngine.StopNetworkReceivers();
        run.receivingAtCloseAll = h.NetClient->Clients[0]->Receiving();
        MainForm->ConsoleEngine.CloseAll(true, true, true, true, false, -1);
    });
    const HWND console = MainForm->WindowHandle();
    run.closedForRebuild = WaitUntil(
        [&] {
            // The close-all enables the console after posting the rebuild.
            return !h.ThreadCloseAll->Busy() && ::IsWindowEnabled(console) && !shown.Previewing &&
                   !shown.Playing && h.NetClient->RunningThreads() == 0;
        },
        60000);
    // The rebuild reloads the channels' stored settings: it runs before this test sets its own.
    WaitUntil(
        [&] {
            bool pending = true;
            h.Synchronize([&] {
                MSG m{};
                pending = ::PeekMessageW(&m, console, WM_REBUILDCHANNELMAP, WM_REBUILDCHANNELMAP,
                                         PM_NOREMOVE);
            });
            return !pending;
        },
        60000);
    h.Synchronize([&] {
        PanePictures = 0;
        run.channel = h.BoardCount();
        h.CaptureSet->Records[size_t(run.channel)].FirstDrive = 'R';
        h.CaptureSet->Records[size_t(run.channel)].LastDrive = 'R';
        // Recorded before it is shown: the channel connects for its recording.
        result = h.Capture->StartChannel(run.channel, '+', 0);
        run.file = h.Capture->Slots[size_t(run.channel)].FileName;
    });
    if (result != 0 || run.file.empty()) {
        run.Fail("the network channel's recording did not start");
        return;
    }
    TCaptureSlot& slot = h.Capture->Slots[size_t(run.channel)];
    run.recordingFirst = WaitUntil([&] { return slot.FileOpen.load(); }, 60000);
    // A pane opened on a channel that records already asks for a key frame on the connection
    // it has, and plays from there.
    h.Synchronize([&] { h.Preview->Open(run.channel); });
    TPreviewPane& pane = h.Preview->Panes[size_t(run.channel)];
    run.played = WaitUntil([&] { return pane.Playing && PanePictures >= 25; }, 60000);
    WaitUntil([&] { return pane.WorkPicture; }, 10000);
    run.workPicture = pane.WorkPicture;
    {
        std::lock_guard guard(server.Lock);
        run.keyFrameRequests = int(server.KeyFrameRequests.size());
    }
    // Some seconds of recording, then the orderly stop closes pane and file.
    const size_t seen = testing::ReadWholeFile(run.file).size();
    WaitUntil([&] { return testing::ReadWholeFile(run.file).size() > seen + 200000; }, 60000);
    h.Synchronize([&] {
        testing::SaveWindowShot(MainForm->WindowHandle(), "host_network_channel");
        MainForm->Hooks.Pause = [](DWORD ms) { ::Sleep(std::min<DWORD>(ms, 50)); };
    });
    ::PostMessageW(MainForm->WindowHandle(), WM_POWERACTION, WPARAM(-1), LPARAM(-1));
}

// The stored stream of a network recording: the saved stream head, the stream's own head of
// the connection, then the records the server sent from where the viewer joined, each in its
// turn; the stop may cut the last one.
struct StreamCheck {
    bool heads = false;
    int records = 0;
    int skipped = 0; // records of the loop the serving host left out for a lagging viewer
    size_t tail = 0; // bytes after the last whole record that follows the sent order
};
StreamCheck CheckNetworkRecording(const Bytes& bytes, const std::vector<Bytes>& sent) {
    StreamCheck best;
    const Bytes& head = sent.at(0);
    best.heads = bytes.size() >= 2 * head.size() &&
                 std::equal(head.begin(), head.end(), bytes.begin()) &&
                 std::equal(head.begin(), head.end(), bytes.begin() + long(head.size()));
    const size_t start = 2 * head.size();
    best.tail = bytes.size() - std::min(start, bytes.size());
    auto matches = [&](size_t at, size_t index) {
        const Bytes& want = sent[index];
        return at + want.size() <= bytes.size() &&
               std::equal(want.begin(), want.end(), bytes.begin() + long(at));
    };
    // The viewer joined somewhere in the server's loop, and a server whose viewer lags
    // leaves pictures out: whole records in the loop's order, some skipped, win.
    for (size_t first = 1; first < sent.size(); ++first) {
        size_t at = start, next = first;
        int records = 0, skipped = 0;
        while (at < bytes.size()) {
            if (records == 0 && !matches(at, next)) break; // the run starts at `first`
            size_t ahead = 0;
            while (ahead + 1 < sent.size() && !matches(at, next)) {
                if (++next == sent.size()) next = 1;
                ++ahead;
            }
            if (!matches(at, next)) break;
            at += sent[next].size();
            ++records;
            skipped += int(ahead);
            if (++next == sent.size()) next = 1;
        }
        if (records > best.records) {
            best.records = records;
            best.skipped = skipped;
            best.tail = bytes.size() - at;
        }
    }
    return best;
}

TEST(HostNetworkChannel, AnotherHostsCameraIsRecordedWholeAndPlayedInItsPane) {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\WorkState");
    ::DeleteFileW((NetRunBinFolder() + L"OEM.txt").c_str());
    ASSERT_TRUE(testing::MapFreshDriveR(L"vantrel-net-run")) << "runs in the session";

    testing::FakeLiveHost server;
    server.Channels = 1;
    // The serving host: one camera's records to its live viewers at a camera's pace.
    testing::FedLiveServer serving(server, 1, 8, 23000);
    ASSERT_TRUE(serving.Ok());

    // This host also acts as a client and shows the serving host's camera after its own.
    // Its other settings start from the defaults, whatever earlier test programs of the
    // session stored (a name-server lookup, say); they are put back at the end.
    testing::ClientSettingsForTest settings(true);
    ASSERT_TRUE(settings.Saved());
    TClientGroupRecord groups[1]{};
    TClientGroupRecord& group = groups[0];
    group.Name.Set("loopback");
    group.HostAddress.Set("127.0.0.1");
    group.UserName.Set("guest");
    group.Password.Set("pw");
    group.Ports.Port[0] = serving.Base();
    group.Ports.Port[14] = 1; // nobody listens: the alarm subscription goes nowhere
    group.OwnId = 7;
    TClientChannelRecord channels[1]{};
    TClientChannelRecord& channel = channels[0];
    channel.InUse = 1;
    channel.Name.Set("cam");
    channel.RemoteChannel = 0;
    channel.GroupId = 7;
    ASSERT_TRUE(settings.SaveGroups(groups, channels));
    RE4Ravi_SetDisplayCallBack(0, &CountPanePicture);

    NetRun run;
    struct Watch {
        NetRun* run;
        testing::FakeLiveHost* server;
    } watch{&run, &server};
    HANDLE watcher = ::CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            auto* w = static_cast<Watch*>(p);
            WatchNetRun(*w->run, *w->server);
            return 0;
        },
        &watch, 0, nullptr);
    dvr::win::Thread owned(watcher);
    const int code = ProgramMain();
    ASSERT_EQ(::WaitForSingleObject(watcher, 60000), WAIT_OBJECT_0);
    RE4Ravi_SetDisplayCallBack(0, nullptr);
    ASSERT_EQ(code, 0);
    for (const std::string& f : run.failures)
        ADD_FAILURE() << f;
    ASSERT_GT(run.channel, 0) << "the board's channels come first";
    EXPECT_FALSE(run.receivingAtCloseAll) << "a receive thread ran into the channel map's rebuild";
    EXPECT_TRUE(run.closedForRebuild);
    EXPECT_TRUE(run.recordingFirst) << "the recording never wrote its file";
    EXPECT_TRUE(run.played) << PanePictures.load() << " pictures shown";
    EXPECT_TRUE(run.workPicture);
    EXPECT_GE(run.keyFrameRequests, 1) << "opening the pane asked for a key frame";
    EXPECT_TRUE(MainForm->ShutdownDone);

    // The stop closed the pane, the connection and the file.
    const TPreviewPane& pane = Host->Preview->Panes[size_t(run.channel)];
    EXPECT_FALSE(pane.Previewing);
    EXPECT_FALSE(pane.Playing);
    EXPECT_FALSE(Host->Capture->Slots[size_t(run.channel)].CaptureRunning);
    EXPECT_EQ(Host->Capture->Slots[size_t(run.channel)].FileHandle, -1);
    EXPECT_EQ(Host->NetClient->RunningThreads(), 0);
    ASSERT_FALSE(run.file.empty());
    EXPECT_TRUE(testing::OpensExclusively(run.file)) << run.file << " is still open";

    const Bytes bytes = testing::ReadWholeFile(run.file);
    const StreamCheck check = CheckNetworkRecording(bytes, serving.Records);
    EXPECT_TRUE(check.heads);
    EXPECT_GT(check.records, 200);
    // Every record whole and in the order sent (a lagging viewer may miss some); only the
    // last one may be cut by the stop.
    size_t largest = 0;
    for (const Bytes& r : serving.Records)
        largest = std::max(largest, r.size());
    EXPECT_LT(check.tail, largest) << "of " << bytes.size() << " bytes, " << check.skipped
                                   << " records left out by the serving host";
    // The player's reader reads it to its end.
    dvr::MemoryFile file(bytes);
    dvr::PortFileState port{};
    ASSERT_TRUE(dvr::OpenRecordFile(&port, file));
    int read = 0, keys = 0;
    for (int i = 0; i < 1000000; ++i) {
        const int kind = dvr::ReadOneFrameEx(&port, 0, &file);
        if (kind == dvr::kRecordEnd || kind < 0) break;
        if (kind == dvr::kRecordNoPicture) continue;
        ++read;
        keys += kind == dvr::kRecordKey;
    }
    EXPECT_GE(read, check.records);
    EXPECT_GE(keys, 1);
}

} // namespace
} // namespace vantrel
