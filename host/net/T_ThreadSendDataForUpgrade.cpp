#include "host/net/T_ThreadSendDataForUpgrade.h"

#include "common/win/handles.h"
#include "common/win/textconv.h"

#include <thread>
#include <vector>

namespace vantrel {

namespace {

// The whole chunk, 1 ms between attempts that take nothing, at most 5000 of them.
bool SendChunk(TMsgConnection& c, const char* data, int length) {
    int done = 0, idle = 0;
    while (done < length) {
        const int n = c.SendBuf(data + done, length - done);
        if (n > 0) {
            done += n;
            continue;
        }
        if (++idle > 5000) return false;
        ::Sleep(1);
    }
    return true;
}

} // namespace

void TThreadSendDataForUpgrade::Create(std::string path, TMsgConnectionPtr connection,
                                       HWND window) {
    std::thread([path = std::move(path), connection = std::move(connection), window] {
        ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
        dvr::win::File file(::CreateFileW(dvr::win::GbkToWide(path).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            connection->Close();
            ::PostMessageW(window, WM_UPGRADEFILEDONE, static_cast<WPARAM>(-1), 0);
            return;
        }
        LARGE_INTEGER size{};
        ::GetFileSizeEx(file.get(), &size);
        ::PostMessageW(window, WM_UPGRADEFILELENGTH, static_cast<WPARAM>(size.QuadPart), 0);
        const size_t slash = path.rfind('\\');
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        if (!SendChunk(*connection, name.data(), static_cast<int>(name.size()))) return;
        ::Sleep(200);
        std::vector<char> chunk(4096);
        for (;;) {
            DWORD got = 0;
            if (!::ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got,
                            nullptr) ||
                got == 0)
                break;
            if (!SendChunk(*connection, chunk.data(), static_cast<int>(got))) return;
            ::PostMessageW(window, WM_UPGRADEPROGRESS, got, 0);
        }
        file.reset();
        connection->Close();
        ::PostMessageW(window, WM_UPGRADEFILEDONE, 0, 0);
    }).detach();
}

} // namespace vantrel
