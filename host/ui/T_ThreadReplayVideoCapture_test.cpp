#include "host/ui/T_ThreadReplayVideoCapture.h"

#include "host/ui/replay_testing.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using namespace vantrel::testing;

class ClipCut : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = FreshProgramFolder("replay_clip");
        source_ = dvr::testing::TestDataPath("cif_ip.MPG");
        bytes_ = ReadAll(source_);
        ASSERT_GT(bytes_.size(), 50000u);
        bool whole = false;
        for (const RecordAt& r : WalkRecords(bytes_, &whole))
            if (r.Type == 1) keys_.push_back(r.Offset);
        ASSERT_TRUE(whole);
        ASSERT_GE(keys_.size(), 4u);
    }

    // Cuts one clip and returns the WM_CLIPDONE values posted.
    std::vector<WPARAM> Cut(const std::string& source, const std::string& target, int32_t start,
                            int32_t end) {
        EXPECT_FALSE(clip_.Busy());
        clip_.SourceName = source;
        clip_.TargetName = target;
        clip_.StartPos = start;
        clip_.EndPos = end;
        clip_.Start(sink_.Handle());
        const bool ended = sink_.PumpUntil([&] {
            for (WPARAM w : sink_.Params(WM_CLIPDONE))
                if (static_cast<int>(w) <= 0) return true;
            return false;
        });
        EXPECT_TRUE(ended);
        sink_.PumpUntil([&] { return !clip_.Busy(); });
        std::vector<WPARAM> got = sink_.Params(WM_CLIPDONE);
        sink_.Got.clear();
        return got;
    }

    std::string folder_, source_;
    std::vector<uint8_t> bytes_;
    std::vector<size_t> keys_;
    MessageSink sink_;
    TThreadReplayVideoCapture clip_;
};

TEST_F(ClipCut, ClipBetweenTwoKeyFramesReadsBackWholeBehindTheStreamHeader) {
    const std::string target = folder_ + "CaptureCut\\2026-12-10 12-00-00.mpg";
    const auto got =
        Cut(source_, target, static_cast<int32_t>(keys_[1]), static_cast<int32_t>(keys_[3]));
    EXPECT_EQ(got, (std::vector<WPARAM>{1, 0}));
    const std::vector<uint8_t> clip = ReadAll(target);
    std::vector<uint8_t> want(bytes_.begin(), bytes_.begin() + 19);
    want.insert(want.end(), bytes_.begin() + keys_[1], bytes_.begin() + keys_[3]);
    EXPECT_EQ(clip, want);
    bool whole = false;
    const auto records = WalkRecords(clip, &whole);
    EXPECT_TRUE(whole);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.front().Type, 1);
    EXPECT_EQ(std::count_if(records.begin(), records.end(), [](auto& r) { return r.Type == 1; }),
              2);
}

TEST_F(ClipCut, ClipWithoutEndMarkOrEndBeyondTheFileRunsToTheEnd) {
    for (int32_t end : {-1, static_cast<int32_t>(bytes_.size() + 12345)}) {
        const std::string target = folder_ + "CaptureCut\\tail" + std::to_string(end) + ".mpg";
        EXPECT_EQ(Cut(source_, target, static_cast<int32_t>(keys_[2]), end),
                  (std::vector<WPARAM>{1, 0}));
        const std::vector<uint8_t> clip = ReadAll(target);
        ASSERT_EQ(clip.size(), 19 + bytes_.size() - keys_[2]);
        EXPECT_TRUE(std::equal(clip.begin() + 19, clip.end(), bytes_.begin() + keys_[2]));
    }
}

TEST_F(ClipCut, HeaderWithTextBlocksIsCopiedWhole) {
    const std::string source = dvr::testing::TestDataPath("cif_ip_text.MPG");
    const std::vector<uint8_t> bytes = ReadAll(source);
    bool whole = false;
    const auto records = WalkRecords(bytes, &whole);
    ASSERT_TRUE(whole);
    size_t key = 0;
    for (const RecordAt& r : records)
        if (r.Type == 1 && r.Offset > 47) {
            key = r.Offset;
            break;
        }
    ASSERT_GT(key, 0u);
    const std::string target = folder_ + "text.mpg";
    EXPECT_EQ(Cut(source, target, static_cast<int32_t>(key), -1), (std::vector<WPARAM>{1, 0}));
    const std::vector<uint8_t> clip = ReadAll(target);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 47, clip.begin()));
    WalkRecords(clip, &whole);
    EXPECT_TRUE(whole);
}

TEST_F(ClipCut, FailuresAreReportedAndTheSourceStays) {
    // No source.
    EXPECT_EQ(Cut(folder_ + "missing.MPG", folder_ + "a.mpg", 100, -1),
              (std::vector<WPARAM>{static_cast<WPARAM>(-1)}));
    // A target that cannot be created: a file stands where its folder should be.
    WriteFile(folder_ + "blocker", "x");
    EXPECT_EQ(Cut(source_, folder_ + "blocker\\b.mpg", static_cast<int32_t>(keys_[1]), -1),
              (std::vector<WPARAM>{static_cast<WPARAM>(-1)}));
    // A start at the end of the source: begun, then failed; the empty target stays.
    const std::string target = folder_ + "c.mpg";
    EXPECT_EQ(Cut(source_, target, static_cast<int32_t>(bytes_.size()), -1),
              (std::vector<WPARAM>{1, static_cast<WPARAM>(-1)}));
    EXPECT_TRUE(FileExists(target));
    EXPECT_TRUE(ReadAll(target).empty());
    // Not a recording.
    WriteFile(folder_ + "plain.MPG", std::string(30000, 'z'));
    EXPECT_EQ(Cut(folder_ + "plain.MPG", folder_ + "d.mpg", 100, -1),
              (std::vector<WPARAM>{1, static_cast<WPARAM>(-1)}));
    EXPECT_EQ(ReadAll(source_), bytes_);
}

TEST_F(ClipCut, AnExistingTargetIsReplaced) {
    const std::string target = folder_ + "again.mpg";
    WriteFile(target, std::string(200000, 'q'));
    EXPECT_EQ(Cut(source_, target, static_cast<int32_t>(keys_[1]), static_cast<int32_t>(keys_[2])),
              (std::vector<WPARAM>{1, 0}));
    EXPECT_EQ(ReadAll(target).size(), 19 + keys_[2] - keys_[1]);
}

} // namespace
} // namespace vantrel
