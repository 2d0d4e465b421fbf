#include "framework/win/filestream.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <string>

namespace dvr::fw {
namespace {

// A GBK file name in the test's own temporary folder.
std::string TempName(const char* leaf) {
    wchar_t dir[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    return win::WideToGbk(dir) + leaf;
}

TEST(FileStream, CreatesWritesAndReadsBackUnderAGbkName) {
    const std::string name = TempName("fw_\xB2\xE2\xCA\xD4.bin"); // "测试"
    {
        TFileStream f(name, fmCreate);
        f.WriteBuffer("hello", 5);
        f.SetSize(3);
        EXPECT_EQ(f.Size(), 3);
    }
    {
        TFileStream f(name, fmOpenRead | fmShareDenyNone);
        char buf[8];
        EXPECT_EQ(f.Read(buf, 8), 3u);
        f.SetPosition(1);
        EXPECT_THROW(f.ReadBuffer(buf, 3), EReadError);
    }
    EXPECT_TRUE(::DeleteFileW(win::GbkToWide(name).c_str()));
}

TEST(FileStream, ShareModesDecideWhatASecondOpenMayDo) {
    const std::string name = TempName("fw_share.bin");
    TFileStream(name, fmCreate).WriteBuffer("x", 1);
    struct Case {
        uint16_t first, second;
        bool secondOpens;
    };
    const Case cases[] = {
        {fmOpenRead | fmShareDenyNone, fmOpenReadWrite | fmShareDenyNone, true},
        {fmOpenRead | fmShareDenyWrite, fmOpenRead | fmShareDenyWrite, true},
        {fmOpenRead | fmShareDenyWrite, fmOpenWrite | fmShareDenyNone, false},
        {fmOpenRead | fmShareExclusive, fmOpenRead | fmShareDenyNone, false},
        {fmOpenReadWrite | fmShareDenyRead, fmOpenRead | fmShareDenyNone, false},
    };
    for (const Case& c : cases) {
        TFileStream first(name, c.first);
        if (c.secondOpens)
            EXPECT_NO_THROW(TFileStream(name, c.second)) << std::hex << c.first << " " << c.second;
        else
            EXPECT_THROW(TFileStream(name, c.second), EFOpenError)
                << std::hex << c.first << " " << c.second;
    }
    ::DeleteFileW(win::GbkToWide(name).c_str());
    EXPECT_THROW(TFileStream(name, fmOpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(TempName("no\\such\\folder\\f.bin"), fmCreate), EFCreateError);
}

} // namespace
} // namespace dvr::fw
