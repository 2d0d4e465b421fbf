#include "sdk/corvane/host_call.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace dvr::corvane {

namespace {

uint32_t Swap(uint32_t v) {
    return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

struct NameEntry {
    uint32_t code;
    const char* name;
};
constexpr NameEntry kNames[] = {
    {HostCall_OPEN, "HostCall_OPEN"},
    {HostCall_FSTAT, "HostCall_FSTAT"},
    {HostCall_ISATTY, "HostCall_ISATTY"},
    {HostCall_READ, "HostCall_READ"},
    {HostCall_LSEEK, "HostCall_LSEEK"},
    {HostCall_WRITE, "HostCall_WRITE"},
    {HostCall_CLOSE, "HostCall_CLOSE"},
    {HostCall_UNLINK, "HostCall_UNLINK"},
    {HostCall_MKTEMP, "HostCall_MKTEMP"},
    {HostCall_GETENV, "HostCall_GETENV"},
    {HostCall_TIME, "HostCall_TIME"},
    {HostCall_ARGV_ARGC_INFO, "HostCall_ARGV_ARGC_INFO"},
    {HostCall_GET_ARGUMENT_STRING, "HostCall_GET_ARGUMENT_STRING"},
    {HostCall_EXIT, "HostCall_EXIT"},
    {HostCall_TMPNAM, "HostCall_TMPNAM"},
    {HostCall_FCNTL, "HostCall_FCNTL"},
    {HostCall_OPENDLL, "HostCall_OPENDLL"},
    {HostCall_STAT, "HostCall_STAT"},
    {HostCall_MALLOCBUFF, "HostCall_MALLOCBUFF"},
    {HostCall_FREEBUFF, "HostCall_FREEBUFF"},
    {HostCall_READBUFF, "HostCall_READBUFF"},
    {HostCall_WRITEBUFF, "HostCall_WRITEBUFF"},
};

// The words of one record, read and written in board byte order.
class Record {
public:
    Record(const BoardMemory& memory, uint8_t* p) : memory_(memory), p_(p) {}
    uint32_t Get(uint32_t offset) const { return memory_.Load(p_ + offset); }
    int32_t Signed(uint32_t offset) const { return int32_t(Get(offset)); }
    void Set(uint32_t offset, uint32_t value) const { memory_.Store(p_ + offset, value); }
    void SetSigned(uint32_t offset, int32_t value) const { Set(offset, uint32_t(value)); }
    volatile uint32_t* Word(uint32_t offset) const {
        return reinterpret_cast<volatile uint32_t*>(p_ + offset);
    }

private:
    const BoardMemory& memory_;
    uint8_t* p_;
};

void WriteStatus(const BoardMemory& memory, uint8_t* out, const HostFileStatus& s) {
    memory.Store(out + kStatDevice, s.device);
    memory.Store(out + kStatInode, s.inode);
    memory.Store(out + kStatMode, s.mode);
    memory.Store(out + kStatLinks, uint32_t(s.links));
    memory.Store(out + kStatUser, uint32_t(s.user));
    memory.Store(out + kStatGroup, uint32_t(s.group));
    memory.Store(out + kStatSpecial, s.special);
    memory.Store(out + kStatSize, s.size);
    memory.Store(out + kStatAccessTime, uint32_t(s.accessTime));
    memory.Store(out + kStatModifyTime, uint32_t(s.modifyTime));
    memory.Store(out + kStatChangeTime, uint32_t(s.changeTime));
    memory.Store(out + kStatBlockSize, kStatBlockSizeValue);
}

// Serves one call; `error` is the host error number for the record's error word,
// or nullopt to leave that word as the board wrote it.
class Server {
public:
    Server(const NodeView& node, const BoardMemory& memory, HostOps& ops, const Record& record)
        : node_(node), memory_(memory), ops_(ops), r_(record) {}

    std::optional<int> error;
    bool reply = true;
    uint32_t status = kStatusServed;

    void Serve(uint32_t code) {
        const bool trace = ops_.TraceOn();
        if (trace) TraceFormat(ops_, "---> command %s <----\n", HostCallName(code));
        error = 0;
        switch (code) {
        case HostCall_OPEN:
            Open();
            break;
        case HostCall_FSTAT:
        case HostCall_STAT:
            Stat(code == HostCall_STAT);
            break;
        case HostCall_ISATTY:
            Result(ops_.Isatty(r_.Signed(kRecordArg1)));
            break;
        case HostCall_READ:
        case HostCall_WRITE:
        case HostCall_READBUFF:
        case HostCall_WRITEBUFF:
            Transfer(code);
            break;
        case HostCall_LSEEK:
            Result(ops_.Lseek(r_.Signed(kRecordArg1), r_.Signed(kRecordArg2),
                              ConvertSeekOrigin(r_.Get(kRecordArg3))));
            break;
        case HostCall_CLOSE:
            Close();
            break;
        case HostCall_UNLINK:
            if (auto path = String(kRecordArg1)) Result(ops_.Unlink(path->c_str()));
            break;
        case HostCall_MKTEMP:
            MakeTemp();
            break;
        case HostCall_GETENV:
            if (auto name = String(kRecordArg2))
                CopyName(ops_.GetEnv(name->c_str()));
            else
                r_.Set(kRecordResult, 0);
            break;
        case HostCall_TIME:
            Time();
            break;
        case HostCall_ARGV_ARGC_INFO:
            ArgumentInfo();
            break;
        case HostCall_GET_ARGUMENT_STRING:
            ArgumentStrings();
            break;
        case HostCall_EXIT: {
            const int exitStatus = r_.Signed(kRecordResult);
            if (trace)
                TraceFormat(ops_, "---> command %s(%d) <----\n", HostCallName(code), exitStatus);
            ops_.RemoveNode(node_.number);
            ops_.Exit(node_.number, exitStatus);
            error = 0;
            reply = false;
            return;
        }
        case HostCall_TMPNAM:
            TempName();
            break;
        case HostCall_FCNTL:
            Result(ops_.Fcntl(r_.Signed(kRecordArg1), ConvertFcntlCommand(r_.Get(kRecordArg2)),
                              r_.Signed(kRecordArg3)));
            break;
        case HostCall_OPENDLL:
            if (auto name = String(kRecordArg1)) Result(ops_.OpenDll(name->c_str()));
            break;
        case HostCall_MALLOCBUFF:
            SwapPairs();
            break;
        case HostCall_FREEBUFF:
            error.reset();
            break;
        default:
            TraceFormat(ops_, "***** Entering unimplemented command 0x%08x\n", code);
            error = kErrorNotImplemented;
            status = kStatusUnknownCode;
            return;
        }
    }

private:
    void Result(int32_t value) {
        r_.SetSigned(kRecordResult, value);
        error = ops_.ErrorNumber();
    }
    void Refuse(int hostError, int32_t result = -1) {
        r_.SetSigned(kRecordResult, result);
        error = hostError;
    }
    std::optional<std::string> String(uint32_t offset) {
        int e = 0;
        auto s = memory_.String(r_.Get(offset), e);
        if (!s) Refuse(e);
        return s;
    }

    void Open() {
        auto path = String(kRecordArg1);
        if (!path) return;
        const int flags = ConvertOpenFlags(r_.Get(kRecordArg2));
        const int mode = r_.Signed(kRecordArg3);
        if (ops_.TraceOn())
            TraceFormat(ops_, "---> command %s(%s, 0x%x, 0x%x) <----\n", "HostCall_OPEN",
                        path->c_str(), unsigned(flags), unsigned(mode));
        int handle;
        if (*path == "/dev/stdin")
            handle = node_.stdinHandle;
        else if (*path == "/dev/stdout")
            handle = node_.stdoutHandle;
        else if (*path == "/dev/stderr")
            handle = node_.stderrHandle;
        else
            handle = ops_.Open(path->c_str(), flags, mode);
        Result(handle);
        if (ops_.TraceOn()) TraceFormat(ops_, "--->opened handle = %d <----\n", handle);
    }

    void Stat(bool byPath) {
        uint8_t* out = memory_.At(r_.Get(kRecordArg2), kStatRecordSize);
        if (!out) return Refuse(kErrorBadAddress);
        HostFileStatus s;
        int result;
        if (byPath) {
            auto path = String(kRecordArg1);
            if (!path) return;
            result = ops_.Stat(path->c_str(), s);
        } else {
            result = ops_.Fstat(r_.Signed(kRecordArg1), s);
        }
        Result(result);
        WriteStatus(memory_, out, s);
    }

    void Transfer(uint32_t code) {
        const bool hostBuffer = code == HostCall_READBUFF || code == HostCall_WRITEBUFF;
        const bool reading = code == HostCall_READ || code == HostCall_READBUFF;
        const int handle = r_.Signed(kRecordArg1);
        const uint32_t address = r_.Get(kRecordArg2);
        const uint32_t count = r_.Get(kRecordArg3);
        // A host buffer is only accepted where the board's own memory lies: the
        // server hands out no other, and any other address would be the host's.
        uint8_t* buffer = hostBuffer ? memory_.AtHost(address, count) : memory_.At(address, count);
        if (!buffer) return Refuse(kErrorBadAddress);
        const int done =
            reading ? ops_.Read(handle, buffer, count) : ops_.Write(handle, buffer, count);
        Result(done);
        if (hostBuffer) error.reset();
        FlushSharedWord(r_.Word(kRecordCode));
        if (ops_.TraceOn())
            TraceFormat(ops_, reading ? "---> %d read\n" : "---> %d written\n", done);
    }

    void Close() {
        const int handle = r_.Signed(kRecordArg1);
        if (handle == 0 || handle == node_.stdinHandle || handle == node_.stdoutHandle ||
            handle == node_.stderrHandle)
            return Result(0);
        Result(ops_.Close(handle));
    }

    // Copies a name into the buffer at word 56, at most word 60 bytes; word 56
    // becomes 0 when there is no name.
    void CopyName(const std::optional<std::string>& name) {
        error = ops_.ErrorNumber();
        if (!name) {
            r_.Set(kRecordResult, 0);
            return;
        }
        const uint32_t limit = r_.Get(kRecordArg1);
        const uint32_t length = uint32_t(std::min<size_t>(name->size() + 1, limit));
        uint8_t* out = memory_.At(r_.Get(kRecordResult), length);
        if (!out) return Refuse(kErrorBadAddress, 0);
        std::memcpy(out, name->c_str(), length);
    }

    void MakeTemp() {
        auto pattern = String(kRecordArg2);
        if (!pattern) return Refuse(error.value_or(kErrorBadAddress), 0);
        if (!ops_.MakeTemp(*pattern)) return CopyName(std::nullopt);
        // Same length as the template, so it fits where the template was.
        std::memcpy(memory_.At(r_.Get(kRecordArg2), uint32_t(pattern->size())), pattern->data(),
                    pattern->size());
        CopyName(pattern);
    }

    void TempName() {
        auto name = ops_.TempName();
        if (!name) return CopyName(std::nullopt);
        uint8_t* out = memory_.At(r_.Get(kRecordArg2), uint32_t(name->size() + 1));
        if (!out) return Refuse(kErrorBadAddress, 0);
        std::memcpy(out, name->c_str(), name->size() + 1);
        CopyName(name);
    }

    void Time() {
        const int64_t now = ops_.Time();
        Result(int32_t(now));
        const uint32_t address = r_.Get(kRecordArg1);
        if (address == 0) return;
        uint8_t* out = memory_.At(address, 4);
        if (!out) return Refuse(kErrorBadAddress, int32_t(now));
        const uint32_t value = uint32_t(now);
        std::memcpy(out, &value, 4);
    }

    void ArgumentInfo() {
        const auto args = ops_.Arguments(node_.number);
        uint32_t total = 0;
        for (const auto& a : args)
            total += uint32_t(a.size() + 1);
        r_.Set(kRecordResult, uint32_t(args.size()));
        r_.Set(kRecordArg1, total);
        error = 0;
    }

    void ArgumentStrings() {
        const auto args = ops_.Arguments(node_.number);
        std::string packed;
        for (const auto& a : args)
            packed.append(a.c_str(), a.size() + 1);
        uint8_t* out = memory_.At(r_.Get(kRecordResult), uint32_t(packed.size()));
        if (!out) {
            error = kErrorBadAddress;
            return;
        }
        std::memcpy(out, packed.data(), packed.size());
        error = 0;
    }

    void SwapPairs() {
        r_.Set(kRecordResult, 0);
        error.reset();
        const uint32_t pairs = r_.Get(kRecordArg3);
        if (pairs > UINT32_MAX / 8) return;
        uint8_t* p = memory_.At(r_.Get(kRecordArg2), pairs * 8);
        if (!p || memory_.SameByteOrder()) return;
        for (uint32_t i = 0; i < pairs * 2; ++i) {
            uint32_t w;
            std::memcpy(&w, p + 4 * i, 4);
            w = Swap(w);
            std::memcpy(p + 4 * i, &w, 4);
        }
    }

    const NodeView& node_;
    const BoardMemory& memory_;
    HostOps& ops_;
    const Record& r_;
};

} // namespace

int ConvertOpenFlags(uint32_t board) {
    int host = 0;
    const uint32_t access = board & 3;
    if (access == 1 || access == 2) host = int(access);
    if (board & 0x8) host |= 0x8;
    if (board & 0x200) host |= 0x100;
    if (board & 0x400) host |= 0x200;
    if (board & 0x800) host |= 0x400;
    if (board & 0x10000) host |= 0x8000;
    return host;
}

uint32_t ConvertErrorNumber(int host) {
    switch (host) {
    case 38:
        return 35;
    case 39:
        return 37;
    case 40:
        return 39;
    case 41:
        return 38;
    default:
        return uint32_t(host);
    }
}

int ConvertSeekOrigin(uint32_t board) {
    return board <= 2 ? int(board) : -1;
}

int ConvertFcntlCommand(uint32_t board) {
    return board == 14 ? 0 : 0x8000;
}

const char* HostCallName(uint32_t code) {
    for (const auto& e : kNames)
        if (e.code == code) return e.name;
    return "unknown";
}

std::optional<std::string> BoardMemory::String(uint32_t boardAddress, int& error) const {
    const uint32_t offset = boardAddress - boardLow_;
    if (!base_ || offset >= size_) {
        error = kErrorBadAddress;
        return std::nullopt;
    }
    const size_t room = size_ - offset;
    const size_t span = std::min(room, kMaxPathLength + 1);
    const auto* start = reinterpret_cast<const char*>(base_ + offset);
    const void* end = std::memchr(start, 0, span);
    if (!end) {
        error = span == room ? kErrorBadAddress : kErrorNameTooLong;
        return std::nullopt;
    }
    return std::string(start, static_cast<const char*>(end));
}

uint32_t BoardMemory::Load(const uint8_t* p) const {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return sameByteOrder_ ? v : Swap(v);
}

void BoardMemory::Store(uint8_t* p, uint32_t value) const {
    if (!sameByteOrder_) value = Swap(value);
    std::memcpy(p, &value, 4);
}

void TraceFormat(HostOps& ops, const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    ops.Trace(text);
}

void FlushSharedWord(volatile uint32_t* word) {
    const uint32_t saved = *word;
    *word = 0;
    while (*word != 0) {
    }
    *word = saved;
    while (*word != saved) {
    }
}

bool ServeHostCall(const uint32_t message[6], const NodeView& node, const BoardMemory& memory,
                   HostOps& ops) {
    uint8_t* p = memory.At(message[0], kRecordSize);
    if (!p) {
        // Nothing to read or answer in: the board gets its message back untouched.
        TraceFormat(ops, "***** Host call record at 0x%08x outside board memory\n", message[0]);
        return true;
    }
    Record record(memory, p);
    record.Set(kRecordStatus, kStatusTaken);
    ops.ClearErrorNumber();
    Server server(node, memory, ops, record);
    server.Serve(record.Get(kRecordCode));
    record.Set(kRecordStatus, server.status);
    if (server.error)
        record.Set(kRecordError, ConvertErrorNumber(*server.error));
    else
        record.Set(kRecordError, ConvertErrorNumber(record.Signed(kRecordError)));
    FlushSharedWord(record.Word(kRecordCode));
    if (ops.TraceOn()) TraceFormat(ops, " --  errno= %d \n", record.Signed(kRecordError));
    return server.reply;
}

void DllSearchPath::Add(std::string_view directory) {
    if (directory.empty()) return;
    std::string d(directory);
    for (char& c : d)
        if (c == '/') c = '\\';
    directories_.push_back(std::move(d));
}

std::string JoinPath(std::string_view left, std::string_view right) {
    std::string joined(left);
    if (!left.empty() && !right.empty() && left.back() != '\\' && right.front() != '\\')
        joined += '\\';
    joined += right;
    return joined;
}

std::vector<std::string> DllSearchPath::Candidates(std::string_view name, int byteOrderFlag) const {
    std::vector<std::string> paths;
    const char* variant = byteOrderFlag != 0 ? "el" : "eb";
    for (auto it = directories_.rbegin(); it != directories_.rend(); ++it) {
        paths.push_back(JoinPath(*it, name));
        paths.push_back(JoinPath(JoinPath(*it, variant), name));
    }
    return paths;
}

int OpenDllThroughPath(const DllSearchPath* path, const char* name, OpenFunction open,
                       int byteOrderFlag) {
    if (!path || path->Empty() || !name || !open) return -1;
    int handle = open(name, kOpenDllFlags, 0);
    if (handle != -1) return handle;
    for (const auto& candidate : path->Candidates(name, byteOrderFlag)) {
        handle = open(candidate.c_str(), kOpenDllFlags, 0);
        if (handle != -1) return handle;
    }
    return -1;
}

} // namespace dvr::corvane
