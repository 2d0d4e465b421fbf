// The live preview as a user sees it: the host runs on the simulated board with every channel
// previewing, and each pane on the screen shows its own channel's picture (not the colour key,
// not another channel's).
#include "host/ui/exit_with_result_testing.h"
#include "host/ui/host_run_testing.h"
#include "host/ui/F_MainForm.h"
#include "host/ui/F_StartUp.h"
#include "host/ui/U_HostObjects.h"

#include "common/testing/testdata.h"
#include "common/win/handles.h"
#include "sim/brevix32/board_layout.h"
#include "sim/brevix32/board_pictures.h"
#include "sim/brevix32/preview_picture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace vantrel {
namespace {

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// A screen rectangle as 32-bit pixels.
std::vector<Rgb> ReadScreen(const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<Rgb> out;
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits) {
        HGDIOBJ old = ::SelectObject(mem, dib);
        ::BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        ::GdiFlush();
        const auto* p = static_cast<const uint8_t*>(bits);
        out.resize(size_t(w) * size_t(h));
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = {p[4 * i + 2], p[4 * i + 1], p[4 * i]};
        ::SelectObject(mem, old);
        ::DeleteObject(dib);
    }
    ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
    return out;
}

// A channel clip's first picture as the board paints it into a w x h rectangle.
std::vector<Rgb> ClipPicture(int channel, int w, int h) {
    char name[16];
    std::snprintf(name, sizeof name, "ch%02d.brs", channel + 1);
    std::vector<Rgb> out;
    auto script = sim::BoardScript::Load(dvr::testing::TestDataPath(name));
    if (!script) return out;
    sim::PreviewPicture picture;
    for (const sim::ScriptRecord& r : script->records)
        if (r.type == sim::kTypeKeyFrame) {
            if (!picture.Feed(r)) return out;
            break;
        }
    std::vector<uint8_t> px(size_t(w) * size_t(h) * 2);
    if (!picture.Paint(px.data(), uint32_t(w * 2), sim::kPreviewRgb565, w, h)) return out;
    out.resize(size_t(w) * size_t(h));
    for (size_t i = 0; i < out.size(); ++i) {
        const int v = px[2 * i] | px[2 * i + 1] << 8;
        out[i] = {(v >> 11) << 3, (v >> 5 & 0x3F) << 2, (v & 0x1F) << 3};
    }
    return out;
}

// Mean difference per pixel and colour component.
double Difference(const std::vector<Rgb>& a, const std::vector<Rgb>& b) {
    if (a.size() != b.size() || a.empty()) return 1e9;
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        sum += std::abs(a[i].r - b[i].r) + std::abs(a[i].g - b[i].g) + std::abs(a[i].b - b[i].b);
    return sum / double(a.size()) / 3;
}

double KeyShare(const std::vector<Rgb>& a) {
    size_t key = 0;
    for (const Rgb& p : a)
        key += p.r > 240 && p.g < 16 && p.b > 240;
    return a.empty() ? 1 : double(key) / double(a.size());
}

struct PaneCheck {
    int channel = 0;
    double own = 1e9, nearestOther = 1e9, keyShare = 1;
};

struct PreviewRun {
    std::atomic<bool> done{false};
    std::atomic<bool> previewing{false};
    std::vector<PaneCheck> panes;
    std::string failure;
};

bool WaitUntil(const std::function<bool()>& ready, DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (!ready()) {
        if (::GetTickCount() - start > ms) return false;
        ::Sleep(20);
    }
    return true;
}

// Runs on the user-interface thread and waits for its answer.
void OnUiThread(const std::function<void()>& step) {
    Host->Synchronize(step);
}

