#include "player/decoder/decoder.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>

#include "player/decoder/instance.h"
#include "player/decoder/postprocess.h"
#include "player/decoder/simd.h"

namespace dvr::decoder {

int RgbOutputFormat = 888;
int SimdLevel = DetectSimdLevel();

namespace {

constexpr uint32_t kVopStartCode = 0x000001B6;

// The instance table: slot i holds handle 1000 + i while in use.
std::unique_ptr<DecoderInstance> instances[kInstanceCount];
// Ports open and close on their own threads: two of them must never claim one slot.
std::mutex table_lock;

DecoderInstance* Find(int handle) {
    int slot = handle - kFirstHandle;
    if (slot < 0 || slot >= kInstanceCount) return nullptr;
    return instances[slot].get();
}

std::unique_ptr<uint8_t[]> Allocate(size_t n) {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[n]());
}

// ---- frame stores

void ExtendPlane(uint8_t* first, int stride, int width, int height, int border) {
    for (int y = 0; y < height; ++y) {
        uint8_t* row = first + y * stride;
        std::memset(row - border, row[0], border);
        std::memset(row + width, row[width - 1], border);
    }
    const int span = width + 2 * border;
    const uint8_t* top = first - border;
    const uint8_t* bottom = first + (height - 1) * stride - border;
    for (int i = 1; i <= border; ++i) {
        std::memcpy(first - i * stride - border, top, span);
        std::memcpy(first + (height - 1 + i) * stride - border, bottom, span);
    }
}

void ExtendBorders(DecoderInstance& d, FrameStore& s) {
    const int w = d.hdr.width, h = d.hdr.height;
    if (w <= 0 || h <= 0) return;
    ExtendPlane(s.y, d.luma_stride, w, h, kLumaBorder);
    ExtendPlane(s.cb, d.chroma_stride, w / 2, h / 2, kChromaBorder);
    ExtendPlane(s.cr, d.chroma_stride, w / 2, h / 2, kChromaBorder);
}

void CopyWholeStore(const DecoderInstance& d, const FrameStore& from, FrameStore& to) {
    std::memcpy(to.y_mem.get(), from.y_mem.get(), size_t(d.luma_stride) * d.luma_rows);
    std::memcpy(to.cb_mem.get(), from.cb_mem.get(), size_t(d.chroma_stride) * d.chroma_rows);
    std::memcpy(to.cr_mem.get(), from.cr_mem.get(), size_t(d.chroma_stride) * d.chroma_rows);
}

} // namespace

void MaterialiseCurrent(DecoderInstance& d) {
    const FrameStore* source = d.current_source;
    if (!source) return;
    d.current_source = nullptr;
    CopyWholeStore(d, *source, *d.current);
}

