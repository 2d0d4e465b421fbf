#include "framework/win/filestream.h"

#include "common/win/textconv.h"
#include "framework/strutils.h"

#include <algorithm>

namespace dvr::fw {

TFileStream::TFileStream(const std::string& FileName, uint16_t Mode) : file_name_(FileName) {
    static const DWORD kShare[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE};
    unsigned share = (Mode & 0xF0) >> 4;
    bool create = (Mode & fmCreate) == fmCreate;
    unsigned access = Mode & 0x0F;
    if (share >= std::size(kShare) || (!create && access > 2))
        throw EFOpenError("Invalid file mode for \"" + FileName + "\"");
    static const DWORD kAccess[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    std::wstring wide = win::GbkToWide(FileName);
    file_.reset(::CreateFileW(wide.c_str(), create ? GENERIC_READ | GENERIC_WRITE : kAccess[access],
                              kShare[share], nullptr, create ? CREATE_ALWAYS : OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) {
        std::string why = " (error " + IntToStr(::GetLastError()) + ")";
        if (create) throw EFCreateError("Cannot create file \"" + FileName + "\"" + why);
        throw EFOpenError("Cannot open file \"" + FileName + "\"" + why);
    }
}

size_t TFileStream::Read(void* Buffer, size_t Count) {
    auto* p = static_cast<uint8_t*>(Buffer);
    size_t done = 0;
    while (done < Count) {
        DWORD step = DWORD(std::min<size_t>(Count - done, 1u << 30)), got = 0;
        if (!::ReadFile(file_.get(), p + done, step, &got, nullptr) || got == 0) break;
        done += got;
    }
    return done;
}

size_t TFileStream::Write(const void* Buffer, size_t Count) {
    auto* p = static_cast<const uint8_t*>(Buffer);
    size_t done = 0;
    while (done < Count) {
        DWORD step = DWORD(std::min<size_t>(Count - done, 1u << 30)), put = 0;
        if (!::WriteFile(file_.get(), p + done, step, &put, nullptr) || put == 0) break;
        done += put;
    }
    return done;
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
    static const DWORD kMethod[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    LARGE_INTEGER to, now;
    to.QuadPart = Offset;
    if (!::SetFilePointerEx(file_.get(), to, &now, kMethod[int(Origin)]))
        throw EStreamError("Invalid stream position in \"" + file_name_ + "\"");
    return now.QuadPart;
}

void TFileStream::SetSize(int64_t NewSize) {
    int64_t pos = Position();
    SetPosition(NewSize);
    if (!::SetEndOfFile(file_.get()))
        throw EStreamError("Cannot change the size of \"" + file_name_ + "\"");
    if (pos < NewSize) SetPosition(pos);
}

} // namespace dvr::fw
