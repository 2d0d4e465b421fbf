#include "sdk/corvane/host_call.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace dvr::corvane {
namespace {

constexpr uint32_t kBoardLow = 0x80000000u;
constexpr uint32_t kHostLow = 0x10000000u;
constexpr uint32_t kMemorySize = 0x10000;
constexpr uint32_t kRecord = kBoardLow + 0x100;
constexpr uint32_t kData = kBoardLow + 0x1000;

// Host side that records what the server asked of it.
struct FakeOps : HostOps {
    std::vector<std::string> calls;
    int error = 0;
    int result = 0;
    std::string readData = "board bytes";
    std::string written;
    std::map<std::string, std::string> env;
    std::vector<std::string> args = {"prog", "-v", ""};
    std::vector<std::string> traces;
    bool traceOn = false;
    HostFileStatus status;

    int Done(std::string call) {
        calls.push_back(std::move(call));
        return result;
    }
    int Open(const char* path, int flags, int mode) override {
        return Done("open " + std::string(path) + " " + std::to_string(flags) + " " +
                    std::to_string(mode));
    }
    int OpenDll(const char* name) override { return Done("opendll " + std::string(name)); }
    int Close(int handle) override { return Done("close " + std::to_string(handle)); }
    int Read(int handle, void* buffer, uint32_t count) override {
        const size_t n = std::min<size_t>(count, readData.size());
        std::memcpy(buffer, readData.data(), n);
        Done("read " + std::to_string(handle));
        return int(n);
    }
    int Write(int handle, const void* buffer, uint32_t count) override {
        written.assign(static_cast<const char*>(buffer), count);
        Done("write " + std::to_string(handle));
        return int(count);
    }
    int32_t Lseek(int handle, int32_t offset, int origin) override {
        return Done("lseek " + std::to_string(handle) + " " + std::to_string(offset) + " " +
                    std::to_string(origin));
    }
    int Isatty(int handle) override { return Done("isatty " + std::to_string(handle)); }
    int Fstat(int handle, HostFileStatus& s) override {
        s = status;
        return Done("fstat " + std::to_string(handle));
    }
    int Fcntl(int handle, int command, int argument) override {
        return Done("fcntl " + std::to_string(handle) + " " + std::to_string(command) + " " +
                    std::to_string(argument));
    }
    int Stat(const char* path, HostFileStatus& s) override {
        s = status;
        return Done("stat " + std::string(path));
    }
    void Exit(int node, int st) override {
        Done("exit " + std::to_string(node) + " " + std::to_string(st));
    }
    void RemoveNode(int node) override { Done("remove " + std::to_string(node)); }
    std::vector<std::string> Arguments(int) override { return args; }
    int Unlink(const char* path) override { return Done("unlink " + std::string(path)); }
    bool MakeTemp(std::string& pattern) override {
        Done("mktemp " + pattern);
        if (result != 0) return false;
        pattern.replace(pattern.size() - 2, 2, "ab");
        return true;
    }
    std::optional<std::string> GetEnv(const char* name) override {
        auto it = env.find(name);
        if (it == env.end()) return std::nullopt;
        return it->second;
    }
    std::optional<std::string> TempName() override { return std::string("\\t1."); }
    int64_t Time() override { return 0x12345678; }
    int ErrorNumber() override { return error; }
    void ClearErrorNumber() override {}
    bool TraceOn() override { return traceOn; }
    void Trace(const char* text) override { traces.emplace_back(text); }
};

// Board memory with one record, in either byte order.
class HostCallTest : public ::testing::TestWithParam<bool> {
protected:
    std::vector<uint8_t> bytes = std::vector<uint8_t>(kMemorySize, 0);
    BoardMemory memory{bytes.data(), kBoardLow, kHostLow, kMemorySize, GetParam()};
    FakeOps ops;
    NodeView node{3, 10, 11, 12};

