#include "host/engine/U_Arithmetic.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"

#include "host/engine/host_engine_testing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace vantrel {
namespace {

constexpr const char* kKey = "SOFTWARE\\VQS\\HostEngineTest";

void StoreRaw(const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    dvr::win::RegKey k;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                k.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(k.get(), name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { testing::DeleteHostSettings(); }
    void TearDown() override { testing::DeleteHostSettings(); }
};

TEST_F(RegistryTest, ReadRegBinaryFillsTheFrontOrRefusesWhole) {
    const wchar_t* key = L"SOFTWARE\\VQS\\HostEngineTest";
    std::vector<uint8_t> stored(60);
    for (size_t i = 0; i < stored.size(); ++i)
        stored[i] = uint8_t(i + 1);
    const wchar_t text[] = L"abc";
    const DWORD dword = 7;
    StoreRaw(key, L"short", REG_BINARY, stored.data(), 40);
    StoreRaw(key, L"exact", REG_BINARY, stored.data(), 52);
    StoreRaw(key, L"long", REG_BINARY, stored.data(), 60);
    StoreRaw(key, L"empty", REG_BINARY, nullptr, 0);
    StoreRaw(key, L"sz", REG_SZ, text, sizeof(text));
    StoreRaw(key, L"expand", REG_EXPAND_SZ, text, sizeof(text));
    StoreRaw(key, L"dword", REG_DWORD, &dword, 4);

    const struct {
        const char* name;
        int result;
        int filled; // bytes of the buffer taken from the stored value
    } cases[] = {
        {"short", 40, 40}, {"exact", 52, 52}, {"long", -1, 0},   {"missing", 0, 0},
        {"empty", 0, 0},   {"sz", -1, 0},     {"expand", -1, 0}, {"dword", -1, 0},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> buffer(52, 0xEE);
        EXPECT_EQ(TArithmetic::ReadRegBinary(HKEY_LOCAL_MACHINE, kKey, c.name, buffer.data(), 52),
                  c.result)
            << c.name;
        for (int i = 0; i < 52; ++i)
            ASSERT_EQ(buffer[size_t(i)], i < c.filled ? stored[size_t(i)] : 0xEE)
                << c.name << " byte " << i;
    }
    // A key that cannot be opened.
    uint8_t b = 0xEE;
    EXPECT_EQ(
        TArithmetic::ReadRegBinary(reinterpret_cast<HKEY>(uintptr_t(0x1234)), kKey, "x", &b, 1),
        -1);
    EXPECT_EQ(b, 0xEE);
}

TEST_F(RegistryTest, WritesAndReadsEveryKind) {
    const uint8_t record[5] = {1, 2, 3, 4, 5};
    ASSERT_EQ(TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, kKey, "rec", record, 5), 0);
    EXPECT_EQ(TArithmetic::GetRegDataSize(HKEY_LOCAL_MACHINE, kKey, "rec"), 5);
    EXPECT_EQ(TArithmetic::GetRegDataSize(HKEY_LOCAL_MACHINE, kKey, "none"), -1);
    uint8_t back[8] = {};
    EXPECT_EQ(TArithmetic::ReadRegBinary(HKEY_LOCAL_MACHINE, kKey, "rec", back, 8), 5);
    EXPECT_EQ(std::memcmp(back, record, 5), 0);

    const std::string gbk = dvr::win::Utf8ToGbk("实名服务器");
    ASSERT_EQ(TArithmetic::WriteRegString(HKEY_LOCAL_MACHINE, kKey, "text", gbk), 0);
    std::string text = "old";
    TArithmetic::ReadRegString(HKEY_LOCAL_MACHINE, kKey, text, "text");
    EXPECT_EQ(text, gbk);
    TArithmetic::ReadRegString(HKEY_LOCAL_MACHINE, kKey, text, "none");
    EXPECT_EQ(text, "");
    text = "old";
    TArithmetic::ReadRegString(HKEY_LOCAL_MACHINE, kKey, text, "rec"); // not a string
    EXPECT_EQ(text, "");

    ASSERT_EQ(TArithmetic::WriteRegInteger(HKEY_LOCAL_MACHINE, kKey, "int", 123456), 0);
    EXPECT_EQ(TArithmetic::ReadRegInteger(HKEY_LOCAL_MACHINE, kKey, "int"), 123456);
    EXPECT_EQ(TArithmetic::ReadRegInteger(HKEY_LOCAL_MACHINE, kKey, "none"), -1);
    EXPECT_EQ(TArithmetic::ReadRegInteger(HKEY_LOCAL_MACHINE, kKey, "rec"), -1);
}

TEST_F(RegistryTest, PortTableFromDefaultsAndFromSocketPort) {
    const int32_t defaults[21] = {50000, 51000, 62000, 60001, 60000, 52100, 52000, 0, 0, 0, 0,
                                  0,     54000, 56000, 57000, 59000, 0,     0,     0, 0, 0};
    {
        TArithmetic a;
        for (int i = 0; i < 21; ++i) {
            EXPECT_EQ(+a.Ports.Port[i], defaults[i]) << i;
            EXPECT_EQ(+a.DefaultPorts.Port[i], defaults[i]) << i;
        }
    }
    // A shorter stored table replaces only its front.
    const int32_t two[2] = {40000, 41000};
    StoreRaw(L"SOFTWARE\\VQS\\SocketPort", L"SocketPort", REG_BINARY, two, sizeof(two));
    {
        TArithmetic a;
        EXPECT_EQ(+a.Ports.Port[0], 40000);
        EXPECT_EQ(+a.Ports.Port[1], 41000);
        EXPECT_EQ(+a.Ports.Port[14], 57000);
        EXPECT_EQ(+a.DefaultPorts.Port[0], 50000);

        NetPortTable saved = a.Ports;
        saved.Port[14] = 47000;
        ASSERT_EQ(TArithmetic::SavePortTable(saved), 0);
        EXPECT_EQ(+a.Ports.Port[14], 57000); // only the next start takes it
    }
    EXPECT_EQ(+TArithmetic().Ports.Port[14], 47000);

    // A longer one is ignored.
    const std::vector<int32_t> longer(22, 1);
    StoreRaw(L"SOFTWARE\\VQS\\SocketPort", L"SocketPort", REG_BINARY, longer.data(), 88);
    EXPECT_EQ(+TArithmetic().Ports.Port[0], 50000);
}

TEST_F(RegistryTest, LogonServerClearedThenLoaded) {
    EXPECT_EQ(TArithmetic().LogonServer.ServerAddress.len, 0);
    TLogonServerRecord r{};
    r.ServerAddress.Set("names.example");
    r.UserName.Set("op");
    r.Password.Set("secret");
    ASSERT_EQ(TArithmetic::SaveLogonServer(r), 0);
    EXPECT_EQ(TArithmetic::GetRegDataSize(HKEY_LOCAL_MACHINE, "SOFTWARE\\VQS\\LOGONSERVER",
                                          "LOGONSERVER"),
              53);
    TArithmetic a;
    EXPECT_EQ(a.LogonServer.ServerAddress.Get(), "names.example");
    EXPECT_EQ(a.LogonServer.Password.Get(), "secret");
}

TEST(GetFileLength, SizeEvenWhileAnotherWriterHoldsTheFile) {
    wchar_t dir[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"host_engine_length.bin";
    {
        dvr::win::File f(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                       CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(f);
        std::vector<char> data(1234, 'x');
        DWORD wrote = 0;
        ASSERT_TRUE(::WriteFile(f.get(), data.data(), 1234, &wrote, nullptr));
        EXPECT_EQ(TArithmetic::GetFileLength(dvr::win::WideToGbk(path)), 1234);
    }
    EXPECT_EQ(TArithmetic::GetFileLength(dvr::win::WideToGbk(path)), 1234);
    ::DeleteFileW(path.c_str());
    EXPECT_EQ(TArithmetic::GetFileLength(dvr::win::WideToGbk(path)), 0);
}

} // namespace
} // namespace vantrel
