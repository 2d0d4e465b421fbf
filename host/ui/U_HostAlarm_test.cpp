// The whole host on the simulated board, run in this process: an armed channel records the
// seconds before a motion alarm, sounds the alarm, switches an alarm box output on a serial
// port and logs the alarm; video loss raises its own alarm; the exit button's orderly stop
// writes every record the board delivered and closes every file; freeing the host ends every
// thread.
#include "host/ui/F_MainForm.h"
#include "host/ui/F_StartUp.h"
#include "host/ui/U_HostObjects.h"
#include "host/ui/exit_with_result_testing.h"
#include "host/ui/host_run_testing.h"

#include "common/win/handles.h"
#include "host/engine/U_PtyPair_test.h"
#include "sdk/dorsk/dorsk_api.h"
#include "player/format/stream_format.h"
#include "sim/brevix32/SimCtl.h"
#include "sim/brevix32/board_layout.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace vantrel {
namespace {

// Host COM7 is the alarm box's port; the box's end is COM8.
constexpr int kBoxHostCom = 7;
constexpr int kBoxDeviceCom = 8;
constexpr uint8_t kBoxAddress = 3;

std::wstring AlarmRunBinFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\') + 1);
}

std::wstring AlarmRunEnv(const wchar_t* name) {
    wchar_t value[2048] = {};
    return ::GetEnvironmentVariableW(name, value, 2048) ? std::wstring(value) : std::wstring();
}

using testing::WaitUntil;