    uint8_t* At(uint32_t board) { return bytes.data() + (board - kBoardLow); }
    uint32_t Word(uint32_t board) { return memory.Load(At(board)); }
    void SetWord(uint32_t board, uint32_t v) { memory.Store(At(board), v); }
    uint32_t Field(uint32_t offset) { return Word(kRecord + offset); }
    void PutString(uint32_t board, const std::string& s) {
        std::memcpy(At(board), s.c_str(), s.size() + 1);
    }
    // Writes the call and its arguments, serves it, returns whether a reply follows.
    bool Call(uint32_t code, uint32_t a0 = 0, uint32_t a1 = 0, uint32_t a2 = 0, uint32_t a3 = 0,
              uint32_t at = kRecord) {
        SetWord(at + kRecordCode, code);
        SetWord(at + kRecordResult, a0);
        SetWord(at + kRecordArg1, a1);
        SetWord(at + kRecordArg2, a2);
        SetWord(at + kRecordArg3, a3);
        const uint32_t message[6] = {at, 0, 0, 0, 0, 0};
        return ServeHostCall(message, node, memory, ops);
    }
    int32_t Result() { return int32_t(Field(kRecordResult)); }
};

TEST(HostCallConversions, FlagsErrorsOriginsAndCommands) {
    const struct {
        uint32_t board;
        int host;
    } flags[] = {{0x601, 0x301}, {0x0, 0x0},        {0x1, 0x1},     {0x2, 0x2},
                 {0x3, 0x0},     {0x8, 0x8},        {0x200, 0x100}, {0x400, 0x200},
                 {0x800, 0x400}, {0x10000, 0x8000}, {0x1004, 0x0},  {0x10a09, 0x8509}};
    for (const auto& c : flags)
        EXPECT_EQ(ConvertOpenFlags(c.board), c.host) << std::hex << c.board;

    const struct {
        int host;
        uint32_t board;
    } errors[] = {{38, 35}, {39, 37}, {40, 39}, {41, 38}, {0, 0}, {2, 2}, {42, 42}, {14, 14}};
    for (const auto& c : errors)
        EXPECT_EQ(ConvertErrorNumber(c.host), c.board) << c.host;

    EXPECT_EQ(ConvertSeekOrigin(0), 0);
    EXPECT_EQ(ConvertSeekOrigin(1), 1);
    EXPECT_EQ(ConvertSeekOrigin(2), 2);
    EXPECT_EQ(ConvertSeekOrigin(3), -1);
    EXPECT_EQ(ConvertSeekOrigin(0xFFFFFFFFu), -1);
    EXPECT_EQ(ConvertFcntlCommand(14), 0);
    EXPECT_EQ(ConvertFcntlCommand(0), 0x8000);
    EXPECT_EQ(ConvertFcntlCommand(15), 0x8000);
}

TEST(BoardMemoryTest, EveryAccessStaysInside) {
    std::vector<uint8_t> bytes(kMemorySize, 'x');
    const BoardMemory memory(bytes.data(), kBoardLow, kHostLow, kMemorySize, true);
    const struct {
        uint32_t address;
        uint32_t length;
        bool inside;
    } cases[] = {
        {kBoardLow, kMemorySize, true},
        {kBoardLow + kMemorySize - 4, 4, true},
        {kBoardLow + kMemorySize - 3, 4, false},
        {kBoardLow + kMemorySize, 0, true},
        {kBoardLow + kMemorySize, 1, false},
        {kBoardLow - 1, 2, false},
        {kBoardLow + 8, 0xFFFFFFF8u, false}, // would wrap back into memory
        {0, 4, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(memory.At(c.address, c.length) != nullptr, c.inside)
            << std::hex << c.address << " " << c.length;
        EXPECT_EQ(memory.AtHost(c.address - kBoardLow + kHostLow, c.length) != nullptr, c.inside);
    }
    EXPECT_EQ(memory.At(kBoardLow + 16, 1), bytes.data() + 16);

    int error = 0;
    // No terminator before the end of memory, or none within the longest name.
    EXPECT_FALSE(memory.String(kBoardLow + kMemorySize - 8, error));
    EXPECT_EQ(error, kErrorBadAddress);
    EXPECT_FALSE(memory.String(kBoardLow, error));
    EXPECT_EQ(error, kErrorNameTooLong);
    bytes[kMemorySize - 1] = 0;
    auto last = memory.String(kBoardLow + kMemorySize - kMaxPathLength - 1, error);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->size(), kMaxPathLength);
    EXPECT_FALSE(memory.String(kBoardLow + kMemorySize, error));
    EXPECT_EQ(error, kErrorBadAddress);
}

TEST_P(HostCallTest, FileCallsPassConvertedArguments) {
    PutString(kData, "C:\\data\\a.bin");
    ops.result = 7;
    EXPECT_TRUE(Call(HostCall_OPEN, 0, kData, 0x601, 0644));
    EXPECT_EQ(Result(), 7);
    EXPECT_EQ(Field(kRecordStatus), uint32_t(kStatusServed));

    ops.result = 0;
    EXPECT_TRUE(Call(HostCall_LSEEK, 0, 7, uint32_t(-20), 5));
    EXPECT_TRUE(Call(HostCall_FCNTL, 0, 7, 14, 99));
    EXPECT_TRUE(Call(HostCall_FCNTL, 0, 7, 1, 99));
    EXPECT_TRUE(Call(HostCall_ISATTY, 0, 7));
    EXPECT_TRUE(Call(HostCall_UNLINK, 0, kData));
    EXPECT_TRUE(Call(HostCall_OPENDLL, 0, kData));
    const std::vector<std::string> expected = {"open C:\\data\\a.bin 769 420",
                                               "lseek 7 -20 -1",
                                               "fcntl 7 0 99",
                                               "fcntl 7 32768 99",
                                               "isatty 7",
                                               "unlink C:\\data\\a.bin",
                                               "opendll C:\\data\\a.bin"};
    EXPECT_EQ(ops.calls, expected);
}

TEST_P(HostCallTest, StandardStreamsNeverReachTheCallbacks) {
    const struct {
        const char* path;
        int handle;
    } opens[] = {{"/dev/stdin", 10}, {"/dev/stdout", 11}, {"/dev/stderr", 12}};
    for (const auto& o : opens) {
        PutString(kData, o.path);
        Call(HostCall_OPEN, 0, kData, 1, 0);
        EXPECT_EQ(Result(), o.handle) << o.path;
    }
    ops.result = -1;
    for (int handle : {0, 10, 11, 12}) {
        Call(HostCall_CLOSE, 99, uint32_t(handle));
        EXPECT_EQ(Result(), 0) << handle;
    }
    EXPECT_TRUE(ops.calls.empty());
    Call(HostCall_CLOSE, 0, 13);
    EXPECT_EQ(Result(), -1);
    EXPECT_EQ(ops.calls, std::vector<std::string>{"close 13"});
}

TEST_P(HostCallTest, ErrorNumbersReachTheBoardConverted) {
    const struct {
        int host;
        uint32_t board;
    } cases[] = {{40, 39}, {38, 35}, {2, 2}, {0, 0}};
    for (const auto& c : cases) {
        ops.error = c.host;
        Call(HostCall_ISATTY, 0, 1);
        EXPECT_EQ(Field(kRecordError), c.board) << c.host;
    }
    ops.traceOn = false;
    EXPECT_TRUE(Call(0x55));
    EXPECT_EQ(Field(kRecordStatus), uint32_t(kStatusUnknownCode));
    EXPECT_EQ(Field(kRecordError), 39u);
    ASSERT_EQ(ops.traces.size(), 1u); // an error trace, whatever the switch
    EXPECT_EQ(ops.traces[0], "***** Entering unimplemented command 0x00000055\n");
}

TEST_P(HostCallTest, ReadAndWriteMoveBoardBytes) {
    ops.traceOn = true;
    Call(HostCall_READ, 0, 5, kData, 64);
    EXPECT_EQ(Result(), int32_t(ops.readData.size()));
    EXPECT_EQ(std::memcmp(At(kData), ops.readData.data(), ops.readData.size()), 0);
    EXPECT_EQ(Field(kRecordCode), uint32_t(HostCall_READ)); // restored by the flush

    PutString(kData, "to the host");
    Call(HostCall_WRITE, 0, 5, kData, 6);
    EXPECT_EQ(Result(), 6);
    EXPECT_EQ(ops.written, "to the");
    const std::vector<std::string> traces = {
        "---> command HostCall_READ <----\n",  "---> 11 read\n",   " --  errno= 0 \n",
        "---> command HostCall_WRITE <----\n", "---> 6 written\n", " --  errno= 0 \n"};
    EXPECT_EQ(ops.traces, traces);
}

TEST_P(HostCallTest, AddressesAndLengthsFromTheBoardAreChecked) {
    PutString(kData, "name");
    std::memset(At(kBoardLow + kMemorySize - 8), 'z', 8); // unterminated at the end
    const struct {
        uint32_t code, a1, a2, a3;
        int32_t result;
        uint32_t error;
    } cases[] = {
        {HostCall_READ, 5, kBoardLow + kMemorySize - 4, 8, -1, 14},
        {HostCall_READ, 5, kData, 0xFFFFFFF0u, -1, 14},
        {HostCall_WRITE, 5, kBoardLow - 16, 32, -1, 14},
        {HostCall_WRITE, 5, 0, 1, -1, 14},
        {HostCall_OPEN, kBoardLow + kMemorySize - 8, 0, 0, -1, 14},
        {HostCall_OPEN, 0x1000, 0, 0, -1, 14},
        {HostCall_UNLINK, kBoardLow + kMemorySize, 0, 0, -1, 14},
        {HostCall_STAT, kData, kBoardLow + kMemorySize - 20, 0, -1, 14},
        {HostCall_FSTAT, 5, 0xFFFFFFF0u, 0, -1, 14},
        {HostCall_READBUFF, 5, kData, 4, -1, 14}, // a board address, not a host one
        {HostCall_WRITEBUFF, 5, kHostLow + kMemorySize - 2, 4, -1, 14},
    };
    for (const auto& c : cases) {
        Call(c.code, 0, c.a1, c.a2, c.a3);
        EXPECT_EQ(Result(), c.result) << HostCallName(c.code) << " " << std::hex << c.a2;
        EXPECT_EQ(Field(kRecordError), c.error) << HostCallName(c.code);
    }
    EXPECT_TRUE(ops.calls.empty());

    // A path of exactly the longest length is served; one byte more is refused.
    std::string longest(kMaxPathLength, 'p');
    PutString(kData, longest);
    Call(HostCall_UNLINK, 0, kData);
    EXPECT_EQ(ops.calls.size(), 1u);
    PutString(kData, longest + "p");
    Call(HostCall_UNLINK, 0, kData);
    EXPECT_EQ(Result(), -1);
    EXPECT_EQ(Field(kRecordError), 35u); // name too long, as the board numbers it
    EXPECT_EQ(ops.calls.size(), 1u);
}

TEST_P(HostCallTest, RecordOutsideMemoryIsAnsweredUntouched) {
    const std::vector<uint8_t> before = bytes;
    const uint32_t message[6] = {kBoardLow + kMemorySize - 40, 1, 2, 3, 4, 5};
    EXPECT_TRUE(ServeHostCall(message, node, memory, ops));
    EXPECT_EQ(bytes, before);
    EXPECT_TRUE(ops.calls.empty());
}

TEST_P(HostCallTest, HostBuffersInsideBoardMemoryWork) {
    Call(HostCall_READBUFF, 0, 5, kHostLow + 0x2000, 32);
    EXPECT_EQ(Result(), int32_t(ops.readData.size()));
    EXPECT_EQ(std::memcmp(At(kBoardLow + 0x2000), ops.readData.data(), ops.readData.size()), 0);
    SetWord(kRecord + kRecordError, 77); // left as the board wrote it
    SetWord(kRecord + kRecordCode, HostCall_WRITEBUFF);
    SetWord(kRecord + kRecordArg1, 5);
    SetWord(kRecord + kRecordArg2, kHostLow + 0x2000);
    SetWord(kRecord + kRecordArg3, 5);
    const uint32_t message[6] = {kRecord};
    ServeHostCall(message, node, memory, ops);
    EXPECT_EQ(ops.written, "board");
    EXPECT_EQ(Field(kRecordError), 77u);
}

TEST_P(HostCallTest, FileStatusRecordLayout) {
    ops.status = {1, 0xFFFF, 0x81A4, -2, -3, 4, 5, 1234, 0x100000001ll, 200, 300};
    std::memset(At(kData), 0xAA, 64);
    PutString(kData + 0x100, "a");
    for (uint32_t code : {HostCall_FSTAT, HostCall_STAT}) {
        Call(code, 0, code == HostCall_STAT ? kData + 0x100 : 4, kData);
        const struct {
            uint32_t offset, value;
        } words[] = {{kStatDevice, 1},           {kStatInode, 0xFFFF},      {kStatMode, 0x81A4},
                     {kStatLinks, uint32_t(-2)}, {kStatUser, uint32_t(-3)}, {kStatGroup, 4},
                     {kStatSpecial, 5},          {kStatSize, 1234},         {kStatAccessTime, 1},
                     {kStatModifyTime, 200},     {kStatChangeTime, 300},    {kStatBlockSize, 4096},
                     {36, 0xAAAAAAAAu},          {44, 0xAAAAAAAAu},         {52, 0xAAAAAAAAu}};
        for (const auto& w : words)
            EXPECT_EQ(Word(kData + w.offset), w.value) << w.offset;
        // 4096 in the board's byte order.
        EXPECT_EQ(*At(kData + kStatBlockSize + (GetParam() ? 1 : 2)), 0x10);
    }
    EXPECT_EQ(ops.calls, (std::vector<std::string>{"fstat 4", "stat a"}));
}

TEST_P(HostCallTest, NamesCopiedIntoBoardBuffers) {
    ops.env["BOARD_HOME"] = "D:\\boards";
    PutString(kData, "BOARD_HOME");
    std::memset(At(kData + 0x100), '#', 32);
    Call(HostCall_GETENV, kData + 0x100, 32, kData);
    EXPECT_EQ(Result(), int32_t(kData + 0x100));
    EXPECT_STREQ(reinterpret_cast<char*>(At(kData + 0x100)), "D:\\boards");
    // A short buffer gets at most its length, without terminator.
    std::memset(At(kData + 0x100), '#', 32);
    Call(HostCall_GETENV, kData + 0x100, 4, kData);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(At(kData + 0x100)), 5), "D:\\b#");
    PutString(kData, "UNSET_NAME");
    Call(HostCall_GETENV, kData + 0x100, 32, kData);
    EXPECT_EQ(Result(), 0);
    // Out of memory buffer: no name.
    PutString(kData, "BOARD_HOME");
    Call(HostCall_GETENV, kBoardLow + kMemorySize - 2, 32, kData);
    EXPECT_EQ(Result(), 0);
    EXPECT_EQ(Field(kRecordError), 14u);

    PutString(kData, "tmpXX");
    Call(HostCall_MKTEMP, kData + 0x100, 32, kData);
    EXPECT_STREQ(reinterpret_cast<char*>(At(kData)), "tmpab");
    EXPECT_STREQ(reinterpret_cast<char*>(At(kData + 0x100)), "tmpab");
    ops.result = 1;
    Call(HostCall_MKTEMP, kData + 0x100, 32, kData);
    EXPECT_EQ(Result(), 0);

    Call(HostCall_TMPNAM, kData + 0x200, 32, kData + 0x300);
    EXPECT_STREQ(reinterpret_cast<char*>(At(kData + 0x300)), "\\t1.");
    EXPECT_STREQ(reinterpret_cast<char*>(At(kData + 0x200)), "\\t1.");
}

