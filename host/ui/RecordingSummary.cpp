// Reads every recording under a folder with the player's file reader and prints, per file,
// its records, key frames and length; exits 1 when a file does not read back whole.
//   RecordingSummary FOLDER
#include "player/format/file_reader.h"
#include "player/format/readable_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(argv[1], ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        const std::string ext = it->path().extension().string();
        if (ext == ".MPG" || ext == ".mpg") files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    int bad = 0;
    const fs::path root = argv[1];
    for (const fs::path& full : files) {
        const fs::path p = full.lexically_relative(root);
        std::vector<uint8_t> bytes;
        if (!dvr::ReadWholeFile(full.string(), &bytes)) {
            std::printf("%s: unreadable\n", p.string().c_str());
            ++bad;
            continue;
        }
        dvr::MemoryFile file(bytes);
        const size_t size = bytes.size();
        dvr::PortFileState port{};
        if (!dvr::OpenRecordFile(&port, file)) {
            std::printf("%s: %zu bytes, no stream head\n", p.string().c_str(), bytes.size());
            ++bad;
            continue;
        }
        int records = 0, keys = 0;
        for (;;) {
            const int r = dvr::ReadOneFrameEx(&port, 0, &file);
            if (r == dvr::kRecordEnd || r < 0 || port.endOfFile) break;
            ++records;
            if (r == dvr::kRecordKey) ++keys;
        }
        const uint32_t ms = dvr::FileTotalTimeMs(file);
        const bool whole = file.Tell() == size;
        std::printf("%s: %zu bytes, %d records, %d key frames, %u.%03u s%s\n", p.string().c_str(),
                    size, records, keys, ms / 1000, ms % 1000,
                    whole ? "" : ", trailing bytes unread");
        if (!whole || records == 0) ++bad;
    }
    std::printf("%zu recording file(s), %d not read back whole\n", files.size(), bad);
    return files.empty() || bad ? 1 : 0;
}