void Watch(PreviewRun& run) {
    if (!WaitUntil([] { return Host && Host->WorkState && MainForm &&
                               ::IsWindowVisible(MainForm->WindowHandle()); },
                   120000)) {
        run.failure = "the console never showed";
        return;
    }
    const int channels = Host->BoardCount();
    if (!WaitUntil(
            [&] {
                bool all = true;
                OnUiThread([&] {
                    for (int ch = 0; ch < channels; ++ch)
                        all = all && Host->Preview->Panes[size_t(ch)].Previewing;
                });
                return all;
            },
            60000)) {
        run.failure = "not every channel previewing";
        return;
    }
    run.previewing = true;
    std::vector<RECT> rects(static_cast<size_t>(channels));
    OnUiThread([&] {
        for (int ch = 0; ch < channels; ++ch) {
            const dvr::fw::TRect b = Host->Preview->Panes[size_t(ch)].Panel->BoundsRect();
            POINT corners[2] = {{b.Left, b.Top}, {b.Right, b.Bottom}};
            ::ClientToScreen(MainForm->WindowHandle(), &corners[0]);
            ::ClientToScreen(MainForm->WindowHandle(), &corners[1]);
            rects[size_t(ch)] = RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
        }
    });
    std::vector<std::vector<Rgb>> clips;
    for (int ch = 0; ch < channels; ++ch) {
        const RECT& r = rects[size_t(ch)];
        clips.push_back(ClipPicture(ch, r.right - r.left, r.bottom - r.top));
    }
    // The board paints and the screen shows within a few pictures: wait for the colour key to
    // go from every pane.
    std::vector<std::vector<Rgb>> shown(static_cast<size_t>(channels));
    WaitUntil(
        [&] {
            bool clean = true;
            for (int ch = 0; ch < channels; ++ch) {
                shown[size_t(ch)] = ReadScreen(rects[size_t(ch)]);
                clean = clean && KeyShare(shown[size_t(ch)]) < 0.01;
            }
            return clean;
        },
        30000);
    for (int ch = 0; ch < channels; ++ch) {
        PaneCheck c;
        c.channel = ch;
        c.keyShare = KeyShare(shown[size_t(ch)]);
        c.own = Difference(shown[size_t(ch)], clips[size_t(ch)]);
        const RECT& r = rects[size_t(ch)];
        for (int other = 0; other < channels; ++other) {
            if (other == ch) continue;
            const RECT& o = rects[size_t(other)];
            if (o.right - o.left != r.right - r.left || o.bottom - o.top != r.bottom - r.top)
                continue;
            c.nearestOther = std::min(c.nearestOther, Difference(shown[size_t(ch)], clips[size_t(other)]));
        }
        run.panes.push_back(c);
    }
}

TEST(HostPreview, EveryPaneShowsItsOwnChannelsLivePicture) {
    if (::GetFileAttributesA(dvr::testing::TestDataPath("ch01.brs").c_str()) ==
        INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no channel clips";
    // Every channel previewing, none recording, as the host resumes it.
    uint8_t state[2 + 4 * 49] = {0x31, 0};
    for (int i = 0; i < 49; ++i)
        state[2 + i] = 1;
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\WorkState", 0, nullptr, 0,
                                KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(key, L"WorkState", 0, REG_BINARY, state, sizeof state);
    ::RegCloseKey(key);

    PreviewRun run;
    HANDLE watcher = ::CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            auto& r = *static_cast<PreviewRun*>(p);
            // The logon prompt of the first show is answered with Cancel.
            static struct : TLogonPrompt {
                bool Prompt(std::string&, std::string&) override { return false; }
            } cancel;
            for (int i = 0; i < 12000 && !(MainForm && Host && Host->WorkState); ++i) {
                if (MainForm && MainForm->LogonPrompt != &cancel) MainForm->LogonPrompt = &cancel;
                ::Sleep(10);
            }
            if (MainForm) MainForm->LogonPrompt = &cancel;
            Watch(r);
            if (MainForm) {
                MainForm->Hooks.Pause = [](DWORD) {};
                ::PostMessageW(MainForm->WindowHandle(), WM_POWERACTION, WPARAM(-1), LPARAM(-1));
            }
            r.done = true;
            return 0;
        },
        &run, 0, nullptr);
    dvr::win::Thread owned(watcher);
    const int code = ProgramMain();
    ASSERT_EQ(::WaitForSingleObject(watcher, 60000), WAIT_OBJECT_0);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VQS\\WorkState");
    EXPECT_EQ(code, 0);
    ASSERT_TRUE(run.failure.empty()) << run.failure;
    ASSERT_TRUE(run.previewing);
    ASSERT_EQ(int(run.panes.size()), 16) << "sixteen channels on the default board";
    for (const PaneCheck& c : run.panes) {
        SCOPED_TRACE("channel " + std::to_string(c.channel + 1));
        EXPECT_LT(c.keyShare, 0.01) << "the colour key shows";
        // The clock moves and the screen has 16-bit colour: close, not equal.
        EXPECT_LT(c.own, 25.0);
        EXPECT_LT(c.own * 2, c.nearestOther) << "looks like another channel";
    }
}

} // namespace
} // namespace vantrel
