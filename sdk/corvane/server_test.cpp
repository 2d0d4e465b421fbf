// The server driven through the board stand-in: a simulated board program writes
// its call record into board memory and sends its address on "CRunTime".
#include "common/win/handles.h"
#include "common/win/textconv.h"
#include "sdk/corvane/corvane_api.h"
#include "sdk/corvane/host_call.h"
#include "sdk/corvane/server_state.h"
#include "sim/brevix32/SimCtl.h"

#include <functional>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace dvr::corvane {
namespace {

constexpr int kBlockingHandle = 999;
constexpr uint32_t kTimeoutMs = 5000;

// What the callbacks saw; the callbacks are plain functions, so this is shared.
struct Seen {
    std::mutex lock;
    std::vector<std::string> traces;
    std::vector<std::string> opens;
    std::vector<std::string> dlls;
    std::atomic<int> closes{0};
    std::atomic<int> exitNode{-1};
    std::atomic<int> exitStatus{0};
    win::Event blocked{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    win::Event release{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    win::Event finished{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};
Seen* g_seen = nullptr;

void CaptureTrace(const char* text) {
    std::lock_guard l(g_seen->lock);
    g_seen->traces.emplace_back(text);
}

int OpenCallback(const char* path, int flags, int mode) {
    {
        std::lock_guard l(g_seen->lock);
        g_seen->opens.emplace_back(path);
    }
    return ::_open(path, flags, mode);
}
int OpenDllCallback(const char* name) {
    std::lock_guard l(g_seen->lock);
    g_seen->dlls.emplace_back(name);
    return 55;
}
int CloseCallback(int handle) {
    ++g_seen->closes;
    return ::_close(handle);
}
int ReadCallback(int handle, void* buffer, unsigned count) {
    if (handle == kBlockingHandle) {
        ::SetEvent(g_seen->blocked.get());
        ::WaitForSingleObject(g_seen->release.get(), INFINITE);
        ::SetEvent(g_seen->finished.get());
        return 0;
    }
    return ::_read(handle, buffer, count);
}
int WriteCallback(int handle, const void* buffer, unsigned count) {
    return ::_write(handle, buffer, count);
}
long LseekCallback(int handle, long offset, int origin) {
    return ::_lseek(handle, offset, origin);
}
int IsattyCallback(int handle) {
    return ::_isatty(handle);
}
int FstatCallback(int handle, struct stat* status) {
    return ::fstat(handle, status);
}
int FcntlCallback(int, int, int) {
    errno = kErrorNotImplemented;
    return -1;
}
int StatCallback(const char* path, struct stat* status) {
    return ::stat(path, status);
}
void ExitCallback(int node, int status) {
    g_seen->exitStatus = status;
    g_seen->exitNode = node;
}

std::wstring ProfilePath() {
    wchar_t windows[MAX_PATH];
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\Corvane.ini";
}

// One board program on a processor: its record and buffers in the program area.
struct Program {
    int processor = 0;
    bool sameOrder = true;
    SimCtlBoardMemory memory{};
    uint32_t record = 0;
    uint32_t data = 0;

    uint8_t* At(uint32_t board) const {
        return static_cast<uint8_t*>(memory.host) + (board - memory.boardBase);
    }
    uint32_t Offset() const {
        return uint32_t(reinterpret_cast<uintptr_t>(memory.host)) - memory.boardBase;
    }
    void Set(uint32_t board, uint32_t v) const {
        if (!sameOrder) v = __builtin_bswap32(v);
        std::memcpy(At(board), &v, 4);
    }
    uint32_t Get(uint32_t board) const {
        uint32_t v;
        std::memcpy(&v, At(board), 4);
        return sameOrder ? v : __builtin_bswap32(v);
    }
    void PutString(uint32_t board, const std::string& s) const {
        std::memcpy(At(board), s.c_str(), s.size() + 1);
    }
    std::string String(uint32_t board) const { return reinterpret_cast<const char*>(At(board)); }
    uint32_t Field(uint32_t offset) const { return Get(record + offset); }
    int32_t Result() const { return int32_t(Field(kRecordResult)); }
    uint32_t Error() const { return Field(kRecordError); }

    // Makes the call; the result of SimCtl_HostCall (0 when the reply came).
    int Call(uint32_t code, uint32_t a0 = 0, uint32_t a1 = 0, uint32_t a2 = 0, uint32_t a3 = 0,
             uint32_t timeoutMs = kTimeoutMs) const {
        Set(record + kRecordStatus, 99);
        Set(record + kRecordCode, code);
        Set(record + kRecordError, 0);
        Set(record + kRecordResult, a0);
        Set(record + kRecordArg1, a1);
        Set(record + kRecordArg2, a2);
        Set(record + kRecordArg3, a3);
        const uint32_t message[BREVIX_MESSAGE_WORDS] = {record, 1, 2, 3, 4, 5};
        uint32_t reply[BREVIX_MESSAGE_WORDS] = {};
        const int r = SimCtl_HostCall(processor, message, reply, timeoutMs);
        if (r == 0) {
            EXPECT_EQ(std::memcmp(message, reply, sizeof message), 0);
        }
        return r;
    }
};

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_seen = &seen_;
        SetTraceSink(CaptureTrace);
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"corvane_test_" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(folder_.c_str(), nullptr);
        ::GetCurrentDirectoryW(MAX_PATH, previous_);
        ASSERT_TRUE(::SetCurrentDirectoryW(folder_.c_str()));
        ::DeleteFileW(ProfilePath().c_str());
        ASSERT_EQ(SimCtl_Configure("processor 4\nprocessor 1\n"), 0);
    }

    void TearDown() override {
        MX1IF_term();
        SetTraceSink(nullptr);
        ::DeleteFileW(ProfilePath().c_str());
        ::SetCurrentDirectoryW(previous_);
        ::RemoveDirectoryW(folder_.c_str());
        g_seen = nullptr;
    }

    void Start(int byteOrderFlag = 1) {
        byteOrderFlag_ = byteOrderFlag;
        ASSERT_EQ(MX1IF_init(OpenCallback, OpenDllCallback, CloseCallback, ReadCallback,
                             WriteCallback, LseekCallback, IsattyCallback, FstatCallback,
                             FcntlCallback, StatCallback, ExitCallback, byteOrderFlag),
                  1);
        ASSERT_EQ(MX1IF_start_serving(), 1);
    }

    // Registers node `node` for a program on `processor`.
    Program Add(int node, int processor, std::vector<std::string> args = {"prog"},
                int stdoutHandle = 1) {
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        Program p;
        p.processor = processor;
        p.sameOrder = byteOrderFlag_ == 1;
        // The stand-in keeps a processor's memory in place from its first opening on.
        BrevixDsp dsp{};
        EXPECT_EQ(BrevixDSPOpen(processor, &dsp), 0);
        EXPECT_EQ(SimCtl_GetBoardMemory(processor, &p.memory), 0);
        BrevixDSPClose(dsp);
        p.record = p.memory.programArea + 0x100 * uint32_t(node);
        p.data = p.memory.programArea + 0x10000 + 0x10000 * uint32_t(node);
        EXPECT_EQ(MX1IF_add_node_info(node, int(argv.size()), argv.data(), 0, stdoutHandle, 2,
                                      p.Offset(), 0, 0, processor),
                  1);
        return p;
    }

    std::vector<std::string> Traces() {
        std::lock_guard l(seen_.lock);
        return seen_.traces;
    }
    bool Traced(const std::string& text) {
        for (const auto& t : Traces())
            if (t.find(text) != std::string::npos) return true;
        return false;
    }

    Seen seen_;
    int byteOrderFlag_ = 1;
    std::wstring folder_;
    wchar_t previous_[MAX_PATH] = {};
};

class FileCallsTest : public ServerTest, public ::testing::WithParamInterface<int> {};

TEST_P(FileCallsTest, FilesWrittenAndReadBackThroughTheBoard) {
    Start(GetParam());
    const Program p = Add(0, 0);
    p.PutString(p.data, "out.bin");
    ASSERT_EQ(p.Call(HostCall_OPEN, 0, p.data, 0x601 | 0x10000, 0x180), 0);
    const int32_t handle = p.Result();
    ASSERT_GE(handle, 3);
    EXPECT_EQ(p.Field(kRecordStatus), 1u);
    p.PutString(p.data + 0x100, "0123456789");
    ASSERT_EQ(p.Call(HostCall_WRITE, 0, uint32_t(handle), p.data + 0x100, 10), 0);
    EXPECT_EQ(p.Result(), 10);
    ASSERT_EQ(p.Call(HostCall_CLOSE, 0, uint32_t(handle)), 0);
    EXPECT_EQ(p.Result(), 0);
    EXPECT_EQ(seen_.closes, 1);

    ASSERT_EQ(p.Call(HostCall_OPEN, 0, p.data, 0x10000, 0), 0);
    const int32_t again = p.Result();
    ASSERT_GE(again, 3);
    ASSERT_EQ(p.Call(HostCall_FSTAT, 0, uint32_t(again), p.data + 0x200), 0);
    EXPECT_EQ(p.Result(), 0);
    EXPECT_EQ(p.Get(p.data + 0x200 + kStatSize), 10u);
    EXPECT_EQ(p.Get(p.data + 0x200 + kStatBlockSize), 4096u);
    EXPECT_NE(p.Get(p.data + 0x200 + kStatMode) & 0x8000u, 0u); // a regular file
    ASSERT_EQ(p.Call(HostCall_LSEEK, 0, uint32_t(again), 4, 0), 0);
    EXPECT_EQ(p.Result(), 4);
    std::memset(p.At(p.data + 0x300), 0, 64);
    ASSERT_EQ(p.Call(HostCall_READ, 0, uint32_t(again), p.data + 0x300, 64), 0);
    EXPECT_EQ(p.Result(), 6);
    EXPECT_EQ(p.String(p.data + 0x300), "456789");
    ASSERT_EQ(p.Call(HostCall_LSEEK, 0, uint32_t(again), 0, 7), 0);
    EXPECT_EQ(p.Result(), -1);
    EXPECT_EQ(p.Error(), uint32_t(EINVAL));
    ASSERT_EQ(p.Call(HostCall_ISATTY, 0, uint32_t(again)), 0);
    EXPECT_EQ(p.Result(), 0);
    ASSERT_EQ(p.Call(HostCall_CLOSE, 0, uint32_t(again)), 0);

    ASSERT_EQ(p.Call(HostCall_STAT, 0, p.data, p.data + 0x200), 0);
    EXPECT_EQ(p.Result(), 0);
    EXPECT_EQ(p.Get(p.data + 0x200 + kStatSize), 10u);
    ASSERT_EQ(p.Call(HostCall_UNLINK, 0, p.data), 0);
    EXPECT_EQ(p.Result(), 0);
    ASSERT_EQ(p.Call(HostCall_STAT, 0, p.data, p.data + 0x200), 0);
    EXPECT_EQ(p.Result(), -1);
    EXPECT_EQ(p.Error(), uint32_t(ENOENT));
    ASSERT_EQ(p.Call(HostCall_OPEN, 0, p.data, 0x10000, 0), 0);
    EXPECT_EQ(p.Result(), -1);
    EXPECT_EQ(p.Error(), uint32_t(ENOENT));
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, FileCallsTest, ::testing::Values(1, 0),
                         [](const auto& info) { return info.param == 1 ? "Same" : "Swapped"; });

TEST_F(ServerTest, StandardOutputGoesToTheNodesHandle) {
    Start();
    const int console = ::_open("console.txt", _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, 0600);
    ASSERT_GE(console, 3);
    const Program p = Add(0, 0, {"prog"}, console);
    p.PutString(p.data, "/dev/stdout");
    ASSERT_EQ(p.Call(HostCall_OPEN, 0, p.data, 1, 0), 0);
    EXPECT_EQ(p.Result(), console);
    p.PutString(p.data + 0x100, "hello board\n");
    ASSERT_EQ(p.Call(HostCall_WRITE, 0, uint32_t(console), p.data + 0x100, 12), 0);
    EXPECT_EQ(p.Result(), 12);
    // Closing the standard output answers 0 and leaves it open.
    ASSERT_EQ(p.Call(HostCall_CLOSE, 7, uint32_t(console)), 0);
    EXPECT_EQ(p.Result(), 0);
    EXPECT_EQ(seen_.closes, 0);
    EXPECT_TRUE(seen_.opens.empty());
    EXPECT_EQ(::_write(console, "!", 1), 1);
    ::_close(console);
    char text[32] = {};
    const int in = ::_open("console.txt", _O_RDONLY | _O_BINARY);
    EXPECT_EQ(::_read(in, text, sizeof text), 13);
    ::_close(in);
    EXPECT_STREQ(text, "hello board\n!");
    ::DeleteFileW(L"console.txt");
}

TEST_F(ServerTest, EnvironmentTimeArgumentsAndErrors) {
    Start();
    const Program p = Add(0, 0, {"prog", "-x", "3"});
    ASSERT_TRUE(::SetEnvironmentVariableW(L"CORVANE_TEST_VALUE", L"板卡 ok"));
    p.PutString(p.data, "CORVANE_TEST_VALUE");
    ASSERT_EQ(p.Call(HostCall_GETENV, p.data + 0x100, 64, p.data), 0);
    EXPECT_EQ(p.Field(kRecordResult), p.data + 0x100);
    EXPECT_EQ(p.String(p.data + 0x100), win::Utf8ToGbk("板卡 ok"));
    ::SetEnvironmentVariableW(L"CORVANE_TEST_VALUE", nullptr);
    ASSERT_EQ(p.Call(HostCall_GETENV, p.data + 0x100, 64, p.data), 0);
    EXPECT_EQ(p.Result(), 0);

    const uint32_t before = uint32_t(std::time(nullptr));
    ASSERT_EQ(p.Call(HostCall_TIME, 0, p.data + 0x200), 0);
    const uint32_t after = uint32_t(std::time(nullptr));
    EXPECT_GE(uint32_t(p.Result()), before);
    EXPECT_LE(uint32_t(p.Result()), after);
    uint32_t stored;
    std::memcpy(&stored, p.At(p.data + 0x200), 4);
    EXPECT_EQ(stored, uint32_t(p.Result()));

    ASSERT_EQ(p.Call(HostCall_ARGV_ARGC_INFO), 0);
    EXPECT_EQ(p.Result(), 3);
    EXPECT_EQ(p.Field(kRecordArg1), 10u);
    ASSERT_EQ(p.Call(HostCall_GET_ARGUMENT_STRING, p.data + 0x300), 0);
    EXPECT_EQ(std::memcmp(p.At(p.data + 0x300),
                          "prog\0-x\0"
                          "3\0",
                          10),
              0);

    // The host's error numbers are the board's after conversion.
    ASSERT_EQ(p.Call(HostCall_FCNTL, 0, 3, 14, 0), 0);
    EXPECT_EQ(p.Result(), -1);
    EXPECT_EQ(p.Error(), 39u);
    ASSERT_EQ(p.Call(0x77), 0);
    EXPECT_EQ(p.Field(kRecordStatus), 0u);
    EXPECT_EQ(p.Error(), 39u);

    p.PutString(p.data + 0x400, "OPENDLL.OUT");
    ASSERT_EQ(p.Call(HostCall_OPENDLL, 0, p.data + 0x400), 0);
    EXPECT_EQ(p.Result(), 55);
    EXPECT_EQ(seen_.dlls, std::vector<std::string>{"OPENDLL.OUT"});
}

TEST_F(ServerTest, TemporaryNamesAreUnused) {
    Start();
    const Program p = Add(0, 0);
    p.PutString(p.data, "brdXXXXXX");
    ASSERT_EQ(p.Call(HostCall_MKTEMP, p.data + 0x100, 64, p.data), 0);
    const std::string name = p.String(p.data);
    EXPECT_EQ(name.size(), 9u);
    EXPECT_EQ(name.compare(0, 3, "brd"), 0);
    EXPECT_EQ(name.find('X'), std::string::npos);
    EXPECT_EQ(p.String(p.data + 0x100), name);
    EXPECT_EQ(::GetFileAttributesA(name.c_str()), INVALID_FILE_ATTRIBUTES);

    // With that name taken, the next one differs.
    const int taken = ::_open(name.c_str(), _O_WRONLY | _O_CREAT, 0600);
    ::_close(taken);
    p.PutString(p.data, "brdXXXXXX");
    ASSERT_EQ(p.Call(HostCall_MKTEMP, p.data + 0x100, 64, p.data), 0);
    EXPECT_NE(p.String(p.data), name);
    ::DeleteFileA(name.c_str());

    p.PutString(p.data, "no-pattern");
    ASSERT_EQ(p.Call(HostCall_MKTEMP, p.data + 0x100, 64, p.data), 0);
    EXPECT_EQ(p.Result(), 0);

    ASSERT_EQ(p.Call(HostCall_TMPNAM, p.data + 0x100, 64, p.data + 0x200), 0);
    EXPECT_EQ(p.Field(kRecordResult), p.data + 0x100);
    EXPECT_FALSE(p.String(p.data + 0x100).empty());
    EXPECT_EQ(p.String(p.data + 0x100), p.String(p.data + 0x200));
}

TEST_F(ServerTest, ExitRemovesTheNodeWithoutReply) {
    Start();
    Program p = Add(0, 0);
    EXPECT_EQ(p.Call(HostCall_EXIT, 3, 0, 0, 0, 500), BREVIX_NO_MESSAGE);
    // No reply ends the call's wait, so the server may still be handling the exit.
    auto served = [](const std::function<bool()>& done) {
        for (DWORD start = ::GetTickCount(); !done() && ::GetTickCount() - start < kTimeoutMs;)
            ::Sleep(10);
        return done();
    };
    EXPECT_TRUE(served([this] { return seen_.exitNode.load() == 0; }));
    EXPECT_EQ(seen_.exitStatus, 3);
    EXPECT_TRUE(served([] { return !NodeValid(0); }));
    // The channel is gone: a further call has nowhere to go.
    EXPECT_EQ(p.Call(HostCall_TIME, 0, 0, 0, 0, 200), BREVIX_BAD_ARGUMENT);
    EXPECT_EQ(MX1IF_remove_node_info(0), BREVIX_BAD_ARGUMENT);

    // The node can be registered again and is served.
    p = Add(0, 0);
    EXPECT_TRUE(NodeValid(0));
    EXPECT_EQ(p.Call(HostCall_TIME), 0);
    EXPECT_EQ(MX1IF_remove_node_info(0), 0);
    EXPECT_FALSE(NodeValid(0));
}

TEST_F(ServerTest, RegistrationRefusals) {
    Start();
    char arg[] = "prog";
    char* argv[] = {arg};
    Add(0, 0);
    EXPECT_EQ(MX1IF_add_node_info(0, 1, argv, 0, 1, 2, 0, 0, 0, 1), 0);
    EXPECT_TRUE(Traced("MX1IF_add_node_info(node_number=0, dsp_number=1) *** NodeData NOT VALID"));
    // The registered node keeps its processor.
    EXPECT_TRUE(NodeValid(0));

    // Two processors, so two nodes at most.
    for (int node : {2, 31, 32, -1})
        EXPECT_EQ(MX1IF_add_node_info(node, 1, argv, 0, 1, 2, 0, 0, 0, 1), 0) << node;

    ASSERT_EQ(SimCtl_FailOperation(1, SIMCTL_OP_MESSAGE_CREATE, 1), 0);
    EXPECT_EQ(MX1IF_add_node_info(1, 1, argv, 0, 1, 2, 0, 0, 0, 1), 0);
    EXPECT_TRUE(Traced("*** BrevixMessageCreate() FAIL=00000001 *** ERROR"));
    EXPECT_FALSE(NodeValid(1));

    // Argument strings that cannot be copied.
    char* broken[] = {arg, nullptr};
    EXPECT_EQ(MX1IF_add_node_info(1, 2, broken, 0, 1, 2, 0, 0, 0, 1), 0);
    EXPECT_EQ(MX1IF_add_node_info(1, 2, nullptr, 0, 1, 2, 0, 0, 0, 1), 0);
    EXPECT_TRUE(Traced("*** RPCServ_add_node_info() FAIL *** ERROR"));
    EXPECT_FALSE(NodeValid(1));
    // Nothing of the refused attempts stays behind.
    const Program p = Add(1, 1);
    EXPECT_EQ(p.Call(HostCall_ARGV_ARGC_INFO), 0);
    EXPECT_EQ(p.Result(), 1);
}

TEST_F(ServerTest, OnlyErrorTracesWithTheSwitchOff) {
    Start();
    const Program p = Add(0, 0);
    ASSERT_EQ(p.Call(HostCall_TIME), 0);
    ASSERT_EQ(p.Call(0x1234), 0);
    MX1IF_term();
    const std::vector<std::string> expected = {"***** Entering unimplemented command 0x00001234\n"};
    EXPECT_EQ(Traces(), expected);
}

TEST_F(ServerTest, TraceSwitchOnShowsEveryStep) {
    ASSERT_TRUE(::WritePrivateProfileStringW(L"Debug", L"Output", L"1", ProfilePath().c_str()));
    Start();
    const Program p = Add(0, 0);
    p.PutString(p.data, "nothing-here.bin");
    ASSERT_EQ(p.Call(HostCall_OPEN, 0, p.data, 0, 0), 0);
    MX1IF_remove_node_info(0);
    MX1IF_term();
    const std::string pid = "Corvane(" + std::to_string(::GetCurrentProcessId()) + "):";
    const std::vector<std::string> traces = Traces();
    for (const std::string& text :
         {pid + "MX1IF_init()\n", pid + "MX1IF_start_serving() Number of servers created: 4\n",
          std::string("---> command HostCall_OPEN <----\n"),
          std::string("--->opened handle = -1 <----\n"), std::string(" --  errno= 2 \n"),
          pid + "MX1IF_term()\n"})
        EXPECT_TRUE(std::find(traces.begin(), traces.end(), text) != traces.end()) << text;
    for (const char* part : {"MX1IF_add_node_info(NodeData=", "serve(server=",
                             "MX1IF_remove_node_info(NodeData=", "terminate(NodeData="})
        EXPECT_TRUE(Traced(pid + part)) << part;
}

TEST_F(ServerTest, OtherNodesAreServedWhileOneWaitsInACallback) {
    Start();
    const Program a = Add(0, 0);
    const Program b = Add(1, 1);
    std::atomic<int> blockedResult{-1};
    std::thread caller(
        [&] { blockedResult = a.Call(HostCall_READ, 0, kBlockingHandle, a.data, 4); });
    ASSERT_EQ(::WaitForSingleObject(seen_.blocked.get(), kTimeoutMs), WAIT_OBJECT_0);
    EXPECT_EQ(b.Call(HostCall_ARGV_ARGC_INFO), 0);
    EXPECT_EQ(b.Result(), 1);
    ::SetEvent(seen_.release.get());
    caller.join();
    EXPECT_EQ(blockedResult, 0);
    EXPECT_EQ(a.Result(), 0);
}

TEST_F(ServerTest, NodeRemovedDuringItsCallGetsNoReply) {
    Start();
    const Program p = Add(0, 0);
    std::atomic<int> callResult{-1};
    std::thread caller(
        [&] { callResult = p.Call(HostCall_READ, 0, kBlockingHandle, p.data, 4, 10000); });
    ASSERT_EQ(::WaitForSingleObject(seen_.blocked.get(), kTimeoutMs), WAIT_OBJECT_0);
    EXPECT_EQ(MX1IF_remove_node_info(0), 0);
    ::SetEvent(seen_.release.get());
    caller.join();
    EXPECT_EQ(callResult, BREVIX_NO_MESSAGE);
    EXPECT_FALSE(NodeValid(0));
}

TEST_F(ServerTest, TermGivesUpOnABlockedServer) {
    Start();
    const Program p = Add(0, 0);
    std::atomic<int> callResult{-1};
    std::thread caller(
        [&] { callResult = p.Call(HostCall_READ, 0, kBlockingHandle, p.data, 4, 10000); });
    ASSERT_EQ(::WaitForSingleObject(seen_.blocked.get(), kTimeoutMs), WAIT_OBJECT_0);
    const auto start = std::chrono::steady_clock::now();
    const int callsBefore = SimCtl_GetCallCount();
    MX1IF_term();
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(1900));
    EXPECT_LT(waited, std::chrono::milliseconds(8000));
    // The blocked server still writes into the processor's memory: the processor stays open.
    for (int i = callsBefore; i < SimCtl_GetCallCount(); ++i) {
        int op = -1, processor = -1;
        ASSERT_EQ(SimCtl_GetCall(i, &op, &processor), 0);
        EXPECT_NE(op, SIMCTL_OP_CLOSE) << "call " << i;
    }
    // The call's channel went with the node: the board program is not answered.
    caller.join();
    EXPECT_EQ(callResult, BREVIX_NO_MESSAGE);
    ::SetEvent(seen_.release.get());
    ASSERT_EQ(::WaitForSingleObject(seen_.finished.get(), kTimeoutMs), WAIT_OBJECT_0);
    ::Sleep(100); // let the late server see the stop and end

