#include "host/engine/U_PreviewSet.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_SettingsDefaults.h"

#include <cstdint>
#include <string>

namespace vantrel {

namespace {

const std::string& Key() {
    static const std::string key = std::string(kSettingsKey) + "Preview";
    return key;
}

#ifndef VANTREL_CONTROL_BUILD
template <typename Call> void Guarded(Call call) {
    try {
        call();
    } catch (...) {
    }
}

int AsInt(uint32_t value) {
    return value > uint32_t(INT32_MAX) ? INT32_MAX : int(value);
}
#endif

} // namespace

#ifdef VANTREL_CONTROL_BUILD
TPreviewSet::TPreviewSet() {
    Load();
}
#else
TPreviewSet::TPreviewSet(TVideoCardServices& card) : card_(card) {
    Load();
}
#endif

void TPreviewSet::SetDefaults(int channel, TPreviewSetRecord& record) {
    SetPreviewDefaults(channel, record);
}

void TPreviewSet::Load() {
    for (int channel = 0; channel < kSettingsChannels; ++channel)
        SetDefaults(channel, Records[channel]);
    TArithmetic::ReadRegBinary(HKEY_LOCAL_MACHINE, Key(), "Preview", Records.data(),
                               int(sizeof(TPreviewSetRecord) * Records.size()));
}

int TPreviewSet::SaveRecords(const TPreviewSetRecord* buffer, int highChannel) {
    if (!buffer || highChannel < 0 || highChannel >= kSettingsChannels) return -1;
    return TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, Key(), "Preview", buffer,
                                       int(sizeof(TPreviewSetRecord)) * (highChannel + 1));
}

#ifndef VANTREL_CONTROL_BUILD
void TPreviewSet::ApplyToBoard() {
    int channels = 0;
    Guarded([&] { channels = card_.ChannelCount(); });
    for (int i = 0; i < channels && i < kSettingsChannels; ++i) {
        const TPreviewSetRecord& r = Records[i];
        Guarded([&] {
            card_.SetChannelOsd(i, r.Title.View(), r.ShowTitle != 0, r.ShowDateTime != 0,
                                r.TimeAutoBrightness != 0, POINT{r.DateTimeX, r.DateTimeY},
                                POINT{r.TitleX, r.TitleY});
        });
        ::Sleep(30);
        // Brightness and hue are unsigned: a huge stored value must reach the wrapper's clamp as
        // too bright, not wrap round to a negative one.
        Guarded([&] {
            card_.SetPictureParams(i, AsInt(r.Picture.Brightness), r.Picture.Contrast,
                                   r.Picture.Saturation, AsInt(r.Picture.Hue));
        });
        ::Sleep(30);
    }
}

#endif

} // namespace vantrel
