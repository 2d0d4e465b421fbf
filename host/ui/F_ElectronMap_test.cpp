#include "host/ui/F_ElectronMap.h"

#include "host/ui/U_DialogControls.h"
#include "host/ui/window_shot_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <chrono>
#include <functional>

namespace vantrel {
namespace {

using namespace dvr::fw;
using dvr::win::GbkToWide;
using dvr::win::Utf8ToGbk;

// A fresh program folder under the temporary folder, removed afterwards.
struct TempFolder {
    std::string path; // GBK, trailing "\"
    TempFolder() {
        wchar_t tmp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, tmp);
        path = dvr::win::WideToGbk(tmp) + "emap" + std::to_string(::GetCurrentProcessId()) + "_" +
               std::to_string(::GetTickCount()) + "\\";
        ::CreateDirectoryW(GbkToWide(path).c_str(), nullptr);
    }
    ~TempFolder() {
        std::wstring from = GbkToWide(path.substr(0, path.size() - 1));
        from.push_back(L'\0');
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        ::SHFileOperationW(&op);
    }
};

// A 24-bit bitmap file: blue left half, yellow right half.
std::string PictureBytes(int w, int h) {
    const int row = (w * 3 + 3) & ~3;
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
    for (int y = 0; y < h; ++y) {
        std::string line(size_t(row), '\0');
        for (int x = 0; x < w; ++x) {
            const bool left = x < w / 2;
            line[size_t(x * 3)] = char(left ? 0xC0 : 0x00);
            line[size_t(x * 3 + 1)] = char(left ? 0x40 : 0xE0);
            line[size_t(x * 3 + 2)] = char(left ? 0x20 : 0xF0);
        }
        out += line;
    }
    return out;
}

bool WaitFor(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < until) {
        testing::PumpWaiting();
        if (done()) return true;
        ::Sleep(10);
    }
    return false;
}

TClientGroupRecord Group(const char* name, const char* address) {
    TClientGroupRecord g{};
    g.Name.Set(name);
    g.HostAddress.Set(address);
    g.UserName.Clear();
    g.Password.Clear();
    g.ParentId = 0;
    return g;
}

TClientChannelRecord Member(const char* name, int remote, int group) {
    TClientChannelRecord c{};
    c.InUse = 1;
    c.Name.Set(name);
    c.RemoteChannel = uint8_t(remote);
    c.GroupIndex = group;
    return c;
}

AlarmUploadRecord Alarm(const char* host, int channel, char kind, int index) {
    AlarmUploadRecord r{};
    r.HostAddress.Set(host);
    r.ViewerAddress.Clear();
    r.Channel = uint8_t(channel);
    r.Kind = uint8_t(kind);
    r.Index = uint8_t(index);
    return r;
}

// The map over two board channels and one watched host, in a fresh program folder.
struct MapFixture : ::testing::Test {
    TempFolder folder;
    std::vector<TClientGroupRecord> groups{Group("hostA", "10.0.0.2")};
    std::vector<std::vector<TClientChannelRecord>> members{{Member("door", 3, 0)}};
    std::vector<TClientChannelRecord> channels{Member("door", 3, 0)};
    std::string chosenPicture;
    // What the association dialog picks: the node's text, and the detector number typed.
    std::string pickText;
    int pickDetector = 1;
    bool mainShown = true;
    TMapAlarmQueue alarms;

    TElectronMapForm* Make(int width = 800, int height = 600) {
        TElectronMapHost h;
        h.ProgramPath = folder.path;
        h.BoardTitles = [] { return std::vector<std::string>{Utf8ToGbk("大门"), Utf8ToGbk("仓库")}; };
        h.GroupRecords = &groups;
        h.GroupMembers = &members;
        h.Channels = &channels;
        h.MainWindowShown = [this] { return mainShown; };
        h.Alarms = &alarms;
        h.ChoosePicture = [this] { return chosenPicture; };
        h.RunAssociation = [this](TElectronMapSetForm& f) {
            f.Show();
            for (int i = 0; i < f.tv_MapTree->Items()->Count(); ++i)
                if (f.tv_MapTree->Items()->Item(i)->Text() == pickText)
                    f.tv_MapTree->SetSelected(f.tv_MapTree->Items()->Item(i));
            f.se_DetectorNum->SetText(std::to_string(pickDetector));
            f.bt_OKClick(f.bt_OK);
            f.Hide();
            return f.ModalResult() == mrOk;
        };
        auto* f = new TElectronMapForm(nullptr, std::move(h));
        f->AfterConstruction();
        f->SetClientWidth(width);
        f->SetClientHeight(height);
        return f;
    }
    TTreeNode* Node(TElectronMapForm* f, const std::string& gbk) {
        for (int i = 0; i < f->tv_MapTree->Items()->Count(); ++i)
            if (f->tv_MapTree->Items()->Item(i)->Text() == gbk) return f->tv_MapTree->Items()->Item(i);
        return nullptr;
    }
    void ShowPlan(TElectronMapForm* f, const std::string& gbk) {
        f->tv_MapTree->SetSelected(Node(f, gbk));
        ::SendMessageW(f->Handle(), WM_EMAPSHOW, 0, 0);
    }
    std::string PictureFile() {
        const std::string p = folder.path + "source.jpg";
        EXPECT_TRUE(WriteWholeFile(p, PictureBytes(320, 240)));
        return p;
    }
};

