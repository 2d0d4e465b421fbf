// Serves one host call from arbitrary board memory: whatever the record, its
// addresses and lengths, the server must stay inside that memory.
#include "sdk/corvane/host_call.h"

#include <cstring>
#include <vector>

namespace {

using namespace dvr::corvane;

struct NullOps : HostOps {
    int Open(const char*, int, int) override { return 3; }
    int OpenDll(const char*) override { return -1; }
    int Close(int) override { return 0; }
    int Read(int, void* buffer, uint32_t count) override {
        std::memset(buffer, 0x5A, count);
        return int(count);
    }
    int Write(int, const void* buffer, uint32_t count) override {
        volatile uint8_t sum = 0;
        for (uint32_t i = 0; i < count; ++i)
            sum = uint8_t(sum + static_cast<const uint8_t*>(buffer)[i]);
        return int(count);
    }
    int32_t Lseek(int, int32_t, int) override { return 0; }
    int Isatty(int) override { return 0; }
    int Fstat(int, HostFileStatus&) override { return 0; }
    int Fcntl(int, int, int) override { return 0; }
    int Stat(const char*, HostFileStatus&) override { return 0; }
    void Exit(int, int) override {}
    void RemoveNode(int) override {}
    std::vector<std::string> Arguments(int) override { return {"a", "bc"}; }
    int Unlink(const char*) override { return 0; }
    bool MakeTemp(std::string& pattern) override {
        for (char& c : pattern)
            if (c == 'X') c = 'q';
        return true;
    }
    std::optional<std::string> GetEnv(const char* name) override { return std::string(name); }
    std::optional<std::string> TempName() override { return std::string("\\tmp1."); }
    int64_t Time() override { return 1; }
    int ErrorNumber() override { return 40; }
    void ClearErrorNumber() override {}
    bool TraceOn() override { return true; }
    void Trace(const char*) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8) return 0;
    // The first bytes choose the record's place and the byte order; the rest is memory.
    uint32_t at;
    std::memcpy(&at, data, 4);
    const bool same = data[4] & 1;
    std::vector<uint8_t> bytes(data + 8, data + size);
    constexpr uint32_t kBoardLow = 0x80000000u;
    const BoardMemory memory(bytes.data(), kBoardLow, 0x10000000u, uint32_t(bytes.size()), same);
    const uint32_t message[6] = {kBoardLow + at % (uint32_t(bytes.size()) + 16)};
    NullOps ops;
    ServeHostCall(message, NodeView{}, memory, ops);
    return 0;
}