TEST_P(HostCallTest, TimeArgumentsAndExit) {
    Call(HostCall_TIME, 0, kData);
    EXPECT_EQ(Result(), 0x12345678);
    uint32_t stored;
    std::memcpy(&stored, At(kData), 4);
    EXPECT_EQ(stored, 0x12345678u); // host order whatever the board's
    Call(HostCall_TIME, 0, 0);
    EXPECT_EQ(Result(), 0x12345678);
    Call(HostCall_TIME, 0, 4);
    EXPECT_EQ(Field(kRecordError), 14u);

    ops.error = 5;
    Call(HostCall_ARGV_ARGC_INFO);
    EXPECT_EQ(Field(kRecordResult), 3u);
    EXPECT_EQ(Field(kRecordArg1), 9u);
    EXPECT_EQ(Field(kRecordError), 0u);
    std::memset(At(kData), '#', 16);
    Call(HostCall_GET_ARGUMENT_STRING, kData);
    EXPECT_EQ(std::memcmp(At(kData), "prog\0-v\0\0#", 10), 0);
    EXPECT_EQ(Field(kRecordError), 0u);
    Call(HostCall_GET_ARGUMENT_STRING, kBoardLow + kMemorySize - 4);
    EXPECT_EQ(Field(kRecordError), 14u);

    EXPECT_FALSE(Call(HostCall_EXIT, uint32_t(-3)));
    EXPECT_EQ(ops.calls, (std::vector<std::string>{"remove 3", "exit 3 -3"}));
    EXPECT_EQ(Field(kRecordError), 0u);
}

