// The control against a real host on loopback: the host's live servers over the simulated
// board (channel 1 and 2 clips), its web port answering "GI" with the live port base. The
// control in a test page opens every channel (the panes show the channels' pictures on the
// screen), records channel 1 onto a drive of its own, and closes them again.
#include "webctl/control_testing.h"

#include "host/engine/U_HostRecords.h"
#include "host/net/U_UDPMessages.h"
#include "host/net/serving_host_testing.h"

#include "common/testing/testdata.h"
#include "player/format/file_reader.h"
#include "sdk/dorsk/dorsk_api.h"
#include "sim/brevix32/SimCtl.h"

#include <cstdio>
#include <algorithm>
#include <random>
#include <atomic>
#include <thread>

#include <commctrl.h>

namespace vantrel::webctl {
namespace {

using namespace vantrel::testing;
using Bytes = std::vector<uint8_t>;

constexpr int kFace[2] = {937, 693};
// The clips' background colours, channel 1 and 2.
constexpr int kClipColour[2][3] = {{0xB0, 0x20, 0x20}, {0x20, 0xA0, 0x20}};

std::wstring Env(const wchar_t* name) {
    wchar_t value[2048] = {};
    return ::GetEnvironmentVariableW(name, value, 2048) ? std::wstring(value) : std::wstring();
}

void RunUnixShell(const std::wstring& script) {
    std::wstring command = L"/bin/sh -c \"" + script + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &si, &pi))
        return;
    dvr::win::Handle process(pi.hProcess), thread(pi.hThread);
}

// Every channel of the control records onto drive `letter`: its CAPTURE records (48 bytes a
// channel) with the drive range letter..letter.
// The control's PTZ settings: channel 0 speaks protocol 5.
void StorePtzProtocol() {
    std::vector<uint8_t> record(1572, 0);
    record[1] = 5;
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQSIE\\YUTAI", 0, nullptr, 0,
                                KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(key, L"YUTAI", 0, REG_BINARY, record.data(), DWORD(record.size()));
    ::RegCloseKey(key);
}

void StoreRecordingDrive(char letter) {
    std::vector<uint8_t> image(49 * 48, 0);
    for (int c = 0; c < 49; ++c) {
        uint8_t* r = image.data() + c * 48;
        const int32_t minutes = 30;
        std::memcpy(r + 36, &minutes, 4);
        r[40] = uint8_t(letter);
        r[41] = uint8_t(letter);
    }
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQSIE\\CAPTURE", 0, nullptr, 0,
                                KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(key, L"CAPTURE", 0, REG_BINARY, image.data(), DWORD(image.size()));
    ::RegCloseKey(key);
}