    // A new start serves again, on the processor it kept; its term, with every server
    // ended, gives the processor back.
    Start();
    const Program again = Add(0, 0);
    EXPECT_EQ(again.Call(HostCall_TIME), 0);
    const int callsAtTerm = SimCtl_GetCallCount();
    MX1IF_term();
    int closes = 0;
    for (int i = callsAtTerm; i < SimCtl_GetCallCount(); ++i) {
        int op = -1, processor = -1;
        SimCtl_GetCall(i, &op, &processor);
        if (op == SIMCTL_OP_CLOSE) ++closes;
    }
    EXPECT_EQ(closes, 1);
}

TEST_F(ServerTest, LibrariesFoundThroughTheSearchPath) {
    const std::wstring lib = folder_ + L"\\lib";
    ::CreateDirectoryW(lib.c_str(), nullptr);
    ::CreateDirectoryW((lib + L"\\el").c_str(), nullptr);
    const std::string libGbk = win::WideToGbk(lib);
    const int made = ::_open((libGbk + "\\el\\board.out").c_str(), _O_WRONLY | _O_CREAT, 0600);
    ASSERT_GE(made, 0);
    ::_close(made);
    std::string forward = libGbk;
    for (char& c : forward)
        if (c == '\\') c = '/';
    OpenDll_add_dll_path(forward.c_str());
    OpenDll_add_dll_path("");

    const int handle = OpenDll_open_dll("board.out", OpenCallback, 1);
    EXPECT_GE(handle, 0);
    ::_close(handle);
    EXPECT_EQ(seen_.opens.back(), libGbk + "\\el\\board.out");
    EXPECT_EQ(OpenDll_open_dll("board.out", OpenCallback, 0), -1);
    EXPECT_EQ(seen_.opens.back(), libGbk + "\\eb\\board.out");
    EXPECT_EQ(OpenDll_open_dll(nullptr, OpenCallback, 1), -1);
    EXPECT_EQ(OpenDll_open_dll("board.out", nullptr, 1), -1);

    ::DeleteFileW((lib + L"\\el\\board.out").c_str());
    ::RemoveDirectoryW((lib + L"\\el").c_str());
    ::RemoveDirectoryW(lib.c_str());
}
} // namespace
} // namespace dvr::corvane