TEST_F(MapFixture, TreeListsBoardChannelsAndHostsWithPictureIcons) {
    auto* f = Make();
    const std::vector<std::string> expected{Utf8ToGbk("地图列表"), Utf8ToGbk("本地主控"),
                                            Utf8ToGbk("大门"),     Utf8ToGbk("仓库"),
                                            "hostA",               "door"};
    ASSERT_EQ(f->tv_MapTree->Items()->Count(), int(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(f->tv_MapTree->Items()->Item(int(i))->Text(), expected[i]);
        EXPECT_EQ(f->tv_MapTree->Items()->Item(int(i))->ImageIndex(), 0);
        ASSERT_NE(f->PlanOf(f->tv_MapTree->Items()->Item(int(i))), nullptr) << "plans at creation";
    }
    EXPECT_EQ(f->Caption().substr(f->Caption().size() - Utf8ToGbk("电子地图").size()),
              Utf8ToGbk("电子地图"));

    // Loading a picture: copied under the node's text; a second one never overwrites it.
    chosenPicture = PictureFile();
    f->tv_MapTree->SetSelected(Node(f, Utf8ToGbk("大门")));
    f->sb_LoadMapClick(f->sb_LoadMap);
    const std::string stored = f->PicturePath(Utf8ToGbk("大门"));
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(stored, bytes));
    EXPECT_EQ(bytes, PictureBytes(320, 240));
    EXPECT_EQ(Node(f, Utf8ToGbk("大门"))->ImageIndex(), 1);
    WriteWholeFile(chosenPicture, PictureBytes(64, 64));
    f->sb_LoadMapClick(f->sb_LoadMap);
    ASSERT_TRUE(ReadWholeFile(stored, bytes));
    EXPECT_EQ(bytes, PictureBytes(320, 240));

    // A rebuild detaches every plan and keeps the icons of the pictures.
    f->BuildMapTree();
    EXPECT_EQ(f->PlanOf(Node(f, Utf8ToGbk("大门"))), nullptr);
    EXPECT_EQ(Node(f, Utf8ToGbk("大门"))->ImageIndex(), 1);
    EXPECT_EQ(Node(f, Utf8ToGbk("仓库"))->ImageIndex(), 0);
    f->Free();
}

