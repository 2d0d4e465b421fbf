#include "framework/win/resstream.h"

#include "framework/zstream.h"

#include <gtest/gtest.h>

#include <string>

namespace dvr::fw {
namespace {

std::string ReadAll(TStream& s) {
    std::string out(size_t(s.Size()), '\0');
    s.ReadBuffer(out.data(), out.size());
    return out;
}

TEST(ResourceStream, FindsResourcesByNameOrNumberAndTypeName) {
    HINSTANCE self = ::GetModuleHandleW(nullptr);
    TResourceStream byName(self, "FWSAMPLE", "FWDATA");
    EXPECT_EQ(ReadAll(byName), "TPF0 sample");
    TResourceStream byNumber(self, 7, "FWDATA");
    EXPECT_EQ(ReadAll(byNumber), "seven");
    // Names compare ignoring case, as the system does.
    TResourceStream lower(self, "fwsample", "fwdata");
    EXPECT_EQ(lower.Size(), 11);
}

TEST(ResourceStream, MissingResourcesRaiseAndWritingIsRefused) {
    HINSTANCE self = ::GetModuleHandleW(nullptr);
    EXPECT_THROW(TResourceStream(self, "NOSUCH", "FWDATA"), EResNotFound);
    EXPECT_THROW(TResourceStream(self, "FWSAMPLE", "OTHER"), EResNotFound);
    EXPECT_THROW(TResourceStream(self, 8, "FWDATA"), EResNotFound);
    TResourceStream s(self, "FWSAMPLE", "FWDATA");
    EXPECT_THROW(s.Write("x", 1), EStreamError);
    char buf[20];
    EXPECT_THROW(s.ReadBuffer(buf, 12), EReadError);
}

} // namespace
} // namespace dvr::fw
