// The host-call server: node tables, server threads and the exported interface.
#include "common/win/handles.h"
#include "common/win/textconv.h"
#include "sdk/corvane/corvane_api.h"
#include "sdk/corvane/host_call.h"
#include "sdk/corvane/server_state.h"
#include "sim/brevix32/Brevix32.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <new>

namespace dvr::corvane {
namespace {

constexpr int kMaxNodes = 32;
constexpr int kServerCount = 4;
constexpr DWORD kTermWaitMs = 2000;

struct NodeData {
    int32_t processor = 0;
    BrevixDsp dsp = nullptr;
    // Read by the server threads while a removal may clear it.
    std::atomic<BrevixMessage> channel{nullptr};
    std::atomic<int32_t> valid{0};
    // Board memory of the processor, for checking the board's addresses.
    BrevixDspInfo info{};
    bool haveInfo = false;
};

struct HostCallNode {
    int number = 0;
    std::vector<std::string> args;
    int32_t stdinHandle = 0;
    int32_t stdoutHandle = 0;
    int32_t stderrHandle = 0;
    uint32_t addressOffset = 0;
    int32_t reserved1 = 0;
    int32_t reserved2 = 0;
    void (*terminate)(NodeData*) = nullptr;
    NodeData* terminateArg = nullptr;
};

struct Callbacks {
    MX1IF_open_fn open = nullptr;
    MX1IF_opendll_fn opendll = nullptr;
    MX1IF_close_fn close = nullptr;
    MX1IF_read_fn read = nullptr;
    MX1IF_write_fn write = nullptr;
    MX1IF_lseek_fn lseek = nullptr;
    MX1IF_isatty_fn isatty = nullptr;
    MX1IF_fstat_fn fstat = nullptr;
    MX1IF_fcntl_fn fcntl = nullptr;
    MX1IF_stat_fn stat = nullptr;
    MX1IF_exit_fn exit = nullptr;
};

// Library-wide state. The tables are fixed arrays so that a server thread still
// blocked in a callback after MX1IF_term never touches freed memory.
struct Library {
    Callbacks callbacks;
    int byteOrderFlag = 1;
    int nodeCount = 0;
    std::array<NodeData, kMaxNodes> nodeData;
    std::array<HostCallNode, kMaxNodes> nodes;
    std::atomic<uint32_t> validMask{0};
    win::Event event;
    std::vector<win::Thread> servers;
    std::atomic<bool> stop{false};
    std::atomic<int> traceSwitch{0};
    TraceSink traceSink = nullptr;
    win::CriticalSection nodeLock; // node table entries and their argument copies
    win::CriticalSection pathLock;
    std::unique_ptr<DllSearchPath> searchPath;
};
Library g_corvane;

void Emit(const char* format, va_list args) {
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    if (g_corvane.traceSink)
        g_corvane.traceSink(text);
    else
        ::OutputDebugStringA(text);
}

void TraceError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Emit(format, args);
    va_end(args);
}

void Trace(const char* format, ...) {
    if (!g_corvane.traceSwitch) return;
    va_list args;
    va_start(args, format);
    Emit(format, args);
    va_end(args);
}

int Pid() {
    return int(::GetCurrentProcessId());
}

unsigned Word(const void* p) {
    return unsigned(reinterpret_cast<uintptr_t>(p));
}

const char* Bool(bool b) {
    return b ? "TRUE" : "FALSE";
}

// The terminate step of a node.
void Terminate(NodeData* data) {
    Trace("Corvane(%d):terminate(NodeData=%08x, dsp_number=%d, valid=%s, hostcall_handle=%08x)\n",
          Pid(), Word(data), data->processor, Bool(data->valid), Word(data->channel));
    data->valid = 0;
}

bool InRange(int node) {
    return node >= 0 && node < g_corvane.nodeCount;
}

int RemoveNode(int node) {
    if (!InRange(node)) return BREVIX_BAD_ARGUMENT;
    std::lock_guard lock(g_corvane.nodeLock);
    NodeData& data = g_corvane.nodeData[size_t(node)];
    Trace("Corvane(%d):MX1IF_remove_node_info(NodeData=%08x, node_number=%d, dsp_number=%d, "
          "valid=%s, hostcall_handle=%08x)\n",
          Pid(), Word(&data), node, data.processor, Bool(data.valid), Word(data.channel));
    const uint32_t bit = 1u << node;
    HostCallNode& n = g_corvane.nodes[size_t(node)];
    if (g_corvane.validMask & bit) {
        if (n.terminate) n.terminate(n.terminateArg);
        g_corvane.validMask &= ~bit;
        n.args.clear();
        n.args.shrink_to_fit();
    }
    // A node never registered has no channel to give the driver.
    const BrevixMessage channel = data.channel.exchange(nullptr);
    return channel ? BrevixMessageDestroy(channel) : BREVIX_BAD_ARGUMENT;
}

// The host side of one node's calls.
class NodeOps final : public HostOps {
public:
    int Open(const char* path, int flags, int mode) override {
        auto f = g_corvane.callbacks.open;
        return f ? f(path, flags, mode) : Missing();
    }
    int OpenDll(const char* name) override {
        auto f = g_corvane.callbacks.opendll;
        return f ? f(name) : Missing();
    }
    int Close(int handle) override {
        auto f = g_corvane.callbacks.close;
        return f ? f(handle) : Missing();
    }
    int Read(int handle, void* buffer, uint32_t count) override {
        auto f = g_corvane.callbacks.read;
        return f ? f(handle, buffer, count) : Missing();
    }
    int Write(int handle, const void* buffer, uint32_t count) override {
        auto f = g_corvane.callbacks.write;
        return f ? f(handle, buffer, count) : Missing();
    }
    int32_t Lseek(int handle, int32_t offset, int origin) override {
        auto f = g_corvane.callbacks.lseek;
        return f ? int32_t(f(handle, offset, origin)) : Missing();
    }
    int Isatty(int handle) override {
        auto f = g_corvane.callbacks.isatty;
        return f ? f(handle) : Missing();
    }
    int Fstat(int handle, HostFileStatus& status) override {
        auto f = g_corvane.callbacks.fstat;
        if (!f) return Missing();
        struct stat s {};
        const int result = f(handle, &s);
        status = Convert(s);
        return result;
    }
    int Fcntl(int handle, int command, int argument) override {
        auto f = g_corvane.callbacks.fcntl;
        return f ? f(handle, command, argument) : Missing();
    }
    int Stat(const char* path, HostFileStatus& status) override {
        auto f = g_corvane.callbacks.stat;
        if (!f) return Missing();
        struct stat s {};
        const int result = f(path, &s);
        status = Convert(s);
        return result;
    }
    void Exit(int node, int status) override {
        if (auto f = g_corvane.callbacks.exit) f(node, status);
    }
    void RemoveNode(int node) override { corvane::RemoveNode(node); }
    std::vector<std::string> Arguments(int node) override {
        std::lock_guard lock(g_corvane.nodeLock);
        return g_corvane.nodes[size_t(node)].args;
    }

