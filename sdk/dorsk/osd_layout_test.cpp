#include "sdk/dorsk/osd_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace dvr::dorsk {
namespace {

std::vector<uint16_t> AreaWords(const uint8_t* area, size_t bytes) {
    std::vector<uint16_t> words(bytes / 2);
    std::memcpy(words.data(), area, bytes);
    return words;
}

TEST(OsdLayout, TextPositionsAreClampedAsUnsignedPerPictureSize) {
    struct Case {
        int type, standard;
        uint16_t x, y, want_x, want_y;
    };
    const Case cases[] = {
        {4, 2, 333, 100, 332, 100}, {4, 2, 10, 279, 10, 278},   {4, 1, 301, 231, 300, 230},
        {1, 2, 700, 600, 684, 556}, {1, 1, 621, 461, 620, 460}, {4, 2, 0xFFFB, 0xFFFF, 332, 278},
    };
    for (const Case& c : cases) {
        uint16_t line[3] = {c.x, c.y, 0};
        ClampTextLine(line, MaxTextPosition(c.type, c.standard));
        EXPECT_EQ(line[0], c.want_x) << c.type << " " << c.standard << " " << c.x;
        EXPECT_EQ(line[1], c.want_y) << c.type << " " << c.standard << " " << c.y;
    }
}

TEST(OsdLayout, TextAreaHoldsPositionAttributeAndAtMost41Codes) {
    std::vector<uint16_t> line = {332, 17};
    for (int i = 0; i < 50; ++i)
        line.push_back(uint16_t(0xB0A1 + i));
    line.push_back(0);
    uint8_t area[200];
    std::memset(area, 0xEE, sizeof area);
    EXPECT_EQ(WriteTextArea(area, line.data(), 0x00C80123), kTextAreaBytes);
    std::vector<uint16_t> w = AreaWords(area, kTextAreaBytes + 2);
    EXPECT_EQ(w[0], 328); // rounded down to 8
    EXPECT_EQ(w[1], 17);
    EXPECT_EQ(w[2], 0x0123);
    EXPECT_EQ(w[3], 0x00C8);
    for (int i = 0; i < kMaxOsdCodes; ++i)
        EXPECT_EQ(w[size_t(4 + i)], 0xB0A1 + i);
    EXPECT_EQ(w[4 + kMaxOsdCodes], 0);
    EXPECT_EQ(w[5 + kMaxOsdCodes], 0xEEEE); // nothing beyond the end code
}

TEST(OsdLayout, ShortAndAbsentLinesEndAtTheirZero) {
    const uint16_t stamp[] = {8,   16,     ' ', 0x9000, '-', 0x9003, '-', 0x9004,
                              ' ', 0x9007, ':', 0x9009, ':', 0x900A, ' ', 0};
    uint8_t area[100] = {};
    EXPECT_EQ(WriteTextArea(area, stamp, 200), 8 + 13 * 2 + 2u);
    std::vector<uint16_t> w = AreaWords(area, 8 + 15 * 2);
    EXPECT_EQ(w[4], ' ');
    EXPECT_EQ(w[5], 0x9000);
    EXPECT_EQ(w[16], ' ');
    EXPECT_EQ(w[17], 0);

    std::memset(area, 0xEE, sizeof area);
    EXPECT_EQ(WriteTextArea(area, nullptr, 200), 10u);
    EXPECT_EQ(AreaWords(area, 10), (std::vector<uint16_t>{0, 0, 200, 0, 0}));
}

TEST(OsdLayout, LogoStaysInsideThePictureAndKeepsEveryPixel) {
    EXPECT_EQ(ClampLogoPosition(300, 352, 128), 224);
    EXPECT_EQ(ClampLogoPosition(-3, 352, 128), 0);
    EXPECT_EQ(ClampLogoPosition(100, 288, 64), 100);
    EXPECT_EQ(ClampLogoPosition(250, 288, 64), 224);

    // Odd pixel count: the last pixel reaches the board too.
    const uint16_t pixels[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    uint8_t area[8 + 18 + 2];
    std::memset(area, 0xEE, sizeof area);
    WriteLogoArea(area, 229, 40, 3, 3, pixels);
    EXPECT_EQ(AreaWords(area, sizeof area),
              (std::vector<uint16_t>{224, 40, 3, 3, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xEEEE}));
}

TEST(OsdLayout, MosaicAreasAreClampedInPlaceAndPacked) {
    struct Case {
        const char* what;
        std::vector<MotionArea> areas;
        bool ok;
        MosaicWords words;
        std::vector<MotionArea> after;
    };
    const Case cases[] = {
        {"none: two empty areas", {}, true, {{0, 0, 0, 0}}, {}},
        {"one inside",
         {{10, 20, 110, 70}},
         true,
         {{100u << 16 | 50, 10u << 16 | 20, 0, 0}},
         {{10, 20, 110, 70}}},
        {"two, cut at the picture's edges",
         {{-4, -8, 20, 10}, {300, 250, 400, 300}},
         true,
         {{20u << 16 | 10, 0, 52u << 16 | 38, 300u << 16 | 250}},
         {{0, 0, 20, 10}, {300, 250, 352, 288}}},
        {"disordered after clamping", {{400, 0, 500, 10}}, false, {{0, 0, 0, 0}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<MotionArea> areas = c.areas;
        MosaicWords w;
        EXPECT_EQ(MakeMosaicWords(areas.data(), int(areas.size()), {352, 288}, w), c.ok);
        if (!c.ok) continue;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(w.words[i], c.words.words[i]) << i;
        for (size_t i = 0; i < c.after.size(); ++i)
            EXPECT_EQ(std::memcmp(&areas[i], &c.after[i], sizeof(MotionArea)), 0) << i;
    }
}

} // namespace
} // namespace dvr::dorsk
