// One run-time call of a board program, served on the host: the record the board
// writes into its memory, the conversions between board and host conventions, and
// the library search path. No Windows here; the DLL supplies the host side.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dvr::corvane {

// The call record in board memory, 32-bit words in the board's byte order.
struct HostCallRecord {
    uint32_t unused0[2];
    uint32_t status;
    uint32_t code;
    uint32_t error;
    uint32_t unused20[9];
    uint32_t result; // also the first argument
    uint32_t arg1;
    uint32_t arg2;
    uint32_t arg3;
};
static_assert(sizeof(HostCallRecord) == 72);
static_assert(offsetof(HostCallRecord, status) == 8);
static_assert(offsetof(HostCallRecord, code) == 12);
static_assert(offsetof(HostCallRecord, error) == 16);
static_assert(offsetof(HostCallRecord, result) == 56);
static_assert(offsetof(HostCallRecord, arg1) == 60);
static_assert(offsetof(HostCallRecord, arg2) == 64);
static_assert(offsetof(HostCallRecord, arg3) == 68);

constexpr uint32_t kRecordStatus = offsetof(HostCallRecord, status);
constexpr uint32_t kRecordCode = offsetof(HostCallRecord, code);
constexpr uint32_t kRecordError = offsetof(HostCallRecord, error);
constexpr uint32_t kRecordResult = offsetof(HostCallRecord, result);
constexpr uint32_t kRecordArg1 = offsetof(HostCallRecord, arg1);
constexpr uint32_t kRecordArg2 = offsetof(HostCallRecord, arg2);
constexpr uint32_t kRecordArg3 = offsetof(HostCallRecord, arg3);
constexpr uint32_t kRecordSize = sizeof(HostCallRecord);

enum HostCallStatus : uint32_t {
    kStatusUnknownCode = 0,
    kStatusServed = 1,
    kStatusTaken = 2,
};

enum HostCallCode : uint32_t {
    HostCall_OPEN = 0,
    HostCall_FSTAT = 1,
    HostCall_ISATTY = 2,
    HostCall_READ = 3,
    HostCall_LSEEK = 4,
    HostCall_WRITE = 5,
    HostCall_CLOSE = 6,
    HostCall_UNLINK = 7,
    HostCall_MKTEMP = 8,
    HostCall_GETENV = 9,
    HostCall_TIME = 11,
    HostCall_ARGV_ARGC_INFO = 16,
    HostCall_GET_ARGUMENT_STRING = 17,
    HostCall_EXIT = 18,
    HostCall_TMPNAM = 19,
    HostCall_FCNTL = 20,
    HostCall_OPENDLL = 22,
    HostCall_STAT = 23,
    HostCall_MALLOCBUFF = 24,
    HostCall_FREEBUFF = 25,
    HostCall_READBUFF = 26,
    HostCall_WRITEBUFF = 27,
};

// Host error numbers the server itself reports.
constexpr int kErrorBadAddress = 14;  // a board address or length outside board memory
constexpr int kErrorNameTooLong = 38; // a path without terminator within kMaxPathLength
constexpr int kErrorNotImplemented = 40;

// Longest path or name taken from board memory, terminator excluded.
constexpr size_t kMaxPathLength = 1024;

// Board file status record. The times take one word each of a two-word slot;
// the second words are left as the board had them.
struct BoardFileStatus {
    uint32_t device;
    uint32_t inode;
    uint32_t mode;
    uint32_t links;
    uint32_t user;
    uint32_t group;
    uint32_t special;
    uint32_t size;
    uint32_t accessTime[2];
    uint32_t modifyTime[2];
    uint32_t changeTime[2];
    uint32_t blockSize;
};
static_assert(sizeof(BoardFileStatus) == 60);
static_assert(offsetof(BoardFileStatus, device) == 0);
static_assert(offsetof(BoardFileStatus, inode) == 4);
static_assert(offsetof(BoardFileStatus, mode) == 8);
static_assert(offsetof(BoardFileStatus, links) == 12);
static_assert(offsetof(BoardFileStatus, user) == 16);
static_assert(offsetof(BoardFileStatus, group) == 20);
static_assert(offsetof(BoardFileStatus, special) == 24);
static_assert(offsetof(BoardFileStatus, size) == 28);
static_assert(offsetof(BoardFileStatus, accessTime) == 32);
static_assert(offsetof(BoardFileStatus, modifyTime) == 40);
static_assert(offsetof(BoardFileStatus, changeTime) == 48);
static_assert(offsetof(BoardFileStatus, blockSize) == 56);

constexpr uint32_t kStatDevice = offsetof(BoardFileStatus, device);
constexpr uint32_t kStatInode = offsetof(BoardFileStatus, inode);
constexpr uint32_t kStatMode = offsetof(BoardFileStatus, mode);
constexpr uint32_t kStatLinks = offsetof(BoardFileStatus, links);
constexpr uint32_t kStatUser = offsetof(BoardFileStatus, user);
constexpr uint32_t kStatGroup = offsetof(BoardFileStatus, group);
constexpr uint32_t kStatSpecial = offsetof(BoardFileStatus, special);
constexpr uint32_t kStatSize = offsetof(BoardFileStatus, size);
constexpr uint32_t kStatAccessTime = offsetof(BoardFileStatus, accessTime);
constexpr uint32_t kStatModifyTime = offsetof(BoardFileStatus, modifyTime);
constexpr uint32_t kStatChangeTime = offsetof(BoardFileStatus, changeTime);
constexpr uint32_t kStatBlockSize = offsetof(BoardFileStatus, blockSize);
constexpr uint32_t kStatRecordSize = sizeof(BoardFileStatus);
constexpr uint32_t kStatBlockSizeValue = 4096;

