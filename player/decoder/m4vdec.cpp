// m4vdec: decodes an MPEG-4 elementary stream or a recording file to raw yuv420p in
// display order, the way the player drives the decoder.
//   m4vdec [--simd 0|1|2] [--postprocess] [--verbose] INPUT OUTPUT.yuv
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "player/decoder/decoder.h"
#include "player/decoder/instance.h"
#include "player/decoder/records.h"
#include "player/decoder/simd.h"

using namespace dvr::decoder;

namespace {

// The player creates every instance at this size.
constexpr int kCreateWidth = 720;
constexpr int kCreateHeight = 576;

int Usage() {
    std::fprintf(stderr,
                 "usage: m4vdec [--simd 0|1|2] [--postprocess] [--verbose] INPUT OUTPUT.yuv\n");
    return 2;
}

void PrintVop(const HeaderState& h) {
    static const char kTypes[] = "IPBS";
    std::printf("vop %c q %d fcode %d %d rounding %d time %d coded %d size %dx%d\n",
                kTypes[h.vop_coding_type & 3], h.vop_quant, h.vop_fcode_forward,
                h.vop_fcode_backward, h.vop_rounding_type, h.vop_time_increment, h.vop_coded,
                h.width, h.height);
}

} // namespace

int main(int argc, char** argv) {
    int simd = -1;
    bool postprocess = false, verbose = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--simd") && i + 1 < argc) {
            simd = std::atoi(argv[++i]);
            if (simd < 0 || simd > 2) return Usage();
        } else if (!std::strcmp(argv[i], "--postprocess")) {
            postprocess = true;
        } else if (!std::strcmp(argv[i], "--verbose")) {
            verbose = true;
        } else if (argv[i][0] == '-' && argv[i][1]) {
            return Usage();
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.size() != 2) return Usage();
    if (simd >= 0 && OverrideSimdLevel(simd) != simd)
        std::fprintf(stderr, "m4vdec: this processor runs level %d at most\n", SimdLevel);

    std::vector<VideoRecord> records;
    if (!LoadVideoRecords(files[0], records)) {
        std::fprintf(stderr, "m4vdec: cannot read %s\n", files[0].c_str());
        return 1;
    }
    FILE* out = std::fopen(files[1].c_str(), "wb");
    if (!out) {
        std::fprintf(stderr, "m4vdec: cannot write %s\n", files[1].c_str());
        return 1;
    }
    uint8_t *input, *rgb;
    int handle = InitDecoder(&input, &rgb, kCreateWidth, kCreateHeight);
    if (!handle) {
        std::fprintf(stderr, "m4vdec: no decoder instance\n");
        return 1;
    }
    if (postprocess) SetPostProcess(handle, 1);
    const HeaderState& hdr = InstanceOf(handle)->hdr;

    long pictures = 0, failed = 0;
    double seconds = 0;
    for (size_t n = 0; n < records.size(); ++n) {
        const VideoRecord& r = records[n];
        if (r.payload.size() > size_t(kCreateWidth) * kCreateHeight * 3 / 2) {
            std::fprintf(stderr, "m4vdec: record %zu too long (%zu bytes)\n", n, r.payload.size());
            ++failed;
            continue;
        }
        std::memcpy(input, r.payload.data(), r.payload.size());
        SetBFrameType(handle, PackedBOf(r));
        auto start = std::chrono::steady_clock::now();
        int ok = DecoderOneFrame(handle, static_cast<int>(r.payload.size()));
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (verbose) PrintVop(hdr);
        if (!ok) {
            ++failed;
            std::fprintf(stderr, "m4vdec: record %zu (type %d) not decoded\n", n, r.type);
        }
        for (int p = 0; p < PicturesOf(r); ++p) {
            start = std::chrono::steady_clock::now();
            const uint8_t* yuv = GetYUV(handle);
            seconds +=
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (verbose && p + 1 < PicturesOf(r)) PrintVop(hdr);
            int w, h;
            GetWH(handle, &w, &h);
            // A failed record still yields its pictures, so the output stays in step
            // with the input.
            std::fwrite(yuv, 1, size_t(w) * h * 3 / 2, out);
            ++pictures;
        }
    }
    std::fclose(out);
    int w, h;
    GetWH(handle, &w, &h);
    FreeDecoder(handle);
    std::printf("%ld pictures %dx%d, %ld records failed, %.1f pictures per second (simd %d)\n",
                pictures, w, h, failed, seconds > 0 ? pictures / seconds : 0.0, SimdLevel);
    return failed ? 1 : 0;
}