// The visible panes of the face's grid (client 376 x 278 for two channels), left to right.
std::vector<HWND> GridPanes(HWND face) {
    std::vector<std::pair<int, HWND>> found;
    for (HWND c = ::GetWindow(face, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        RECT cr{}, wr{};
        ::GetClientRect(c, &cr);
        ::GetWindowRect(c, &wr);
        if (::IsWindowVisible(c) && cr.right >= 370 && cr.right <= 380 && cr.bottom >= 270 &&
            cr.bottom <= 280)
            found.emplace_back(wr.top * 10000 + wr.left, c);
    }
    std::sort(found.begin(), found.end());
    std::vector<HWND> panes;
    for (auto& f : found)
        panes.push_back(f.second);
    return panes;
}

// Share of the pane's pixels (read from the screen) near the colour.
double ColourShare(const std::vector<uint32_t>& face, int faceWidth, HWND faceWnd, HWND pane,
                   const int (&rgb)[3]) {
    RECT wr{}, fr{};
    ::GetWindowRect(pane, &wr);
    ::GetWindowRect(faceWnd, &fr);
    int n = 0, close = 0;
    for (int y = wr.top - fr.top + 4; y < wr.bottom - fr.top - 4; y += 2)
        for (int x = wr.left - fr.left + 4; x < wr.right - fr.left - 4; x += 2) {
            ++n;
            close += Near(face[size_t(y) * faceWidth + x], rgb[0], rgb[1], rgb[2], 48);
        }
    return n ? double(close) / n : 0;
}

void Click(HWND w) {
    ::PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::PostMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

HWND ChildWithText(HWND face, const wchar_t* text) {
    return ::FindWindowExW(face, nullptr, nullptr, text);
}

// A loopback UDP port standing for the host's message server: what the control sends to it.
struct MessagePort {
    dvr::win::Socket socket{::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP)};
    int port = 0;
    MessagePort() {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(socket.get(), reinterpret_cast<sockaddr*>(&a), sizeof(a));
        int len = sizeof(a);
        ::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
        u_long nonBlocking = 1;
        ::ioctlsocket(socket.get(), FIONBIO, &nonBlocking);
    }
    // Every whole PTZ command waiting; other datagrams are kept by size only.
    void Drain(std::vector<UdpMsgPtzCommand>& out, std::vector<int>& others) {
        char buf[2048];
        for (;;) {
            const int n = ::recv(socket.get(), buf, sizeof buf, 0);
            if (n < 0) return;
            if (n == int(sizeof(UdpMsgPtzCommand))) {
                UdpMsgPtzCommand m{};
                std::memcpy(&m, buf, sizeof m);
                out.push_back(m);
            } else {
                others.push_back(n);
            }
        }
    }
};

// A visible child of the face showing `text`, with its top at `top` of the face when given
// (the status pictures of the three pages share their texts; each page's lie under its
// header).
HWND VisibleChildWithText(HWND face, const wchar_t* text, int top = -1) {
    for (HWND c = ::GetWindow(face, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        wchar_t t[64] = {};
        ::GetWindowTextW(c, t, 64);
        RECT r{};
        ::GetWindowRect(c, &r);
        POINT at{r.left, r.top};
        ::ScreenToClient(face, &at);
        if (::IsWindowVisible(c) && std::wstring(t) == text && (top < 0 || at.y == top)) return c;
    }
    return nullptr;
}

// Tops of the preview, recording and alarm pages' status pictures.
constexpr int kPreviewPictures = 52, kRecordingPictures = 77, kAlarmPictures = 102;


// Answers the next popup menu of `thread` from another thread: `downs` times down, then enter.
std::thread ChooseMenuItem(DWORD thread, int downs) {
    return std::thread([thread, downs] {
        const ULONGLONG end = ::GetTickCount64() + 30000;
        HWND menu = nullptr;
        while (!(menu = ::FindWindowW(L"#32768", nullptr)) && ::GetTickCount64() < end)
            ::Sleep(20);
        if (!menu) return;
        ::Sleep(200);
        for (int i = 0; i < downs; ++i)
            ::PostThreadMessageW(thread, WM_KEYDOWN, VK_DOWN, 0);
        ::PostThreadMessageW(thread, WM_KEYDOWN, VK_RETURN, 0);
    });
}

// Answers the host cycle's dialog from another thread: every group takes part (the dialog's
// default), 5 s apart.
std::atomic<int> CycleDialogClicks{-1}; // -1: the dialog was not seen
std::thread AcceptCycleDialog() {
    return std::thread([] {
        const ULONGLONG end = ::GetTickCount64() + 30000;
        HWND dialog = nullptr;
        while (!(dialog = OwnWindowTitled(L"分控轮视设置")) && ::GetTickCount64() < end)
            ::Sleep(20);
        if (!dialog) return;
        CycleDialogClicks = 0;
        // Clicked again until the dialog is gone: a click that comes while the dialog is
        // still being filled in may be lost, and the cycle would then never start.
        while (::IsWindow(dialog) && ::IsWindowVisible(dialog) && ::GetTickCount64() < end) {
            ::Sleep(200);
            if (HWND ok = DescendantWithText(dialog, L"确定")) {
                ::PostMessageW(ok, BM_CLICK, 0, 0);
                ++CycleDialogClicks;
            }
            ::Sleep(3000);
        }
    });
}

// A host group of its own with one channel (the host's channel 1), stored before the control
// merges the page's host in front of it.
void StoreSecondGroup(int base, int messagePort) {
    TClientGroupRecord g{};
    g.Name.Set("west");
    g.HostAddress.Set("127.0.0.1");
    g.Ports.Port[0] = base;
    g.Ports.Port[14] = messagePort;
    g.OwnId = 7;
    TClientChannelRecord c{};
    c.InUse = 1;
    c.Name.Set("yard");
    c.RemoteChannel = 1;
    c.GroupId = 7;
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQSIE\\CLIENT", 0, nullptr, 0,
                                KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(key, L"GroupInfo", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&g), sizeof g);
    ::RegSetValueExW(key, L"ChannelInfo", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&c),
                     sizeof c);
    ::RegCloseKey(key);
}