TEST_F(MapFixture, MarkersAssociatedSavedAndReopenedAtTheirFractions) {
    chosenPicture = PictureFile();
    auto* f = Make(800, 600);
    f->Show();
    f->tv_MapTree->SetSelected(Node(f, "hostA"));
    f->sb_LoadMapClick(f->sb_LoadMap);
    ShowPlan(f, "hostA");
    ASSERT_EQ(f->ShownNode(), Node(f, "hostA"));
    EXPECT_EQ(f->im_Map->Picture()->Width(), 320) << "the plan's picture shows";

    f->sb_AddLeaderClick(f->sb_AddLeader);
    f->sb_AddCameraClick(f->sb_AddCamera);
    f->sb_AddCameraClick(f->sb_AddCamera);
    f->sb_AddDetectorClick(f->sb_AddDetector);
    ASSERT_EQ(f->LeaderMarks.size(), 1u);
    ASSERT_EQ(f->CameraMarks.size(), 2u);
    ASSERT_EQ(f->DetectorMarks.size(), 1u);
    // New markers all sit at 0, 0: spread them out.
    TWatchers* plan = f->PlanOf(f->ShownNode());
    plan->Cameras[0].X = 0.1;
    plan->Cameras[1].X = 0.3;
    plan->Detectors[0].X = 0.5;
    plan->Leaders[0].X = 0.7;
    ShowPlan(f, "hostA");
    ASSERT_EQ(f->CameraMarks[1].Image->Left(), MarkerPixel(f->pn_Map->ClientWidth(), 0.3));

    // Associations through the dialog: a board channel, a watched host's channel, a plan.
    auto click = [&](TControl* c) {
        const TPoint p{c->Left() + 5, c->Top() + 5};
        ::SendMessageW(f->pn_Map->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.X, p.Y));
        ::SendMessageW(f->pn_Map->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.X, p.Y));
    };
    f->SelectedCamera = 0;
    pickText = Utf8ToGbk("仓库");
    f->sb_SetCameraClick(f->sb_SetCamera);
    f->SelectedCamera = 1;
    pickText = "door";
    f->sb_SetCameraClick(f->sb_SetCamera);
    f->SelectedDetector = 0;
    pickText = Utf8ToGbk("大门");
    pickDetector = 6;
    f->sb_SetDetectorClick(f->sb_SetDetector);
    f->SelectedLeader = 0;
    pickText = Utf8ToGbk("仓库");
    f->sb_SetLeaderClick(f->sb_SetLeader);
    ASSERT_EQ(f->LeaderMarks.size(), 1u);
    EXPECT_EQ(f->LeaderMarks[0]->Caption(), Utf8ToGbk("仓库"));
    EXPECT_EQ(f->LeaderMarks[0]->Width(), 6 * 4 + 36);
    EXPECT_EQ(f->CameraMarks[1].Label->Caption(), "door");

    // Clicking a camera selects it (picture 1), the other returns to 0.
    click(f->CameraMarks[0].Image);
    EXPECT_EQ(f->SelectedCamera, 0);
    EXPECT_EQ(f->MarkPicture(f->CameraMarks[0]), 1);
    EXPECT_EQ(f->MarkPicture(f->CameraMarks[1]), 0);

    // Ctrl-drag the second camera; its label follows.
    TImage* cam = f->CameraMarks[1].Image;
    const int x0 = cam->Left() + 4, y0 = cam->Top() + 4;
    ::SendMessageW(f->pn_Map->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(x0, y0));
    ::SendMessageW(f->pn_Map->Handle(), WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL,
                   MAKELPARAM(x0 + 400 - cam->Left(), y0 + 300 - cam->Top()));
    ::SendMessageW(f->pn_Map->Handle(), WM_LBUTTONUP, MK_CONTROL,
                   MAKELPARAM(cam->Left() + 4, cam->Top() + 4));
    EXPECT_EQ(f->SelectedCamera, 1);
    EXPECT_EQ(cam->Left(), 400);
    EXPECT_EQ(cam->Top(), 300);
    EXPECT_EQ(f->CameraMarks[1].Label->Left(), 400 + cam->Width());
    EXPECT_EQ(f->CameraMarks[1].Label->Top(), 305);
    const double fx = 400.0 / f->pn_Map->ClientWidth(), fy = 300.0 / f->pn_Map->ClientHeight();
    testing::PumpWaiting();
    testing::SaveWindowShot(f->Handle(), "host_electronic_map");

    f->sb_SaveClick(f->sb_Save);
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(f->MarkerPath("hostA"), bytes));
    TWatchers saved;
    ASSERT_TRUE(ParseMarkerFile(bytes, saved));
    ASSERT_EQ(saved.Cameras.size(), 2u);
    EXPECT_EQ(saved.Leaders[0].Target.Get(), Utf8ToGbk("仓库"));
    EXPECT_EQ(saved.Cameras[0].Name.Get(), Utf8ToGbk("仓库"));
    EXPECT_EQ(saved.Cameras[0].HostAddress.Get(), "127.0.0.1");
    EXPECT_EQ(saved.Cameras[0].Channel, 1);
    EXPECT_EQ(saved.Cameras[1].HostAddress.Get(), "10.0.0.2");
    EXPECT_EQ(saved.Cameras[1].Channel, 3);
    EXPECT_DOUBLE_EQ(saved.Cameras[1].X, fx);
    EXPECT_DOUBLE_EQ(saved.Cameras[1].Y, fy);
    EXPECT_EQ(saved.Detectors[0].HostAddress.Get(), "127.0.0.1");
    EXPECT_EQ(saved.Detectors[0].Channel, 0);
    EXPECT_EQ(saved.Detectors[0].Input, 5) << "the dialog's 6";
    f->Free();

    // Another window size: the markers keep their fractions.
    auto* g = Make(600, 500);
    g->Show();
    ShowPlan(g, "hostA");
    ASSERT_EQ(g->CameraMarks.size(), 2u);
    EXPECT_EQ(g->CameraMarks[1].Image->Left(), MarkerPixel(g->pn_Map->ClientWidth(), fx));
    EXPECT_EQ(g->CameraMarks[1].Image->Top(), MarkerPixel(g->pn_Map->ClientHeight(), fy));

    // Deleting a camera closes the gap; deleting the map removes both files.
    g->SelectedCamera = 0;
    g->sb_DeleteCameraClick(g->sb_DeleteCamera);
    ASSERT_EQ(g->CameraMarks.size(), 1u);
    EXPECT_EQ(g->CameraMarks[0].Label->Caption(), "door");
    EXPECT_EQ(g->SelectedCamera, -1);
    g->tv_MapTree->SetSelected(Node(g, "hostA"));
    g->sb_DeleteMapClick(g->sb_DeleteMap);
    EXPECT_FALSE(ReadWholeFile(g->PicturePath("hostA"), bytes));
    EXPECT_FALSE(ReadWholeFile(g->MarkerPath("hostA"), bytes));
    EXPECT_EQ(Node(g, "hostA")->ImageIndex(), 0);
    EXPECT_TRUE(g->CameraMarks.empty());
    g->Free();
}

