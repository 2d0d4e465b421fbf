// The driver operations of the simulated boards.
#include "sim/brevix32/driver_state.h"

#include "sim/brevix32/SimCtl.h"
#include "sim/brevix32/board_layout.h"

#include <chrono>
#include <cstdio>
#include <cstring>

namespace sim {
namespace {

std::string ReadTextFile(const std::string& path, size_t limit) {
    std::string text;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return text;
    char buf[4096];
    size_t n;
    while (text.size() < limit && (n = std::fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    std::fclose(f);
    return text;
}

std::string FolderOf(const std::string& path) {
    size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ThisModuleFolder() {
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModuleFolder), &self);
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(self, path, MAX_PATH);
    return n ? FolderOf(std::string(path, n)) : std::string();
}

// The fixture scripts, when this tree has them: the test-data folder named by
// the environment, else the one beside the build trees. A 4-channel processor's
// sub-channel plays the clip of its channel number (chNN.brs), each a picture
// of its own.
std::string DefaultScript(int type, int channel) {
    std::vector<std::string> folders;
    if (const char* env = std::getenv("DVR_TEST_DATA")) {
        std::string dir = env;
        if (!dir.empty() && dir[0] == '/') dir = "Z:" + dir;
        folders.push_back(dir);
    }
    folders.push_back(ThisModuleFolder() + "\\..\\..\\testdata");
    char own[16];
    std::snprintf(own, sizeof own, "ch%02d.brs", channel);
    std::vector<std::string> preferred;
    if (type == 1) {
        preferred = {"d1_ip.brs", "cif_ip.brs"};
    } else {
        preferred = {own, "cif_ip.brs"};
    }
    for (const std::string& dir : folders) {
        for (const std::string& name : preferred)
            if (FileExists(dir + "\\" + name)) return dir + "\\" + name;
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((dir + "\\*.brs").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            std::string found = dir + "\\" + fd.cFileName;
            FindClose(h);
            return found;
        }
    }
    return "synthetic";
}

// Builds the processors of a configuration and loads the scripts they play.
void Apply(Driver& d, SimConfig cfg) {
    // Scripts already loaded are kept: tests configure often.
    std::map<std::string, std::shared_ptr<BoardScript>> previous = std::move(d.scripts);
    d.scripts.clear();
    d.processors.clear();
    d.speed = cfg.speed;
    for (size_t i = 0; i < cfg.processors.size(); ++i) {
        auto p = std::make_unique<Processor>();
        p->index = int(i);
        p->config = cfg.processors[i];
        p->status = p->config.status;
        for (int sub = 0; sub < kMaxSubChannels; ++sub) {
            std::string& src = p->config.sources[sub];
            if (src.empty()) src = DefaultScript(p->config.type, int(i) * 4 + sub + 1);
            p->subs[size_t(sub)].video = p->config.video[sub];
            if (src == "none" || d.scripts.count(src)) continue;
            if (auto it = previous.find(src); it != previous.end()) {
                d.scripts[src] = it->second;
                continue;
            }
            std::optional<BoardScript> script;
            if (src != "synthetic") script = BoardScript::Load(src);
            if (!script) {
                if (src != "synthetic")
                    OutputDebugStringA(("Brevix32: cannot play " + src + "\n").c_str());
                script = BoardScript::Synthetic();
            }
            d.scripts[src] = std::make_shared<BoardScript>(std::move(*script));
        }
        d.processors.push_back(std::move(p));
    }
    d.config = std::move(cfg);
    d.configured = true;
}

uint8_t* ReserveLow(int index) {
    // Fixed places first, then any free place below 2 GB.
    uintptr_t preferred = 0x20000000u + uintptr_t(index) * 0x01000000u;
    for (uintptr_t at = preferred; at + kBoardMemorySize <= 0x7F000000u; at += kBoardMemorySize) {
        void* p = VirtualAlloc(reinterpret_cast<void*>(at), kBoardMemorySize,
                               MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (p) return static_cast<uint8_t*>(p);
    }
    for (uintptr_t at = 0x10000000u; at < preferred; at += kBoardMemorySize) {
        void* p = VirtualAlloc(reinterpret_cast<void*>(at), kBoardMemorySize,
                               MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (p) return static_cast<uint8_t*>(p);
    }
    return nullptr;
}

void LogCall(Driver& d, int op, int processor) {
    d.calls.push_back({op, processor});
    if (d.calls.size() > kLogLimit) {
        d.calls.pop_front();
        ++d.callBase;
    }
}

// Counts down an injected failure of `op`; true when this call must fail.
bool Failing(Processor* p, int op) {
    if (!p) return false;
    auto it = p->failing.find(op);
    if (it == p->failing.end() || it->second == 0) return false;
    if (it->second > 0) --it->second;
    return true;
}

template <typename T> T* Live(Driver& d, void* h) {
    return h && d.live.count(h) ? static_cast<T*>(h) : nullptr;
}

Processor* ProcessorAt(Driver& d, int index) {
    EnsureConfigured(d);
    return index >= 0 && size_t(index) < d.processors.size() ? d.processors[size_t(index)].get()
                                                             : nullptr;
}

} // namespace

Driver& TheDriver() {
    // Never destroyed: firmware threads may still run while the process exits.
    static Driver* d = new Driver;
    return *d;
}

int64_t BoardNowMs(Driver& d) {
    uint64_t tick = GetTickCount64();
    return d.clockBaseMs + int64_t(tick - d.clockBaseTick) * d.speed;
}

SimConfig FoundConfig() {
    std::string error;
    auto tryText = [&](const std::string& text,
                       const std::string& base) -> std::optional<SimConfig> {
        auto cfg = ParseConfig(text, base, &error);
        if (!cfg) OutputDebugStringA(("Brevix32: configuration " + error + "\n").c_str());
        return cfg;
    };
    if (const char* path = std::getenv("BREVIX_SIM_CONFIG")) {
        std::string p = path;
        if (!p.empty() && p[0] == '/') p = "Z:" + p;
        if (auto cfg = tryText(ReadTextFile(p, 1 << 20), FolderOf(p))) return *cfg;
    }
    std::string firmware = ReadTextFile("Main.out", 1 << 20);
    if (LooksLikeConfig(firmware))
        if (auto cfg = tryText(firmware, "")) return *cfg;
    // Four 4-channel processors: sixteen channels.
    return *ParseConfig("processor 4\nprocessor 4\nprocessor 4\nprocessor 4\n", "", nullptr);
}

void EnsureConfigured(Driver& d) {
    if (d.configured) return;
    d.clockBaseTick = GetTickCount64();
    Apply(d, FoundConfig());
}

int ConfigureLocked(Driver& d, const SimConfig& cfg) {
    for (auto& p : d.processors)
        if (p->opens > 0 || p->running) return BREVIX_BAD_STATE;
    // Bindings the host left behind die with their processor.
    for (auto& p : d.processors) {
        auto drop = [&](auto*& object) {
            if (!object) return;
            d.live.erase(object);
            delete object;
            object = nullptr;
        };
        drop(p->event);
        drop(p->myMessage);
        drop(p->cRunTime);
        drop(p->block);
    }
    int64_t now = BoardNowMs(d);
    Apply(d, cfg);
    d.clockBaseMs = now;
    d.clockBaseTick = GetTickCount64();
    d.unbound.failing.clear();
    d.calls.clear();
    d.callBase = 0;
    return BREVIX_OK;
}

void SetSpeedLocked(Driver& d, int factor) {
    d.clockBaseMs = BoardNowMs(d);
    d.clockBaseTick = GetTickCount64();
    d.speed = factor;
}

Processor* NoProcessorFaults() {
    return &TheDriver().unbound;
}

} // namespace sim

using namespace sim;

namespace {

std::unique_lock<std::mutex> Lock(Driver& d) {
    std::unique_lock<std::mutex> l(d.m);
    EnsureConfigured(d);
    return l;
}

} // namespace

extern "C" {

int BrevixDSPGetNum(void) {
    Driver& d = TheDriver();
    auto l = Lock(d);
    LogCall(d, SIMCTL_OP_GET_NUM, -1);
    if (Failing(NoProcessorFaults(), SIMCTL_OP_GET_NUM)) return 0;
    return int(d.processors.size());
}

int BrevixDSPGetType(int processor, int* type) {
    Driver& d = TheDriver();
    auto l = Lock(d);
    LogCall(d, SIMCTL_OP_GET_TYPE, processor);
    Processor* p = ProcessorAt(d, processor);
    if (!p || !type) return BREVIX_BAD_ARGUMENT;
    if (Failing(p, SIMCTL_OP_GET_TYPE)) return BREVIX_ERROR;
    *type = p->config.type;
    return BREVIX_OK;
}

int BrevixDSPOpen(int processor, BrevixDsp* dsp) {
    Driver& d = TheDriver();
    auto l = Lock(d);
    LogCall(d, SIMCTL_OP_OPEN, processor);
    Processor* p = ProcessorAt(d, processor);
    if (!p || !dsp) return BREVIX_BAD_ARGUMENT;
    if (Failing(p, SIMCTL_OP_OPEN)) return BREVIX_ERROR;
    if (!p->memory) {
        uint8_t*& region = d.regions[processor];
        if (!region) region = ReserveLow(processor);
        if (!region) return BREVIX_NO_MEMORY;
        p->memory = region;
        std::memset(p->memory, 0, kBoardMemorySize);
        for (int sub = 0; sub < kMaxSubChannels; ++sub)
            SetVideoWord(*p, sub);
    }
    auto* h = new DspHandle{p};
    d.live.insert(h);
    ++p->opens;
    *dsp = reinterpret_cast<BrevixDsp>(h);
    return BREVIX_OK;
}

int BrevixDSPGetStatus(BrevixDsp dsp, int* status) {
    Driver& d = TheDriver();
    auto l = Lock(d);
    auto* h = Live<DspHandle>(d, dsp);
    LogCall(d, SIMCTL_OP_GET_STATUS, h ? h->processor->index : -1);
    if (!h || !status) return BREVIX_BAD_ARGUMENT;
    if (Failing(h->processor, SIMCTL_OP_GET_STATUS)) return BREVIX_ERROR;
    *status = h->processor->status;
    return BREVIX_OK;
}

int BrevixDSPStop(BrevixDsp dsp) {
    Driver& d = TheDriver();
    auto l = Lock(d);
    auto* h = Live<DspHandle>(d, dsp);
    LogCall(d, SIMCTL_OP_STOP, h ? h->processor->index : -1);
    if (!h) return BREVIX_BAD_ARGUMENT;
    Processor* p = h->processor;
    if (Failing(p, SIMCTL_OP_STOP)) return BREVIX_ERROR;
    StopFirmware(d, *p, l);
    p->status = BREVIX_STATUS_RESET;
    return BREVIX_OK;
}

int BrevixDSPGetInfo(BrevixDsp dsp, BrevixDspInfo* info) {
    Driver& d = TheDriver();
    auto l = Lock(d);
    auto* h = Live<DspHandle>(d, dsp);
    LogCall(d, SIMCTL_OP_GET_INFO, h ? h->processor->index : -1);
    if (!h || !info) return BREVIX_BAD_ARGUMENT;
    Processor* p = h->processor;
    if (Failing(p, SIMCTL_OP_GET_INFO)) return BREVIX_ERROR;
    info->hostBase = uint32_t(reinterpret_cast<uintptr_t>(p->memory));
    info->boardBase = kBoardBase;
    info->boardMemorySize = kBoardMemorySize;
    info->type = uint32_t(p->config.type);
    return BREVIX_OK;
}

int BrevixDSPLoad(BrevixDsp dsp, int section, const char* path) {
    Driver& d = TheDriver();
    auto l = Lock(d);
    auto* h = Live<DspHandle>(d, dsp);
    LogCall(d, SIMCTL_OP_LOAD, h ? h->processor->index : -1);
    if (!h || !path || section != BREVIX_LOAD_ALL) return BREVIX_BAD_ARGUMENT;
    Processor* p = h->processor;
    if (Failing(p, SIMCTL_OP_LOAD)) return BREVIX_ERROR;
    if (p->status == BREVIX_STATUS_RUNNING) return BREVIX_BAD_STATE;
    if (!FileExists(path)) return BREVIX_NOT_FOUND;
    p->status = BREVIX_STATUS_LOADED;
    return BREVIX_OK;
}

int BrevixDSPStart(BrevixDsp dsp) {
    Driver& d = TheDriver();
    auto l = Lock(d);
    auto* h = Live<DspHandle>(d, dsp);
    LogCall(d, SIMCTL_OP_START, h ? h->processor->index : -1);
    if (!h) return BREVIX_BAD_ARGUMENT;
    Processor* p = h->processor;
    if (Failing(p, SIMCTL_OP_START)) return BREVIX_ERROR;
    if (p->status != BREVIX_STATUS_LOADED) return BREVIX_BAD_STATE;
    p->status = BREVIX_STATUS_RUNNING;
    StartFirmware(d, *p);
    return BREVIX_OK;
}

int BrevixDSPClose(BrevixDsp dsp) {
    Driver& d = TheDriver();
    auto l = Lock(d);
    auto* h = Live<DspHandle>(d, dsp);
    LogCall(d, SIMCTL_OP_CLOSE, h ? h->processor->index : -1);
    if (!h) return BREVIX_BAD_ARGUMENT;
    Processor* p = h->processor;
    if (Failing(p, SIMCTL_OP_CLOSE)) return BREVIX_ERROR;
    d.live.erase(h);
    delete h;
    // The last handle gone: nobody can stop the firmware any more, so halt it.
    if (--p->opens == 0 && p->running) {
        StopFirmware(d, *p, l);
        p->status = BREVIX_STATUS_RESET;
    }
    return BREVIX_OK;
}

int BrevixEventCreate(BrevixDsp dsp, const char* name, void* windowsEvent, int mode,
                      BrevixEvent* event) {
    Driver& d = TheDriver();
    auto l = Lock(d);
    auto* h = Live<DspHandle>(d, dsp);
    LogCall(d, SIMCTL_OP_EVENT_CREATE, h ? h->processor->index : -1);
    if (!h || !name || !windowsEvent || !event || mode != BREVIX_NOTIFY_WIN_EVENT)
        return BREVIX_BAD_ARGUMENT;
    Processor* p = h->processor;
    if (Failing(p, SIMCTL_OP_EVENT_CREATE)) return BREVIX_ERROR;
    if (std::strcmp(name, "MyEvent") != 0) return BREVIX_NOT_FOUND;
    if (p->event) return BREVIX_BAD_STATE;
    p->event = new EventBinding{p, windowsEvent};
    d.live.insert(p->event);
    *event = reinterpret_cast<BrevixEvent>(p->event);
    return BREVIX_OK;
}

int BrevixEventSignal(BrevixEvent event) {
    Driver& d = TheDriver();
    auto l = Lock(d);
    auto* e = Live<EventBinding>(d, event);
    LogCall(d, SIMCTL_OP_EVENT_SIGNAL, e ? e->processor->index : -1);
    if (!e) return BREVIX_BAD_ARGUMENT;
    if (Failing(e->processor, SIMCTL_OP_EVENT_SIGNAL)) return BREVIX_ERROR;
    // Towards the board only: the host's own event is not touched.
    ++e->processor->hostSignals;
    d.cv.notify_all();
    return BREVIX_OK;
}

int BrevixEventDestroy(BrevixEvent event) {
    Driver& d = TheDriver();
    auto l = Lock(d);
    auto* e = Live<EventBinding>(d, event);
    LogCall(d, SIMCTL_OP_EVENT_DESTROY, e ? e->processor->index : -1);
    if (!e) return BREVIX_BAD_ARGUMENT;
    if (Failing(e->processor, SIMCTL_OP_EVENT_DESTROY)) return BREVIX_ERROR;
    e->processor->event = nullptr;
    d.live.erase(e);
    delete e;
    return BREVIX_OK;
}

int BrevixMessageCreate(BrevixDsp dsp, const char* name, void* windowsEvent, int mode,
                        BrevixMessage* channel) {
    Driver& d = TheDriver();
    auto l = Lock(d);
    auto* h = Live<DspHandle>(d, dsp);
    LogCall(d, SIMCTL_OP_MESSAGE_CREATE, h ? h->processor->index : -1);
    if (!h || !name || !windowsEvent || !channel || mode != BREVIX_NOTIFY_WIN_EVENT)
        return BREVIX_BAD_ARGUMENT;
    Processor* p = h->processor;
    if (Failing(p, SIMCTL_OP_MESSAGE_CREATE)) return BREVIX_ERROR;
    MessageChannel** slot = std::strcmp(name, "MyMessage") == 0  ? &p->myMessage
                            : std::strcmp(name, "CRunTime") == 0 ? &p->cRunTime
                                                                 : nullptr;
    if (!slot) return BREVIX_NOT_FOUND;
    if (*slot) return BREVIX_BAD_STATE;
    *slot = new MessageChannel{p, name, windowsEvent, {}, {}};
    d.live.insert(*slot);
    *channel = reinterpret_cast<BrevixMessage>(*slot);
    return BREVIX_OK;
}

int BrevixMessageSend(BrevixMessage channel, const uint32_t words[BREVIX_MESSAGE_WORDS]) {
    Driver& d = TheDriver();
    auto l = Lock(d);
    auto* c = Live<MessageChannel>(d, channel);
    LogCall(d, SIMCTL_OP_MESSAGE_SEND, c ? c->processor->index : -1);
    if (!c || !words) return BREVIX_BAD_ARGUMENT;
    Processor* p = c->processor;
    if (Failing(p, SIMCTL_OP_MESSAGE_SEND)) return BREVIX_ERROR;
    constexpr size_t kChannelDepth = 64;
    if (c == p->myMessage && p->busy > 0) {
        --p->busy;
        return BREVIX_BUSY;
    }
    if (c->toBoard.size() >= kChannelDepth) return BREVIX_BUSY;
    Message m;
    std::memcpy(m.data(), words, sizeof(uint32_t) * BREVIX_MESSAGE_WORDS);
    c->toBoard.push_back(m);
    if (c == p->myMessage) {
        p->commandLog.push_back(m);
        if (p->commandLog.size() > kLogLimit) {
            p->commandLog.pop_front();
            ++p->commandLogBase;
        }
    }
    d.cv.notify_all();
    return BREVIX_OK;
}

int BrevixMessageReceive(BrevixMessage channel, uint32_t words[BREVIX_MESSAGE_WORDS]) {
    Driver& d = TheDriver();
    auto l = Lock(d);
    auto* c = Live<MessageChannel>(d, channel);
    LogCall(d, SIMCTL_OP_MESSAGE_RECEIVE, c ? c->processor->index : -1);
    if (!c || !words) return BREVIX_BAD_ARGUMENT;
    if (Failing(c->processor, SIMCTL_OP_MESSAGE_RECEIVE)) return BREVIX_ERROR;
    if (c->toHost.empty()) return BREVIX_NO_MESSAGE;
    std::memcpy(words, c->toHost.front().data(), sizeof(uint32_t) * BREVIX_MESSAGE_WORDS);
    c->toHost.pop_front();
    return BREVIX_OK;
}

int BrevixMessageDestroy(BrevixMessage channel) {
    Driver& d = TheDriver();
    auto l = Lock(d);
    auto* c = Live<MessageChannel>(d, channel);
    LogCall(d, SIMCTL_OP_MESSAGE_DESTROY, c ? c->processor->index : -1);
    if (!c) return BREVIX_BAD_ARGUMENT;
    Processor* p = c->processor;
    if (Failing(p, SIMCTL_OP_MESSAGE_DESTROY)) return BREVIX_ERROR;
    if (p->myMessage == c) p->myMessage = nullptr;
    if (p->cRunTime == c) p->cRunTime = nullptr;
    d.live.erase(c);
    delete c;
    d.cv.notify_all();
    return BREVIX_OK;
}

int BrevixSharedMemoryCreate(BrevixDsp dsp, const char* name, uint32_t size, void** hostAddress,
                             BrevixSharedMemory* block) {
    Driver& d = TheDriver();
    auto l = Lock(d);
    auto* h = Live<DspHandle>(d, dsp);
    LogCall(d, SIMCTL_OP_SHARED_MEMORY_CREATE, h ? h->processor->index : -1);
    if (!h || !name || !hostAddress || !block) return BREVIX_BAD_ARGUMENT;
    Processor* p = h->processor;
    if (Failing(p, SIMCTL_OP_SHARED_MEMORY_CREATE)) return BREVIX_ERROR;
    if (std::strcmp(name, "Memory") != 0) return BREVIX_NOT_FOUND;
    if (size == 0 || size > kSharedBlockSize) return BREVIX_BAD_ARGUMENT;
    if (p->block) return BREVIX_BAD_STATE;
    std::memset(p->memory, 0, kSharedBlockSize);
    p->block = new SharedBlock{p, p->memory};
    p->controlWritten = false;
    p->writer.Reset();
    d.live.insert(p->block);
    *hostAddress = p->block->host;
    *block = reinterpret_cast<BrevixSharedMemory>(p->block);
    d.cv.notify_all();
    return BREVIX_OK;
}

int BrevixSharedMemoryDestroy(BrevixSharedMemory block) {
    Driver& d = TheDriver();
    auto l = Lock(d);
    auto* b = Live<SharedBlock>(d, block);
    LogCall(d, SIMCTL_OP_SHARED_MEMORY_DESTROY, b ? b->processor->index : -1);
    if (!b) return BREVIX_BAD_ARGUMENT;
    Processor* p = b->processor;
    if (Failing(p, SIMCTL_OP_SHARED_MEMORY_DESTROY)) return BREVIX_ERROR;
    p->block = nullptr;
    p->writer.Reset();
    d.live.erase(b);
    delete b;
    return BREVIX_OK;
}

int BrevixTranslateAdapterAddress(void* hostAddress, uint32_t length, uint32_t* busAddress) {
    Driver& d = TheDriver();
    auto l = Lock(d);
    LogCall(d, SIMCTL_OP_TRANSLATE_ADDRESS, -1);
    if (!hostAddress || !busAddress || length == 0 || length > kBusStride)
        return BREVIX_BAD_ARGUMENT;
    if (Failing(NoProcessorFaults(), SIMCTL_OP_TRANSLATE_ADDRESS)) return BREVIX_ERROR;
    auto* host = static_cast<uint8_t*>(hostAddress);
    size_t i = 0;
    while (i < d.translations.size() &&
           !(d.translations[i].host == host && d.translations[i].length == length))
        ++i;
    if (i == d.translations.size()) {
        if (i == kMaxTranslations) return BREVIX_NO_MEMORY;
        d.translations.push_back({host, length});
    }
    *busAddress = kBusBase + uint32_t(i) * kBusStride;
    return BREVIX_OK;
}

} // extern "C"