    int Unlink(const char* path) override { return ::_wunlink(win::GbkToWide(path).c_str()); }

    bool MakeTemp(std::string& pattern) override {
        // The trailing X characters become the process number and a letter that
        // makes the name unused.
        size_t xs = 0;
        while (xs < pattern.size() && pattern[pattern.size() - 1 - xs] == 'X')
            ++xs;
        if (xs == 0) {
            errno = EINVAL;
            return false;
        }
        const size_t first = pattern.size() - xs;
        unsigned number = unsigned(Pid());
        for (size_t i = pattern.size(); i-- > first + 1;) {
            pattern[i] = char('0' + number % 10);
            number /= 10;
        }
        for (char letter = 'a'; letter <= 'z'; ++letter) {
            pattern[first] = letter;
            if (::GetFileAttributesW(win::GbkToWide(pattern).c_str()) == INVALID_FILE_ATTRIBUTES)
                return true;
        }
        errno = EEXIST;
        return false;
    }
    std::optional<std::string> GetEnv(const char* name) override {
        const std::wstring wide = win::GbkToWide(name);
        const DWORD size = ::GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
        if (size == 0) return std::nullopt;
        std::wstring value(size, L'\0');
        const DWORD length = ::GetEnvironmentVariableW(wide.c_str(), value.data(), size);
        if (length >= size) return std::nullopt;
        value.resize(length);
        return win::WideToGbk(value);
    }
    std::optional<std::string> TempName() override {
        char name[L_tmpnam + 1] = {};
        if (!std::tmpnam(name)) return std::nullopt;
        return std::string(name);
    }
    int64_t Time() override { return int64_t(std::time(nullptr)); }

