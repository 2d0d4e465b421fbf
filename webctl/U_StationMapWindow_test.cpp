#include "webctl/U_StationMapWindow.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_NetClientSet.h"
#include "host/engine/U_SystemOtherSet.h"
#include "host/ui/F_MapCtrlForm.h"
#include "host/ui/window_shot_testing.h"

#include "common/win/textconv.h"

#include <gtest/gtest.h>

namespace vantrel::webctl {
namespace {

// The control's station map keeps its stations in the control's folder and opens the
// control's own host groups.
TEST(ControlStationMap, StationsLiveInTheControlsFolderAndOpenItsHostGroups) {
    TArithmetic arithmetic;
    TSystemOtherSet other(arithmetic);
    TNetClientSet hosts(arithmetic, other, 0);
    hosts.GroupRecords.assign(2, TClientGroupRecord{});
    hosts.GroupRecords[0].Name.Set("a");
    hosts.GroupRecords[1].Name.Set(dvr::win::Utf8ToGbk("南站"));
    hosts.GroupMembers.assign(2, {});
    bool cycling = false;
    std::vector<int> opened;
    auto* f = MakeControlStationMap(
        nullptr, hosts, [&] { return cycling; }, [&](int g) { opened.push_back(g); });
    EXPECT_EQ(f->Folder(), "C:\\Vantrel\\StationMap\\");
    const DWORD a = ::GetFileAttributesW(L"C:\\Vantrel\\StationMap");
    EXPECT_TRUE(a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY));
    f->bt_AddClick(f->bt_Add);
    f->Stations[0].Name.Set(dvr::win::Utf8ToGbk("南站"));
    f->OpenStation(0);
    EXPECT_EQ(opened, std::vector<int>{1});
    f->Show();
    vantrel::testing::PumpWaiting();
    vantrel::testing::SaveWindowShot(f->Handle(), "webctl_station_map");
    f->Free();
}

} // namespace
} // namespace vantrel::webctl