// The pixel at the window's point, read from the face's screenshot.
uint32_t PixelAt(const std::vector<uint32_t>& face, int faceWidth, HWND faceWnd, HWND w, int x,
                 int y) {
    RECT wr{}, fr{};
    ::GetWindowRect(w, &wr);
    ::GetWindowRect(faceWnd, &fr);
    return face[size_t(wr.top - fr.top + y) * faceWidth + size_t(wr.left - fr.left + x)];
}

// Progress in the test's output: a crash report then says which step it came in.
void Step(const char* name) {
    std::printf("step: %s\n", name);
    std::fflush(stdout);
}

// The states the host cycle step passed through, one line at each change (at most 200): says
// which of the cycle's steps did not come.
class CycleTimeline {
public:
    void Note(int paneWidth, int viewers0, int viewers1, double share, bool enabled) {
        // Pane 1's player port: whether its queue held data since the pane last changed size.
        if (paneWidth != width_) fed_ = false;
        width_ = paneWidth;
        fed_ = fed_ || (remain_ && remain_(0) > 0);
        char line[200];
        std::snprintf(line, sizeof line,
                      "pane 1 %d wide, viewers %d %d, colour %s, face %s, port 0 %s, error %d\n",
                      paneWidth, viewers0, viewers1,
                      share > 0.5 ? "shown" : share > 0.05 ? "some" : "none",
                      enabled ? "enabled" : "disabled", fed_ ? "fed" : "not fed",
                      error_ ? error_(0) : -1);
        if (last_ == line || lines_ >= 200) return;
        last_ = line;
        ++lines_;
        text_ += std::to_string(::GetTickCount64() - start_) + " ms: " + line;
    }
    const std::string& Text() const { return text_; }

private:
    using PortQuery = int(WINAPI*)(int);
    static PortQuery Export(const char* name) {
        const HMODULE player = ::GetModuleHandleW(L"StrovidApi.dll");
        return player ? reinterpret_cast<PortQuery>(
                            reinterpret_cast<void*>(::GetProcAddress(player, name)))
                      : nullptr;
    }
    const PortQuery remain_ = Export("RE4Ravi_GetSourceBufferRemain");
    const PortQuery error_ = Export("RE4Ravi_GetLastError");
    const ULONGLONG start_ = ::GetTickCount64();
    std::string last_, text_;
    int lines_ = 0;
    int width_ = 0;
    bool fed_ = false;
};

// Frame records after the file's head(s): every one whole, up to the end of the file.
int WholeRecords(const Bytes& s, size_t& end) {
    size_t at = 0;
    int n = 0;
    while (at + 19 <= s.size() && s[at] == 0 && s[at + 1] == 0 && s[at + 2] == 1) {
        if (s[at + 3] == 0xC6) {
            at += 19;
            continue;
        }
        if (s[at + 3] != 0xC7 || at + 18 > s.size()) break;
        uint32_t length = 0;
        std::memcpy(&length, &s[at + 14], 4);
        if (at + 18 + length > s.size()) break;
        at += 18 + length;
        ++n;
    }
    end = at;
    return n;
}

std::vector<std::string> FilesUnder(const std::string& folder) {
    std::vector<std::string> out;
    WIN32_FIND_DATAA d{};
    HANDLE h = ::FindFirstFileA((folder + "\\*").c_str(), &d);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        const std::string name = d.cFileName;
        if (name == "." || name == "..") continue;
        if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            for (auto& f : FilesUnder(folder + "\\" + name))
                out.push_back(f);
        } else {
            out.push_back(folder + "\\" + name);
        }
    } while (::FindNextFileA(h, &d));
    ::FindClose(h);
    return out;
}

