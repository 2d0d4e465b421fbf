#include "host/engine/U_PaneLayout.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace vantrel {
namespace {

// Each layout drawn as its grid of cells; a symbol is a pane number (0-9, A-Z, a-z), so a
// pane spans the cells that carry its symbol. The four one-and-a-half panes of 11 split
// cells and are checked with their pixels below.
struct LayoutMap {
    int panes;
    std::vector<std::string> rows;
};

const std::vector<LayoutMap>& Layouts() {
    static const std::vector<LayoutMap> maps = {
        {1, {"0"}},
        {4, {"01", "23"}},
        {6, {"001", "002", "345"}},
        {9, {"012", "345", "678"}},
        {10, {"0011", "0011", "2345", "6789"}},
        {13, {"0123", "4556", "7558", "9ABC"}},
        {16, {"0123", "4567", "89AB", "CDEF"}},
        {19, {"00112", "00113", "45678", "9ABCD", "EFGHI"}},
        {22, {"00123", "00456", "789AB", "CDEFG", "HIJKL"}},
        {25, {"01234", "56789", "ABCDE", "FGHIJ", "KLMNO"}},
        {27, {"001122", "001122", "345678", "9ABCDE", "FGHIJK", "LMNOPQ"}},
        {30, {"001123", "001145", "6789AB", "CDEFGH", "IJKLMN", "OPQRST"}},
        {33, {"001234", "005678", "9ABCDE", "FGHIJK", "LMNOPQ", "RSTUVW"}},
        {36, {"012345", "6789AB", "CDEFGH", "IJKLMN", "OPQRST", "UVWXYZ"}},
        {40, {"0011223", "0011224", "56789AB", "CDEFGHI", "JKLMNOP", "QRSTUVW", "XYZabcd"}},
        {43, {"0011234", "0011567", "89ABCDE", "FGHIJKL", "MNOPQRS", "TUVWXYZ", "abcdefg"}},
        {46, {"0012345", "006789A", "BCDEFGH", "IJKLMNO", "PQRSTUV", "WXYZabc", "defghij"}},
        {49, {"0123456", "789ABCD", "EFGHIJK", "LMNOPQR", "STUVWXY", "Zabcdef", "ghijklm"}},
    };
    return maps;
}

int Symbol(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return c - 'a' + 36;
}

// Column and row edges of an L x L grid: equal steps, the last one ends at the area's edge.
std::vector<int32_t> Edges(int32_t from, int32_t to, int side) {
    std::vector<int32_t> e;
    for (int i = 0; i < side; ++i)
        e.push_back(from + i * ((to - from) / side));
    e.push_back(to);
    return e;
}

std::vector<PaneRect> ExpectedFromMap(const LayoutMap& m, const PaneRect& area) {
    const int side = static_cast<int>(m.rows.size());
    const auto xs = Edges(area.Left, area.Right, side), ys = Edges(area.Top, area.Bottom, side);
    std::vector<std::array<int, 4>> span(static_cast<size_t>(m.panes), {99, 99, -1, -1});
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            auto& s = span[static_cast<size_t>(
                Symbol(m.rows[static_cast<size_t>(y)][static_cast<size_t>(x)]))];
            s = {std::min(s[0], x), std::min(s[1], y), std::max(s[2], x), std::max(s[3], y)};
        }
    std::vector<PaneRect> out;
    for (const auto& s : span)
        out.push_back({xs[static_cast<size_t>(s[0])], ys[static_cast<size_t>(s[1])],
                       xs[static_cast<size_t>(s[2] + 1)] - 1,
                       ys[static_cast<size_t>(s[3] + 1)] - 1});
    return out;
}

// Pane count of the layout chosen for each count 1..49.
int LayoutPaneCount(int c) {
    static const int table[][2] = {{1, 1},   {4, 4},   {6, 6},   {9, 9},   {10, 10},
                                   {11, 11}, {13, 13}, {16, 16}, {19, 19}, {22, 22},
                                   {25, 25}, {27, 27}, {30, 30}, {33, 33}, {36, 36},
                                   {40, 40}, {43, 43}, {46, 46}, {49, 49}};
    for (const auto& row : table)
        if (c <= row[0]) return row[1];
    return 0;
}

const PaneRect kConsole{13, 20, 897, 679};

