#include "host/ui/U_ConsoleDialogRules.h"

#include "host/engine/U_Conversions.h"
#include "host/engine/U_WorkLogConst.h"

#include "framework/strutils.h"

#include <cstdio>

namespace vantrel {

using dvr::fw::Utf8ToGbk;

AutoFullScreenChoice ParseAutoFullScreen(const std::string& value) {
    AutoFullScreenChoice c;
    if (value.size() <= 2) return c;
    c.Enabled = value[0] == '1';
    const std::string digits = value.substr(1, 2);
    int item = 0;
    for (char ch : digits) {
        if (ch < '0' || ch > '9') return {c.Enabled, 0};
        item = item * 10 + (ch - '0');
    }
    c.Item = item;
    return c;
}

std::string FormatAutoFullScreen(bool enabled, int item) {
    const std::string index = "00" + std::to_string(item);
    return (enabled ? "1" : "0") + index.substr(index.size() - 2);
}

DiskViewRow MakeDiskViewRow(const std::string& root, uint64_t totalBytes, uint64_t freeBytes) {
    DiskViewRow row;
    const uint64_t totalMB = totalBytes / 1024 / 1024;
    const uint64_t freeMB = freeBytes / 1024 / 1024;
    row.Root = root;
    row.CapacityMB = std::to_string(totalMB);
    const uint64_t percent = totalMB ? (freeMB * 100 + totalMB / 2) / totalMB : 0;
    row.Free = std::to_string(freeMB) + "  " + Utf8ToGbk("比例：") + std::to_string(percent) + "%";
    row.HoursLeft = std::to_string(freeMB / 100);
    return row;
}

namespace {

RightsTreeNode Leaf(const char* utf8) {
    return {Utf8ToGbk(utf8), {}};
}

std::vector<RightsTreeNode> Channels() {
    std::vector<RightsTreeNode> v;
    for (int i = 1; i <= 49; ++i)
        v.push_back({Utf8ToGbk("通道") + std::to_string(i), {}});
    return v;
}

RightsTreeNode WithChannels(const char* utf8) {
    return {Utf8ToGbk(utf8), Channels()};
}

RightsTreeNode With(const char* utf8, std::initializer_list<const char*> items) {
    RightsTreeNode n = Leaf(utf8);
    for (const char* i : items)
        n.Children.push_back(Leaf(i));
    return n;
}

std::vector<RightsTreeNode> MakeLayout() {
    RightsTreeNode settings = Leaf("系统设置");
    settings.Children = {WithChannels("预览"), WithChannels("录像"), WithChannels("报警"),
                         WithChannels("自动"), Leaf("云台"),         Leaf("智能卡"),
                         Leaf("认证"),         Leaf("其它")};
    return {Leaf("登录"),
            settings,
            Leaf("副控设置"),
            WithChannels("预览"),
            WithChannels("录像"),
            WithChannels("报警"),
            Leaf("自动工作"),
            WithChannels("云台控制"),
            WithChannels("本地回放"),
            WithChannels("远程回放"),
            Leaf("（暂空）"),
            Leaf("预览抓帧"),
            Leaf("回放抓帧"),
            With("工作日志", {"本地日记", "远程日记"}),
            WithChannels("声音监听"),
            Leaf("用户管理"),
            Leaf("语音广播"),
            With("矩阵控制", {"本地", "远程"}),
            Leaf("聊天室"),
            Leaf("视频切换"),
            Leaf("画面分割"),
            Leaf("网络巡更"),
            Leaf("查看连接"),
            With("查看磁盘", {"本地", "远程"}),
            With("报警输出控制", {"本地", "远程"}),
            Leaf("电子地图"),
            Leaf("远程报警信息"),
            Leaf("拨号"),
            Leaf("远程控制"),
            With("关闭系统", {"询问关机", "自动关机"}),
            Leaf("远程设置"),
            Leaf("网络督察"),
            Leaf("远程升级")};
}

} // namespace

const std::vector<RightsTreeNode>& RightsTreeLayout() {
    static const std::vector<RightsTreeNode> layout = MakeLayout();
    return layout;
}

std::string UserLevelText(int level) {
    switch (level) {
    case 0:
        return Utf8ToGbk("超级管理员");
    case 1:
        return Utf8ToGbk("管理员");
    case 2:
        return Utf8ToGbk("操作员");
    default:
        return {};
    }
}

std::vector<WorkLogYear> BuildWorkLogDays(const std::vector<std::string>& dates,
                                          const std::vector<int>& firstIndexes) {
    std::vector<WorkLogYear> years;
    for (size_t i = 0; i < dates.size() && i < firstIndexes.size(); ++i) {
        const std::string& d = dates[i];
        if (d.size() < 10) continue;
        const std::string year = d.substr(0, 4), month = d.substr(5, 2), day = d.substr(8, 2);
        if (years.empty() || years.back().Text != year) years.push_back({year, {}});
        auto& months = years.back().Months;
        if (months.empty() || months.back().Text != month) months.push_back({month, {}});
        months.back().Days.push_back({year + "-" + month + "-" + day, firstIndexes[i]});
    }
    return years;
}

std::vector<std::string> WorkLogPages(int count) {
    std::vector<std::string> pages;
    if (count <= kWorkLogPageRecords) return pages;
    const int full = count / kWorkLogPageRecords;
    for (int a = 0; a < full; ++a)
        pages.push_back(std::to_string(a * kWorkLogPageRecords + 1) + "--" +
                        std::to_string(a * kWorkLogPageRecords + kWorkLogPageRecords));
    if (count % kWorkLogPageRecords > 0)
        pages.push_back(std::to_string(full * kWorkLogPageRecords + 1) + "--" +
                        std::to_string(count));
    return pages;
}

bool WorkLogRow(const TWorkLogRecord& r, std::vector<std::string>& columns) {
    if (r.Event >= kWorkLogEvents) return false;
    const DateTimeParts t = DecodeOleDate(r.Time);
    char time[40];
    std::snprintf(time, sizeof time, "%04d-%02d-%02d %02d:%02d:%02d:%03d", t.Year, t.Month, t.Day,
                  t.Hour, t.Minute, t.Second, t.Millisecond);
    auto channel = [](int8_t c) { return c < 0 ? std::string() : std::to_string(c + 1); };
    columns = {time,
               Utf8ToGbk(WorkLogEventTexts[r.Event]),
               r.UserName.Get(),
               channel(r.HostChannel),
               channel(r.ClientChannel),
               r.AlarmPoint < 0 ? std::string() : std::to_string(int(r.AlarmPoint)),
               r.HostAddress.Get(),
               r.ClientAddress.Get()};
    return true;
}

} // namespace vantrel
