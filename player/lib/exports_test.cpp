#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/testing/testdata.h"
#include <vector>

namespace {

// Every call a program binds by name, from either DLL.
const char* const kExportNames[] = {
    "RE4Ravi_GetSdkVersion",
    "RE4Ravi_GetCaps",
    "RE4Ravi_GetLastError",
    "RE4Ravi_InitDDraw",
    "RE4Ravi_RealeseDDraw",
    "RE4Ravi_RefreshPlay",
    "DoPerSkipForward",
    "ReadOneFrameEx",
    "ReadOneFrameExIndex",
    "RE4Ravi_GetFileTotalTime",
    "RE4Ravi_GetFileHeadLength",
    "RE4Ravi_GetPictureSize",
    "RE4Ravi_GetCurrentFrameRate",
    "RE4Ravi_OpenFile",
    "RE4Ravi_OpenFileEx",
    "RE4Ravi_CloseFile",
    "Init_DecodeParam",
    "RE4Ravi_SetFileRefCallBack",
    "RE4Ravi_GetFileTotalFrames",
    "RE4Ravi_GetFileTime",
    "RE4Ravi_GetKeyFramePos",
    "RE4Ravi_GetNextKeyFramePos",
    "RE4Ravi_Play",
    "RE4Ravi_Stop",
    "RE4Ravi_Pause",
    "RE4Ravi_SetPlaySpeed",
    "RE4Ravi_Fast",
    "RE4Ravi_Slow",
    "RE4Ravi_OneByOne",
    "RE4Ravi_ThrowBFrameNum",
    "RE4Ravi_SetFileEndMsg",
    "RE4Ravi_SetRoundPlay",
    "RE4Ravi_SetDisplayCallBack",
    "RE4Ravi_GetCurrentFrameNum",
    "RE4Ravi_GetPlayPos",
    "RE4Ravi_GetPlayedTime",
    "RE4Ravi_GetPlayedTimeEx",
    "QEL_CreateVideoPlayThread",
    "QEL_DecodeOneFrame",
    "RE4Ravi_SetPlayPos",
    "RE4Ravi_SetCurrentFrameNum",
    "RE4Ravi_SetPlayedTimeEx",
    "RE4Ravi_OneByOneBack",
    "RE4Ravi_SetStreamOpenMode",
    "RE4Ravi_OpenStream",
    "RE4Ravi_InputData",
    "RE4Ravi_CloseStream",
    "RE4Ravi_ResetSourceBuffer",
    "RE4Ravi_GetSourceBufferRemain",
    "RE4Ravi_SetSourceBufCallBack",
    "RE4Ravi_ResetSourceBufFlag",
    "RE4Ravi_DirectDraw",
    "QEL_SetSrcAndDstRect",
    "RE4Ravi_LocalZoom",
    "RE4Ravi_SetOverlayMode",
    "RE4Ravi_GetOverlayMode",
    "RE4Ravi_GetColorKey",
    "RE4Ravi_ChangeBright",
    "RE4Ravi_ChangeContrast",
    "RE4Ravi_SetPicQuality",
    "RE4Ravi_GetPictureQuality",
    "RE4Ravi_SetDecCallBack",
    "RE4Ravi_SetDisplayBuf",
    "RE4Ravi_GetDisplayBuf",
    "RE4Ravi_ConvertToBmpFile",
    "RE4Ravi_PlaySound",
    "RE4Ravi_PlaySoundShare",
    "RE4Ravi_StopSound",
    "RE4Ravi_StopSoundShare",
    "RE4Ravi_SetVolume",
    "RE4Ravi_GetVolume",
    "InitDecoder",
    "FreeDecoder",
    "DecoderOneFrame",
    "GetYUV",
    "GetWH",
    "TransYUVtoRGB",
    "SetVideoFormat",
    "SetPostProcess",
    "SetFlip",
    "SetBright",
    "SetContrast",
    "SetBFrameType",
    "GetThrowBNum",
    "TestIfNeedMMX",
};
static_assert(sizeof kExportNames / sizeof kExportNames[0] == 85);

class Exports : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(Exports, EveryCallResolvesByNameAndTheDecoderCallsWork) {
    HMODULE lib = ::LoadLibraryW(GetParam());
    ASSERT_NE(lib, nullptr) << ::GetLastError();
    std::vector<std::string> missing;
    for (const char* name : kExportNames)
        if (!::GetProcAddress(lib, name)) missing.push_back(name);
    EXPECT_TRUE(missing.empty()) << missing.size() << " missing, first " << missing.front();