namespace {

// The whole store, borders included.
void CopyStore(DecoderInstance& d, const FrameStore& from, FrameStore& to) {
    if (d.current_source == &to) MaterialiseCurrent(d);
    CopyWholeStore(d, from, to);
}

void CopyBlock8(const uint8_t* from, uint8_t* to, int stride) {
    for (int y = 0; y < 8; ++y, from += stride, to += stride)
        std::memcpy(to, from, 8);
}

// Columns x0..x1-1 of rows y0..y1-1 of one plane.
void CopyRect(const uint8_t* from, uint8_t* to, int stride, int x0, int y0, int x1, int y1) {
    if (x1 <= x0) return;
    for (int y = y0; y < y1; ++y)
        std::memcpy(to + size_t(y) * stride + x0, from + size_t(y) * stride + x0, size_t(x1 - x0));
}

// The part of the picture area of the store's size (in whole macroblocks) that the
// macroblocks of the current picture size leave out: a later larger picture can show it.
void CopyOutsidePicture(const DecoderInstance& d, const FrameStore& from, FrameStore& to) {
    const int w = 16 * d.hdr.mb_cols, h = 16 * d.hdr.mb_rows;
    const int full_w = (d.creation_width + 15) / 16 * 16,
              full_h = (d.creation_height + 15) / 16 * 16;
    if (w >= full_w && h >= full_h) return;
    const int rows = std::min(h, full_h);
    CopyRect(from.y, to.y, d.luma_stride, w, 0, full_w, rows);
    CopyRect(from.y, to.y, d.luma_stride, 0, rows, full_w, full_h);
    for (int c = 0; c < 2; ++c) {
        const uint8_t* f = c ? from.cr : from.cb;
        uint8_t* t = c ? to.cr : to.cb;
        CopyRect(f, t, d.chroma_stride, w / 2, 0, full_w / 2, rows / 2);
        CopyRect(f, t, d.chroma_stride, 0, rows / 2, full_w / 2, full_h / 2);
    }
}

// After a VOP decoded into a current store that stands for a copy: the blocks it did not
// write (after a failing macroblock, or where a macroblock carries nothing) and the area
// outside its macroblocks from the source, as a copy would have held them. Borders are
// extended around the picture before anything reads them.
void FillUnwritten(DecoderInstance& d) {
    const FrameStore& from = *d.current_source;
    FrameStore& to = *d.current;
    const int ls = d.luma_stride, cs = d.chroma_stride;
    for (int my = 0; my < d.hdr.mb_rows; ++my)
        for (int mx = 0; mx < d.hdr.mb_cols; ++mx) {
            for (int b = d.blocks_written[my * kMaxMbCols + mx]; b < 6; ++b) {
                if (b < 4) {
                    const size_t at = size_t(16 * my + 8 * (b >> 1)) * ls + 16 * mx + 8 * (b & 1);
                    CopyBlock8(from.y + at, to.y + at, ls);
                } else {
                    const size_t at = size_t(8 * my) * cs + 8 * mx;
                    CopyBlock8((b == 4 ? from.cb : from.cr) + at, (b == 4 ? to.cb : to.cr) + at,
                               cs);
                }
            }
        }
    CopyOutsidePicture(d, from, to);
    d.current_source = nullptr;
}

void CopyPlane(uint8_t* dst, const uint8_t* src, int stride, int width, int height) {
    for (int y = 0; y < height; ++y)
        std::memcpy(dst + size_t(y) * width, src + y * stride, width);
}

// The picture of a store into the YUV output buffer, laid out for the current size.
void Output(DecoderInstance& d, const FrameStore& s) {
    const int w = d.hdr.width, h = d.hdr.height;
    uint8_t* out = d.yuv.get();
    CopyPlane(out, s.y, d.luma_stride, w, h);
    out += size_t(w) * h;
    CopyPlane(out, s.cb, d.chroma_stride, w / 2, h / 2);
    out += size_t(w / 2) * (h / 2);
    CopyPlane(out, s.cr, d.chroma_stride, w / 2, h / 2);
    // Filtered here only: the stores stay unfiltered for prediction.
    if (d.postprocess == 1) {
        uint8_t* y = d.yuv.get();
        uint8_t* cb = y + size_t(w) * h;
        PostProcess(y, cb, cb + size_t(w / 2) * (h / 2), w, h, d.quant, kAllPostFilters, SimdLevel);
    }
}

bool AllocateStore(FrameStore& s, size_t luma, size_t chroma, int luma_stride, int chroma_stride) {
    s.y_mem = Allocate(luma);
    s.cb_mem = Allocate(chroma);
    s.cr_mem = Allocate(chroma);
    if (!s.y_mem || !s.cb_mem || !s.cr_mem) return false;
    s.y = s.y_mem.get() + kLumaBorder * luma_stride + kLumaBorder;
    s.cb = s.cb_mem.get() + kChromaBorder * chroma_stride + kChromaBorder;
    s.cr = s.cr_mem.get() + kChromaBorder * chroma_stride + kChromaBorder;
    return true;
}

// ---- VOP decoding

// Decodes the VOP whose start code the reader has just passed into the current store.
// False (with the error flag) when its header fails; a failing macroblock sets the
// error flag but the VOP still counts as decoded.
bool DecodeVop(DecoderInstance& d, bool* repeat) {
    *repeat = false;
    if (!ReadVopHeader(d.br, d.hdr, d.Limit())) {
        d.error = true;
        return false;
    }
    if (d.hdr.width != d.hdr.video_object_layer_width ||
        d.hdr.height != d.hdr.video_object_layer_height)
        SetPictureSize(d.hdr, d.hdr.video_object_layer_width, d.hdr.video_object_layer_height);
    if (!d.hdr.vop_coded) {
        // Nothing coded: the picture is the reference picture again.
        *repeat = true;
        return true;
    }
    if (d.current_source) std::memset(d.blocks_written, 0, sizeof d.blocks_written);
    bool ok = false;
    switch (d.hdr.vop_coding_type) {
    case kVopI:
        ok = DecodeIntraVop(d);
        break;
    case kVopP:
        ok = DecodePVop(d);
        break;
    case kVopB:
        ok = DecodeBVop(d);
        break;
    default:
        break;
    }
    if (!ok) d.error = true;
    if (d.current_source) FillUnwritten(d);
    return true;
}

void PointAt(DecoderInstance& d, const Piece& p) {
    d.br.Point(d.input.get() + p.offset, p.length);
}

// Byte offset of the next VOP start code at or after `from`, or the record length.
size_t FindVopStart(const DecoderInstance& d, size_t from) {
    const uint8_t* data = d.input.get();
    const size_t end = d.record_length;
    // The start code's 0x01 is rare in coded data: memchr finds the candidates.
    size_t i = from + 2;
    while (i + 2 <= end) {
        const void* one = std::memchr(data + i, 1, end - 1 - i);
        if (!one) break;
        i = static_cast<size_t>(static_cast<const uint8_t*>(one) - data);
        if (data[i - 1] == 0 && data[i - 2] == 0 && data[i + 1] == 0xB6) return i - 2;
        ++i;
    }
    return end;
}

int CodingTypeAt(const DecoderInstance& d, size_t offset) {
    return offset < d.record_length ? d.input[offset] >> 6 : -1;
}

// Finds the first VOP start code (reading any VOL header on the way) and splits a packed
// record into its pieces. The reader is left just after the start code. *intra tells
// that the record begins with an I-VOP, which is never split.
bool ScanAndSplit(DecoderInstance& d, bool* intra) {
    *intra = false;
    BitReader& br = d.br;
    size_t skipped = 0;
    for (;;) {
        uint32_t word = br.Peek(32);
        if (word == kVopStartCode) break;
        if (word >= 0x100 && word <= 0x12F) {
            VolResult r = ReadVolHeader(br, d.hdr, d.Limit());
            if (r == VolResult::kRefused) return false;
            if (r == VolResult::kAccepted) br.Align();
            continue;
        }
        br.Skip(8);
        if (++skipped >= d.record_length) return false;
    }
    br.Skip(32);
    const int type = static_cast<int>(br.Peek(2));
    if (type == kVopI) {
        *intra = true;
        return true;
    }
    if (type != kVopP) return false;
    if (d.packed_b_count == 0) return true;
    if (d.packed_b_count - d.b_drop_count <= 0) {
        d.packed_b_count = 0;
        return true;
    }
    const size_t p_start = br.Consumed() / 8;
    const size_t next = FindVopStart(d, p_start);
    if (next >= d.record_length) return false;
    d.p_piece = {p_start, next - p_start};
    const int k = d.packed_b_count - d.b_drop_count;
    if (k == 1) {
        const size_t b = next + 4;
        if (b >= d.record_length || CodingTypeAt(d, b) != kVopB) return false;
        d.first_b = {};
        d.second_b = {b, d.record_length - b};
    } else if (k == 2) {
        const size_t b1 = next + 4;
        if (CodingTypeAt(d, b1) != kVopB) return false;
        const size_t next2 = FindVopStart(d, b1);
        if (next2 >= d.record_length) return false;
        const size_t b2 = next2 + 4;
        if (b2 >= d.record_length) return false;
        d.first_b = {b1, next2 - b1};
        d.second_b = {b2, d.record_length - b2};
    } else {
        d.first_b = {};
        d.second_b = {};
    }
    return true;
}

// Makes the anchor store hold the anchor picture again after its delivery.
void RestoreAnchor(DecoderInstance& d) {
    if (!d.anchor_in_reference) return;
    CopyStore(d, *d.reference, *d.anchor);
    d.anchor_in_reference = false;
}

void DecodeSingle(DecoderInstance& d) {
    RestoreAnchor(d);
    bool repeat;
    if (!DecodeVop(d, &repeat)) return;
    if (repeat) {
        Output(d, *d.reference);
        return;
    }
    ExtendBorders(d, *d.current);
    Output(d, *d.current);
    std::swap(d.current, d.reference);
}

void DecodePacked(DecoderInstance& d) {
    PointAt(d, d.p_piece);
    bool repeat;
    if (!DecodeVop(d, &repeat)) {
        RestoreAnchor(d);
        return;
    }
    d.anchor_in_reference = false;
    if (repeat) {
        CopyStore(d, *d.reference, *d.anchor);
        return;
    }
    ExtendBorders(d, *d.current);
    // The anchor's old store takes the current one's place and stands for a copy of it.
    std::swap(d.current, d.anchor);
    d.current_source = d.anchor;
}

// A B picture of the last packed record into the output buffer. `first` tells that the
// piece is the record's first B-VOP.
void DecodeB(DecoderInstance& d, const Piece& piece, bool first) {
    d.b_picture = d.packed_b_count != 2 ? BPicture::kOnly
                  : first               ? BPicture::kFirstOfTwo
                                        : BPicture::kSecondOfTwo;
    RestoreAnchor(d);
    PointAt(d, piece);
    bool repeat;
    if (!DecodeVop(d, &repeat)) return;
    Output(d, repeat ? *d.reference : *d.current);
}

// The anchor into the output; from now on the next record predicts from it.
void DeliverAnchor(DecoderInstance& d) {
    if (d.anchor_in_reference) {
        Output(d, *d.reference);
        return;
    }
    Output(d, *d.anchor);
    std::swap(d.anchor, d.reference);
    d.anchor_in_reference = true;
}

} // namespace