    int ErrorNumber() override { return errno; }
    void ClearErrorNumber() override { errno = 0; }

    bool TraceOn() override { return g_corvane.traceSwitch != 0; }
    void Trace(const char* text) override {
        if (g_corvane.traceSink)
            g_corvane.traceSink(text);
        else
            ::OutputDebugStringA(text);
    }

private:
    // A callback the board manager did not give.
    static int Missing() {
        errno = kErrorNotImplemented;
        return -1;
    }
    static HostFileStatus Convert(const struct stat& s) {
        HostFileStatus h;
        h.device = uint32_t(s.st_dev);
        h.inode = uint32_t(s.st_ino);
        h.mode = uint32_t(s.st_mode);
        h.links = int32_t(s.st_nlink);
        h.user = int32_t(s.st_uid);
        h.group = int32_t(s.st_gid);
        h.special = uint32_t(s.st_rdev);
        h.size = uint32_t(s.st_size);
        h.accessTime = int64_t(s.st_atime);
        h.modifyTime = int64_t(s.st_mtime);
        h.changeTime = int64_t(s.st_ctime);
        return h;
    }
};

void Reply(NodeData& data, const uint32_t message[BREVIX_MESSAGE_WORDS]) {
    // A busy channel is retried: a lost reply would leave the board program waiting.
    while (data.valid && !g_corvane.stop) {
        if (BrevixMessageSend(data.channel, message) != BREVIX_BUSY) return;
        ::Sleep(1);
    }
}

void Serve(int server, int index) {
    NodeData& data = g_corvane.nodeData[size_t(index)];
    Trace("Corvane(%d):serve(server=%d nodedata#=%d nodedata=%08x dsp_number=%d "
          "hostcall_channel=%08x)\n",
          Pid(), server, index, Word(&data), data.processor, Word(data.channel));
    uint32_t message[BREVIX_MESSAGE_WORDS];
    if (BrevixMessageReceive(data.channel, message) != BREVIX_OK) return;
    ::SetEvent(g_corvane.event.get());

    NodeView view;
    uint32_t offset = 0;
    {
        std::lock_guard lock(g_corvane.nodeLock);
        const HostCallNode& n = g_corvane.nodes[size_t(index)];
        view.number = index;
        view.stdinHandle = n.stdinHandle;
        view.stdoutHandle = n.stdoutHandle;
        view.stderrHandle = n.stderrHandle;
        offset = n.addressOffset;
    }
    // Board addresses are checked against the processor's memory: host address
    // = board address + offset, and it must fall inside that memory.
    const BrevixDspInfo& info = data.info;
    uint8_t* base = data.haveInfo ? reinterpret_cast<uint8_t*>(uintptr_t(info.hostBase)) : nullptr;
    const BoardMemory memory(base, info.hostBase - offset, info.hostBase,
                             data.haveInfo ? info.boardMemorySize : 0,
                             g_corvane.byteOrderFlag == 1);
    NodeOps ops;
    if (ServeHostCall(message, view, memory, ops) && data.valid) Reply(data, message);
}

DWORD WINAPI HostCallServerThread(void* parameter) {
    const int server = int(reinterpret_cast<intptr_t>(parameter));
    const HANDLE event = g_corvane.event.get();
    while (!g_corvane.stop) {
        if (::WaitForSingleObject(event, INFINITE) != WAIT_OBJECT_0) return 0;
        for (int i = 0; i < g_corvane.nodeCount; ++i) {
            if (g_corvane.stop) {
                ::SetEvent(event);
                return 0;
            }
            if (g_corvane.nodeData[size_t(i)].valid) Serve(server, i);
        }
    }
    return 0;
}

} // namespace

void SetTraceSink(TraceSink sink) {
    g_corvane.traceSink = sink;
}

void TraceVersion() {
    Trace("Corvane, v%d.%d.%d.%d\n", 0, 1, 0, 1);
}

bool NodeValid(int nodeNumber) {
    return InRange(nodeNumber) && g_corvane.nodeData[size_t(nodeNumber)].valid;
}

} // namespace dvr::corvane

using namespace dvr::corvane;

