// The PTZ control panel: twenty picture controls on the console that drive the selected
// pane's camera while pressed, the automatic pan, the auxiliary outputs and the panel lock.
#pragma once

#include "host/engine/U_YunTai.h"

#include "framework/ui/extctrls.h"
#include "framework/ui/menus.h"

#include <array>
#include <functional>

namespace vantrel {

class TPtzPanelHost {
public:
    virtual ~TPtzPanelHost() = default;
    virtual int SelectedChannel() = 0;
    virtual void WriteLog(int event) = 0;
    virtual void ShowSpeedDome() = 0;
    virtual void ShowSpeedWindow() = 0;
    virtual void Pause(DWORD ms) = 0;
};

class TPtzPanel : public dvr::fw::TComponent {
    FW_CLASS(TPtzPanel, dvr::fw::TComponent)
public:
    TPtzPanel(dvr::fw::TWinControl* console, TYunTai& ptz, TPtzPanelHost& host);

    std::array<dvr::fw::TImage*, 20> Images{};
    dvr::fw::TPopupMenu* AuxMenu = nullptr;
    bool MouseMode = false, AutoPanOn = false, PanelLocked = false;
    // Tests replace the popup.
    std::function<void(dvr::fw::TPopupMenu*)> PopupAux;

    // The picture a control shows: +N up, -N down.
    int PictureOf(int tag) const { return pictures_[size_t(tag)]; }

    void ImageMouseDown(dvr::fw::TObject* Sender, dvr::fw::TMouseButton Button,
                        dvr::fw::TShiftState Shift, int X, int Y);
    void ImageMouseUp(dvr::fw::TObject* Sender, dvr::fw::TMouseButton Button,
                      dvr::fw::TShiftState Shift, int X, int Y);
    void ImageClick(dvr::fw::TObject* Sender);
    void AuxItemClick(dvr::fw::TObject* Sender);
    // The press, release and click of a control by its tag.
    void Press(int tag);
    void Release(int tag);
    void Click(int tag);

private:
    void SetPicture(int tag, bool down);
    TYunTai& ptz_;
    TPtzPanelHost& host_;
    std::array<int, 20> pictures_{};
};

} // namespace vantrel
