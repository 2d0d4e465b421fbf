#include "framework/exceptions.h"
#include "skin/engine/theme_se3file.h"

#include <fstream>
#include <iterator>

namespace dvr::skin {

namespace {

// Writes reach the file when the stream is freed.
class TFileOutStream : public fw::TMemoryStream {
public:
    explicit TFileOutStream(std::ofstream f) : file_(std::move(f)) {}
    ~TFileOutStream() override {
        file_.write(reinterpret_cast<const char*>(Bytes().data()), std::streamsize(Bytes().size()));
    }

private:
    std::ofstream file_;
};

} // namespace

bool SkinFileExists(const std::string& FileName) {
    std::ifstream f(FileName, std::ios::binary);
    return f.good();
}

std::unique_ptr<fw::TStream> OpenSkinFile(const std::string& FileName, bool Write) {
    if (Write) {
        std::ofstream f(FileName, std::ios::binary | std::ios::trunc);
        if (!f) throw fw::EStreamError("Cannot create file " + FileName);
        return std::make_unique<TFileOutStream>(std::move(f));
    }
    std::ifstream f(FileName, std::ios::binary);
    if (!f) throw fw::EStreamError("Cannot open file " + FileName);
    std::string data((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    return std::make_unique<fw::TMemoryStream>(data.data(), data.size());
}

} // namespace dvr::skin