// Host file status as the stat callbacks report it.
struct HostFileStatus {
    uint32_t device = 0;
    uint32_t inode = 0;
    uint32_t mode = 0;
    int32_t links = 0;
    int32_t user = 0;
    int32_t group = 0;
    uint32_t special = 0;
    uint32_t size = 0;
    int64_t accessTime = 0;
    int64_t modifyTime = 0;
    int64_t changeTime = 0;
};

int ConvertOpenFlags(uint32_t boardFlags);
uint32_t ConvertErrorNumber(int hostError);
int ConvertSeekOrigin(uint32_t boardOrigin);
int ConvertFcntlCommand(uint32_t boardCommand);
const char* HostCallName(uint32_t code);

// The memory of one board as the host sees it: [base, base + size) holds board
// addresses [boardLow, boardLow + size) and host addresses [hostLow, hostLow + size)
// (32-bit, as the board hands them out). Every access is checked against it.
class BoardMemory {
public:
    BoardMemory(uint8_t* base, uint32_t boardLow, uint32_t hostLow, uint32_t size,
                bool sameByteOrder)
        : base_(base), boardLow_(boardLow), hostLow_(hostLow), size_(size),
          sameByteOrder_(sameByteOrder) {}

    // Host pointer to `length` bytes at a board (or host) address; null when any
    // of them lies outside board memory.
    uint8_t* At(uint32_t boardAddress, uint32_t length) const {
        return Window(boardAddress - boardLow_, length);
    }
    uint8_t* AtHost(uint32_t hostAddress, uint32_t length) const {
        return Window(hostAddress - hostLow_, length);
    }
    // A terminated string at a board address, at most kMaxPathLength bytes long.
    // Sets `error` to kErrorBadAddress or kErrorNameTooLong when there is none.
    std::optional<std::string> String(uint32_t boardAddress, int& error) const;

    uint32_t Load(const uint8_t* p) const;
    void Store(uint8_t* p, uint32_t value) const;
    bool SameByteOrder() const { return sameByteOrder_; }

private:
    uint8_t* Window(uint32_t offset, uint32_t length) const {
        if (!base_ || offset > size_ || length > size_ - offset) return nullptr;
        return base_ + offset;
    }
    uint8_t* base_;
    uint32_t boardLow_;
    uint32_t hostLow_;
    uint32_t size_;
    bool sameByteOrder_;
};

// The node whose call is served.
struct NodeView {
    int number = 0;
    int32_t stdinHandle = 0;
    int32_t stdoutHandle = 0;
    int32_t stderrHandle = 0;
};

// Everything the host does for a call: the board manager's callbacks, the host's
// own services, the error number and the trace.
class HostOps {
public:
    virtual ~HostOps() = default;
    virtual int Open(const char* path, int flags, int mode) = 0;
    virtual int OpenDll(const char* name) = 0;
    virtual int Close(int handle) = 0;
    virtual int Read(int handle, void* buffer, uint32_t count) = 0;
    virtual int Write(int handle, const void* buffer, uint32_t count) = 0;
    virtual int32_t Lseek(int handle, int32_t offset, int origin) = 0;
    virtual int Isatty(int handle) = 0;
    virtual int Fstat(int handle, HostFileStatus& status) = 0;
    virtual int Fcntl(int handle, int command, int argument) = 0;
    virtual int Stat(const char* path, HostFileStatus& status) = 0;
    virtual void Exit(int node, int status) = 0;
    // Removes the node before its exit callback runs.
    virtual void RemoveNode(int node) = 0;
    virtual std::vector<std::string> Arguments(int node) = 0;

    virtual int Unlink(const char* path) = 0;
    // Replaces the template's trailing X characters; false when no name was found.
    virtual bool MakeTemp(std::string& pattern) = 0;
    virtual std::optional<std::string> GetEnv(const char* name) = 0;
    virtual std::optional<std::string> TempName() = 0;
    virtual int64_t Time() = 0;

    virtual int ErrorNumber() = 0;
    virtual void ClearErrorNumber() = 0;

    virtual bool TraceOn() = 0;
    virtual void Trace(const char* text) = 0;
};

// Formats a trace of at most 1023 characters and hands it to the sink.
void TraceFormat(HostOps& ops, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Serves the call whose record lies at message word 0. Returns false when no reply
// may be sent (the program exited).
bool ServeHostCall(const uint32_t message[6], const NodeView& node, const BoardMemory& memory,
                   HostOps& ops);

// Makes sure earlier writes into board memory have landed before the reply: the
// word is cleared and restored, each time read back.
void FlushSharedWord(volatile uint32_t* word);

// Directories searched for board-program libraries.
class DllSearchPath {
public:
    // Empty directories are ignored; '/' is stored as '\'.
    void Add(std::string_view directory);
    bool Empty() const { return directories_.empty(); }
    // The paths tried for `name`, in order, after the name itself.
    std::vector<std::string> Candidates(std::string_view name, int byteOrderFlag) const;

private:
    std::vector<std::string> directories_;
};

// Joins two path parts with one backslash unless one side already has it.
std::string JoinPath(std::string_view left, std::string_view right);

// Open flags used to try a library file: read-only, binary.
constexpr int kOpenDllFlags = 0x8000;

using OpenFunction = int (*)(const char* path, int flags, int mode);

// Opens a library through `open`: the name itself, then each directory of the
// path from the newest; -1 when nothing opens or an input is missing.
int OpenDllThroughPath(const DllSearchPath* path, const char* name, OpenFunction open,
                       int byteOrderFlag);

} // namespace dvr::corvane