TEST_P(HostCallTest, BufferPairsTakeTheHostOrder) {
    SetWord(kData, 0x11223344);
    SetWord(kData + 4, 0x55667788);
    Call(HostCall_MALLOCBUFF, 9, 0, kData, 1);
    EXPECT_EQ(Result(), 0);
    uint32_t after[2];
    std::memcpy(after, At(kData), 8);
    EXPECT_EQ(after[0], 0x11223344u);
    EXPECT_EQ(after[1], 0x55667788u);
    // A pair count reaching past memory leaves everything as it was.
    Call(HostCall_MALLOCBUFF, 9, 0, kData, 0x20000000u);
    std::memcpy(after, At(kData), 8);
    EXPECT_EQ(after[0], 0x11223344u);
    Call(HostCall_FREEBUFF);
    EXPECT_TRUE(ops.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, HostCallTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Same" : "Swapped"; });

TEST(DllSearchPathTest, NewestDirectoryFirstWithTheByteOrderVariant) {
    DllSearchPath path;
    path.Add("A");
    path.Add("");
    path.Add("B");
    EXPECT_EQ(path.Candidates("x", 1),
              (std::vector<std::string>{"B\\x", "B\\el\\x", "A\\x", "A\\el\\x"}));
    EXPECT_EQ(path.Candidates("x", 0),
              (std::vector<std::string>{"B\\x", "B\\eb\\x", "A\\x", "A\\eb\\x"}));
    DllSearchPath slashes;
    slashes.Add("C:/boards/lib/");
    EXPECT_EQ(slashes.Candidates("m.dll", 2)[0], "C:\\boards\\lib\\m.dll");

    EXPECT_EQ(JoinPath("a", "b"), "a\\b");
    EXPECT_EQ(JoinPath("a\\", "b"), "a\\b");
    EXPECT_EQ(JoinPath("a", "\\b"), "a\\b");
    EXPECT_EQ(JoinPath("", "b"), "b");
}

std::vector<std::string> g_tried;
std::string g_opens;
int RecordingOpen(const char* path, int flags, int) {
    g_tried.push_back(path);
    EXPECT_EQ(flags, 0x8000);
    return g_opens == path ? 42 : -1;
}

TEST(DllSearchPathTest, OpenTriesEachCandidateUntilOneOpens) {
    DllSearchPath path;
    path.Add("A");
    path.Add("B");
    g_tried.clear();
    g_opens = "";
    EXPECT_EQ(OpenDllThroughPath(&path, "x", RecordingOpen, 1), -1);
    EXPECT_EQ(g_tried, (std::vector<std::string>{"x", "B\\x", "B\\el\\x", "A\\x", "A\\el\\x"}));
    g_tried.clear();
    g_opens = "B\\eb\\x";
    EXPECT_EQ(OpenDllThroughPath(&path, "x", RecordingOpen, 0), 42);
    EXPECT_EQ(g_tried, (std::vector<std::string>{"x", "B\\x", "B\\eb\\x"}));
    g_tried.clear();
    g_opens = "x";
    EXPECT_EQ(OpenDllThroughPath(&path, "x", RecordingOpen, 0), 42);
    EXPECT_EQ(g_tried.size(), 1u);

    g_tried.clear();
    DllSearchPath empty;
    EXPECT_EQ(OpenDllThroughPath(&empty, "x", RecordingOpen, 1), -1);
    EXPECT_EQ(OpenDllThroughPath(nullptr, "x", RecordingOpen, 1), -1);
    EXPECT_EQ(OpenDllThroughPath(&path, nullptr, RecordingOpen, 1), -1);
    EXPECT_EQ(OpenDllThroughPath(&path, "x", nullptr, 1), -1);
    EXPECT_TRUE(g_tried.empty());
}

} // namespace
} // namespace dvr::corvane
