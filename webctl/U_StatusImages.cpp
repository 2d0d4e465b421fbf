#include "webctl/U_StatusImages.h"

#include <windows.h>

#include <string>

namespace vantrel::webctl {

using namespace dvr::fw;

namespace {
constexpr TColor kIdlePicture = 0x00707070;
constexpr TColor kAlarmPicture = 0x000000FF; // red
constexpr TColor kPictureText = 0x00FFFFFF;
constexpr int kLefts[4] = {784, 810, 834, 858};
} // namespace

TStatusImages::TStatusImages(TWinControl* face, int top, TNotifyEvent click, TColor workColor)
    : workColor_(workColor) {
    for (int i = 0; i < 49; ++i) {
        auto* image = new TPanel(face);
        image->SetParent(face);
        image->SetBounds(kLefts[i % 4], top + 17 * (i / 4), 22, 15);
        image->SetTag(i);
        image->SetColor(kIdlePicture);
        image->SetBevelOuter(TBevelCut::bvNone);
        image->SetCaption(std::to_string(i + 1));
        image->Font()->SetColor(kPictureText);
        image->SetVisible(false);
        image->OnClick = click;
        pictures_[size_t(i)] = image;
    }
}

void TStatusImages::Show(int count) {
    for (int i = 0; i < 49; ++i) {
        TPanel* image = pictures_[size_t(i)];
        image->SetVisible(i < count);
        if (i < count)
            if (HWND w = image->WindowHandle())
                ::SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

void TStatusImages::Hide() {
    for (TPanel* image : pictures_)
        image->SetVisible(false);
}

void TStatusImages::Set(int channel, StatusPicture picture) {
    if (channel < 0 || channel >= 49) return;
    states_[size_t(channel)] = picture;
    pictures_[size_t(channel)]->SetColor(picture == StatusPicture::Idle   ? kIdlePicture
                                         : picture == StatusPicture::Work ? workColor_
                                                                          : kAlarmPicture);
}

void TStatusImages::SetLive(int channel, bool live) {
    if (channel < 0 || channel >= 49 || states_[size_t(channel)] == StatusPicture::Alarm) return;
    Set(channel, live ? StatusPicture::Work : StatusPicture::Idle);
}

StatusPicture TStatusImages::State(int channel) const {
    return channel >= 0 && channel < 49 ? states_[size_t(channel)] : StatusPicture::Idle;
}

TPanel* TStatusImages::Picture(int channel) const {
    return channel >= 0 && channel < 49 ? pictures_[size_t(channel)] : nullptr;
}

} // namespace vantrel::webctl
