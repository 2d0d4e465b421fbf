#include <ddraw.h>

#include "player/lib/play_port.h"

namespace dvr::strovid {

PlayPort (&PortTable)[kPortCount] = *new PlayPort[1][kPortCount];
std::atomic<int> PlayerErrorCode{0};

// The stream lock and the DirectDraw lock, and one semaphore per port (count 1,
// maximum 1): created at load, closed at unload.
win::Mutex StreamLock;
win::Mutex DirectDrawLock;

namespace {

win::Handle PortSemaphores[kPortCount];

} // namespace

bool CheckPort(int port) {
    if (ValidPort(port)) return true;
    SetPlayerError(kErrorBadPort);
    return false;
}

PortLock::PortLock(int port) : sem_(PortSemaphores[port].get()) {
    ::WaitForSingleObject(sem_, INFINITE);
}

PortLock::~PortLock() {
    ::ReleaseSemaphore(sem_, 1, nullptr);
}

void LoadLibraryState() {
    DirectDrawLock.reset(::CreateMutexW(nullptr, FALSE, nullptr));
    StreamLock.reset(::CreateMutexW(nullptr, FALSE, nullptr));
    for (auto& sem : PortSemaphores)
        sem.reset(::CreateSemaphoreW(nullptr, 1, 1, nullptr));
}

void DestroyPortTable() {
    delete[] &PortTable;
}

void UnloadLibraryState() {
    ReleaseDirectDraw();
    DirectDrawLock.reset();
    StreamLock.reset();
    for (auto& sem : PortSemaphores)
        sem.reset();
}

} // namespace dvr::strovid

using namespace dvr::strovid;

extern "C" {

int WINAPI RE4Ravi_GetSdkVersion() {
    return kSdkVersion;
}

int WINAPI RE4Ravi_GetCaps() {
    LPDIRECTDRAW raw = nullptr;
    if (FAILED(::DirectDrawCreate(nullptr, &raw, nullptr)) || !raw) return 0;
    dvr::win::ComPtr<IDirectDraw> dd(raw);
    DDCAPS hw{};
    hw.dwSize = sizeof hw;
    DDCAPS hel{};
    hel.dwSize = sizeof hel;
    if (FAILED(dd->GetCaps(&hw, &hel))) return 0;
    int caps = 0x01;
    if (hw.dwCaps & DDCAPS_BLT) caps |= 0x02;
    if (hw.dwCaps & DDCAPS_BLTFOURCC) caps |= 0x04;
    if (hw.dwFXCaps & DDFXCAPS_BLTSHRINKX) caps |= 0x08;
    if (hw.dwFXCaps & DDFXCAPS_BLTSHRINKY) caps |= 0x10;
    if (hw.dwFXCaps & DDFXCAPS_BLTSTRETCHX) caps |= 0x20;
    if (hw.dwFXCaps & DDFXCAPS_BLTSTRETCHY) caps |= 0x40;
    if (__builtin_cpu_supports("mmx")) caps |= 0x80;
    return caps;
}

int WINAPI RE4Ravi_GetLastError(int port) {
    if (!CheckPort(port)) return 0;
    return PlayerErrorCode.load(std::memory_order_relaxed);
}

int WINAPI RE4Ravi_InitDDraw(HWND) {
    return 1;
}

int WINAPI RE4Ravi_RealeseDDraw() {
    return 1;
}

int WINAPI RE4Ravi_RefreshPlay(int port) {
    return CheckPort(port) ? 1 : 0;
}

int WINAPI DoPerSkipForward(int) {
    return 1;
}

} // extern "C"
