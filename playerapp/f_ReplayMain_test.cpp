#include "playerapp/f_ReplayMain.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/testing/testdata.h"
#include "common/win/handles.h"
#include "common/win/textconv.h"
#include "playerapp/U_ReplayDll.h"
#include "skin/engine/theme_se3.h"

namespace playerqz {
namespace {

using namespace dvr::fw;

// The window with its open dialog answered by the test.
class TestReplay : public TF_Replay {
public:
    using TF_Replay::TF_Replay;
    std::string Answer;
    int Dialogs = 0;

protected:
    std::string RunOpenDialog() override {
        ++Dialogs;
        return Answer;
    }
};

class ReplayWindow : public ::testing::Test {
protected:
    void Make(int ports) {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, TReplayService::RegistryKey);
        dvr::win::RegKey k;
        ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, TReplayService::RegistryKey, 0, nullptr, 0,
                          KEY_ALL_ACCESS, nullptr, k.put(), nullptr);
        const DWORD n = ports;
        ::RegSetValueExW(k.get(), L"WindowsNumber", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n),
                         sizeof n);
        service = std::make_unique<TReplayService>();
        ReplayService = service.get();
        service->Init();
        form = MakeForm<TestReplay>(nullptr);
        form->Show();
        Pump(50);
    }
    void TearDown() override {
        if (form) {
            bool close = true;
            form->FormCloseQuery(form, close);
            form->Free();
        }
        for (int i = 0; i < 16; ++i) {
            service->SetCurrentPort(i);
            service->CloseFile();
        }
        ReplayService = nullptr;
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, TReplayService::RegistryKey);
    }
    void Pump(DWORD ms) {
        const DWORD start = ::GetTickCount();
        do {
            Application->ProcessMessages();
            ::Sleep(5);
        } while (::GetTickCount() - start < ms);
    }
    void Click(TWinControl* c) {
        ::SendMessageW(c->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ::SendMessageW(c->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    // A click on a tool button, through the tool bar's window as the mouse gives it.
    void Press(dvr::skin::TTeSpeedButton* b) {
        const LPARAM at = MAKELPARAM(b->Left() + b->Width() / 2, b->Top() + b->Height() / 2);
        HWND bar = b->Parent()->Handle();
        ::SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(bar, WM_LBUTTONUP, 0, at);
    }
    void DoubleClick(TWinControl* c) {
        Click(c);
        ::SendMessageW(c->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
        ::SendMessageW(c->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    std::wstring Status(int panel) { return form->SB_info->Panels()->GetItem(panel)->Text; }
    std::wstring Caption() { return dvr::win::GbkToWide(form->Caption()); }

    std::unique_ptr<TReplayService> service;
    TestReplay* form = nullptr;
};

TEST_F(ReplayWindow, PortGridForEveryCount) {
    for (int n : {1, 2, 4, 5, 6, 9, 10, 11, 13, 16}) {
        SCOPED_TRACE(n);
        Make(n);
        ASSERT_EQ(form->PortPanelCount(), n);
        const std::vector<TRect> cells = LayoutPorts(n, form->P_Draw->ClientRect());
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(form->PortPanel(i)->BoundsRect(), cells[i]) << i;
            EXPECT_TRUE(form->PortPanel(i)->Visible());
            EXPECT_EQ(form->PortPanel(i)->Parent(), form->P_Draw);
        }
        EXPECT_EQ(Caption(), L"MPEG4 Medieaplayer");
        EXPECT_EQ(Status(0), L"Camera (1 ) No file to open.");
        EXPECT_FALSE(form->TB_Play->Enabled());
        EXPECT_TRUE(form->Timer1->Enabled()); // started by the first resize
        TearDown();
        form = nullptr;
    }
}

TEST_F(ReplayWindow, ClickSelectsAPortAndTheFrameFollows) {
    Make(4);
    Click(form->PortPanel(2));
    EXPECT_EQ(service->GetCurrentPort(), 2);
    EXPECT_EQ(Status(0), L"Camera (3 ) No file to open.");
    const PortFrame f = PortFrameAround(form->Commands().PortCells()[2]);
    EXPECT_EQ(form->Lab_Top->BoundsRect(), f.Top);
    EXPECT_EQ(form->Lab_Bottom->BoundsRect(), f.Bottom);
    EXPECT_EQ(form->Lab_Left->BoundsRect(), f.Left);
    EXPECT_EQ(form->Lab_Right->BoundsRect(), f.Right);
    EXPECT_TRUE(form->Lab_Top->Visible());

    // Zoom: the port fills the video area, the others are hidden; again: the grid.
    DoubleClick(form->PortPanel(2));
    EXPECT_EQ(form->Commands().ZoomedPort(), 2);
    EXPECT_EQ(form->PortPanel(2)->BoundsRect(), form->P_Draw->ClientRect());
    for (int p : {0, 1, 3})
        EXPECT_FALSE(form->PortPanel(p)->Visible()) << p;
    DoubleClick(form->PortPanel(2));
    EXPECT_EQ(form->Commands().ZoomedPort(), -1);
    for (int p = 0; p < 4; ++p) {
        EXPECT_TRUE(form->PortPanel(p)->Visible());
        EXPECT_EQ(form->PortPanel(p)->BoundsRect(), form->Commands().PortCells()[p]);
    }
}

TEST_F(ReplayWindow, FullScreenHidesAllButTheVideoAndComesBack) {
    Make(4);
    const TRect before = form->P_Draw->ClientRect();
    Press(form->ToolButton2);
    EXPECT_TRUE(form->FullScreen());
    EXPECT_FALSE(form->TeControlBar1->Visible());
    EXPECT_FALSE(form->SB_info->Visible());
    EXPECT_FALSE(form->TrackBar_FilePos->Visible());
    EXPECT_FALSE(form->N1->Visible());
    EXPECT_FALSE(form->N5->Visible());
    EXPECT_TRUE(form->P_Draw->Visible());
    EXPECT_TRUE(form->TB_Play->Visible()); // tool buttons go with their bar
    const TRect full = form->P_Draw->ClientRect();
    EXPECT_GT(full.Height(), before.Height());
    // The grid fills the larger area.
    EXPECT_EQ(form->PortPanel(3)->BoundsRect(), LayoutPorts(4, full)[3]);

    form->ToggleFullScreen();
    EXPECT_FALSE(form->FullScreen());
    for (TControl* c : std::initializer_list<TControl*>{form->TeControlBar1, form->SB_info,
                                                        form->TrackBar_FilePos})
        EXPECT_TRUE(c->Visible());
    EXPECT_TRUE(form->N1->Visible());
    EXPECT_TRUE(form->N4->Visible());
    EXPECT_EQ(form->P_Draw->ClientRect(), before);
    EXPECT_EQ(form->PortPanel(3)->BoundsRect(), LayoutPorts(4, before)[3]);

    // Releasing the right button on a port also toggles it.
    ::SendMessageW(form->PortPanel(1)->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    ::SendMessageW(form->PortPanel(1)->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(form->FullScreen());
    EXPECT_FALSE(form->SB_info->Visible());
}

TEST_F(ReplayWindow, LastStatusPanelTakesTheRestOfTheBar) {
    Make(1);
    const int left = 285 + 120 + 120 + 100;
    EXPECT_EQ(form->SB_info->Panels()->GetItem(4)->Width, form->SB_info->Width() - left - 20);
    form->SetClientWidth(900);
    Pump(20);
    EXPECT_EQ(form->SB_info->Width(), 900);
    EXPECT_EQ(form->SB_info->Panels()->GetItem(4)->Width, 900 - left - 20);
    EXPECT_EQ(form->TeToolBar1->Width(), form->TeControlBar1->Width());
}

TEST_F(ReplayWindow, EndOfFileReachesTheWindowAndSnapshotsAreSaved) {
    Make(4);
    Click(form->PortPanel(1));
    form->Commands().OpenFile(dvr::testing::TestDataPath("cif_ip.MPG"));
    EXPECT_EQ(Status(0), L"Camera (2 ) is playing... cif_ip.MPG");
    EXPECT_TRUE(form->TB_Pause->Enabled());
    EXPECT_FALSE(form->TB_Play->Enabled());
    Pump(300);

    wchar_t tmp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, tmp);
    form->SnapshotFolder = std::wstring(tmp) + L"playerqz_window_" +
                           std::to_wstring(::GetCurrentProcessId()) + L"\\replayBmp\\";
    Press(form->TB_CaptureBmp);
    ASSERT_FALSE(form->LastSnapshot.empty());
    EXPECT_EQ(form->LastSnapshot.rfind(form->SnapshotFolder, 0), 0u);
    EXPECT_NE(::GetFileAttributesW(form->LastSnapshot.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(form->Lab_Top->Visible()); // the frame is back
    ::DeleteFileW(form->LastSnapshot.c_str());
    ::RemoveDirectoryW(form->SnapshotFolder.c_str());

    for (int k = 0; k < 4; ++k)
        Press(form->TB_Fast);
    for (int k = 0; k < 500 && service->GetPortState() != psStopped; ++k)
        Pump(10);
    EXPECT_EQ(service->GetPortState(), psStopped);
    EXPECT_EQ(Status(0), L"Camera (2 ) Ready cif_ip.MPG");
    EXPECT_TRUE(form->TB_Play->Enabled());
    EXPECT_EQ(form->TrackBar_FilePos->Position(), 0);
}

TEST_F(ReplayWindow, PositionSliderNoticesReachTheTimerSwitch) {
    Make(1);
    HWND slider = form->TrackBar_FilePos->Handle();
    HWND panel = form->Panel1->Handle();
    ASSERT_EQ(::GetParent(slider), panel);
    ::SendMessageW(panel, WM_HSCROLL, TB_PAGEDOWN, LPARAM(slider));
    EXPECT_FALSE(form->Commands().TimerUpdates());
    ::SendMessageW(panel, WM_HSCROLL, TB_THUMBTRACK, LPARAM(slider));
    EXPECT_FALSE(form->Commands().TimerUpdates());
    ::SendMessageW(panel, WM_HSCROLL, TB_ENDTRACK, LPARAM(slider));
    EXPECT_TRUE(form->Commands().TimerUpdates());
    // The volume slider's notices do not touch it.
    ::SendMessageW(panel, WM_HSCROLL, TB_PAGEDOWN, LPARAM(form->TrackBar_Music->Handle()));
    EXPECT_TRUE(form->Commands().TimerUpdates());
}

// The window as it is on the screen, top row first, 0xRRGGBB per pixel.
struct ScreenShot {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    explicit ScreenShot(HWND wnd) {
        RECT r{};
        ::GetWindowRect(wnd, &r);
        w = r.right - r.left;
        h = r.bottom - r.top;
        px.resize(size_t(w) * h);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        HDC screen = ::GetDC(nullptr);
        dvr::win::MemoryDc dc(::CreateCompatibleDC(screen));
        dvr::win::Bitmap bmp(::CreateCompatibleBitmap(screen, w, h));
        {
            dvr::win::SelectObjectScope keep(dc.get(), bmp.get());
            ::BitBlt(dc.get(), 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        }
        ::GetDIBits(dc.get(), bmp.get(), 0, h, px.data(), &bi, DIB_RGB_COLORS);
        ::ReleaseDC(nullptr, screen);
        for (auto& p : px)
            p &= 0xFFFFFF;
    }
    uint32_t At(int x, int y) const { return px[size_t(y) * w + x]; }
    // Saved beside the test's output for a person to look at.
    void Save(const char* name) const {
        FILE* f = std::fopen(name, "wb");
        if (!f) return;
        BITMAPFILEHEADER fh{};
        BITMAPINFOHEADER ih{};
        ih.biSize = sizeof ih;
        ih.biWidth = w;
        ih.biHeight = -h;
        ih.biPlanes = 1;
        ih.biBitCount = 32;
        fh.bfType = 0x4D42;
        fh.bfOffBits = sizeof fh + sizeof ih;
        fh.bfSize = fh.bfOffBits + DWORD(w * h * 4);
        std::fwrite(&fh, sizeof fh, 1, f);
        std::fwrite(&ih, sizeof ih, 1, f);
        std::fwrite(px.data(), 4, px.size(), f);
        std::fclose(f);
    }
};

TEST_F(ReplayWindow, OpensWithTheBuiltInSkinAndShowsTheRecording) {
    Make(1);
    // The built-in skin is the current theme, and its temporary file is gone.
    auto* skin = dynamic_cast<dvr::skin::TTeSkinFile*>(dvr::skin::CurrentTheme());
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->LoadedSkin.SkinName, "PlayerQZ Dark");
    EXPECT_NE(skin->LoadedSkin.FindObject("Form"), nullptr);
    wchar_t tmp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, tmp);
    const std::wstring left = std::wstring(tmp) + L"playerqz_" +
                              std::to_wstring(::GetCurrentProcessId()) + L"_xp_metal.mskn";
    EXPECT_EQ(::GetFileAttributesW(left.c_str()), INVALID_FILE_ATTRIBUTES);

    ::SetForegroundWindow(form->Handle());
    form->Commands().OpenFile(dvr::testing::TestDataPath("cif_ip.MPG"));
    ASSERT_EQ(service->GetPortState(), psPlaying);
    // Wait for the picture: the port panel stops being all black.
    auto pictureShown = [&] {
        ScreenShot s(form->Handle());
        RECT pr{};
        ::GetWindowRect(form->PortPanel(0)->Handle(), &pr);
        RECT wr{};
        ::GetWindowRect(form->Handle(), &wr);
        int lit = 0;
        for (int y = pr.top + 10; y < pr.bottom - 10; y += 7)
            for (int x = pr.left + 10; x < pr.right - 10; x += 7)
                lit += s.At(x - wr.left, y - wr.top) > 0x202020;
        return lit > 50;
    };
    bool shown = false;
    for (int k = 0; k < 1000 && !shown; ++k) {
        Pump(10);
        shown = pictureShown();
    }
    ScreenShot shot(form->Handle());
    shot.Save("playerqz_window_playing.bmp");
    EXPECT_TRUE(shown);

    // The skin's images are on the frame and the tool bar: a pixel there has a colour of
    // the image that part is drawn from (the display has 16 bits, hence the tolerance).
    auto inImage = [&](const char* name, uint32_t px) {
        const dvr::skin::TteBitmap* img = nullptr;
        for (int i = 0; i < skin->LoadedSkin.Images.Count(); ++i)
            if (skin->LoadedSkin.Images.GetBitmap(i)->Name == name)
                img = skin->LoadedSkin.Images.GetBitmap(i);
        if (!img) return false;
        auto close = [](uint32_t a, uint32_t b) {
            for (int sh : {0, 8, 16})
                if (std::abs(int((a >> sh) & 0xFF) - int((b >> sh) & 0xFF)) > 8) return false;
            return true;
        };
        for (int y = 0; y < img->Height; ++y)
            for (int x = 0; x < img->Width; ++x)
                if (close(img->GetPixel(x, y) & 0xFFFFFF, px)) return true;
        return false;
    };
    RECT wr{}, tr{};
    ::GetWindowRect(form->Handle(), &wr);
    ::GetWindowRect(form->TeToolBar1->Handle(), &tr);
    const TRect margins = form->TeForm1->FrameMargins();
    ASSERT_GT(margins.Top, 0);
    // Caption, right of the title and left of the caption buttons.
    EXPECT_TRUE(inImage("caption", shot.At(shot.w / 2 + 60, margins.Top / 2)))
        << std::hex << shot.At(shot.w / 2 + 60, margins.Top / 2);
    // Left, right and bottom edges of the frame.
    EXPECT_TRUE(inImage("frame", shot.At(1, shot.h / 2))) << std::hex << shot.At(1, shot.h / 2);
    EXPECT_TRUE(inImage("frame", shot.At(shot.w - 2, shot.h / 2)));
    EXPECT_TRUE(inImage("frame", shot.At(shot.w / 2, shot.h - 2)));
    // The tool bar past its last control.
    const int tx = tr.right - wr.left - 12, ty = (tr.top + tr.bottom) / 2 - wr.top;
    EXPECT_TRUE(inImage("bar", shot.At(tx, ty))) << std::hex << shot.At(tx, ty);
    // A tool button's face.
    RECT br{};
    ::GetWindowRect(form->TeToolBar1->Handle(), &br);
    const TRect play = form->TB_Play->BoundsRect();
    EXPECT_TRUE(inImage("button", shot.At(br.left - wr.left + play.Left + 3,
                                          br.top - wr.top + play.Top + play.Height() - 4)));
}

TEST_F(ReplayWindow, MenuOpenDoesWhatTheOpenButtonDoes) {
    Make(4);
    Click(form->PortPanel(1));
    form->Answer.clear(); // cancelled: nothing happens
    form->N2->Click();
    EXPECT_EQ(form->Dialogs, 1);
    EXPECT_EQ(service->GetPortState(), psNoFile);

    form->Answer = dvr::testing::TestDataPath("cif_ip.MPG");
    form->N2->Click();
    EXPECT_EQ(form->Dialogs, 2);
    EXPECT_EQ(service->GetCurrentPort(), 1);
    EXPECT_EQ(service->GetPortState(), psPlaying);
    EXPECT_EQ(Status(0), L"Camera (2 ) is playing... cif_ip.MPG");

    // The tool button takes the same path.
    Click(form->PortPanel(3));
    Press(form->TB_Open);
    EXPECT_EQ(form->Dialogs, 3);
    EXPECT_EQ(service->GetPortState(), psPlaying);
    EXPECT_EQ(Status(0), L"Camera (4 ) is playing... cif_ip.MPG");
}

TEST_F(ReplayWindow, SpinEditStartsAtTheStoredPortCount) {
    for (int n : {1, 4, 16}) {
        SCOPED_TRACE(n);
        Make(n);
        EXPECT_EQ(form->SE_TotalPorts->Value(), n);
        EXPECT_EQ(form->PortPanelCount(), n);
        EXPECT_EQ(service->GetPortCount(), n);
        TearDown();
        form = nullptr;
    }
    // One step down from four ports leaves three.
    Make(4);
    form->SE_TotalPorts->SetValue(form->SE_TotalPorts->Value() - 1);
    EXPECT_EQ(form->PortPanelCount(), 3);
    EXPECT_EQ(service->GetPortCount(), 3);
}

TEST_F(ReplayWindow, SpinEditChangesThePortCount) {
    Make(4);
    form->SE_TotalPorts->SetValue(2);
    EXPECT_EQ(service->GetPortCount(), 2);
    EXPECT_EQ(form->PortPanelCount(), 2);
    form->SE_TotalPorts->SetValue(9);
    EXPECT_EQ(form->PortPanelCount(), 9);
    form->SE_TotalPorts->SetValue(40); // beyond the grid: nothing changes
    EXPECT_EQ(form->PortPanelCount(), 9);
    EXPECT_EQ(service->GetPortCount(), 9);
}

} // namespace
} // namespace playerqz