TEST_F(ControlInPage, ShowsAndRecordsTheLiveChannelsOfARealHost) {
    for (const char* clip : {"ch01.brs", "ch02.brs"})
        if (::GetFileAttributesA(dvr::testing::TestDataPath(clip).c_str()) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "no channel clips";
    const std::wstring prefix = Env(L"WINEPREFIX");
    ASSERT_FALSE(prefix.empty()) << "runs in the test session";
    // Drive W: holds the control's recordings.
    const std::wstring data = prefix + L"/vantrel-webctl-live";
    RunUnixShell(L"rm -rf '" + data + L"' && mkdir -p '" + data + L"' && ln -sfn '" + data +
                 L"' '" + prefix + L"/dosdevices/w:'");
    ASSERT_TRUE(PumpUntil(
        [] { return ::GetFileAttributesW(L"W:\\") != INVALID_FILE_ATTRIBUTES; }, 20000));
    StoreRecordingDrive('W');
    StorePtzProtocol();

    // The host: the simulated board with the two clips, its recording engine and live servers,
    // checking viewers against its lists (none: every viewer may watch).
    TArithmetic arithmetic;
    TSystemOtherSet other(arithmetic);
    BoardServingHost host("webctl_live_host", {"ch01.brs", "ch02.brs"}, arithmetic, other);
    ASSERT_TRUE(host.Ok());
    const int base = host.Base;
    TLiveServers& live = host.Live;

    MessagePort messages;
    // The control's alarm listener on a free port of its own (others may hold the fixed one).
    int alarmPort = 0;
    {
        MessagePort probe;
        alarmPort = probe.port;
    }
    ::SetEnvironmentVariableW(L"VANTREL_CONTROL_ALARM_PORT", std::to_wstring(alarmPort).c_str());
    char ports[8], udp[8];
    std::snprintf(ports, sizeof ports, "%05d", base);
    std::snprintf(udp, sizeof udp, "%05d", messages.port);
    WebPort web(std::string(ports) + "5100062000600016000052100520005400056000" + udp + "59000" +
                "DVR1|gate;yard;");
    PageSite site(L"http://127.0.0.1:" + std::to_wstring(web.port_) + L"/index.htm");
    StoreSecondGroup(base, messages.port);

    IOleObject* control = nullptr;
    IOleInPlaceObject* inPlace = nullptr;
    HWND face = nullptr;
    ASSERT_NO_FATAL_FAILURE(ActivateOnPage(site, control, inPlace, face));

    // The host's answer gives two channels: four panes, two of them for the channels.
    ASSERT_TRUE(PumpUntil([&] { return GridPanes(face).size() == 4u; }, 30000));
    const std::vector<HWND> panes = GridPanes(face);

    Step("open all");
    // Open all: each pane shows its own channel's picture, read back from the screen.
    HWND openAll = ChildWithText(face, L"全部打开");
    ASSERT_TRUE(openAll);
    Click(openAll);
    int w = 0, h = 0;
    std::vector<uint32_t> pixels;
    double own[2] = {}, foreign[2] = {};
    const bool shown = PumpUntil(
        [&] {
            pixels = SaveScreenshot(face, TestOutputPath("webctl_live_panes.bmp"), w, h);
            if (w != kFace[0]) return false;
            for (int c = 0; c < 2; ++c) {
                own[c] = ColourShare(pixels, w, face, panes[size_t(c)], kClipColour[c]);
                foreign[c] = ColourShare(pixels, w, face, panes[size_t(c)], kClipColour[1 - c]);
            }
            return own[0] > 0.5 && own[1] > 0.5;
        },
        90000);
    EXPECT_TRUE(shown) << "pane 1 " << own[0] << ", pane 2 " << own[1];
    EXPECT_LT(foreign[0], 0.05) << "pane 1 shows channel 2";
    EXPECT_LT(foreign[1], 0.05) << "pane 2 shows channel 1";
    // The empty cells stay black.
    const int black[3] = {0, 0, 0};
    EXPECT_GT(ColourShare(pixels, w, face, panes[2], black), 0.95);
    EXPECT_EQ(live.Viewers(0)->OpenCount.load(), 1);
    EXPECT_EQ(live.Viewers(1)->OpenCount.load(), 1);

    Step("PTZ pictures");
    // PTZ: holding the up-right picture sends "up" and "right" 20 ms apart, then repeats
    // "right" with its diagonal values every 20 ms; letting go stops all four directions. The
    // datagrams go to the selected pane's host at its message port.
    HWND upRight = DescendantWithText(face, L"↗");
    ASSERT_TRUE(upRight);
    std::vector<UdpMsgPtzCommand> ptz;
    std::vector<int> otherDatagrams;
    ::PostMessageW(upRight, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ASSERT_TRUE(PumpUntil(
        [&] {
            messages.Drain(ptz, otherDatagrams);
            return ptz.size() >= 6;
        },
        30000));
    ::PostMessageW(upRight, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    ASSERT_TRUE(PumpUntil(
        [&] {
            messages.Drain(ptz, otherDatagrams);
            return !ptz.empty() && ptz.back().Stop == 1 && ptz.back().Command == 3;
        },
        30000));
    EXPECT_TRUE(otherDatagrams.empty());
    for (const UdpMsgPtzCommand& m : ptz) {
        EXPECT_EQ(m.HostAddress.Get(), "127.0.0.1");
        EXPECT_EQ(m.Channel, 0) << "pane 1 shows the host's channel 0";
        EXPECT_EQ(m.Protocol, 5) << "channel 0's PTZ protocol";
        EXPECT_EQ(m.UserName.len, 0);
    }
    EXPECT_EQ(ptz[0].Command, 0);
    EXPECT_EQ(ptz[0].Stop, 0);
    EXPECT_EQ(ptz[1].Command, 3);
    // The repeats: right, with value 3, 0, 3, ...
    std::vector<int> repeats;
    size_t i = 2;
    for (; i < ptz.size() && ptz[i].Stop == 0; ++i) {
        EXPECT_EQ(ptz[i].Command, 3);
        repeats.push_back(ptz[i].Value1);
    }
    ASSERT_GE(repeats.size(), 3u);
    for (size_t k = 0; k < repeats.size(); ++k)
        EXPECT_EQ(repeats[k], k % 2 == 0 ? 3 : 0) << k;
    ASSERT_EQ(ptz.size() - i, 4u);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(ptz[i + size_t(c)].Command, c);
        EXPECT_EQ(ptz[i + size_t(c)].Stop, 1);
    }

    Step("alarm upload");
    // An alarm the host uploads for its channel 1 (pane 2) shows "侦" on that pane only. A
    // datagram of another length on the alarm port is dropped.
    {
        dvr::win::Socket sender(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(static_cast<u_short>(alarmPort));
        AlarmUploadRecord upload{};
        upload.HostAddress.Set("127.0.0.1");
        upload.ViewerAddress.Set("127.0.0.1");
        upload.Channel = 1;
        upload.Kind = '>';
        char junk[127] = {};
        ::sendto(sender.get(), junk, sizeof junk, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        ::sendto(sender.get(), reinterpret_cast<const char*>(&upload), sizeof upload, 0,
                 reinterpret_cast<sockaddr*>(&to), sizeof to);
        auto labelShown = [&](HWND pane) {
            HWND label = ::FindWindowExW(pane, nullptr, nullptr, L"侦");
            return label && ::IsWindowVisible(label);
        };
        EXPECT_TRUE(PumpUntil([&] { return labelShown(panes[1]); }, 30000));
        EXPECT_FALSE(labelShown(panes[0]));
    }
    Step("alarm page");
    // The alarm page: channel 2's status picture red, channel 1's green (it plays). The
    // remote alarm list popped up with the upload's row.
    Click(ChildWithText(face, L"报警控制"));
    {
        HWND alarm1 = nullptr, alarm2 = nullptr;
        ASSERT_TRUE(PumpUntil([&] {
            alarm1 = VisibleChildWithText(face, L"1", kAlarmPictures);
            alarm2 = VisibleChildWithText(face, L"2", kAlarmPictures);
            return alarm1 && alarm2;
        }));
        uint32_t a1 = 0, a2 = 0;
        EXPECT_TRUE(PumpUntil([&] {
            pixels = SaveScreenshot(face, TestOutputPath("webctl_live_alarm_page.bmp"), w, h);
            a1 = PixelAt(pixels, w, face, alarm1, 1, 1);
            a2 = PixelAt(pixels, w, face, alarm2, 1, 1);
            return Near(a2, 0xFF, 0, 0) && Near(a1, 0, 0xA0, 0);
        })) << std::hex << a1 << " " << a2;
        HWND list = nullptr;
        ASSERT_TRUE(PumpUntil([&] { return (list = OwnWindowTitled(L"远程报警信息")) != nullptr; }))
            << "the alarm list pops up";
        HWND rows = nullptr;
        ::EnumChildWindows(
            list,
            [](HWND w, LPARAM p) -> BOOL {
                wchar_t cls[64] = {};
                ::GetClassNameW(w, cls, 64);
                if (std::wstring(cls).find(L"ListView") == std::wstring::npos) return TRUE;
                *reinterpret_cast<HWND*>(p) = w;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&rows));
        ASSERT_TRUE(rows);
        EXPECT_EQ(::SendMessageW(rows, LVM_GETITEMCOUNT, 0, 0), 1);
        ::PostMessageW(list, WM_CLOSE, 0, 0);
    }
    Click(ChildWithText(face, L"实时预览"));

    Step("mouse PTZ");
    // Mouse PTZ: with the mouse picture lit, holding the left button in the top third of
    // pane 1 turns the camera up until let go (then all four directions stop); the middle of
    // the pane sends nothing.
    {
        HWND mouse = DescendantWithText(face, L"鼠");
        ASSERT_TRUE(mouse);
        ptz.clear();
        Click(mouse);
        RECT pr{};
        ::GetClientRect(panes[0], &pr);
        const LPARAM middle = MAKELPARAM(pr.right / 2, pr.bottom / 2);
        const LPARAM top = MAKELPARAM(pr.right / 2, 5);
        ::PostMessageW(panes[0], WM_MOUSEMOVE, 0, middle);
        ::PostMessageW(panes[0], WM_LBUTTONDOWN, MK_LBUTTON, middle);
        ::PostMessageW(panes[0], WM_LBUTTONUP, 0, middle);
        PumpUntil([] { return false; }, 300);
        messages.Drain(ptz, otherDatagrams);
        EXPECT_TRUE(ptz.empty()) << "the middle of the pane steers nothing";
        ::PostMessageW(panes[0], WM_MOUSEMOVE, 0, top);
        ::PostMessageW(panes[0], WM_LBUTTONDOWN, MK_LBUTTON, top);
        ASSERT_TRUE(PumpUntil([&] {
            messages.Drain(ptz, otherDatagrams);
            return ptz.size() >= 3;
        }));
        // The control's own cursors: the pressed "up" arrow while held, the plain one after.
        const HMODULE ocx = ::GetModuleHandleW(L"Vantrel_IE_QZ.ocx");
        ASSERT_TRUE(ocx);
        EXPECT_EQ(::GetCursor(), ::LoadCursorW(ocx, L"Cursor_Down_2"));
        ::PostMessageW(panes[0], WM_LBUTTONUP, 0, top);
        ASSERT_TRUE(PumpUntil([&] {
            messages.Drain(ptz, otherDatagrams);
            return !ptz.empty() && ptz.back().Stop == 1 && ptz.back().Command == 3;
        }));
        EXPECT_EQ(::GetCursor(), ::LoadCursorW(ocx, L"Cursor_Up_2"));
        size_t k = 0;
        for (; k < ptz.size() && ptz[k].Stop == 0; ++k)
            EXPECT_EQ(ptz[k].Command, 0) << "up, " << k;
        ASSERT_EQ(ptz.size() - k, 4u);
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(ptz[k + size_t(c)].Command, c);
        Click(mouse); // off again
    }

    Step("preview picture closes and reopens");
    // The preview page's status picture of channel 2 closes its preview (the host loses the
    // viewer) and opens it again.
    {
        HWND preview2 = nullptr;
        ASSERT_TRUE(PumpUntil(
            [&] { return (preview2 = VisibleChildWithText(face, L"2", kPreviewPictures)); }));
        ASSERT_TRUE(PumpUntil([&] { return ::IsWindowEnabled(face) != FALSE; }, 30000));
        Click(preview2);
        EXPECT_TRUE(PumpUntil([&] { return live.Viewers(1)->OpenCount.load() == 0; }, 30000));
        ASSERT_TRUE(PumpUntil([&] { return ::IsWindowEnabled(face) != FALSE; }, 30000));
        Click(preview2);
        EXPECT_TRUE(PumpUntil([&] { return live.Viewers(1)->OpenCount.load() == 1; }, 30000));
        double share = 0;
        EXPECT_TRUE(PumpUntil(
            [&] {
                pixels = SaveScreenshot(face, TestOutputPath("webctl_live_reopened.bmp"), w, h);
                share = ColourShare(pixels, w, face, panes[1], kClipColour[1]);
                return share > 0.5;
            },
            60000))
            << "the reopened pane shows " << share << " of its channel's colour";
    }

    Step("full face");
    // The pane menu's first item puts the grid over the whole face, a backdrop behind it;
    // the same item puts it back.
    {
        const DWORD self = ::GetCurrentThreadId();
        std::thread answer = ChooseMenuItem(self, 1);
        ::PostMessageW(panes[0], WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
        ::PostMessageW(panes[0], WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
        RECT pr{};
        const bool full = PumpUntil([&] {
            ::GetClientRect(panes[0], &pr);
            return pr.right > 440;
        });
        answer.join();
        EXPECT_TRUE(full) << "pane 1 is " << pr.right << " wide";
        uint32_t corner = 0;
        EXPECT_TRUE(PumpUntil([&] {
            pixels = SaveScreenshot(face, TestOutputPath("webctl_live_fullface.bmp"), w, h);
            corner = pixels[size_t(680) * w + 920];
            return ColourShare(pixels, w, face, panes[0], kClipColour[0]) > 0.5 &&
                   Near(corner, 0xA6, 0xCA, 0xF0);
        })) << std::hex << corner;
        answer = ChooseMenuItem(self, 1);
        ::PostMessageW(panes[0], WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
        ::PostMessageW(panes[0], WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
        EXPECT_TRUE(PumpUntil([&] {
            ::GetClientRect(panes[0], &pr);
            return pr.right >= 370 && pr.right <= 380;
        }));
        answer.join();
    }

    Step("region zoom");
    // Region zoom: the pane menu's second item opens the zoom window; a band dragged over the
    // top-left of pane 1 fills the pane with that part of the picture.
    {
        const DWORD self = ::GetCurrentThreadId();
        std::thread answer = ChooseMenuItem(self, 2);
        ::PostMessageW(panes[0], WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
        ::PostMessageW(panes[0], WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
        HWND zoom = nullptr;
        EXPECT_TRUE(PumpUntil([&] { return (zoom = OwnWindowTitled(L"局部放大")) != nullptr; }));
        answer.join();
        // The snapshot tool window of the replay's region zoom.
        EXPECT_TRUE(zoom && DescendantWithText(zoom, L"抓帧"));
        // Out of the way of the pane read back.
        if (zoom)
            ::SetWindowPos(zoom, nullptr, 420, 600, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        double before = 0, after = 0;
        pixels = SaveScreenshot(face, TestOutputPath("webctl_live_unzoomed.bmp"), w, h);
        before = ColourShare(pixels, w, face, panes[0], kClipColour[0]);
        ::PostMessageW(panes[0], WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 0));
        ::PostMessageW(panes[0], WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 30));
        ::PostMessageW(panes[0], WM_LBUTTONUP, 0, MAKELPARAM(40, 30));
        EXPECT_TRUE(PumpUntil(
            [&] {
                pixels = SaveScreenshot(face, TestOutputPath("webctl_live_zoomed.bmp"), w, h);
                after = ColourShare(pixels, w, face, panes[0], kClipColour[0]);
                return after > 0.97;
            },
            30000))
            << "before " << before << ", after " << after;
        if (zoom) ::PostMessageW(zoom, WM_CLOSE, 0, 0);
    }

    Step("PTZ panel");
    // The PTZ panel opened, as the user sees it.
    Click(DescendantWithText(face, L"点击拉开"));
    PumpUntil([&] {
        pixels = SaveScreenshot(face, TestOutputPath("webctl_live_ptz.bmp"), w, h);
        return ::IsWindowVisible(DescendantWithText(face, L"点击合上")) != FALSE;
    });

    Step("recording");
    // Channel 1's status image on the recording page starts its recording on drive W:; a
    // second click stops it.
    Click(ChildWithText(face, L"录像控制"));
    HWND status1 = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] { return (status1 = VisibleChildWithText(face, L"1", kRecordingPictures)) != nullptr; }));
    ASSERT_TRUE(status1);
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowEnabled(face) != FALSE; }, 30000));
    Click(status1);
    std::vector<std::string> files;
    ASSERT_TRUE(PumpUntil(
        [&] {
            files = FilesUnder("W:\\DVRDat");
            return files.size() == 1u && ReadWholeFile(files[0]).size() > 200000;
        },
        90000));
    EXPECT_EQ(files[0].substr(0, 21).substr(0, 10), "W:\\DVRDat\\");
    EXPECT_NE(files[0].find("\\1\\CC\\0-0-"), std::string::npos) << files[0];
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowEnabled(face) != FALSE; }, 30000));
    Click(status1);
    Bytes recorded;
    size_t end = 0;
    ASSERT_TRUE(PumpUntil(
        [&] {
            // Closed once the control lets others write it.
            dvr::win::File f(::CreateFileA(files[0].c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
            return bool(f);
        },
        30000));
    recorded = ReadWholeFile(files[0]);
    // The saved head, then whole records to the last byte: nothing lost or cut inside.
    const int records = WholeRecords(recorded, end);
    EXPECT_GT(records, 25);
    EXPECT_EQ(end, recorded.size());
    dvr::MemoryFile file(recorded);
    dvr::PortFileState state;
    EXPECT_TRUE(dvr::OpenRecordFile(&state, file));
    // Recording stopped; the preview goes on over the same connection.
    EXPECT_EQ(live.Viewers(0)->OpenCount.load(), 1);

    Step("close all");
    // Close all: the panes go black and the host's viewer lists empty. The face takes input
    // again once the recording is closed.
    ASSERT_TRUE(PumpUntil([&] { return ::IsWindowEnabled(face) != FALSE; }, 30000));
    Click(ChildWithText(face, L"全部关闭"));
    double dark[2] = {};
    const bool closed = PumpUntil(
        [&] {
            pixels = SaveScreenshot(face, TestOutputPath("webctl_live_closed.bmp"), w, h);
            if (w != kFace[0]) return false;
            for (int c = 0; c < 2; ++c)
                dark[c] = ColourShare(pixels, w, face, panes[size_t(c)], black);
            return dark[0] > 0.95 && dark[1] > 0.95 && live.Viewers(0)->OpenCount.load() == 0 &&
                   live.Viewers(1)->OpenCount.load() == 0;
        },
        60000);
    EXPECT_TRUE(closed) << "black " << dark[0] << " " << dark[1] << ", viewers "
                        << live.Viewers(0)->OpenCount.load() << " "
                        << live.Viewers(1)->OpenCount.load();

    Step("host cycle");
    // Host cycle over both groups, 5 s each: the page's host (two panes), then the stored
    // group whose one channel (the host's channel 2) fills the video area, then back.
    {
        ASSERT_TRUE(PumpUntil([&] { return ::IsWindowEnabled(face) != FALSE; }, 30000));
        std::thread answer = AcceptCycleDialog();
        Click(ChildWithText(face, L"轮视/分组"));
        // The second group: one pane over the video area, the host watched on its channel 2
        // only, its picture shown there (the cycle comes back to the group until it is). The
        // face is saved as it shows then.
        RECT pr{};
        double share = 0;
        CycleTimeline timeline;
        const bool second = PumpUntil(
            [&] {
                ::GetClientRect(panes[0], &pr);
                const int v0 = live.Viewers(0)->OpenCount.load(),
                          v1 = live.Viewers(1)->OpenCount.load();
                share = 0;
                if (pr.right >= 700) {
                    pixels = SaveScreenshot(face, TestOutputPath("webctl_live_cycle.bmp"), w, h);
                    share = ColourShare(pixels, w, face, panes[0], kClipColour[1]);
                }
                timeline.Note(pr.right, v0, v1, share, ::IsWindowEnabled(face) != FALSE);
                return pr.right >= 700 && v0 == 0 && v1 == 1 && share > 0.5;
            },
            90000);
        answer.join();
        EXPECT_TRUE(second) << "pane 1 " << pr.right << " wide, " << share
                            << " of it in channel 2's colour; the cycle dialog's OK clicked "
                            << CycleDialogClicks.load() << " times (-1: no dialog); went through:\n"
                            << timeline.Text();
        EXPECT_TRUE(PumpUntil(
            [&] {
                ::GetClientRect(panes[0], &pr);
                return pr.right < 400 && live.Viewers(0)->OpenCount.load() == 1 &&
                       live.Viewers(1)->OpenCount.load() == 1;
            },
            90000))
            << "back at the page's host";
        // The cycle stops; what is open stays open until closed.
        ASSERT_TRUE(PumpUntil([&] { return ::IsWindowEnabled(face) != FALSE; }, 30000));
        Click(ChildWithText(face, L"轮视/分组"));
        PumpUntil([] { return false; }, 300);
        ASSERT_TRUE(PumpUntil([&] { return ::IsWindowEnabled(face) != FALSE; }, 30000));
        Click(ChildWithText(face, L"全部关闭"));
        EXPECT_TRUE(PumpUntil(
            [&] {
                return live.Viewers(0)->OpenCount.load() == 0 &&
                       live.Viewers(1)->OpenCount.load() == 0;
            },
            60000));
    }

    inPlace->Release();
    control->Close(OLECLOSE_NOSAVE);
    control->SetClientSite(nullptr);
    EXPECT_EQ(control->Release(), 0u);

    host.Stop();
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQSIE\\CAPTURE");
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQSIE\\YUTAI");
    ::SetEnvironmentVariableW(L"VANTREL_CONTROL_ALARM_PORT", nullptr);
    RunUnixShell(L"rm -f '" + prefix + L"/dosdevices/w:'");
}

} // namespace
} // namespace vantrel::webctl
