// Builds small MPEG-4 bitstreams bit by bit for the decoder tests.
#pragma once

#include <cstdint>
#include <vector>

namespace dvr::decoder::testing {

class BitWriter {
public:
    // The low n bits of v, most significant first.
    BitWriter& Put(uint32_t v, int n) {
        for (int i = n - 1; i >= 0; --i)
            PutBit((v >> i) & 1);
        return *this;
    }
    // A code given as a string of '0' and '1'.
    BitWriter& Code(const char* bits) {
        for (; *bits; ++bits)
            PutBit(*bits == '1');
        return *this;
    }
    BitWriter& PutBit(int b) {
        if (bits_ % 8 == 0) bytes_.push_back(0);
        if (b) bytes_.back() |= static_cast<uint8_t>(0x80 >> (bits_ % 8));
        ++bits_;
        return *this;
    }
    // Stuffing up to the next byte boundary as before a start code: a 0, then ones.
    BitWriter& Stuff() {
        PutBit(0);
        while (bits_ % 8)
            PutBit(1);
        return *this;
    }
    BitWriter& ZeroAlign() {
        while (bits_ % 8)
            PutBit(0);
        return *this;
    }
    BitWriter& StartCode(uint32_t code) {
        ZeroAlign();
        return Put(code, 32);
    }
    BitWriter& Bytes(const std::vector<uint8_t>& b) {
        for (uint8_t v : b)
            Put(v, 8);
        return *this;
    }
    bool Aligned() const { return bits_ % 8 == 0; }
    const std::vector<uint8_t>& Data() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    size_t bits_ = 0;
};

struct VolFields {
    bool vo_start_code = true;
    int verid = 0; // 0: no object layer identifier (verid 1 then)
    int aspect_ratio_info = 1;
    bool control_parameters = false;
    bool vbv_parameters = false;
    int shape = 0;
    int resolution = 25;
    bool fixed_rate = false;
    int fixed_increment = 1;
    int width = 352, height = 288;
    int interlaced = 0;
    int sprite = 0;
    bool not_8_bit = false;
    int quant_precision = 5;
    int quant_type = 0;
    int quarter_sample = 0;
    int complexity_disable = 1;
    int resync_disable = 1;
    int data_partitioned = 0;
    int newpred = 0;
    int reduced_resolution = 0;
    int scalability = 0;
};

inline int TimeBits(int resolution) {
    int b = 0;
    while ((1 << b) < resolution)
        ++b;
    return b;
}

// VO start code (optional), VOL start code and the VOL fields; no stuffing after them.
inline void PutVol(BitWriter& w, const VolFields& f) {
    if (f.vo_start_code) w.StartCode(0x00000100);
    w.StartCode(0x00000120);
    w.Put(0, 1).Put(1, 8); // random_accessible_vol, simple object
    if (f.verid) {
        w.Put(1, 1).Put(f.verid, 4).Put(1, 3);
    } else {
        w.Put(0, 1);
    }
    w.Put(f.aspect_ratio_info, 4);
    if (f.aspect_ratio_info == 15) w.Put(12, 8).Put(11, 8);
    w.Put(f.control_parameters, 1);
    if (f.control_parameters) {
        w.Put(1, 2).Put(1, 1).Put(f.vbv_parameters, 1);
        if (f.vbv_parameters)
            w.Put(0x1234, 15)
                .Put(1, 1)
                .Put(0x0567, 15)
                .Put(1, 1)
                .Put(0x0100, 15)
                .Put(1, 1)
                .Put(3, 3)
                .Put(0x155, 11)
                .Put(1, 1)
                .Put(0x2AAA, 15)
                .Put(1, 1);
    }
    w.Put(f.shape, 2).Put(1, 1).Put(f.resolution, 16).Put(1, 1).Put(f.fixed_rate, 1);
    if (f.fixed_rate) w.Put(f.fixed_increment, TimeBits(f.resolution));
    if (f.shape == 2) return;
    if (f.shape == 0) w.Put(1, 1).Put(f.width, 13).Put(1, 1).Put(f.height, 13).Put(1, 1);
    w.Put(f.interlaced, 1).Put(1, 1).Put(f.sprite, f.verid == 0 || f.verid == 1 ? 1 : 2);
    w.Put(f.not_8_bit, 1);
    if (f.not_8_bit) w.Put(f.quant_precision, 4).Put(8, 4);
    w.Put(f.quant_type, 1);
    if (f.verid > 1) w.Put(f.quarter_sample, 1);
    w.Put(f.complexity_disable, 1).Put(f.resync_disable, 1).Put(f.data_partitioned, 1);
    if (f.data_partitioned) return;
    if (f.verid > 1) w.Put(f.newpred, 1).Put(f.reduced_resolution, 1);
    w.Put(f.scalability, 1);
}

struct VopFields {
    int type = 0;
    int modulo = 0;
    int increment = 0;
    int increment_bits = 5;
    int coded = 1;
    int rounding = 0;
    int quant = 4;
    int quant_bits = 5;
    int fcode_forward = 1;
    int fcode_backward = 1;
};

// VOP start code and header.
inline void PutVop(BitWriter& w, const VopFields& f) {
    w.StartCode(0x000001B6);
    w.Put(f.type, 2);
    for (int i = 0; i < f.modulo; ++i)
        w.PutBit(1);
    w.PutBit(0).PutBit(1).Put(f.increment, f.increment_bits).PutBit(1).Put(f.coded, 1);
    if (!f.coded) return;
    if (f.type == 1) w.Put(f.rounding, 1);
    w.Put(0, 3).Put(f.quant, f.quant_bits); // intra_dc_vlc_thr 0
    if (f.type != 0) w.Put(f.fcode_forward, 3);
    if (f.type == 2) w.Put(f.fcode_backward, 3);
}

// One intra macroblock whose six blocks carry no coefficients and a DC differential of 0.
inline void PutFlatIntraMacroblock(BitWriter& w) {
    w.Code("1");    // MCBPC: intra, cbpc 00
    w.Code("0");    // ac_pred_flag
    w.Code("0011"); // CBPY 0000
    for (int b = 0; b < 4; ++b)
        w.Code("011"); // luma DC size 0
    for (int b = 0; b < 2; ++b)
        w.Code("11"); // chroma DC size 0
}

} // namespace dvr::decoder::testing