extern "C" {

int MX1IF_init(MX1IF_open_fn open, MX1IF_opendll_fn opendll, MX1IF_close_fn close,
               MX1IF_read_fn read, MX1IF_write_fn write, MX1IF_lseek_fn lseek,
               MX1IF_isatty_fn isatty, MX1IF_fstat_fn fstat, MX1IF_fcntl_fn fcntl,
               MX1IF_stat_fn stat, MX1IF_exit_fn exit, int byteOrderFlag) {
    Library& g = g_corvane;
    g.traceSwitch = int(::GetPrivateProfileIntW(L"Debug", L"Output", 0, L"Corvane.ini"));
    Trace("Corvane(%d):MX1IF_init()\n", Pid());
    g.stop = false;
    // Node numbers are bits of a 32-bit mask: more processors than that get no node.
    const int count = BrevixDSPGetNum();
    g.nodeCount = count < 0 ? 0 : count > kMaxNodes ? kMaxNodes : count;
    // A processor opened before an earlier MX1IF_term is still open: its entry keeps it for
    // the next registration on that processor.
    for (auto& d : g.nodeData) {
        if (!d.dsp) d.processor = 0;
        d.channel = nullptr;
        d.valid = 0;
        d.haveInfo = false;
    }
    g.event.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!g.event) {
        TraceError("Corvane(%d):MX1IF_init() *** CreateEvent() *** FAIL=%08x ERROR \n", Pid(),
                   unsigned(::GetLastError()));
        return 0;
    }
    g.callbacks =
        Callbacks{open, opendll, close, read, write, lseek, isatty, fstat, fcntl, stat, exit};
    g.byteOrderFlag = byteOrderFlag;
    return 1;
}

int MX1IF_start_serving(void) {
    Library& g = g_corvane;
    int created = 0;
    for (int server = 1; server <= kServerCount && g.event; ++server) {
        dvr::win::Thread thread(::CreateThread(nullptr, 0, HostCallServerThread,
                                               reinterpret_cast<void*>(intptr_t(server)), 0,
                                               nullptr));
        if (!thread) continue;
        g.servers.push_back(std::move(thread));
        ++created;
    }
    if (created == 0) {
        TraceError("Corvane(%d):MX1IF_start_serving() *** NO SERVERS CREATED *** ERROR \n", Pid());
        return 0;
    }
    Trace("Corvane(%d):MX1IF_start_serving() Number of servers created: %d\n", Pid(), created);
    return 1;
}

int MX1IF_add_node_info(int nodeNumber, int argc, char** argv, int stdinHandle, int stdoutHandle,
                        int stderrHandle, uint32_t addressOffset, int reserved1, int reserved2,
                        int processor) {
    Library& g = g_corvane;
    if (!InRange(nodeNumber) || !g.event) {
        TraceError("Corvane(%d):MX1IF_add_node_info(node_number=%d, dsp_number=%d) *** node_number "
                   "OUT OF RANGE *** ERROR \n",
                   Pid(), nodeNumber, processor);
        return 0;
    }
    std::lock_guard lock(g.nodeLock);
    NodeData& data = g.nodeData[size_t(nodeNumber)];
    // A registered node keeps its processor: only a free entry takes the new one.
    if (data.valid) {
        TraceError(
            "Corvane(%d):MX1IF_add_node_info(node_number=%d, dsp_number=%d) *** NodeData NOT "
            "VALID *** ERROR \n",
            Pid(), nodeNumber, processor);
        return 0;
    }
    if (data.dsp && data.processor != processor) {
        BrevixDSPClose(data.dsp);
        data.dsp = nullptr;
    }
    data.processor = processor;
    // The processor stays open from one registration to the next.
    if (!data.dsp) {
        const int result = BrevixDSPOpen(processor, &data.dsp);
        if (result != BREVIX_OK) {
            data.dsp = nullptr;
            TraceError("Corvane(%d):MX1IF_add_node_info(node_number=%d, dsp_number=%d) *** "
                       "BrevixDSPOpen() FAIL=%08x *** ERROR \n",
                       Pid(), nodeNumber, processor, unsigned(result));
        }
    }
    data.haveInfo = data.dsp && BrevixDSPGetInfo(data.dsp, &data.info) == BREVIX_OK;
    BrevixMessage channel = nullptr;
    const int created =
        BrevixMessageCreate(data.dsp, "CRunTime", g.event.get(), BREVIX_NOTIFY_WIN_EVENT, &channel);
    data.channel = created == BREVIX_OK ? channel : nullptr;
    if (created != BREVIX_OK) {
        TraceError("Corvane(%d):MX1IF_add_node_info(node_number=%d, dsp_number=%d) *** "
                   "BrevixMessageCreate() FAIL=%08x *** ERROR \n",
                   Pid(), nodeNumber, processor, unsigned(created));
        return 0;
    }
    Trace("Corvane(%d):MX1IF_add_node_info(NodeData=%08x, node_number=%d, dsp_number=%d, "
          "hostcall_handle=%08x)\n",
          Pid(), Word(&data), nodeNumber, processor, Word(data.channel));

    const uint32_t bit = 1u << nodeNumber;
    HostCallNode& node = g.nodes[size_t(nodeNumber)];
    bool copied = !(g.validMask & bit) && argc >= 0 && (argc == 0 || argv);
    std::vector<std::string> args;
    for (int i = 0; copied && i < argc; ++i) {
        if (!argv[i])
            copied = false;
        else
            args.emplace_back(argv[i]);
    }
    if (!copied) {
        Terminate(&data);
        // The channel goes too, so that the node can be registered again.
        BrevixMessageDestroy(data.channel.exchange(nullptr));
        TraceError("Corvane(%d):MX1IF_add_node_info(node_number=%d, dsp_number=%d) *** "
                   "RPCServ_add_node_info() FAIL *** ERROR \n",
                   Pid(), nodeNumber, processor);
        return 0;
    }
    node.number = nodeNumber;
    node.args = std::move(args);
    node.stdinHandle = stdinHandle;
    node.stdoutHandle = stdoutHandle;
    node.stderrHandle = stderrHandle;
    node.addressOffset = addressOffset;
    node.reserved1 = reserved1;
    node.reserved2 = reserved2;
    node.terminate = Terminate;
    node.terminateArg = &data;
    g.validMask |= bit;
    data.valid = 1;
    // Calls that arrived before the node was valid are picked up now.
    ::SetEvent(g.event.get());
    return 1;
}

