#include "host/engine/U_CaptureSet.h"

#include "host/engine/U_Arithmetic.h"
#include "host/engine/U_SettingsDefaults.h"

#include <string>

namespace vantrel {

namespace {

const std::string& Key() {
    static const std::string key = std::string(kSettingsKey) + "CAPTURE";
    return key;
}

#ifndef VANTREL_CONTROL_BUILD
// A failing board call must not keep the others from being made.
template <typename Call> void Guarded(Call call) {
    try {
        call();
    } catch (...) {
    }
}
#endif

} // namespace

#ifdef VANTREL_CONTROL_BUILD
TCaptureSet::TCaptureSet() {
    Load();
}
#else
TCaptureSet::TCaptureSet(TVideoCardServices& card) : card_(card) {
    Load();
}
#endif

void TCaptureSet::SetDefaults(TCaptureSetRecord& record) {
    SetCaptureDefaults(record);
}

void TCaptureSet::Load() {
    for (TCaptureSetRecord& record : Records)
        SetDefaults(record);
    TArithmetic::ReadRegBinary(HKEY_LOCAL_MACHINE, Key(), "CAPTURE", Records.data(),
                               int(sizeof(TCaptureSetRecord) * Records.size()));
}

int TCaptureSet::SaveRecords(const TCaptureSetRecord* buffer, int highChannel) {
    if (!buffer || highChannel < 0 || highChannel >= kSettingsChannels) return -1;
    return TArithmetic::WriteRegBinary(HKEY_LOCAL_MACHINE, Key(), "CAPTURE", buffer,
                                       int(sizeof(TCaptureSetRecord)) * (highChannel + 1));
}

#ifndef VANTREL_CONTROL_BUILD
int TCaptureSet::ApplyChannel(int channel) {
    if (channel < 0 || channel >= kSettingsChannels) return -1;
    const TCaptureSetRecord& record = Records[channel];
    const EncoderParams p = ChooseEncoderParams(record);
    if (p.PictureFormat >= 0) Guarded([&] { card_.SetPictureFormat(channel, p.PictureFormat); });
    Guarded([&] { card_.SetBitrate(channel, p.MegabytesPerHour, p.BitrateMode); });
    Guarded([&] { card_.SetIBPMode(channel, p.Row.KeyFrameInterval, 2, 1, p.FrameRate); });
    Guarded([&] { card_.SetQuantisers(channel, p.Row.QuantI, p.Row.QuantP, p.Row.QuantB); });
    Guarded([&] { card_.SetStreamType(channel, p.StreamType); });
    return 0;
}

void TCaptureSet::ApplyAll() {
    int channels = 0;
    Guarded([&] { channels = card_.ChannelCount(); });
    for (int channel = 0; channel < channels && channel < kSettingsChannels; ++channel) {
        ApplyChannel(channel);
        ::Sleep(50);
    }
}

#endif

} // namespace vantrel