    // The decoder calls through the table, as an outside program drives them.
    using Init = int(WINAPI*)(uint8_t**, uint8_t**, int, int);
    using WH = int(WINAPI*)(int, int*, int*);
    using Free = int(WINAPI*)(int);
    using Version = int(WINAPI*)();
    auto find = [lib](const char* name) {
        return reinterpret_cast<void*>(::GetProcAddress(lib, name));
    };
    auto init = reinterpret_cast<Init>(find("InitDecoder"));
    auto wh = reinterpret_cast<WH>(find("GetWH"));
    auto freeDecoder = reinterpret_cast<Free>(find("FreeDecoder"));
    auto version = reinterpret_cast<Version>(find("RE4Ravi_GetSdkVersion"));
    if (init && wh && freeDecoder && version) {
        EXPECT_EQ(version(), 0x02200100);
        uint8_t* input = nullptr;
        uint8_t* rgb = nullptr;
        const int h = init(&input, &rgb, 352, 288);
        EXPECT_GE(h, 1000);
        EXPECT_LE(h, 1015);
        EXPECT_NE(input, nullptr);
        int w = 0, ht = 0;
        EXPECT_EQ(wh(h, &w, &ht), 1);
        EXPECT_EQ(w, 352);
        EXPECT_EQ(ht, 288);
        EXPECT_EQ(freeDecoder(h), 1);
        EXPECT_EQ(wh(h, &w, &ht), 0); // freed: the handle is unknown
    }
    ::FreeLibrary(lib);
}

INSTANTIATE_TEST_SUITE_P(BothNames, Exports, ::testing::Values(L"Strovid.dll", L"StrovidApi.dll"));

constexpr char kExitChild[] = "DVR_STROVID_EXIT_CHILD";
constexpr UINT kChildExitCode = 7;

// Run only as the child of the test below: a program that ends while a port of the library
// is playing a recording in a window, without stopping it first.
TEST(ExitWhilePlaying, Child) {
    if (!std::getenv(kExitChild)) GTEST_SKIP() << "started by ExitWhilePlaying.EndsAtOnce";
    HMODULE lib = ::LoadLibraryW(L"Strovid.dll");
    ASSERT_NE(lib, nullptr);
    using OpenFile = int(WINAPI*)(int, const char*);
    using Play = int(WINAPI*)(int, HWND);
    auto open = reinterpret_cast<OpenFile>(
        reinterpret_cast<void*>(::GetProcAddress(lib, "RE4Ravi_OpenFile")));
    auto play = reinterpret_cast<Play>(reinterpret_cast<void*>(::GetProcAddress(lib, "RE4Ravi_Play")));
    ASSERT_TRUE(open && play);
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 352, 288,
                                    nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(open(3, dvr::testing::TestDataPath("cif_ip.MPG").c_str()), 1);
    ASSERT_EQ(play(3, window), 1);
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 700) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        ::Sleep(10);
    }
    std::fflush(stdout);
    ::ExitProcess(kChildExitCode);
}

// The library's drawing objects are left to the system at exit: released then, with the
// play thread already gone, the release waited for that thread for ever.
TEST(ExitWhilePlaying, EndsAtOnce) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=ExitWhilePlaying.Child";
    ::SetEnvironmentVariableA(kExitChild, "1");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const BOOL started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0,
                                          nullptr, nullptr, &si, &pi);
    ::SetEnvironmentVariableA(kExitChild, nullptr);
    ASSERT_TRUE(started) << ::GetLastError();
    const DWORD waited = ::WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 0;
    ::GetExitCodeProcess(pi.hProcess, &code);
    if (waited != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 1);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    EXPECT_EQ(waited, WAIT_OBJECT_0) << "the program did not end";
    EXPECT_EQ(code, kChildExitCode);
}

} // namespace
