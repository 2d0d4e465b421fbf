#include "host/ui/F_MapCtrlForm.h"

#include "host/ui/U_DialogControls.h"
#include "host/ui/window_shot_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <shellapi.h>

namespace vantrel {
namespace {

using namespace dvr::fw;
using dvr::win::GbkToWide;
using dvr::win::Utf8ToGbk;

struct StationFolder {
    std::string path; // GBK, trailing "\"
    StationFolder() {
        wchar_t tmp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, tmp);
        path = dvr::win::WideToGbk(tmp) + "smap" + std::to_string(::GetCurrentProcessId()) + "_" +
               std::to_string(::GetTickCount()) + "\\";
    }
    ~StationFolder() {
        std::wstring from = GbkToWide(path.substr(0, path.size() - 1));
        from.push_back(L'\0');
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        ::SHFileOperationW(&op);
    }
};

// A small bitmap file with a red left half.
std::string Picture() {
    const int w = 64, h = 48, row = w * 3;
    BITMAPFILEHEADER fh{0x4D42, DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + row * h),
                        0, 0, DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof ih;
    ih.biWidth = w;
    ih.biHeight = h;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    std::string out(reinterpret_cast<const char*>(&fh), sizeof fh);
    out.append(reinterpret_cast<const char*>(&ih), sizeof ih);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) out += x < w / 2 ? std::string("\x20\x20\xE0", 3) : std::string("\xE0\xC0\x60", 3);
    return out;
}

struct StationMapFixture : ::testing::Test {
    StationFolder folder;
    std::vector<TClientGroupRecord> groups;
    std::vector<std::vector<TClientChannelRecord>> members;
    bool cycling = false, allowed = true, automatic = false, settingsOk = true;
    std::string settingsChoice;
    std::vector<int> logged, rebuilt;
    std::vector<std::string> messages;
    std::string chosenPicture;
    POINT cursor{0, 0};

    StationMapFixture() {
        TClientGroupRecord g{};
        g.Name.Set(Utf8ToGbk("北站"));
        g.HostAddress.Set("10.0.0.5");
        groups = {g, g};
        groups[1].Name.Set("west");
        TClientChannelRecord c{};
        c.Name.Set(Utf8ToGbk("站台"));
        TClientChannelRecord d = c;
        d.Name.Set("gate");
        members = {{c, d}, {}};
    }
    TMapCtrlForm* Make() {
        TMapCtrlHost h;
        h.ProgramPath = folder.path;
        h.GroupRecords = &groups;
        h.GroupMembers = &members;
        h.CycleMode = [this] { return cycling; };
        h.CheckRight = [this](int right) { return right == 2 && allowed; };
        h.AutoMode = [this] { return automatic; };
        h.WorkLog = [this](int e) { logged.push_back(e); };
        h.CloseAllAndRebuild = [this](int g) { rebuilt.push_back(g); };
        h.RunClientSettings = [this](std::string& chosen) {
            chosen = settingsChoice;
            return settingsOk;
        };
        h.ChoosePicture = [this] { return chosenPicture; };
        h.Message = [this](const std::string& text, const std::string&, unsigned) {
            messages.push_back(text);
        };
        auto* f = new TMapCtrlForm(nullptr, std::move(h));
        f->AfterConstruction();
        f->CursorPos = [this] { return cursor; };
        return f;
    }
};

