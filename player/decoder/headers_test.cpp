#include "player/decoder/headers.h"

#include <gtest/gtest.h>

#include <cstring>

#include "player/decoder/test_bitstream.h"

namespace dvr::decoder {
namespace {

using testing::BitWriter;
using testing::PutVol;
using testing::PutVop;
using testing::VolFields;
using testing::VopFields;

constexpr SizeLimit kD1{720, 576};

struct Parsed {
    VolResult result;
    HeaderState h;
    uint32_t after_align; // the 32 bits at the next byte boundary after the header
};

Parsed ParseVol(const VolFields& f, SizeLimit limit = kD1, bool stuff = true) {
    BitWriter w;
    PutVol(w, f);
    if (stuff && !w.Aligned()) w.Stuff();
    w.StartCode(0x000001B6);
    BitReader br;
    br.Point(w.Data().data(), w.Data().size());
    Parsed p{VolResult::kNotAccepted, DefaultHeaderState(limit.width, limit.height), 0};
    p.result = ReadVolHeader(br, p.h, limit);
    br.Align();
    p.after_align = br.Peek(32);
    return p;
}

TEST(VolHeader, TimeIncrementBitsFollowTheResolution) {
    struct Case {
        int resolution, bits;
    };
    for (Case c : {Case{1, 0}, Case{2, 1}, Case{15, 4}, Case{16, 4}, Case{17, 5}, Case{25, 5},
                   Case{30000, 15}, Case{65535, 16}}) {
        VolFields f;
        f.resolution = c.resolution;
        Parsed p = ParseVol(f);
        ASSERT_EQ(p.result, VolResult::kAccepted) << c.resolution;
        EXPECT_EQ(p.h.vop_time_increment_resolution, c.resolution);
        EXPECT_EQ(p.h.vop_time_increment_bits, c.bits) << c.resolution;
    }
}

// Each variant changes which optional fields sit between the start code and the size;
// reading them wrongly shifts width and height.
TEST(VolHeader, OptionalFieldsAreReadWhereTheyOccur) {
    struct Case {
        const char* name;
        void (*set)(VolFields&);
    };
    const Case cases[] = {
        {"plain", [](VolFields&) {}},
        {"no video object start code", [](VolFields& f) { f.vo_start_code = false; }},
        {"extended aspect ratio", [](VolFields& f) { f.aspect_ratio_info = 15; }},
        {"control parameters", [](VolFields& f) { f.control_parameters = true; }},
        {"control parameters with VBV",
         [](VolFields& f) { f.control_parameters = f.vbv_parameters = true; }},
        {"fixed rate", [](VolFields& f) { f.fixed_rate = true, f.fixed_increment = 1; }},
        {"object layer identifier verid 2", [](VolFields& f) { f.verid = 2; }},
        {"object layer identifier verid 1", [](VolFields& f) { f.verid = 1; }},
        {"not 8 bit", [](VolFields& f) { f.not_8_bit = true, f.quant_precision = 6; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VolFields f;
        f.width = 176;
        f.height = 144;
        c.set(f);
        Parsed p = ParseVol(f);
        ASSERT_EQ(p.result, VolResult::kAccepted);
        EXPECT_EQ(p.h.video_object_layer_width, 176);
        EXPECT_EQ(p.h.video_object_layer_height, 144);
        EXPECT_EQ(p.h.video_object_layer_verid, f.verid ? f.verid : 1);
        EXPECT_EQ(p.h.quant_precision, f.not_8_bit ? f.quant_precision : 5);
        EXPECT_EQ(p.h.resync_marker_disable, 1);
        // The scan aligns after an accepted VOL: only the stuffing may be left.
        EXPECT_EQ(p.after_align, 0x000001B6u);
    }
}

TEST(VolHeader, FixedRateWithZeroIncrementKeepsTheRate) {
    VolFields f;
    f.fixed_rate = true;
    f.fixed_increment = 0;
    Parsed p = ParseVol(f);
    ASSERT_EQ(p.result, VolResult::kAccepted);
    EXPECT_EQ(p.h.rate, 30); // the default, untouched
    f.fixed_increment = 5;
    EXPECT_EQ(ParseVol(f).h.rate, 5);
}

TEST(VolHeader, StreamsThisDecoderCannotDecodeAreRefusedAndChangeNothing) {
    struct Case {
        const char* name;
        void (*set)(VolFields&);
        SizeLimit limit;
    };
    const Case cases[] = {
        {"sprite (verid 1)", [](VolFields& f) { f.sprite = 1; }, kD1},
        {"sprite (verid 2)", [](VolFields& f) { f.verid = 2, f.sprite = 2; }, kD1},
        {"quarter sample", [](VolFields& f) { f.verid = 2, f.quarter_sample = 1; }, kD1},
        {"newpred", [](VolFields& f) { f.verid = 2, f.newpred = 1; }, kD1},
        {"reduced resolution", [](VolFields& f) { f.verid = 2, f.reduced_resolution = 1; }, kD1},
        {"wider than created", [](VolFields& f) { f.width = 736, f.height = 288; }, kD1},
        {"taller than created", [](VolFields& f) { f.width = 352, f.height = 592; }, kD1},
        {"more than 49 columns", [](VolFields& f) { f.width = 800, f.height = 288; },
         SizeLimit{1024, 1024}},
        {"more than 40 rows", [](VolFields& f) { f.width = 352, f.height = 656; },
         SizeLimit{1024, 1024}},
        {"no picture", [](VolFields& f) { f.width = 0; }, kD1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VolFields f;
        c.set(f);
        Parsed p = ParseVol(f, c.limit);
        EXPECT_EQ(p.result, VolResult::kRefused);
        HeaderState before = DefaultHeaderState(c.limit.width, c.limit.height);
        EXPECT_EQ(std::memcmp(&p.h, &before, sizeof before), 0);
    }
}

TEST(VolHeader, NotAcceptedKeepsTheFieldsRead) {
    struct Case {
        const char* name;
        void (*set)(VolFields&);
    };
    const Case cases[] = {
        {"data partitioned", [](VolFields& f) { f.data_partitioned = 1; }},
        {"scalability", [](VolFields& f) { f.scalability = 1; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VolFields f;
        f.width = 176;
        f.height = 144;
        c.set(f);
        Parsed p = ParseVol(f);
        EXPECT_EQ(p.result, VolResult::kNotAccepted);
        EXPECT_EQ(p.h.video_object_layer_width, 176);
    }
}

// A VOL whose last field ends on a byte boundary directly followed by user data is not
// accepted; the same VOL with stuffing before the user data is.
TEST(VolHeader, UserDataRightAfterAByteAlignedVol) {
    VolFields f;
    f.fixed_rate = true; // its increment takes as many bits as the resolution needs
    for (f.resolution = 2;; ++f.resolution) {
        BitWriter w;
        PutVol(w, f);
        if (w.Aligned()) break;
        ASSERT_LT(f.resolution, 300);
    }
    for (bool stuffing : {false, true}) {
        BitWriter w;
        PutVol(w, f);
        if (stuffing) w.Stuff();
        w.StartCode(0x000001B2).Put(0x41424344, 32);
        BitReader br;
        br.Point(w.Data().data(), w.Data().size());
        HeaderState h = DefaultHeaderState(720, 576);
        EXPECT_EQ(ReadVolHeader(br, h, kD1),
                  stuffing ? VolResult::kAccepted : VolResult::kNotAccepted);
    }
}

TEST(VolHeader, VideoObjectStartCodeWithoutVolIsSkipped) {
    BitWriter w;
    w.StartCode(0x00000101).StartCode(0x000001B6);
    BitReader br;
    br.Point(w.Data().data(), w.Data().size());
    HeaderState h = DefaultHeaderState(720, 576);
    EXPECT_EQ(ReadVolHeader(br, h, kD1), VolResult::kNotAccepted);
    EXPECT_EQ(br.Consumed(), 40u);
}

struct VopCase {
    const char* name;
    VopFields vop;
    void (*vol)(HeaderState&);
    bool ok;
};

TEST(VopHeader, FieldsAndFailures) {
    auto vop = [](int type, int quant) {
        VopFields v;
        v.type = type;
        v.quant = quant;
        v.increment = 7;
        v.fcode_forward = 3;
        v.fcode_backward = 2;
        v.rounding = 1;
        v.modulo = 2;
        return v;
    };
    const VopCase cases[] = {
        {"I", vop(0, 9), [](HeaderState&) {}, true},
        {"P", vop(1, 31), [](HeaderState&) {}, true},
        {"B", vop(2, 1), [](HeaderState&) {}, true},
        {"complexity estimation", vop(0, 9),
         [](HeaderState& h) { h.complexity_estimation_disable = 0; }, false},
        {"interlaced", vop(1, 9), [](HeaderState& h) { h.interlaced = 1; }, false},
        {"quantiser 0", vop(0, 0), [](HeaderState&) {}, false},
    };
    for (const VopCase& c : cases) {
        SCOPED_TRACE(c.name);
        BitWriter w;
        PutVop(w, c.vop);
        w.Put(0xFFFF, 16);
        BitReader br;
        br.Point(w.Data().data() + 4, w.Data().size() - 4);
        HeaderState h = DefaultHeaderState(720, 576);
        h.vop_time_increment_bits = 5;
        c.vol(h);
        ASSERT_EQ(ReadVopHeader(br, h, kD1), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(h.vop_coding_type, c.vop.type);
        EXPECT_EQ(h.modulo_time_base, 2);
        EXPECT_EQ(h.vop_time_increment, 7);
        EXPECT_EQ(h.vop_coded, 1);
        EXPECT_EQ(h.vop_quant, c.vop.quant);
        EXPECT_EQ(h.vop_rounding_type, c.vop.type == 1 ? 1 : 0);
        if (c.vop.type != 0) {
            EXPECT_EQ(h.vop_fcode_forward, 3);
        }
        if (c.vop.type == 2) {
            EXPECT_EQ(h.vop_fcode_backward, 2);
        }
        EXPECT_EQ(br.Peek(16), 0xFFFFu) << "header length";
    }
}

TEST(VopHeader, NotCodedStopsAfterTheFlagAndAligns) {
    VopFields v;
    v.type = 1;
    v.coded = 0;
    BitWriter w;
    PutVop(w, v);
    w.ZeroAlign().Put(0xA5, 8);
    BitReader br;
    br.Point(w.Data().data() + 4, w.Data().size() - 4);
    HeaderState h = DefaultHeaderState(720, 576);
    h.vop_time_increment_bits = 5;
    ASSERT_TRUE(ReadVopHeader(br, h, kD1));
    EXPECT_EQ(h.vop_coded, 0);
    EXPECT_EQ(br.Peek(8), 0xA5u);
}

} // namespace
} // namespace dvr::decoder
