#include "host/ui/U_PtzPanel.h"

#include "common/win/textconv.h"

namespace vantrel {

using namespace dvr::fw;

namespace {

struct Place {
    int Left, Top, Width, Height;
};

constexpr Place kPlaces[20] = {
    {940, 599, 30, 30}, {920, 510, 44, 36}, {967, 510, 44, 36}, {920, 550, 44, 36},
    {967, 550, 44, 36}, {990, 632, 16, 16}, {916, 655, 20, 20}, {992, 655, 20, 20},
    {916, 677, 20, 20}, {992, 677, 20, 20}, {916, 700, 20, 20}, {992, 700, 20, 20},
    {947, 582, 16, 16}, {970, 591, 16, 16}, {982, 606, 16, 16}, {971, 630, 16, 16},
    {948, 640, 16, 16}, {933, 627, 16, 16}, {924, 607, 16, 16}, {932, 592, 16, 16}};

// The direction commands of tags 12 to 19 (diagonals: the two started, in order).
constexpr int kDirections[8][2] = {{0, -1}, {0, 3}, {3, -1}, {3, 1},
                                   {1, -1}, {2, 1}, {2, -1}, {0, 2}};
// The repeat timer's tag of the diagonals, by tag - 12.
constexpr int kDiagonalTag[8] = {0, 2, 0, 3, 0, 4, 0, 1};

bool Toggle(int tag) {
    return tag == 0 || tag == 1 || tag == 5;
}

} // namespace

TPtzPanel::TPtzPanel(TWinControl* console, TYunTai& ptz, TPtzPanelHost& host)
    : TComponent(console), ptz_(ptz), host_(host) {
    for (int tag = 0; tag < 20; ++tag) {
        auto* image = new TImage(this);
        image->SetParent(console);
        const Place& p = kPlaces[tag];
        image->SetBounds(p.Left, p.Top, p.Width, p.Height);
        image->SetTag(tag);
        image->OnMouseDown = TMouseEvent(this, &TPtzPanel::ImageMouseDown);
        image->OnMouseUp = TMouseEvent(this, &TPtzPanel::ImageMouseUp);
        image->OnClick = TNotifyEvent(this, &TPtzPanel::ImageClick);
        Images[size_t(tag)] = image;
        SetPicture(tag, false);
    }
    Images[0]->SetHint(dvr::win::Utf8ToGbk(
        "点亮后，在监视画面上，按鼠标左键，即可控制上下左右转动; 按右键，可控制聚焦(左右)、变倍(上下)。"));
    Images[0]->SetShowHint(true);
    AuxMenu = new TPopupMenu(this);
    for (int i = 0; i < 4; ++i) {
        auto* item = new TMenuItem(this);
        item->SetCaption(dvr::win::Utf8ToGbk("辅助 ") + std::to_string(i + 1));
        item->SetTag(i);
        item->OnClick = TNotifyEvent(this, &TPtzPanel::AuxItemClick);
        AuxMenu->Items()->Add(item);
    }
}

void TPtzPanel::SetPicture(int tag, bool down) {
    const std::string res =
        std::string(down ? "YT_Ctrl_Down_" : "YT_Ctrl_Up_") + std::to_string(tag + 1);
    try {
        Images[size_t(tag)]->Picture()->Bitmap()->LoadFromResourceName(::GetModuleHandleW(nullptr),
                                                                         res);
    } catch (...) {
        // A program without the pictures keeps a blank control.
    }
    pictures_[size_t(tag)] = down ? -(tag + 1) : tag + 1;
}

void TPtzPanel::ImageMouseDown(TObject* Sender, TMouseButton, TShiftState, int, int) {
    Press(static_cast<TImage*>(Sender)->Tag());
}

void TPtzPanel::ImageMouseUp(TObject* Sender, TMouseButton, TShiftState, int, int) {
    Release(static_cast<TImage*>(Sender)->Tag());
}

void TPtzPanel::ImageClick(TObject* Sender) {
    Click(static_cast<TImage*>(Sender)->Tag());
}

void TPtzPanel::Press(int tag) {
    if (PanelLocked) return;
    const int ch = host_.SelectedChannel();
    ptz_.CurrentChannel = ch;
    ptz_.SetRepeatTag(0);
    ptz_.DiagonalToggle = 0;
    if (!Toggle(tag)) SetPicture(tag, true);
    if (tag >= 6 && tag <= 11) {
        ptz_.StartCommand(ch, tag - 2, 0, 0);
    } else if (tag >= 12 && tag <= 19) {
        const int* d = kDirections[tag - 12];
        if (d[1] < 0) {
            ptz_.StartCommand(ch, d[0], 0, 0);
        } else {
            ptz_.SetRepeatTag(kDiagonalTag[tag - 12]);
            ptz_.StartCommand(ch, d[0], 0, 0);
            host_.Pause(50);
            ptz_.StartCommand(ch, d[1], 0, 0);
        }
    }
}

void TPtzPanel::Release(int tag) {
    if (PanelLocked) return;
    if (!Toggle(tag)) SetPicture(tag, false);
    const int ch = ptz_.CurrentChannel;
    if (tag == 2) {
        for (int i = 0; i < 4; ++i)
            AuxMenu->Items()->Items(i)->SetChecked(ptz_.AuxState[i]);
        if (PopupAux) {
            PopupAux(AuxMenu);
        } else {
            POINT pt{};
            ::GetCursorPos(&pt);
            AuxMenu->Popup(pt.x, pt.y);
        }
    } else if (tag >= 6 && tag <= 11) {
        ptz_.StopCommand(ch, tag - 2, 0, 0);
    } else if (tag >= 12 && tag <= 19) {
        for (int c = 0; c < 4; ++c)
            ptz_.StopCommand(ch, c, 0, 0);
    }
}

void TPtzPanel::Click(int tag) {
    if (tag == 5) {
        PanelLocked = !PanelLocked;
        SetPicture(5, PanelLocked);
    }
    if (PanelLocked) return;
    host_.WriteLog(25);
    const int ch = ptz_.CurrentChannel;
    switch (tag) {
    case 0:
        MouseMode = !MouseMode;
        SetPicture(0, MouseMode);
        break;
    case 1:
        AutoPanOn = !AutoPanOn;
        SetPicture(1, AutoPanOn);
        if (AutoPanOn)
            ptz_.StartCommand(ch, 10, 0, 0);
        else
            ptz_.StopCommand(ch, 10, 0, 0);
        break;
    case 3:
        host_.ShowSpeedDome();
        break;
    case 4:
        host_.ShowSpeedWindow();
        break;
    default:
        break;
    }
}

void TPtzPanel::AuxItemClick(TObject* Sender) {
    auto* item = static_cast<TMenuItem*>(Sender);
    const int i = item->Tag();
    const int ch = ptz_.CurrentChannel;
    if (ptz_.AuxState[i]) {
        item->SetChecked(false);
        ptz_.StopCommand(ch, 11 + i, 0, 0);
        ptz_.AuxState[i] = false;
    } else {
        item->SetChecked(true);
        ptz_.StartCommand(ch, 11 + i, 0, 0);
        ptz_.AuxState[i] = true;
    }
}

} // namespace vantrel