TEST_F(StationMapFixture, StationsAddedDraggedNamedSavedAndReopened) {
    auto* f = Make();
    std::string bytes;
    f->bt_SaveClick(f->bt_Save);
    EXPECT_FALSE(ReadWholeFile(f->Folder() + "StationMap.ifm", bytes)) << "no stations, no file";

    f->bt_AddClick(f->bt_Add);
    f->bt_AddClick(f->bt_Add);
    ASSERT_EQ(f->Labels.size(), 2u);
    // "设置" names the station with what the client settings window chose.
    settingsChoice = Utf8ToGbk("北站");
    f->AssignStation(0);
    EXPECT_EQ(logged, (std::vector<int>{9, 10}));
    EXPECT_EQ(rebuilt, (std::vector<int>{-1}));
    EXPECT_EQ(f->Labels[0]->Caption(), Utf8ToGbk("北站"));
    settingsOk = false;
    settingsChoice = "nowhere";
    f->AssignStation(1);
    EXPECT_EQ(f->Labels[1]->Caption(), "nowhere") << "a choice counts even without OK";
    EXPECT_EQ(rebuilt.size(), 1u);

    // Ctrl-drag the first label by the pointer's screen movement.
    f->Show();
    f->Labels[1]->SetLeft(300); // new stations sit at 0, 0
    TLabel* l = f->Labels[0];
    const HWND panel = f->pn_Map->Handle();
    cursor = {500, 400};
    ::SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(l->Left() + 2, l->Top() + 2));
    cursor = {620, 470};
    ::SendMessageW(panel, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MAKELPARAM(l->Left() + 2, l->Top() + 2));
    ::SendMessageW(panel, WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(l->Left() + 2, l->Top() + 2));
    EXPECT_EQ(l->Left(), 120);
    EXPECT_EQ(l->Top(), 70);
    EXPECT_EQ(int(f->Stations[0].Left), 120);
    EXPECT_EQ(int(f->Stations[0].Top), 70);
    // Without Ctrl nothing moves.
    ::SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(l->Left() + 2, l->Top() + 2));
    cursor = {700, 600};
    ::SendMessageW(panel, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(l->Left() + 2, l->Top() + 2));
    ::SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(l->Left() + 2, l->Top() + 2));
    EXPECT_EQ(l->Left(), 120);

    chosenPicture = folder.path + "plan.jpg";
    ASSERT_TRUE(WriteWholeFile(chosenPicture, Picture()));
    f->bt_LoadMapClick(f->bt_LoadMap);
    EXPECT_EQ(f->im_Map->Picture()->Width(), 64);
    testing::PumpWaiting();
    testing::SaveWindowShot(f->Handle(), "host_station_map");
    f->bt_SaveClick(f->bt_Save);
    f->Free();

    ASSERT_TRUE(ReadWholeFile(folder.path + "StationMap\\StationMap.ifm", bytes));
    EXPECT_EQ(bytes.size(), 72u);
    auto* g = Make();
    ASSERT_EQ(g->Labels.size(), 2u);
    EXPECT_EQ(g->Labels[0]->Left(), 120);
    EXPECT_EQ(g->Labels[0]->Top(), 70);
    EXPECT_EQ(g->Labels[0]->Caption(), Utf8ToGbk("北站"));
    EXPECT_EQ(g->im_Map->Picture()->Width(), 64) << "the stored picture at creation";
    // Deleting renumbers the labels after it.
    g->DeleteStation(0);
    ASSERT_EQ(g->Labels.size(), 1u);
    EXPECT_EQ(g->Labels[0]->Tag(), 0);
    EXPECT_EQ(g->Stations[0].Name.Get(), "nowhere");
    g->Free();

    // A picture that cannot be copied says so.
    auto* h = Make();
    chosenPicture = folder.path + "missing.jpg";
    h->bt_LoadMapClick(h->bt_LoadMap);
    EXPECT_EQ(messages.back(), Utf8ToGbk("加载地图失败！"));
    h->Free();
}

TEST_F(StationMapFixture, OpeningAndAssigningFollowTheRules) {
    auto* f = Make();
    f->bt_AddClick(f->bt_Add);
    f->bt_AddClick(f->bt_Add);
    f->Stations[0].Name.Set("west");
    f->Stations[1].Name.Set("east");

    // A station named after no group stays, with the message.
    f->OpenStation(1);
    EXPECT_EQ(messages.back(), Utf8ToGbk("站点 < east > 不存在！"));
    EXPECT_TRUE(rebuilt.empty());
    f->OpenStation(0);
    EXPECT_EQ(rebuilt, (std::vector<int>{1}));

    // The menu: the first four items, then the channels of the station's group.
    f->Stations[1].Name.Set(Utf8ToGbk("北站"));
    f->FillMenu(1);
    ASSERT_EQ(f->pm_Station->Items()->Count(), 6);
    EXPECT_EQ(f->pm_Station->Items()->Items(4)->Caption(), Utf8ToGbk("站台"));
    f->FillMenu(0);
    EXPECT_EQ(f->pm_Station->Items()->Count(), 4);

    // Refusals: cycling view, missing right, automatic mode.
    struct Case {
        bool cycling, allowed, automatic;
        const char* message;
    } cases[] = {{true, true, false, "对不起，系统正处轮视模式，操作无效！"},
                 {false, false, false, "对不起！您不具备本操作的权限。"},
                 {false, true, true, nullptr}};
    for (const Case& c : cases) {
        cycling = c.cycling;
        allowed = c.allowed;
        automatic = c.automatic;
        messages.clear();
        logged.clear();
        settingsChoice = "changed";
        f->AssignStation(0);
        EXPECT_EQ(f->Stations[0].Name.Get(), "west");
        EXPECT_TRUE(logged.empty());
        if (c.message)
            EXPECT_EQ(messages, std::vector<std::string>{Utf8ToGbk(c.message)});
        else
            EXPECT_TRUE(messages.empty());
    }
    f->Free();
}

} // namespace
} // namespace vantrel
