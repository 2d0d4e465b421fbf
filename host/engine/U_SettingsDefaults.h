// Defaults of the per-channel settings records and the encoder values a recording record
// stands for. Portable.
#pragma once

#include "host/engine/U_Const.h"
#include "host/engine/U_SettingsRecords.h"

#include <cstdint>

namespace vantrel {

void SetCaptureDefaults(TCaptureSetRecord& record);

// The title is the 1-based channel number; the two bytes after the text positions stay.
void SetPreviewDefaults(int channel, TPreviewSetRecord& record);

// Detection, recording and the own link are on only for a board channel. The area rectangles,
// the reserved bytes, the upload addresses and their flags and the dial-up login stay.
void SetAlarmDefaults(TAlarmSetRecord& record, int channel, int boardChannels);

// What the encoder of a channel is set to.
struct EncoderParams {
    int PictureFormat;        // -1 = leave the board's format as it is
    QualityRow Row;           // quantisers and key-frame interval
    bool BitrateMode;         // the board's second bit-rate mode
    int32_t MegabytesPerHour; // 0 = no limit
    int32_t FrameRate;
    int32_t StreamType; // 3 video and sound; anything else is video only
};

// First match wins: 4CIF, DCIF, ultra-high quality, normal. A level outside its table takes
// the default level's row rather than reading past the table.
EncoderParams ChooseEncoderParams(const TCaptureSetRecord& record);

} // namespace vantrel