DecoderInstance* InstanceOf(int handle) {
    return Find(handle);
}

int InitDecoder(uint8_t** input, uint8_t** rgb, int width, int height) {
    // Larger pictures than the per-macroblock tables hold could never be decoded.
    if (width <= 0 || height <= 0 || width / 16 > kMaxMbCols || height / 16 > kMaxMbRows) return 0;
    auto d = std::unique_ptr<DecoderInstance>(new (std::nothrow) DecoderInstance);
    if (!d) return 0;
    d->creation_width = width;
    d->creation_height = height;
    d->hdr = DefaultHeaderState(width, height);
    d->luma_stride = width + 2 * kLumaBorder;
    d->luma_rows = height + 2 * kLumaBorder;
    d->chroma_stride = d->luma_stride / 2;
    d->chroma_rows = d->luma_rows / 2;
    ResetPredictors(*d);
    const size_t luma = size_t(d->luma_stride) * d->luma_rows;
    const size_t chroma = size_t(d->chroma_stride) * d->chroma_rows;
    for (FrameStore& s : d->stores)
        if (!AllocateStore(s, luma, chroma, d->luma_stride, d->chroma_stride)) return 0;
    d->input_size = size_t(width) * height * 3 / 2;
    d->input = Allocate(d->input_size);
    d->yuv = Allocate(size_t(width) * height * 3 / 2);
    d->rgb = Allocate(size_t(width) * height * 3);
    if (!d->input || !d->yuv || !d->rgb) return 0;

    std::lock_guard<std::mutex> lock(table_lock);
    int slot = 0;
    while (slot < kInstanceCount && instances[slot])
        ++slot;
    if (slot == kInstanceCount) return 0;
    if (input) *input = d->input.get();
    if (rgb) *rgb = d->rgb.get();
    instances[slot] = std::move(d);
    return kFirstHandle + slot;
}

