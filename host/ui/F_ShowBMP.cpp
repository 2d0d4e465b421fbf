#include "host/ui/F_ShowBMP.h"

#include "host/ui/U_ReplayRules.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"

#include <windows.h>

#include <cstdio>

namespace vantrel {

using dvr::win::GbkToWide;
using dvr::win::WideToGbk;

namespace {
std::string LocalStamp(const FILETIME& ft) {
    FILETIME local;
    SYSTEMTIME st;
    if (!::FileTimeToLocalFileTime(&ft, &local) || !::FileTimeToSystemTime(&local, &st)) return {};
    char text[20];
    std::snprintf(text, sizeof text, "%04u%02u%02u%02u%02u%02u", st.wYear, st.wMonth, st.wDay,
                  st.wHour, st.wMinute, st.wSecond);
    return text;
}

std::string FindIn(const std::string& folder, const std::string& snapshotName) {
    WIN32_FIND_DATAW data;
    dvr::win::FindHandle find(::FindFirstFileW(GbkToWide(folder + "*").c_str(), &data));
    if (!find) return {};
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::string name = WideToGbk(data.cFileName);
        if (RecordingCovers(name, LocalStamp(data.ftLastWriteTime), snapshotName))
            return folder + name;
    } while (::FindNextFileW(find.get(), &data));
    return {};
}
} // namespace

std::string FindSnapshotRecording(const std::string& snapshotPath) {
    const size_t slash = snapshotPath.rfind('\\');
    if (slash == std::string::npos) return {};
    const std::string name = snapshotPath.substr(slash + 1);
    std::string found = FindIn(RecordingFolderFor(snapshotPath, 'C'), name);
    if (found.empty()) found = FindIn(RecordingFolderFor(snapshotPath, 'A'), name);
    return found;
}

} // namespace vantrel
