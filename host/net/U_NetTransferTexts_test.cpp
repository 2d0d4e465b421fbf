#include "host/net/U_NetTransferTexts.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(FileTransferHeader, RoundTripAndRefusals) {
    int32_t size = -1;
    std::string name;
    ASSERT_TRUE(ParseFileTransferHeader(BuildFileTransferHeader(10000, "a;b.txt"), size, name));
    EXPECT_EQ(size, 10000);
    EXPECT_EQ(name, "a;b.txt");
    ASSERT_TRUE(ParseFileTransferHeader("0;", size, name));
    EXPECT_EQ(size, 0);
    for (const char* bad : {"", "12", ";x", "-5;x", "1e3;x", "99999999999;x", "2147483648;x"})
        EXPECT_FALSE(ParseFileTransferHeader(bad, size, name)) << bad;
}

TEST(ChatMessage, Layout) {
    EXPECT_EQ(BuildChatMessage("2026-12-10 10:00:00", "me", "hi"),
              "(2026-12-10 10:00:00)   me\r\nhi\r\n");
}

TEST(UpgradeNames, PlainNamesOnly) {
    for (const char* ok : {"Vantrel.exe", "a b.dll", "x", "\xC9\xFD\xBC\xB6.txt", "COM10.dll",
                           "console.txt", "LPT0", "nullify.dll", "auxiliary",
                           "\x81\x5C.dat"}) // a two-byte character ending in 0x5C
        EXPECT_TRUE(IsPlainUpgradeName(ok)) << ok;
    for (const char* bad : {"", ".", "..", "..\\Vantrel.exe", "a/b", "C:x", "sub\\x.dll", "x.exe.",
                            "x ", "a\nb", "a|b", "CON", "nul.txt", "Aux.dll", "com1", "COM9.exe",
                            "lpt3.bin", "PRN .x", "conout$"})
        EXPECT_FALSE(IsPlainUpgradeName(bad)) << bad;
}

} // namespace
} // namespace vantrel
