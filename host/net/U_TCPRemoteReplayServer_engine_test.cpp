// The replay port over the engine's own objects: the recordings index scanned from drive
// folders holding fixture recordings, the remote-access lists and the channel settings.
#include "host/net/U_TCPRemoteReplayServer.h"

#include "host/engine/U_ClientCheck.h"
#include "host/engine/U_PreviewSet.h"
#include "host/engine/U_SystemInfo.h"
#include "host/engine/U_SystemOtherSet.h"
#include "host/engine/host_settings_testing.h"
#include "host/engine/storage_testing.h"
#include "host/net/U_RemoteReplayProtocol.h"
#include "host/net/net_replay_testing.h"

#include "common/testing/testdata.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(RemoteReplayEngine, RecordingsOfADayFromTheIndex) {
    testing::DeleteHostSettings();
    testing::DeleteSettingsKeys();
    const std::string clip = testing::GetFile(dvr::testing::TestDataPath("cif_ip.MPG"));
    ASSERT_GT(clip.size(), 1000u);

    testing::FakeDrives drives("nr_engine_replay");
    const std::string normal = drives.Root('D') + "DVRDat\\20261210\\1\\CC\\0-0-20261210100000.MPG";
    const std::string alarm = drives.Root('E') + "DVRDat\\20261210\\3\\AC\\2-1-20261210103000.MPG";
    const std::string snapshot =
        drives.Root('D') + "DVRDat\\20261210\\1\\PB\\0-2-20261210100500.BMP";
    const std::string older = drives.Root('D') + "DVRDat\\20261209\\2\\CC\\1-0-20261209230000.MPG";
    testing::PutFile(normal, clip);
    testing::PutFile(alarm, clip.substr(0, 5000));
    testing::PutFile(snapshot, "BM");
    testing::PutFile(older, clip);
    testing::FakeRanges ranges;
    ranges.Ranges.assign(4, TDriveRange{'D', 'F'});
    TDataLockTable locks;
    testing::FakeRecording recording;
    testing::FaultLog faults;
    TCaptureFileList files(drives, ranges, locks, recording, faults.List, [](DWORD) {});

    const std::string folder = testing::FreshProgramFolder("nr_engine_replay_prog");
    TClientCheckSet checkSet(folder, nullptr); // no remote users or addresses: open to all
    TClientCheck check(checkSet);
    TArithmetic arithmetic;
    TSystemOtherSet other(arithmetic);
    TNetClientSet net(arithmetic, other, 4);
    TSystemInfo info(arithmetic, net, 4);
    testing::FakeVideoCard card;
    TPreviewSet preview(card);
    preview.Records[0].Title.Set("Gate");
    preview.Records[2].Title.Set("Yard");

    TEngineReplaySource source(info, preview, files, check);
    TTCPRemoteReplayServer server(source, 0, TSendBudget{}, TReplayPacing{8192, 0}, "127.0.0.1");
    ASSERT_TRUE(server.Listening());

    const auto ask = [&](const std::string& request) {
        std::string reply;
        EXPECT_TRUE(testing::RunPeer([&] {
            testing::Peer p;
            ASSERT_TRUE(p.Connect(server.Port()));
            p.Send(request);
            reply = p.Receive(SIZE_MAX, 700);
        }));
        return reply;
    };
    const std::string reply = ask("connect~");
    const ConnectReply r = ParseConnectReply(reply);
    ASSERT_EQ(r.Titles.size(), 4u);
    EXPECT_EQ(r.Titles[0], "Gate");
    EXPECT_EQ(r.Titles[2], "Yard");
    EXPECT_EQ(r.Days, (std::vector<std::string>{"2026-12-09", "2026-12-10"}));

    std::vector<RemoteFileEntry> entries;
    FileInfoParser([&](const RemoteFileEntry& e) {
        entries.push_back(e);
    }).Feed(ask(BuildFileInfoCommand("", "", "2026-12-10")));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].Path, normal);
    EXPECT_EQ(entries[0].SizeText, std::to_string(clip.size()));
    EXPECT_EQ(entries[1].Path, alarm);
    EXPECT_EQ(entries[1].Channel, 2);
    EXPECT_EQ(entries[1].RecordType, 1);

    EXPECT_EQ(ask("PlayFile" + normal), clip);
    EXPECT_EQ(ask("Download" + older), clip);
    EXPECT_EQ(ask("PlayFile" + snapshot), "BM"); // indexed, though never listed
    PumpMessagesUntil([&] { return server.RunningThreads() == 0; }, 10000);
    testing::DeleteHostSettings();
}

} // namespace
} // namespace vantrel