TEST_F(MapFixture, AlarmsShowThePlanInAlarmColoursAndPopUp) {
    // Plan "大门" holds a camera on board channel 1 and detectors on inputs 5 and 6 of channel 0.
    ::CreateDirectoryW(GbkToWide(folder.path + "ElectronMap").c_str(), nullptr);
    TWatchers plan;
    TMapCamera c = NewCamera();
    c.Name.Set("cam");
    c.HostAddress.Set("127.0.0.1");
    c.Channel = 1;
    c.X = 0.5;
    c.Y = 0.5;
    plan.Cameras.push_back(c);
    for (int input : {5, 6}) {
        TMapDetector d = NewDetector();
        d.Name.Set("probe");
        d.HostAddress.Set("127.0.0.1");
        d.Channel = 0;
        d.Input = uint8_t(input);
        plan.Detectors.push_back(d);
    }
    WriteWholeFile(folder.path + "ElectronMap\\" + Utf8ToGbk("大门") + ".ifm", MarkerFileBytes(plan));
    WriteWholeFile(folder.path + "ElectronMap\\" + Utf8ToGbk("大门") + ".jpg", PictureBytes(320, 240));

    auto* f = Make();
    ASSERT_FALSE(::IsWindowVisible(f->Handle()));
    auto post = [&](const AlarmUploadRecord& r, int raise) {
        f->QueueAlarm(r);
        ::PostMessageW(f->Handle(), WM_EMAPALARM, WPARAM(raise), 0);
    };
    post(Alarm("127.0.0.1", 1, kAlarmMotion, 0), 1);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(f->Handle()) != FALSE; }));
    ASSERT_TRUE(WaitFor([&] { return f->ShownNode() == Node(f, Utf8ToGbk("大门")); }));
    ASSERT_EQ(f->CameraMarks.size(), 1u);
    EXPECT_EQ(f->MarkPicture(f->CameraMarks[0]), 2);
    EXPECT_EQ(f->im_Map->Picture()->Width(), 320);
    EXPECT_EQ(alarms.Size(), 0u);
    testing::PumpWaiting();
    testing::SaveWindowShot(f->Handle(), "host_electronic_map_alarm");

    // The clear: normal picture, no pop-up.
    f->Hide();
    post(Alarm("127.0.0.1", 1, kAlarmMotion, 0), 0);
    ASSERT_TRUE(WaitFor([&] {
        return alarms.Size() == 0 && f->CameraMarks.size() == 1 &&
               f->MarkPicture(f->CameraMarks[0]) == 0;
    }));
    testing::PumpWaiting();
    EXPECT_FALSE(::IsWindowVisible(f->Handle()));

    // An alarm input marks only the detector with that input; unchecked box: no pop-up.
    f->cb_AutoPopup->SetChecked(false);
    post(Alarm("127.0.0.1", 0, kAlarmProbe, 5), 1);
    ASSERT_TRUE(WaitFor([&] {
        return alarms.Size() == 0 && f->DetectorMarks.size() == 2 &&
               f->MarkPicture(f->DetectorMarks[0]) == 2;
    }));
    EXPECT_EQ(f->MarkPicture(f->DetectorMarks[1]), 0);
    EXPECT_EQ(f->MarkPicture(f->CameraMarks[0]), 0);
    testing::PumpWaiting();
    EXPECT_FALSE(::IsWindowVisible(f->Handle()));

    // With the main window hidden the map does not pop up either.
    f->cb_AutoPopup->SetChecked(true);
    mainShown = false;
    post(Alarm("127.0.0.1", 1, kAlarmVideoLoss, 0), 1);
    ASSERT_TRUE(WaitFor([&] {
        return alarms.Size() == 0 && f->CameraMarks.size() == 1 &&
               f->MarkPicture(f->CameraMarks[0]) == 2;
    }));
    testing::PumpWaiting();
    EXPECT_FALSE(::IsWindowVisible(f->Handle()));
    f->Free();
}

} // namespace
} // namespace vantrel