int MX1IF_remove_node_info(int nodeNumber) {
    return RemoveNode(nodeNumber);
}

void MX1IF_term(void) {
    Library& g = g_corvane;
    Trace("Corvane(%d):MX1IF_term()\n", Pid());
    g.stop = true;
    if (g.event) ::SetEvent(g.event.get());
    std::vector<HANDLE> handles;
    for (auto& t : g.servers)
        handles.push_back(t.get());
    const bool serversEnded =
        handles.empty() || ::WaitForMultipleObjects(DWORD(handles.size()), handles.data(), TRUE,
                                                    kTermWaitMs) < WAIT_OBJECT_0 + handles.size();
    std::lock_guard lock(g.nodeLock);
    g.validMask = 0;
    for (int i = 0; i < kMaxNodes; ++i) {
        NodeData& d = g.nodeData[size_t(i)];
        d.valid = 0;
        // The channels are given back, or the next start could not create them again. The
        // processors too, unless a server is still inside a callback: it writes its reply
        // into board memory, which is mapped only while the processor is open. Such a
        // processor stays in its entry for the next registration or the next term.
        if (const BrevixMessage channel = d.channel.exchange(nullptr))
            BrevixMessageDestroy(channel);
        d.channel = nullptr;
        if (serversEnded && d.dsp) {
            BrevixDSPClose(d.dsp);
            d.dsp = nullptr;
        }
        g.nodes[size_t(i)].args.clear();
    }
    g.servers.clear();
    g.event.reset();
    g.nodeCount = 0;
}

int OpenDll_add_dll_path(const char* directory) {
    if (!directory || !*directory) return 0;
    Library& g = g_corvane;
    std::lock_guard lock(g.pathLock);
    try {
        if (!g.searchPath) g.searchPath = std::make_unique<DllSearchPath>();
        g.searchPath->Add(directory);
    } catch (const std::bad_alloc&) {
        std::fputs("out of space", stderr);
        std::exit(-1);
    }
    return 0;
}

int OpenDll_open_dll(const char* name, MX1IF_open_fn open, int byteOrderFlag) {
    Library& g = g_corvane;
    DllSearchPath path;
    {
        std::lock_guard lock(g.pathLock);
        if (!g.searchPath) return -1;
        path = *g.searchPath;
    }
    return OpenDllThroughPath(&path, name, open, byteOrderFlag);
}

} // extern "C"