// One second of a loud 1 kHz tone, 8 kHz 16-bit mono.
void WriteToneWav(const std::wstring& path) {
    std::vector<int16_t> pcm(8000);
    for (size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = int16_t(20000 * std::sin(2 * 3.14159265 * 1000 * double(i) / 8000));
    const uint32_t data = uint32_t(pcm.size() * 2);
    std::vector<uint8_t> wav(44 + data);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&wav[at], &v, 4); };
    auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&wav[at], &v, 2); };
    std::memcpy(&wav[0], "RIFF", 4);
    put32(4, 36 + data);
    std::memcpy(&wav[8], "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);
    put16(22, 1);
    put32(24, 8000);
    put32(28, 16000);
    put16(32, 2);
    put16(34, 16);
    std::memcpy(&wav[36], "data", 4);
    put32(40, data);
    std::memcpy(&wav[44], pcm.data(), data);
    dvr::win::File f(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD put = 0;
    ::WriteFile(f.get(), wav.data(), DWORD(wav.size()), &put, nullptr);
}

LONGLONG FileSizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a)) return 0;
    return (LONGLONG(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

// Samples of the sound sink's s16le capture beyond `from` whose level is far from silence.
int LoudSamplesSince(const std::wstring& capture, LONGLONG from) {
    dvr::win::File f(::CreateFileW(capture.c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
    if (!f) return 0;
    LARGE_INTEGER at;
    at.QuadPart = from & ~LONGLONG(1);
    ::SetFilePointerEx(f.get(), at, nullptr, FILE_BEGIN);
    std::vector<int16_t> pcm(1 << 20);
    DWORD got = 0;
    ::ReadFile(f.get(), pcm.data(), DWORD(pcm.size() * 2), &got, nullptr);
    int loud = 0;
    for (DWORD i = 0; i < got / 2; ++i)
        loud += std::abs(int(pcm[i])) > 4000;
    return loud;
}

using testing::OpensExclusively;
using testing::ReadWholeWinFile;
using testing::RecordingWalk;
using testing::WalkRecording;

// Time stamp of a routed record, when it starts with a record head.
bool RecordStamp(const std::vector<uint8_t>& data, int32_t length, uint32_t& stamp) {
    if (length < int32_t(sizeof(dvr::FrameHead))) return false;
    dvr::FrameHead head;
    std::memcpy(&head, data.data(), sizeof head);
    if (std::memcmp(head.magic, dvr::kFrameHeadMagic, 4) != 0) return false;
    stamp = head.timeStamp;
    return true;
}

std::set<DWORD> ProcessThreads() {
    std::set<DWORD> ids;
    dvr::win::Handle snap(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 t{};
    t.dwSize = sizeof t;
    for (BOOL ok = ::Thread32First(snap.get(), &t); ok; ok = ::Thread32Next(snap.get(), &t))
        if (t.th32OwnerProcessID == ::GetCurrentProcessId()) ids.insert(t.th32ThreadID);
    return ids;
}

// Where a thread started: the module holding its start address.
std::string ThreadOrigin(DWORD id) {
    using QueryThread = LONG(WINAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
    static auto query = reinterpret_cast<QueryThread>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
    dvr::win::Handle thread(::OpenThread(THREAD_QUERY_INFORMATION, FALSE, id));
    void* start = nullptr;
    if (!query || !thread || query(thread.get(), 9, &start, sizeof start, nullptr) != 0)
        return "?";
    HMODULE module = nullptr;
    char name[MAX_PATH] = "?";
    if (::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                 GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             static_cast<LPCSTR>(start), &module))
        ::GetModuleFileNameA(module, name, MAX_PATH);
    char text[MAX_PATH + 32];
    std::snprintf(text, sizeof text, "%s+%p", name, start);
    return text;
}

bool IsSoundSystemThread(DWORD id) {
    std::string origin = ThreadOrigin(id);
    for (char& c : origin)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    for (const char* module : {"\\mmdevapi.dll+", "\\winepulse.drv+", "\\winmm.dll+", "\\dsound.dll+"})
        if (origin.find(module) != std::string::npos) return true;
    return false;
}

// Records the board had delivered for the normal recording's channel when the shutdown's
// first pause began (the stream callback is closed by then), counted once the board has
// carried out the commands sent before it: its thread may not have run since.
std::atomic<int> DeliveredAtFirstPause{-1};
void PauseCountingDelivery(DWORD ms) {
    if (DeliveredAtFirstPause.load() < 0) {
        SimCtl_WaitCommandsObeyed(0, 30000);
        DeliveredAtFirstPause.store(SimCtl_GetRecordCount(0, 1));
    }
    ::Sleep(ms);
}

// The exit button's questions, each answered Yes.
std::mutex ExitQuestionsLock;
std::vector<std::wstring> ExitQuestions;
int AnswerYes(HWND, const wchar_t* text, const wchar_t*, UINT) {
    std::lock_guard guard(ExitQuestionsLock);
    ExitQuestions.emplace_back(text);
    return IDYES;
}
std::atomic<int> WindowsExits{0};
void CountWindowsExit(bool) {
    ++WindowsExits;
}

// What the watcher saw while the host ran.
struct AlarmRun {
    std::atomic<bool> done{false};
    std::vector<std::string> failures;
    std::mutex lock;
    void Fail(const std::string& what) {
        std::lock_guard guard(lock);
        failures.push_back(what);
    }
    std::wstring capture;
    bool preAlarmStampKnown = false;
    uint32_t preAlarmStamp = 0;
    std::string alarmFile, normalFile;
    int normalStartCount = 0;
    bool armed = false, alarming = false, alarmRecording = false, videoLossAlarm = false;
    std::string boxBytes, boxExpected;
    int loud = -1;
    std::vector<TWorkLogRecord> log;
};

void WatchAlarmRun(AlarmRun& run) {
    // The logon prompt of the first show is answered with Cancel.
    testing::CancelledLogon& cancel = testing::CancelledLogonPrompt();
    if (!testing::WaitForHostUp([] { return Host->WorkState && Host->UDPMessageClient; })) {
        run.Fail("the host did not come up");
        return;
    }
    THost& h = *Host;
    int logStart = 0;
    testing::AccountLogon logon;
    h.Synchronize([&] {
        logStart = h.WorkLog->GetRecordCount();
        MainForm->LogonPrompt = &logon;
        MainForm->Unlock();
        MainForm->LogonPrompt = &cancel;
        for (int ch = 0; ch < 3; ++ch) {
            h.CaptureSet->Records[size_t(ch)].FirstDrive = 'R';
            h.CaptureSet->Records[size_t(ch)].LastDrive = 'R';
            h.AlarmSet->Records[size_t(ch)] = TAlarmSetRecord{};
        }
        TAlarmSetRecord& motion = h.AlarmSet->Records[0];
        motion.MotionOn = 1;
        motion.MotionSound = 1;
        motion.Sensitivity = 3;
        motion.PreRecord = 1;
        motion.RecordOnAlarm = 1;
        motion.LinkedChannels[0] = 1;
        motion.OutputToBox = 1;
        motion.OutBoxType = 1;
        motion.OutBoxPort = kBoxHostCom - 1;
        motion.OutBoxAddress = kBoxAddress;
        motion.OutputMap[1][2] = 1;
        motion.AlarmHoldSeconds = 60;
        motion.RecordDelaySeconds = 60;
        TAlarmSetRecord& loss = h.AlarmSet->Records[2];
        loss.VideoLossOn = 1;
        loss.AlarmHoldSeconds = 60;
        h.Alarm->ApplyAreaSettings();
        run.normalStartCount = SimCtl_GetRecordCount(0, 1);
        h.StartChannel(1, ')', 0);
        run.normalFile = h.Capture->Slots[1].FileName;
        h.StartDetection(0, -1);
        h.StartDetection(2, -1);
        run.armed = h.Armed(0) && h.Armed(2);
    });
    if (!run.armed) run.Fail("StartDetection did not arm channels 0 and 2");

    // The pre-alarm buffer fills while nothing happens; its oldest record is two seconds or
    // more before the alarm.
    TPreAlarm& pre = h.Capture->PreAlarm[0];
    if (!WaitUntil([&] { return pre.PreAlarmChain && pre.PreAlarmChain->VideoCount() >= 50; },
                   60000))
        run.Fail("the pre-alarm buffer never held two seconds");
    {
        std::lock_guard guard(h.Capture->Locks[0]);
        // The oldest picture (a stream header may come first).
        const TChainNode* node = pre.PreAlarmChain ? pre.PreAlarmChain->Head() : nullptr;
        for (int i = 0; node && i < pre.PreAlarmChain->Count() && !run.preAlarmStampKnown;
             ++i, node = node->Next)
            run.preAlarmStampKnown = node->FrameType != kFrameTypeAudio &&
                                     RecordStamp(node->Data, node->Length, run.preAlarmStamp);
    }

    testing::Peer box(kBoxDeviceCom, 30, 500);
    const LONGLONG soundFrom = run.capture.empty() ? 0 : FileSizeOf(run.capture);
    SimCtl_SetMotion(0, 0, 100, 250);
    run.alarming = WaitUntil([&] { return h.Alarm->Alarming[0] != 0; }, 30000);
    run.alarmRecording = WaitUntil(
        [&] {
            std::lock_guard guard(h.Capture->Locks[0]);
            if (!h.Capture->Slots[0].FileOpen || h.Capture->Slots[0].RecordingType != 1)
                return false;
            run.alarmFile = h.Capture->Slots[0].FileName;
            return true;
        },
        30000);
    WaitUntil(
        [&] {
            run.boxBytes += box.Read();
            return run.boxBytes.find(run.boxExpected) != std::string::npos;
        },
        20000);
    if (!run.capture.empty()) {
        WaitUntil([&] { return (run.loud = LoudSamplesSince(run.capture, soundFrom)) > 1000; },
                  20000);
    }
    SimCtl_SetVideoPresent(0, 2, 0);
    run.videoLossAlarm = WaitUntil([&] { return h.Alarm->Alarming[2] != 0; }, 30000);
    SimCtl_SetMotion(0, 0, 100, 0);
    // The alarm lines reach the log before the host stops.
    auto logged = [&](int event, int channel) {
        for (const TWorkLogRecord& r : run.log)
            if (r.Event == event && r.HostChannel == channel) return true;
        return false;
    };
    WaitUntil(
        [&] {
            const int count = h.WorkLog->GetRecordCount();
            run.log.assign(size_t(std::max(count - logStart, 0)), TWorkLogRecord{});
            if (!run.log.empty())
                run.log.resize(size_t(h.WorkLog->ReadRecords(logStart, run.log.data(),
                                                             int(run.log.size()))));
            return logged(18, 0) && logged(20, 0) && logged(18, 2) && logged(19, 2);
        },
        30000);
    // The operator ends the program with the exit button: the orderly stop with its real
    // pauses, answering Yes to both questions (return to Windows).
    static testing::AccountLogon exitLogon;
    HWND exitButton = nullptr;
    h.Synchronize([&] {
        MainForm->Hooks.Pause = PauseCountingDelivery;
        MainForm->Hooks.MessageBox = AnswerYes;
        MainForm->Hooks.ExitWindows = CountWindowsExit;
        MainForm->LogonPrompt = &exitLogon;
        exitButton = MainForm->im_ExitSystem->WindowHandle();
    });
    ::PostMessageW(exitButton, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::PostMessageW(exitButton, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

TEST(HostAlarmRun, MotionRecordsWithPreAlarmSoundsSwitchesTheBoxAndShutdownLosesNothing) {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\WorkState");
    ::DeleteFileW((AlarmRunBinFolder() + L"OEM.txt").c_str());
    // Drive R: holds this run's recordings.
    ASSERT_TRUE(testing::MapFreshDriveR(L"vantrel-alarm-run")) << "runs in the test session";
    WriteToneWav(AlarmRunBinFolder() + L"VD.WAV");
    WriteToneWav(AlarmRunBinFolder() + L"VL.WAV");
    testing::PtyPair pair(kBoxHostCom, kBoxDeviceCom);
    ASSERT_TRUE(pair.Ready());

    AlarmRun run;
    const std::wstring capture = AlarmRunEnv(L"DVR_SOUND_CAPTURE");
    if (!capture.empty()) run.capture = testing::PrefixPath(L"", capture.substr(1));
    uint8_t outputs[kBoxPoints] = {};
    outputs[2] = 1;
    for (const BoxFrame& frame : AlarmBoxOutputFrames(1, kBoxAddress, outputs))
        run.boxExpected.append(frame.begin(), frame.end());
    ASSERT_FALSE(run.boxExpected.empty());

    // The test framework watches this thread's thread-local values from a thread of its own,
    // started on first use: before the count.
    SCOPED_TRACE("alarm run");
    const std::set<DWORD> threadsBefore = ProcessThreads();
    HANDLE watcher = ::CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            WatchAlarmRun(*static_cast<AlarmRun*>(p));
            return 0;
        },
        &run, 0, nullptr);
    dvr::win::Thread owned(watcher);
    const int code = ProgramMain();
    ASSERT_EQ(::WaitForSingleObject(watcher, 60000), WAIT_OBJECT_0);
    ASSERT_EQ(code, 0);
    for (const std::string& f : run.failures)
        ADD_FAILURE() << f;
    ASSERT_TRUE(run.armed);
    EXPECT_TRUE(run.alarming);
    ASSERT_TRUE(run.alarmRecording);
    EXPECT_TRUE(run.videoLossAlarm);
    EXPECT_NE(run.boxBytes.find(run.boxExpected), std::string::npos)
        << "the box got " << run.boxBytes.size() << " bytes";
    if (!run.capture.empty()) {
        EXPECT_GT(run.loud, 1000) << "the alarm sound was not heard";
    }

    auto logged = [&](int event, int channel, int index) {
        for (const TWorkLogRecord& r : run.log)
            if (r.Event == event && r.HostChannel == channel &&
                (index < 0 || r.AlarmPoint == index))
                return true;
        return false;
    };
    EXPECT_TRUE(logged(18, 0, -1)) << "detection armed on channel 1";
    EXPECT_TRUE(logged(20, 0, 0)) << "motion alarm in area 1";
    EXPECT_TRUE(logged(19, 2, 0)) << "video loss on channel 3";

    // The exit button asked first, then whether to return to Windows; Yes left Windows running.
    {
        std::lock_guard guard(ExitQuestionsLock);
        ASSERT_EQ(ExitQuestions.size(), 2u);
        EXPECT_EQ(ExitQuestions[0], L"你要关闭系统吗？");
        EXPECT_EQ(ExitQuestions[1].rfind(L"要返回操作系统吗？", 0), 0u);
    }
    EXPECT_EQ(WindowsExits.load(), 0);
    EXPECT_TRUE(MainForm->ShutdownDone);

    // The alarm file begins with what the pre-alarm buffer held before the motion.
    ASSERT_TRUE(OpensExclusively(run.alarmFile)) << run.alarmFile;
    const RecordingWalk alarm = WalkRecording(ReadWholeWinFile(run.alarmFile));
    EXPECT_TRUE(alarm.whole);
    EXPECT_GT(alarm.records, 50);
    ASSERT_TRUE(run.preAlarmStampKnown);
    EXPECT_LE(alarm.firstVideoStamp, run.preAlarmStamp);

    // The normal recording holds every record the board delivered for its channel.
    ASSERT_FALSE(run.normalFile.empty());
    ASSERT_TRUE(OpensExclusively(run.normalFile)) << run.normalFile;
    const RecordingWalk normal = WalkRecording(ReadWholeWinFile(run.normalFile));
    EXPECT_TRUE(normal.whole);
    EXPECT_GT(normal.records, 25);
    // Every picture the board's ring took for it since the start is in the file: the ring was
    // emptied into the file before the capture stop, which throws away what it still holds.
    RU4DovFramesStatistics taken{};
    ASSERT_EQ(RU4Dov_GetFramesStatistics(Host->VideoCard->ChannelHandle(1), &taken), 0);
    EXPECT_LE(taken.pictures - normal.pictures, 3)
        << "the ring took " << taken.pictures << " pictures, the file holds " << normal.pictures;
    EXPECT_GE(taken.pictures, normal.pictures);
    // The board delivered nothing more for it once the stream callback had closed.
    EXPECT_EQ(DeliveredAtFirstPause.load(), SimCtl_GetRecordCount(0, 1));
    // Once the callback closed nothing reads the board's rings. The capture stop emptied and
    // closed them; only a motion grid of an armed channel opens one again (the callback, open
    // until every recording is finished, may have read that grid), and what follows is what
    // the board made before it obeyed the stop: how much depends on how soon its thread and
    // the slot reader run, but never a second of pictures (the shutdown's pauses alone last
    // longer, so a capture left running leaves far more), nor a stream header (a capture
    // started again).
    EXPECT_TRUE(CallbackClosing);
    for (int ch : {0, 1}) {
        std::vector<uint8_t> buffer(kStreamReadBufferSize);
        std::vector<int> types;
        for (int i = 0; i < 10000; ++i) {
            int length = int(buffer.size()), type = 0;
            if (RU4Dov_ReadStreamData(Host->VideoCard->ChannelHandle(ch), buffer.data(), &length,
                                      &type) < 0)
                break;
            types.push_back(type);
        }
        std::string seen;
        for (int type : types)
            seen += " " + std::to_string(type);
        const auto grids = std::count(types.begin(), types.end(), kFrameTypeMotion);
        const auto headers = std::count(types.begin(), types.end(), kFrameTypeHeader);
        const auto others = std::ptrdiff_t(types.size()) - grids;
        EXPECT_EQ(headers, 0) << "channel " << ch + 1 << " left:" << seen;
        EXPECT_LT(others, 25) << "channel " << ch + 1 << " left:" << seen;
        // Channel 2 is not armed: nothing opens its ring again.
        if (ch == 1) EXPECT_TRUE(types.empty()) << "channel 2 left:" << seen;
    }
    // The board's capture of both channels ended with a stop.
    for (int sub : {0, 1}) {
        int last = -1;
        for (int i = SimCtl_GetCommandCount(0) - 1; i >= 0 && last < 0; --i) {
            uint32_t words[BREVIX_MESSAGE_WORDS] = {};
            if (SimCtl_GetCommand(0, i, words) == BREVIX_OK &&
                sim::CommandCode(words[0]) == sim::kCmdCapture &&
                sim::CommandSub(words[0]) == sub)
                last = sim::CommandValue(words[0]);
        }
        EXPECT_EQ(last, 0) << "last capture command of channel " << sub + 1;
    }

    // Freeing the host ends every thread it started. Wine's sound system keeps threads of its
    // own once a sound has played.
    delete Host;
    Host = nullptr;
    std::set<DWORD> left;
    WaitUntil(
        [&] {
            left.clear();
            for (DWORD id : ProcessThreads())
                if (!threadsBefore.count(id) && !IsSoundSystemThread(id)) left.insert(id);
            return left.empty();
        },
        20000);
    std::string origins;
    for (DWORD id : left)
        origins += " " + ThreadOrigin(id);
    EXPECT_TRUE(left.empty()) << left.size() << " thread(s) still running:" << origins;
}

} // namespace
} // namespace vantrel