const std::vector<PaneRect> kElevenPanes = {
    {13, 20, 343, 265},   {344, 20, 675, 265},  {13, 266, 343, 511},  {344, 266, 675, 511},
    {676, 20, 896, 183},  {676, 184, 896, 347}, {676, 348, 896, 511}, {13, 512, 233, 678},
    {234, 512, 454, 678}, {455, 512, 675, 678}, {676, 512, 896, 678}};

std::vector<PaneRect> Expected(int panes, const PaneRect& area) {
    if (panes == 11) return kElevenPanes;
    for (const LayoutMap& m : Layouts())
        if (m.panes == panes) return ExpectedFromMap(m, area);
    return {};
}

TEST(LayoutPanes, EveryCountGivesItsLayoutAndWritesOnlyTheCountAsked) {
    const PaneRect sentinel{-7, -7, -7, -7};
    for (int c = 1; c <= 49; ++c) {
        SCOPED_TRACE("count " + std::to_string(c));
        const int panes = LayoutPaneCount(c);
        const std::vector<PaneRect> want = Expected(panes, kConsole);
        ASSERT_EQ(want.size(), static_cast<size_t>(panes));

        std::vector<PaneRect> list(50, sentinel);
        ASSERT_EQ(LayoutPanes(kConsole, list.data(), c - 1), panes);
        for (int i = 0; i < c; ++i)
            EXPECT_EQ(list[static_cast<size_t>(i)], want[static_cast<size_t>(i)]) << "pane " << i;
        for (int i = c; i < 50; ++i)
            EXPECT_EQ(list[static_cast<size_t>(i)], sentinel) << "pane " << i;

        // The second call with the layout's own count fills every pane.
        ASSERT_EQ(LayoutPanes(kConsole, list.data(), panes - 1), panes);
        for (int i = 0; i < panes; ++i)
            EXPECT_EQ(list[static_cast<size_t>(i)], want[static_cast<size_t>(i)]) << "pane " << i;
    }
}

TEST(LayoutPanes, CountsOutsideOneToFortyNineWriteNothing) {
    for (int c : {0, -1, 50, 100}) {
        PaneRect r{1, 2, 3, 4};
        EXPECT_EQ(LayoutPanes(kConsole, &r, c - 1), 0) << c;
        EXPECT_EQ(r, (PaneRect{1, 2, 3, 4}));
    }
}

TEST(LayoutPanes, PixelEdges) {
    PaneRect r[4];
    ASSERT_EQ(LayoutPanes({0, 0, 700, 700}, r, 3), 4);
    EXPECT_EQ(r[0], (PaneRect{0, 0, 349, 349}));
    EXPECT_EQ(r[1], (PaneRect{350, 0, 699, 349}));
    EXPECT_EQ(r[2], (PaneRect{0, 350, 349, 699}));
    EXPECT_EQ(r[3], (PaneRect{350, 350, 699, 699}));

    // The last column takes the remainder: 350..701 less the one-pixel border.
    ASSERT_EQ(LayoutPanes({0, 0, 701, 700}, r, 1), 4);
    EXPECT_EQ(r[1], (PaneRect{350, 0, 700, 349}));

    ASSERT_EQ(LayoutPanes(kConsole, r, 3), 4);
    EXPECT_EQ(r[0], (PaneRect{13, 20, 454, 348}));

    // Five channels: the double pane first.
    ASSERT_EQ(LayoutPanes({0, 0, 900, 900}, r, 4 - 4), 1);
    PaneRect five[6];
    ASSERT_EQ(LayoutPanes({0, 0, 900, 900}, five, 4), 6);
    EXPECT_EQ(five[0], (PaneRect{0, 0, 599, 599}));
}

// ---- A picture of every layout, for a person to look at ----

struct Picture {
    int width, height;
    std::vector<uint8_t> rgb;
    Picture(int w, int h) : width(w), height(h), rgb(static_cast<size_t>(w * h * 3), 255) {}
    void Fill(int x0, int y0, int x1, int y1, uint32_t c) {
        for (int y = std::max(0, y0); y <= std::min(height - 1, y1); ++y)
            for (int x = std::max(0, x0); x <= std::min(width - 1, x1); ++x) {
                uint8_t* p = &rgb[static_cast<size_t>((y * width + x) * 3)];
                p[0] = uint8_t(c >> 16), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c);
            }
    }
    // Digits of a 3 x 5 font, drawn at scale 2.
    void Number(int x, int y, int n) {
        static const uint16_t font[10] = {075557, 022222, 071747, 071717, 055711,
                                          074717, 074757, 071111, 075757, 075717};
        const std::string s = std::to_string(n);
        for (size_t i = 0; i < s.size(); ++i)
            for (int row = 0; row < 5; ++row)
                for (int col = 0; col < 3; ++col)
                    if (font[s[i] - '0'] >> ((4 - row) * 3 + (2 - col)) & 1)
                        Fill(x + int(i) * 8 + col * 2, y + row * 2, x + int(i) * 8 + col * 2 + 1,
                             y + row * 2 + 1, 0x000000);
    }
};