int FreeDecoder(int handle) {
    std::unique_ptr<DecoderInstance> gone;
    {
        std::lock_guard<std::mutex> lock(table_lock);
        if (!Find(handle)) return 0;
        gone = std::move(instances[handle - kFirstHandle]);
    }
    return 1;
}

int DecoderOneFrame(int handle, int length) {
    DecoderInstance* d = Find(handle);
    if (!d) return 0;
    // A length beyond the input buffer would read outside it.
    if (length < 0 || size_t(length) > d->input_size) return 0;
    d->record_length = size_t(length);
    d->error = false;
    d->br.Point(d->input.get(), d->record_length);
    bool intra;
    if (!ScanAndSplit(*d, &intra)) {
        d->error = true;
        return 0;
    }
    const HeaderState& h = d->hdr;
    if (h.width != h.video_object_layer_width || h.height != h.video_object_layer_height)
        SetPictureSize(d->hdr, h.video_object_layer_width, h.video_object_layer_height);
    if (intra && (d->packed_b_count == 1 || d->packed_b_count == 2)) {
        // An I-VOP has no pieces to deliver later: it is a single picture, and nothing
        // of an earlier packed record is left to deliver.
        d->pending_pictures = 0;
        DecodeSingle(*d);
    } else if (d->packed_b_count == 1 || d->packed_b_count == 2) {
        d->pending_pictures = d->packed_b_count + 1;
        DecodePacked(*d);
    } else {
        if (d->packed_b_count == 0) d->pending_pictures = 0;
        DecodeSingle(*d);
    }
    return d->error ? 0 : 1;
}

