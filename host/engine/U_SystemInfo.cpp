#include "host/engine/U_SystemInfo.h"

#include "common/win/textconv.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>

namespace vantrel {

TSystemInfo::TSystemInfo(TArithmetic& arithmetic, const TNetClientSet& netClientSet,
                         int boardChannels)
    : arithmetic_(arithmetic), netClientSet_(netClientSet), boardChannels_(boardChannels) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    path.resize(path.find_last_of(L"\\/") + 1);
    ProgramPath = dvr::win::WideToGbk(path);
    UpdateChannelLayout();
    ReadLocalAddresses(HostName, LocalIPs);
    if (!LocalIPs.empty()) OwnIP = LocalIPs.front();
}

void TSystemInfo::UpdateChannelLayout() {
    ChannelCount = std::clamp(boardChannels_ + netClientSet_.NetChannelCount, 0, kMaxChannels);
    PaneRects.assign(static_cast<size_t>(ChannelCount), PaneRect{});
    if (ChannelCount == 0) return;
    const int panes = arithmetic_.LayoutPanes(VideoArea, PaneRects.data(), ChannelCount - 1);
    PaneRects.assign(static_cast<size_t>(panes), PaneRect{});
    arithmetic_.LayoutPanes(VideoArea, PaneRects.data(), panes - 1);
}

void ReadLocalAddresses(std::string& hostName, std::vector<std::string>& addresses) {
    hostName.clear();
    addresses.clear();
    WSADATA wsa{};
    if (::WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return;
    char name[256] = {};
    if (::gethostname(name, 255) == 0) {
        name[254] = '\0';
        hostName = name;
        ADDRINFOA hints{};
        hints.ai_family = AF_INET;
        ADDRINFOA* list = nullptr;
        if (::getaddrinfo(name, nullptr, &hints, &list) == 0) {
            for (ADDRINFOA* a = list; a; a = a->ai_next) {
                if (a->ai_family != AF_INET) continue;
                char text[INET_ADDRSTRLEN] = {};
                auto* sin = reinterpret_cast<sockaddr_in*>(a->ai_addr);
                if (::inet_ntop(AF_INET, &sin->sin_addr, text, sizeof(text))) {
                    // getaddrinfo repeats an address once per socket type.
                    if (std::find(addresses.begin(), addresses.end(), text) == addresses.end())
                        addresses.emplace_back(text);
                }
            }
            ::freeaddrinfo(list);
        }
    }
    ::WSACleanup();
}

} // namespace vantrel
