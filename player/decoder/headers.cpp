#include "player/decoder/headers.h"

namespace dvr::decoder {
namespace {

constexpr uint32_t kUserDataStartCode = 0x000001B2;

void Marker(BitReader& br) {
    br.Skip(1);
}

// Smallest b with 2^b >= resolution; 0 for resolutions 0 and 1.
int32_t TimeIncrementBits(int32_t resolution) {
    int32_t b = 0;
    while (b < 16 && (int64_t{1} << b) < resolution)
        ++b;
    return b;
}

bool SizeFits(int width, int height, SizeLimit limit) {
    return width > 0 && height > 0 && width <= limit.width && height <= limit.height &&
           width / 16 <= kMaxMbCols && height / 16 <= kMaxMbRows;
}

} // namespace

void SetPictureSize(HeaderState& h, int width, int height) {
    h.width = width;
    h.height = height;
    h.mb_cols = width / 16;
    h.mb_rows = height / 16;
    h.mb_count = h.mb_cols * h.mb_rows;
}

HeaderState DefaultHeaderState(int width, int height) {
    HeaderState h{};
    h.vop_time_increment_resolution = 15;
    h.vop_time_increment_bits = 4;
    h.rate = 30;
    h.quant_precision = 5;
    h.bits_per_pixel = 8;
    h.quant_type = 0;
    h.complexity_estimation_disable = 1;
    h.video_object_layer_width = width;
    h.video_object_layer_height = height;
    SetPictureSize(h, width, height);
    return h;
}

VolResult ReadVolHeader(BitReader& br, HeaderState& state, SizeLimit limit) {
    HeaderState h = state;
    auto keep = [&](VolResult r) {
        state = h;
        return r;
    };
    if (br.Peek(27) == 8) br.Skip(32); // video object start code 0x100..0x11F
    if (br.Peek(28) != 0x0000012) {
        br.Skip(8);
        return keep(VolResult::kNotAccepted);
    }
    br.Skip(28);
    h.video_object_layer_id = static_cast<int32_t>(br.Get(4));
    h.random_accessible_vol = static_cast<int32_t>(br.Get(1));
    h.video_object_type_indication = static_cast<int32_t>(br.Get(8));
    h.is_object_layer_identifier = static_cast<int32_t>(br.Get(1));
    if (h.is_object_layer_identifier) {
        h.video_object_layer_verid = static_cast<int32_t>(br.Get(4));
        h.video_object_layer_priority = static_cast<int32_t>(br.Get(3));
    } else {
        h.video_object_layer_verid = 1;
        h.video_object_layer_priority = 1;
    }
    h.aspect_ratio_info = static_cast<int32_t>(br.Get(4));
    if (h.aspect_ratio_info == 15) br.Skip(16); // par_width, par_height
    h.vol_control_parameters = static_cast<int32_t>(br.Get(1));
    if (h.vol_control_parameters) {
        br.Skip(2 + 1); // chroma_format, low_delay
        if (br.GetBit()) {
            // vbv_parameters: bit rate, buffer size and occupancy in halves, with markers
            br.Skip(15 + 1 + 15 + 1 + 15 + 1 + 3 + 11 + 1 + 15 + 1);
        }
    }
    h.video_object_layer_shape = static_cast<int32_t>(br.Get(2));
    Marker(br);
    h.vop_time_increment_resolution = static_cast<int32_t>(br.Get(16));
    Marker(br);
    h.fixed_vop_rate = static_cast<int32_t>(br.Get(1));
    h.vop_time_increment_bits = TimeIncrementBits(h.vop_time_increment_resolution);
    if (h.fixed_vop_rate) {
        int32_t inc = static_cast<int32_t>(br.Get(h.vop_time_increment_bits));
        // A zero increment leaves the rate unset rather than dividing by it.
        if (inc > 0) h.rate = h.vop_time_increment_resolution / inc;
    } else {
        h.rate = h.vop_time_increment_resolution;
    }
    if (h.video_object_layer_shape == 2) return keep(VolResult::kAccepted);
    if (h.video_object_layer_shape == 0) {
        Marker(br);
        int32_t width = static_cast<int32_t>(br.Get(13));
        Marker(br);
        int32_t height = static_cast<int32_t>(br.Get(13));
        Marker(br);
        // A picture the stores and tables cannot hold is refused before anything changes.
        if (!SizeFits(width, height, limit)) return VolResult::kRefused;
        h.video_object_layer_width = width;
        h.video_object_layer_height = height;
    }
    h.interlaced = static_cast<int32_t>(br.Get(1));
    h.obmc_disable = static_cast<int32_t>(br.Get(1));
    h.sprite_enable = static_cast<int32_t>(br.Get(h.video_object_layer_verid == 1 ? 1 : 2));
    if (h.sprite_enable) return VolResult::kRefused;
    if (br.GetBit()) { // not_8_bit
        h.quant_precision = static_cast<int32_t>(br.Get(4));
        h.bits_per_pixel = static_cast<int32_t>(br.Get(4));
    } else {
        h.quant_precision = 5;
        h.bits_per_pixel = 8;
    }
    h.quant_type = static_cast<int32_t>(br.Get(1));
    if (h.video_object_layer_verid != 1 && br.GetBit()) // quarter_sample
        return VolResult::kRefused;
    h.complexity_estimation_disable = static_cast<int32_t>(br.Get(1));
    h.resync_marker_disable = static_cast<int32_t>(br.Get(1));
    h.data_partitioned = static_cast<int32_t>(br.Get(1));
    if (h.data_partitioned) return keep(VolResult::kNotAccepted);
    h.resync_marker_disable = 1;
    h.reversible_vlc = 0;
    if (h.video_object_layer_verid != 1) {
        if (br.GetBit()) return VolResult::kRefused; // newpred_enable
        if (br.GetBit()) return VolResult::kRefused; // reduced_resolution_vop_enable
    }
    h.scalability = static_cast<int32_t>(br.Get(1));
    if (h.scalability) return keep(VolResult::kNotAccepted);
    if (br.Aligned() && br.Peek(32) == kUserDataStartCode) return keep(VolResult::kNotAccepted);
    return keep(VolResult::kAccepted);
}

bool ReadVopHeader(BitReader& br, HeaderState& h, SizeLimit limit) {
    h.vop_coding_type = static_cast<int32_t>(br.Get(2));
    // modulo_time_base; bounded by the record since zero bits follow its end
    while (br.GetBit())
        ++h.modulo_time_base;
    Marker(br);
    h.vop_time_increment = static_cast<int32_t>(br.Get(h.vop_time_increment_bits));
    Marker(br);
    h.vop_coded = static_cast<int32_t>(br.Get(1));
    if (!h.vop_coded) {
        br.Align();
        return true;
    }
    const bool binary_only = h.video_object_layer_shape == 2;
    const bool rectangular = h.video_object_layer_shape == 0;
    h.vop_rounding_type =
        (!binary_only && h.vop_coding_type == kVopP) ? static_cast<int32_t>(br.Get(1)) : 0;
    if (!rectangular) {
        if (!(h.sprite_enable == 1 && h.vop_coding_type == kVopI)) {
            h.vop_width = static_cast<int32_t>(br.Get(13));
            Marker(br);
            h.vop_height = static_cast<int32_t>(br.Get(13));
            Marker(br);
            h.vop_horizontal_mc_spatial_ref = static_cast<int32_t>(br.Get(13));
            Marker(br);
            h.vop_vertical_mc_spatial_ref = static_cast<int32_t>(br.Get(13));
            if (!SizeFits(h.vop_width, h.vop_height, limit)) return false;
            h.video_object_layer_width = h.vop_width;
            h.video_object_layer_height = h.vop_height;
        }
        h.change_conv_ratio_disable = static_cast<int32_t>(br.Get(1));
        h.vop_constant_alpha = static_cast<int32_t>(br.Get(1));
        if (h.vop_constant_alpha) h.vop_constant_alpha_value = static_cast<int32_t>(br.Get(8));
    }
    if (!h.complexity_estimation_disable) return false;
    if (!binary_only) {
        h.intra_dc_vlc_thr = static_cast<int32_t>(br.Get(3));
        if (h.interlaced) return false;
        h.vop_quant = static_cast<int32_t>(br.Get(h.quant_precision));
        // Quantiser 0 does not exist; it would reconstruct every level as garbage.
        if (h.vop_quant == 0) return false;
        if (h.vop_coding_type != kVopI) {
            h.vop_fcode_forward = static_cast<int32_t>(br.Get(3));
            if (h.vop_fcode_forward == 0) return false;
        }
        if (h.vop_coding_type == kVopB) {
            h.vop_fcode_backward = static_cast<int32_t>(br.Get(3));
            if (h.vop_fcode_backward == 0) return false;
        }
        if (h.scalability == 0 && !rectangular && h.vop_coding_type != kVopI)
            h.vop_shape_coding_type = static_cast<int32_t>(br.Get(1));
    }
    return true;
}

} // namespace dvr::decoder
