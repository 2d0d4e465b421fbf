// Delivery of the anchor picture of packed records: however often it is fetched, it is
// the same picture, and the records after it predict from it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/testing/testdata.h"
#include "player/decoder/decoder.h"
#include "player/decoder/records.h"

namespace dvr::decoder {
namespace {

// Every picture of the stream as the caller fetches it, with `extra` further fetches
// after the pictures each record yields.
std::vector<std::vector<uint8_t>> Fetch(const std::vector<VideoRecord>& records, int drop,
                                        int extra) {
    uint8_t *input, *rgb;
    const int handle = InitDecoder(&input, &rgb, 720, 576);
    std::vector<std::vector<uint8_t>> pictures;
    GetThrowBNum(handle, drop);
    for (const VideoRecord& r : records) {
        std::memcpy(input, r.payload.data(), r.payload.size());
        const int packed = PackedBOf(r);
        SetBFrameType(handle, packed);
        EXPECT_EQ(DecoderOneFrame(handle, static_cast<int>(r.payload.size())), 1);
        const int yields = packed - drop > 0 ? packed - drop + 1 : 1;
        for (int n = 0; n < yields + (packed ? extra : 0); ++n) {
            int w, h;
            GetWH(handle, &w, &h);
            const uint8_t* p = GetYUV(handle);
            pictures.emplace_back(p, p + size_t(w) * h * 3 / 2);
        }
    }
    FreeDecoder(handle);
    return pictures;
}

// With one B picture dropped the count of pending pictures allows a third fetch: it
// delivers the anchor once more, and nothing after it changes.
TEST(AnchorDelivery, RepeatedFetchGivesTheSameAnchor) {
    std::vector<VideoRecord> records;
    ASSERT_TRUE(LoadVideoRecords(dvr::testing::TestDataPath("dec_d1_ipb2.MPG"), records));
    size_t packed = 0;
    for (const VideoRecord& r : records)
        packed += PackedBOf(r) == 2;
    ASSERT_GT(packed, 1u);
    const auto once = Fetch(records, 1, 0);
    const auto twice = Fetch(records, 1, 1);
    ASSERT_EQ(twice.size(), once.size() + packed);
    size_t i = 0, j = 0;
    for (const VideoRecord& r : records) {
        SCOPED_TRACE(::testing::Message() << "picture " << i);
        const int yields = PackedBOf(r) == 2 ? 2 : 1;
        for (int n = 0; n < yields; ++n)
            EXPECT_TRUE(once[i++] == twice[j++]);
        if (PackedBOf(r) == 2) {
            EXPECT_TRUE(twice[j] == twice[j - 1]); // the anchor again
            ++j;
        }
    }
}

} // namespace
} // namespace dvr::decoder
