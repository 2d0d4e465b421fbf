// VOL and VOP headers: the fields the decoder reads and the rules that refuse a stream.
#pragma once

#include <cstdint>

#include "player/decoder/bitreader.h"

namespace dvr::decoder {

enum VopType : int32_t { kVopI = 0, kVopP = 1, kVopB = 2, kVopS = 3 };

enum class VolResult {
    kAccepted,    // fields taken; the scan aligns the reader
    kNotAccepted, // fields read so far kept; the scan goes on unaligned
    kRefused,     // a stream this decoder cannot decode: nothing changed, the record fails
};

struct HeaderState {
    // video object layer
    int32_t video_object_layer_id;
    int32_t random_accessible_vol;
    int32_t video_object_type_indication;
    int32_t is_object_layer_identifier;
    int32_t video_object_layer_verid;
    int32_t video_object_layer_priority;
    int32_t aspect_ratio_info;
    int32_t vol_control_parameters;
    int32_t video_object_layer_shape;
    int32_t vop_time_increment_resolution;
    int32_t fixed_vop_rate;
    int32_t vop_time_increment_bits;
    int32_t rate;
    int32_t video_object_layer_width;
    int32_t video_object_layer_height;
    int32_t interlaced;
    int32_t obmc_disable;
    int32_t sprite_enable;
    int32_t quant_precision;
    int32_t bits_per_pixel;
    int32_t quant_type;
    int32_t complexity_estimation_disable;
    int32_t resync_marker_disable;
    int32_t data_partitioned;
    int32_t reversible_vlc;
    int32_t scalability;
    // video object plane
    int32_t vop_coding_type;
    int32_t modulo_time_base;
    int32_t vop_time_increment;
    int32_t vop_coded;
    int32_t vop_rounding_type;
    int32_t vop_width;
    int32_t vop_height;
    int32_t vop_horizontal_mc_spatial_ref;
    int32_t vop_vertical_mc_spatial_ref;
    int32_t change_conv_ratio_disable;
    int32_t vop_constant_alpha;
    int32_t vop_constant_alpha_value;
    int32_t intra_dc_vlc_thr;
    int32_t vop_quant;
    int32_t vop_fcode_forward;
    int32_t vop_fcode_backward;
    int32_t vop_shape_coding_type;
    // picture size and its macroblock counts
    int32_t width;
    int32_t height;
    int32_t mb_cols;
    int32_t mb_rows;
    int32_t mb_count;
};

// The state that lets a stream without any VOL header decode at the given size.
HeaderState DefaultHeaderState(int width, int height);

// Limits of a picture: the instance's creation size and the per-macroblock tables.
constexpr int kMaxMbCols = 49;
constexpr int kMaxMbRows = 40;
struct SizeLimit {
    int width, height;
};

// Reads a VOL header (optionally preceded by a video object start code) at the reader's
// position into `h`.
VolResult ReadVolHeader(BitReader& br, HeaderState& h, SizeLimit limit);

// Reads a VOP header; the reader stands just after the VOP start code. False when the
// VOP cannot be decoded.
bool ReadVopHeader(BitReader& br, HeaderState& h, SizeLimit limit);

// Makes width and height the picture size and recomputes the macroblock counts.
void SetPictureSize(HeaderState& h, int width, int height);

} // namespace dvr::decoder