uint8_t* GetYUV(int handle) {
    DecoderInstance* d = Find(handle);
    if (!d) return nullptr;
    int& n = d->pending_pictures;
    const int drop = d->b_drop_count;
    if (n != 0) {
        if (drop == 0) {
            if (n == 3 && d->first_b.length) {
                n = 2;
                DecodeB(*d, d->first_b, true);
            } else if ((n == 3 || n == 2) && d->second_b.length) {
                n = 1;
                DecodeB(*d, d->second_b, false);
            } else if (n >= 1 && n <= 3) {
                n = 0;
                DeliverAnchor(*d);
            }
        } else {
            const int k = n - drop;
            if (k == 0 || k == 1) {
                DeliverAnchor(*d);
                --n;
            } else if (k == 2) {
                if (d->second_b.length) {
                    --n;
                    // With one of two dropped, the kept piece is the record's first
                    // B-VOP and stands a third of the way between its anchors.
                    DecodeB(*d, d->second_b, d->packed_b_count == 2 && drop == 1);
                } else {
                    n -= 2;
                    DeliverAnchor(*d);
                }
            }
        }
    }
    // In place on every call, so a second call for one picture adjusts it twice.
    const size_t luma = size_t(d->hdr.width) * d->hdr.height;
    if (d->brightness != 0) Brighten(d->yuv.get(), luma, d->brightness, SimdLevel);
    if (d->contrast != 8) Contrast(d->yuv.get(), luma, d->contrast, SimdLevel);
    return d->yuv.get();
}

int GetWH(int handle, int* width, int* height) {
    DecoderInstance* d = Find(handle);
    if (!d) return 0;
    if (width) *width = d->hdr.width;
    if (height) *height = d->hdr.height;
    return 1;
}

int SetVideoFormat(int format) {
    if (format != 555 && format != 565 && format != 888 && format != 8888) return 0;
    RgbOutputFormat = format;
    return 1;
}

int SetPostProcess(int handle, int value) {
    DecoderInstance* d = Find(handle);
    if (!d) return 0;
    d->postprocess = value == 1 ? 1 : 0;
    return 1;
}

int SetFlip(int handle, int value) {
    DecoderInstance* d = Find(handle);
    if (!d) return 0;
    d->flip = value;
    return 1;
}

int SetBright(int handle, int step) {
    DecoderInstance* d = Find(handle);
    if (!d || step < 1 || step > 17) return 0;
    d->brightness = 15 * step - 120;
    return 1;
}

int SetContrast(int handle, int step) {
    DecoderInstance* d = Find(handle);
    if (!d || step < 1 || step > 17) return 0;
    d->contrast = step == 8 ? 8 : 880 * (step - 8);
    return 1;
}

int SetBFrameType(int handle, int count) {
    DecoderInstance* d = Find(handle);
    if (!d) return 0;
    d->packed_b_count = count;
    return 1;
}

int GetThrowBNum(int handle, int count) {
    DecoderInstance* d = Find(handle);
    if (!d) return 0;
    d->b_drop_count = count;
    return 1;
}

} // namespace dvr::decoder