uint32_t Crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

// PNG with stored (uncompressed) deflate blocks: no library needed.
void WritePng(const std::string& path, const Picture& pic) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < pic.height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), pic.rgb.begin() + y * pic.width * 3,
                   pic.rgb.begin() + (y + 1) * pic.width * 3);
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    for (size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        z.push_back(at + n >= raw.size() ? 1 : 0);
        z.push_back(uint8_t(n)), z.push_back(uint8_t(n >> 8));
        z.push_back(uint8_t(~n)), z.push_back(uint8_t(~n >> 8));
        z.insert(z.end(), raw.begin() + long(at), raw.begin() + long(at + n));
        if (n == 0) break;
    }
    uint32_t a = 1, b = 0;
    for (uint8_t v : raw)
        a = (a + v) % 65521, b = (b + a) % 65521;
    const uint32_t adler = (b << 16) | a;
    for (int s = 24; s >= 0; s -= 8)
        z.push_back(uint8_t(adler >> s));

    std::ofstream out(path, std::ios::binary);
    const uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    out.write(reinterpret_cast<const char*>(sig), 8);
    auto chunk = [&](const char* type, const std::vector<uint8_t>& data) {
        std::vector<uint8_t> body(type, type + 4);
        body.insert(body.end(), data.begin(), data.end());
        const uint32_t len = uint32_t(data.size()), crc = Crc32(body.data(), body.size());
        const uint8_t l[4] = {uint8_t(len >> 24), uint8_t(len >> 16), uint8_t(len >> 8),
                              uint8_t(len)};
        const uint8_t c[4] = {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8),
                              uint8_t(crc)};
        out.write(reinterpret_cast<const char*>(l), 4);
        out.write(reinterpret_cast<const char*>(body.data()), long(body.size()));
        out.write(reinterpret_cast<const char*>(c), 4);
    };
    const uint32_t w = uint32_t(pic.width), h = uint32_t(pic.height);
    chunk("IHDR", {uint8_t(w >> 24), uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w),
                   uint8_t(h >> 24), uint8_t(h >> 16), uint8_t(h >> 8), uint8_t(h), 8, 2, 0, 0, 0});
    chunk("IDAT", z);
    chunk("IEND", {});
}

TEST(LayoutPanes, DrawsEveryLayoutIntoAPicture) {
    const int counts[] = {1, 4, 6, 9, 10, 11, 13, 16, 19, 22, 25, 27, 30, 33, 36, 40, 43, 46, 49};
    const int tw = 320, th = 240, gap = 12, perRow = 5;
    const int rows = (int(std::size(counts)) + perRow - 1) / perRow;
    Picture pic(perRow * (tw + gap) + gap, rows * (th + gap) + gap);
    for (size_t i = 0; i < std::size(counts); ++i) {
        const int ox = gap + int(i % perRow) * (tw + gap), oy = gap + int(i / perRow) * (th + gap);
        PaneRect panes[49];
        const int n = LayoutPanes({ox, oy, ox + tw, oy + th}, panes, counts[i] - 1);
        ASSERT_EQ(n, counts[i]);
        for (int p = 0; p < n; ++p) {
            const PaneRect& r = panes[p];
            pic.Fill(r.Left, r.Top, r.Right, r.Bottom, 0x203040);
            pic.Fill(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1,
                     0x80A0C0 + uint32_t((p * 37) % 64) * 0x010101);
            pic.Number(r.Left + 3, r.Top + 3, p);
        }
    }
    const char* bin = std::getenv("DVR_BIN_DIR");
    std::string path = std::string(bin ? bin : ".") + "/../host_pane_layouts.png";
#ifdef _WIN32
    if (path[0] == '/') path = "Z:" + path;
#endif
    WritePng(path, pic);
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    EXPECT_GT(in.tellg(), 1000);
}

} // namespace
} // namespace vantrel
