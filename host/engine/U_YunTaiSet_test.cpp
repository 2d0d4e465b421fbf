#include "host/engine/U_YunTaiSet.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/host_engine_testing.h"
#include "host/engine/host_settings_testing.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace vantrel {
namespace {

const char* const kKey = "SOFTWARE\\VQS\\YUTAI";

TYunTaiProtocol Protocol(const char* name, int32_t baud) {
    TYunTaiProtocol p{};
    p.Name.Set(name);
    p.BaudRate = baud;
    p.Commands[18].Stop.Frame[0] = 0xA5;
    p.Commands[18].Stop.Value2Pos = 7;
    p.Speeds[0] = {4, 0x20};
    return p;
}

class YunTaiSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::DeleteSettingsKeys();
        folder_ = testing::FreshProgramFolder("yuntai_set_test");
    }
    void TearDown() override {
        testing::DeleteSettingsKeys();
        testing::RemoveTree(std::wstring(folder_.begin(), folder_.end() - 1));
    }
    void WriteFile(const std::vector<uint8_t>& bytes) {
        FILE* f = std::fopen((folder_ + "YT.IFO").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    std::string folder_;
};

TEST_F(YunTaiSetTest, ProtocolsAreWholeRecordsOfTheFile) {
    const TYunTaiProtocol protocols[3] = {Protocol("PelcoD", 2400), Protocol("JD", 9600),
                                          Protocol("YX", 4800)};
    std::vector<uint8_t> bytes(3 * 2844 + 100, 0x5A);
    std::memcpy(bytes.data(), protocols, sizeof protocols);
    WriteFile(bytes);

    TYunTaiSet set(folder_);
    ASSERT_EQ(set.GetProtocolCount(), 3);
    ASSERT_EQ(set.Protocols.size(), 3u);
    EXPECT_EQ(set.Protocols[0].Name, "PelcoD");
    EXPECT_EQ(set.Protocols[1].Name, "JD");
    EXPECT_EQ(set.Protocols[2].Name, "YX");
    EXPECT_EQ(set.Protocols[1].BaudRate, 9600);
    // The last command's stop template lies directly before the speed table.
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(&set.Protocols[2]);
    EXPECT_EQ(raw[2805 - 72], 0xA5);
    EXPECT_EQ(raw[2805], 7);
    EXPECT_EQ(raw[2806], 4);
    EXPECT_EQ(raw[2807], 0x20);

    // The trailing partial record fills only the front of the caller's record.
    TYunTaiProtocol partial = Protocol("kept", 1);
    set.ReadProtocol(3, partial);
    EXPECT_EQ(partial.Name.len, 0x5A);
    EXPECT_EQ(partial.Speeds[0].Position, 4);
    // Past the end nothing is read and the name is empty.
    TYunTaiProtocol beyond = Protocol("kept", 1);
    set.ReadProtocol(4, beyond);
    EXPECT_EQ(beyond.Name.len, 0);
    EXPECT_EQ(beyond.BaudRate, 1);
}

TEST_F(YunTaiSetTest, NoFileNoProtocols) {
    TYunTaiSet set(folder_);
    EXPECT_EQ(set.GetProtocolCount(), 0);
    EXPECT_TRUE(set.Protocols.empty());
    TYunTaiProtocol p = Protocol("kept", 1);
    set.ReadProtocol(0, p);
    EXPECT_EQ(p.Name, "");
}

// The table that ships beside the program, read the way the host reads it.
TEST_F(YunTaiSetTest, ShippedTableDrivesSevenByteFrames) {
    const char* bin = std::getenv("DVR_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    std::string folder = std::string(bin[0] == '/' ? "Z:" : "") + bin + "\\";
    for (char& c : folder)
        if (c == '/') c = '\\';
    TYunTaiSet set(folder);
    ASSERT_EQ(set.Protocols.size(), 1u);
    const TYunTaiProtocol& p = set.Protocols[0];
    EXPECT_EQ(p.Name, "Standard-D");
    EXPECT_EQ(p.BaudRate, 2400);
    EXPECT_EQ(p.DataBits, 8);
    struct Case {
        int command;
        uint8_t cmd1, cmd2;
        int speedPos; // 1-based, 0 none
        int valuePos;
    } cases[] = {
        {0, 0x00, 0x08, 6, 0},  {1, 0x00, 0x10, 6, 0},  {2, 0x00, 0x04, 5, 0},
        {3, 0x00, 0x02, 5, 0},  {8, 0x00, 0x20, 0, 0},  {9, 0x00, 0x40, 0, 0},
        {15, 0x00, 0x03, 0, 6}, {16, 0x00, 0x07, 0, 6}, {17, 0x00, 0x05, 0, 6},
    };
    for (const Case& c : cases) {
        const TYunTaiFrameTemplate& t = p.Commands[c.command].Start;
        EXPECT_EQ(t.Length, 7) << c.command;
        EXPECT_EQ(t.Frame[0], 0xFF) << c.command;
        EXPECT_EQ(t.Frame[2], c.cmd1) << c.command;
        EXPECT_EQ(t.Frame[3], c.cmd2) << c.command;
        EXPECT_EQ(t.AddressMode, 0) << c.command;
        EXPECT_EQ(t.AddressPos[0], 2) << c.command;
        EXPECT_EQ(t.ChecksumPos[0], 7) << c.command;
        EXPECT_EQ(t.ChecksumRange[0][0], 2) << c.command;
        EXPECT_EQ(t.ChecksumRange[0][1], 6) << c.command;
        EXPECT_EQ(t.ChecksumKind[0], 0) << c.command;
        EXPECT_EQ(t.ChecksumPos[1], 0) << c.command;
        EXPECT_EQ(t.Value1Pos, c.valuePos) << c.command;
        EXPECT_EQ(p.Speeds[c.command].Position, c.speedPos) << c.command;
        // Movements stop with the all-zero command.
        const TYunTaiFrameTemplate& stop = p.Commands[c.command].Stop;
        if (c.command <= 9) {
            EXPECT_EQ(stop.Length, 7) << c.command;
            EXPECT_EQ(stop.Frame[2] | stop.Frame[3], 0) << c.command;
        }
    }
}

TEST_F(YunTaiSetTest, SettingsFromTheRegistry) {
    TYunTaiSet set(folder_);
    for (const TYunTaiEntry& e : set.Settings.Entries)
        ASSERT_EQ(e.Enabled, 0);

    TYunTaiSetRecord record{};
    record.Entries[5] = {1, 2, {0, 0}, 9600, 3, 200, {0, 0}};
    record.Entries[128].Enabled = 1;
    record.UserName.Set("admin");
    ASSERT_EQ(TYunTaiSet::Save(record), 0);
    EXPECT_EQ(TArithmetic::GetRegDataSize(HKEY_LOCAL_MACHINE, kKey, "YUTAI"), 1572);
    set.Load();
    EXPECT_EQ(std::memcmp(&set.Settings, &record, sizeof record), 0);

    // A longer value is refused and the held settings stay.
    std::vector<uint8_t> big(1573, 0xFF);
    ASSERT_EQ(
        TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, kKey, "YUTAI", big.data(), int(big.size())),
        0);
    set.Load();
    EXPECT_EQ(set.Settings.Entries[5].Address, 200);
    EXPECT_EQ(set.Settings.Entries[6].Enabled, 0);
}

} // namespace
} // namespace vantrel
