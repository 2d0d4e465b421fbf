#include "webctl/U_YunTai.h"

#include "common/win/textconv.h"
#include "host/engine/U_Conversions.h"
#include "host/engine/U_NetClientSet.h"
#include "host/engine/U_WorkLogLine.h"
#include "host/net/U_UDPMessages.h"
#include "host/net/U_UdpSend.h"
#include "webctl/U_NetChannels.h"
#include "webctl/VantrelIE_QZForm.h"

#include <windows.h>

namespace vantrel::webctl {

using namespace dvr::fw;

namespace {

constexpr TColor kUpColor = 0x00D8C8B8;
constexpr TColor kDownColor = 0x0080A0C0;

// Where each picture sits on the PTZ panel (column, row) and what it shows.
struct PicturePlace {
    int column, row;
    const char* caption;
};
constexpr PicturePlace kPlaces[kPtzPictures] = {
    {3, 0, "鼠"}, {3, 1, ""},    {3, 2, ""},     {3, 3, ""},    {3, 4, ""},    {1, 1, "锁"},
    {0, 3, "变+"}, {1, 3, "变-"}, {2, 3, "焦+"},  {0, 4, "焦-"}, {1, 4, "圈+"}, {2, 4, "圈-"},
    {1, 0, "↑"},  {2, 0, "↗"},  {2, 1, "→"},   {2, 2, "↘"},  {1, 2, "↓"},  {0, 2, "↙"},
    {0, 1, "←"},  {0, 0, "↖"},
};

// The two directions of a diagonal picture, and the repeat pattern it runs.
struct Diagonal {
    int tag, timerTag, first, second;
};
constexpr Diagonal kDiagonals[] = {{13, 2, 0, 3}, {15, 3, 3, 1}, {17, 4, 2, 1}, {19, 1, 0, 2}};

} // namespace

TYunTai::TYunTai(TVantrelIE_QZ& form, TControlChannels& channels)
    : form_(form), channels_(channels), socket_(OpenUdpSocket()) {
    TPanel* panel = form.pn_YunTai;
    for (int tag = 0; tag < kPtzPictures; ++tag) {
        const PicturePlace& p = kPlaces[tag];
        auto* picture = new TPanel(panel);
        picture->SetParent(panel);
        picture->SetBounds(8 + p.column * 27, 22 + p.row * 27, 25, 25);
        picture->SetTag(tag);
        picture->SetColor(kUpColor);
        picture->SetCaption(dvr::win::Utf8ToGbk(p.caption));
        picture->OnMouseDown = TMouseEvent(this, &TYunTai::PictureMouseDown);
        picture->OnMouseUp = TMouseEvent(this, &TYunTai::PictureMouseUp);
        picture->OnClick = TNotifyEvent(this, &TYunTai::PictureClick);
        if (tag >= 1 && tag <= 4) picture->SetEnabled(false);
        Pictures[size_t(tag)] = picture;
    }
    // The pictures cover the panel: its caption would show between them.
    panel->SetCaption("");
    Pictures[0]->SetHint(dvr::win::Utf8ToGbk(
        "点亮后，在监视画面上，按鼠标左键拖动，即可控制云台上下左右转动"));
    Pictures[0]->SetShowHint(true);
    RepeatTimer = new TTimer(&form);
    RepeatTimer->SetEnabled(false);
    RepeatTimer->SetInterval(20);
    RepeatTimer->SetOnTimer(TNotifyEvent(this, &TYunTai::RepeatTimerTimer));
}

TYunTai::~TYunTai() = default;

bool TYunTai::SendToChannelHost(int channel, const void* data, size_t length) {
    if (channel < 0 || channel >= channels_.ChannelCount() || channel >= kNetSlots) return false;
    const TClientChannelRecord entry = channels_.Net->SlotTable[size_t(channel)];
    const TNetClientSet& hosts = channels_.Hosts();
    if (entry.GroupIndex < 0 || entry.GroupIndex >= static_cast<int>(hosts.Groups.size()))
        return false;
    const TClientGroup& group = hosts.Groups[size_t(entry.GroupIndex)];
    uint16_t port = kDefaultUdpServerPort;
    for (const TClientGroup& g : hosts.Groups)
        if (g.HostAddress.View() == group.HostAddress.View()) {
            if (g.Ports.Port[14] > 0 && g.Ports.Port[14] < 65536)
                port = static_cast<uint16_t>(g.Ports.Port[14]);
            break;
        }
    // Send errors are dropped.
    SendDatagram(socket_.get(), group.HostAddress.View(), port, data, length);
    return true;
}

void TYunTai::SendCommand(int channel, int command, int templ, int value1, int value2) {
    if (channel < 0 || channel >= channels_.ChannelCount() || channel >= kNetSlots) return;
    const TClientChannelRecord entry = channels_.Net->SlotTable[size_t(channel)];
    const TNetClientSet& hosts = channels_.Hosts();
    if (entry.GroupIndex < 0 || entry.GroupIndex >= static_cast<int>(hosts.Groups.size())) return;
    const TClientGroup& group = hosts.Groups[size_t(entry.GroupIndex)];
    UdpMsgPtzCommand m{};
    m.HostAddress.Set(group.HostAddress.View());
    m.OwnAddress.Set(channels_.OwnIP());
    m.Channel = entry.RemoteChannel;
    m.Protocol = PtzSettings && channel < kYunTaiEntries
                     ? PtzSettings->Entries[size_t(channel)].Protocol
                     : 0;
    m.Command = static_cast<uint8_t>(command);
    m.Stop = static_cast<uint8_t>(templ);
    m.Value1 = static_cast<uint8_t>(value1);
    m.Value2 = static_cast<uint8_t>(value2);
    m.UserName.Set(group.UserName.View());
    m.Password.Set(group.Password.View());
    SendToChannelHost(channel, &m, sizeof(m));
}

void TYunTai::StartCommand(int channel, int command, int value1, int value2) {
    SendCommand(channel, command, 0, value1, value2);
    if (command >= 0 && command <= 9) {
        CurrentCommand = command;
        RepeatChannel = channel;
        RepeatTimer->SetEnabled(true);
    }
}

void TYunTai::StopCommand(int channel, int command, int value1, int value2) {
    RepeatTimer->SetEnabled(false);
    RepeatTag = 0;
    SendCommand(channel, command, 1, value1, value2);
}

void TYunTai::ShowDown(int tag, bool down) {
    if (tag == 0 || tag == 1 || tag == 5) return;
    Pictures[size_t(tag)]->SetColor(down ? kDownColor : kUpColor);
}

void TYunTai::PictureMouseDown(TObject* sender, TMouseButton, TShiftState, int, int) {
    Press(static_cast<TPanel*>(sender)->Tag());
}

void TYunTai::PictureMouseUp(TObject* sender, TMouseButton, TShiftState, int, int) {
    Release(static_cast<TPanel*>(sender)->Tag());
}

void TYunTai::Press(int tag) {
    if (Locked || tag < 0 || tag >= kPtzPictures) return;
    PtzChannel = form_.Preview->SelectedPane;
    RepeatTag = 0;
    Toggle = false;
    ShowDown(tag, true);
    const int c = PtzChannel;
    if (tag >= 6 && tag <= 11) {
        StartCommand(c, tag - 2, 0, 0);
    } else if (tag == 12 || tag == 14 || tag == 16 || tag == 18) {
        static constexpr int kStraight[] = {0, 3, 1, 2}; // tags 12, 14, 16, 18
        StartCommand(c, kStraight[(tag - 12) / 2], 0, 0);
    } else {
        for (const Diagonal& d : kDiagonals)
            if (d.tag == tag) {
                RepeatTag = d.timerTag;
                StartCommand(c, d.first, 0, 0);
                ::Sleep(20);
                StartCommand(c, d.second, 0, 0);
                // StartCommand left the tag alone; the repeat runs the diagonal's pattern.
                RepeatTag = d.timerTag;
            }
    }
}

void TYunTai::Release(int tag) {
    if (Locked || tag < 0 || tag >= kPtzPictures) return;
    ShowDown(tag, false);
    if (tag >= 6 && tag <= 11) {
        StopCommand(PtzChannel, tag - 2, 0, 0);
    } else if (tag >= 12 && tag <= 19) {
        for (int c = 0; c < 4; ++c)
            StopCommand(PtzChannel, c, 0, 0);
    }
}

void TYunTai::PictureClick(TObject* sender) {
    const int tag = static_cast<TPanel*>(sender)->Tag();
    const int pane = PtzChannel;
    if (pane < 0 || pane >= kPaneCount || !form_.Preview->Panes[size_t(pane)].Net.Playing) return;
    if (tag == 5) {
        Locked = !Locked;
        Pictures[5]->SetColor(Locked ? kDownColor : kUpColor);
        return;
    }
    if (Locked) return;
    channels_.AddLogRecord(WorkLogLine(CurrentOleDate(), 25, -1, -1, -1, "", "", ""));
    if (tag == 0) {
        MousePtz = !MousePtz;
        Pictures[0]->SetColor(MousePtz ? kDownColor : kUpColor);
    }
}

void TYunTai::RepeatTimerTimer(TObject*) {
    int value1 = 0;
    switch (RepeatTag) {
    case 1: value1 = Toggle ? 0 : 2; break;
    case 2: value1 = Toggle ? 0 : 3; break;
    case 3: value1 = Toggle ? 3 : 1; break;
    case 4: value1 = Toggle ? 2 : 1; break;
    default: break;
    }
    SendCommand(RepeatChannel, CurrentCommand, 0, value1, 0);
    if (RepeatTag >= 1 && RepeatTag <= 4) Toggle = !Toggle;
}

} // namespace vantrel::webctl
