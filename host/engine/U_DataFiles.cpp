#include "host/engine/U_DataFiles.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"

namespace vantrel {

using dvr::win::GbkToWide;

bool FolderExists(std::string_view folder) {
    const DWORD a = ::GetFileAttributesW(GbkToWide(folder).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolderLevels(std::string_view folder) {
    std::wstring path = GbkToWide(folder);
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    if (path.empty()) return false;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != L'\\' && path[i] != L'/') continue;
        const std::wstring level = path.substr(0, i);
        if (level.empty() || level.back() == L':') continue; // drive or root
        ::CreateDirectoryW(level.c_str(), nullptr);
    }
    return FolderExists(folder);
}

FileRead ReadWholeFile(std::string_view path, std::vector<uint8_t>& data) {
    data.clear();
    const std::wstring w = GbkToWide(path);
    dvr::win::File f(::CreateFileW(w.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) {
        const DWORD e = ::GetLastError();
        return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? FileRead::Missing
                                                                      : FileRead::Unreadable;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(f.get(), &size) || size.QuadPart > 0x7FFFFFFF) return FileRead::Unreadable;
    data.resize(static_cast<size_t>(size.QuadPart));
    size_t at = 0;
    while (at < data.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(data.size() - at, 1 << 20));
        if (!::ReadFile(f.get(), data.data() + at, want, &got, nullptr) || got == 0) {
            data.clear();
            return FileRead::Unreadable;
        }
        at += got;
    }
    return FileRead::Read;
}

bool ReplaceWholeFile(std::string_view path, const void* data, size_t size) {
    const std::wstring target = GbkToWide(path);
    const std::wstring work = target + L".new";
    {
        dvr::win::File f(::CreateFileW(work.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f) return false;
        const auto* p = static_cast<const uint8_t*>(data);
        size_t at = 0;
        bool ok = true;
        while (ok && at < size) {
            DWORD wrote = 0;
            const DWORD n = static_cast<DWORD>(std::min<size_t>(size - at, 1 << 20));
            ok = ::WriteFile(f.get(), p + at, n, &wrote, nullptr) && wrote == n;
            at += wrote;
        }
        LARGE_INTEGER written{};
        ok = ok && ::FlushFileBuffers(f.get()) && ::GetFileSizeEx(f.get(), &written) &&
             static_cast<size_t>(written.QuadPart) == size;
        if (!ok) {
            f.reset();
            ::DeleteFileW(work.c_str());
            return false;
        }
    }
    if (!::MoveFileExW(work.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(work.c_str());
        return false;
    }
    return true;
}

} // namespace vantrel
