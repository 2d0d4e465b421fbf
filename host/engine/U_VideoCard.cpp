#include "host/engine/U_VideoCard.h"

#include "host/engine/U_Capture.h"
#include "sdk/dorsk/dorsk_api.h"

namespace vantrel {

std::vector<uint8_t> StreamReadBuffer(kStreamReadBufferSize);
std::atomic<bool> CallbackClosing{false};

TVideoCard::TVideoCard(HWND mainWindow, TStreamRoutes& routes, TCaptureFileList* files)
    : mainWindow_(mainWindow), routes_(routes), files_(files) {
    for (auto& s : SignalPresent)
        s = 1;
    InitBoard();
}

TVideoCard::~TVideoCard() {
    if (channelCount_ > 0) CloseBoard();
}

int TVideoCard::InitBoard() {
    const int result = RU4Dov_InitDSPs();
    if (result <= 0) return result;
    const int count = static_cast<uint8_t>(RU4Dov_GetTotalDSPs());
    channelHandles_.assign(count, 0);
    framesSinceKeyFrame_ = std::vector<std::atomic<int>>(count);
    channelCount_ = count;
    RU4Dov_SetOverlayColorKey(0xFF00FF);
    RU4Dov_RegisterStreamReadCallback(&StreamReadCallback, reinterpret_cast<intptr_t>(this));
    return result;
}

int TVideoCard::CloseBoard() {
    RU4Dov_SetAudioPreview(channelHandles_.empty() ? -1 : channelHandles_[0], 0);
    for (intptr_t h : channelHandles_)
        RU4Dov_ChannelClose(h);
    const int result = RU4Dov_DeInitDSPs();
    RU4Dov_RestoreOverlay();
    channelCount_ = 0;
    return result;
}

bool TVideoCard::Valid(int channel) {
    int count = channelCount_;
    if (count > kMaxBoardChannels) channelCount_.compare_exchange_strong(count, kMaxBoardChannels);
    return channel >= 0 && channel < channelCount_;
}

int TVideoCard::ChannelCount() const {
    return channelCount_;
}
intptr_t TVideoCard::ChannelHandle(int channel) const {
    return channelHandles_.at(channel);
}
int TVideoCard::FramesSinceKeyFrame(int channel) const {
    return framesSinceKeyFrame_.at(channel);
}

int TVideoCard::OpenChannel(int channel) {
    if (!Valid(channel)) return -1;
    channelHandles_[channel] = RU4Dov_ChannelOpen(channel);
    return channelHandles_[channel] == -1 ? -1 : 0;
}

void TVideoCard::SetEncoderDefaults(int channel) {
    if (!Valid(channel)) return;
    RU4Dov_SetEncoderPictureFormat(channelHandles_[channel], 0);
    RU4Dov_SetLogoDisplayMode(channelHandles_[channel], -1, 0, 0);
}

int TVideoCard::StartPreview(int channel, HWND window, const RECT& rect, int frameRate) {
    if (!Valid(channel)) return -1;
    return RU4Dov_StartVideoPreview(channelHandles_[channel], window, &rect, 1, 128,
                                    BoardFrameRate(frameRate));
}
int TVideoCard::StopPreview(int channel) {
    return Valid(channel) ? RU4Dov_StopVideoPreview(channelHandles_[channel]) : -1;
}
int TVideoCard::RestoreOverlay() {
    return channelCount_ > 0 ? RU4Dov_RestoreOverlay() : -1;
}

int TVideoCard::PictureParams(int channel, int brightness, int contrast, int saturation, int hue) {
    if (!Valid(channel)) return -1;
    return RU4Dov_SetVideoPara(channelHandles_[channel], BoardPictureParam(brightness, 255),
                               BoardPictureParam(contrast, 127), BoardPictureParam(saturation, 127),
                               BoardPictureParam(hue, 255));
}
int TVideoCard::StreamType(int channel, int kind) {
    return Valid(channel) ? RU4Dov_SetStreamType(channelHandles_[channel], BoardStreamType(kind))
                          : -1;
}
int TVideoCard::PictureFormat(int channel, int format) {
    return Valid(channel) ? RU4Dov_SetEncoderPictureFormat(channelHandles_[channel],
                                                           BoardPictureFormat(format))
                          : -1;
}
int TVideoCard::IBPMode(int channel, int keyFrameInterval, int bFrames, int third, int frameRate) {
    if (!Valid(channel)) return -1;
    return RU4Dov_SetIBPMode(channelHandles_[channel], BoardKeyFrameInterval(keyFrameInterval),
                             BoardBFrames(bFrames), third, BoardFrameRate(frameRate));
}
int TVideoCard::Quantisers(int channel, int quantI, int quantP, int quantB) {
    if (!Valid(channel)) return -1;
    return RU4Dov_SetDefaultQuant(channelHandles_[channel], BoardQuantiser(quantI),
                                  BoardQuantiser(quantP), BoardQuantiser(quantB));
}
int TVideoCard::Bitrate(int channel, int megabytesPerHour, bool mode) {
    if (!Valid(channel)) return -1;
    return RU4Dov_SetupBitrateControl(channelHandles_[channel],
                                      static_cast<uint32_t>(BoardBitrate(megabytesPerHour)),
                                      mode ? -1 : 0);
}

void TVideoCard::SetPictureParams(int c, int b, int k, int s, int h) {
    PictureParams(c, b, k, s, h);
}
void TVideoCard::SetStreamType(int c, int kind) {
    StreamType(c, kind);
}
void TVideoCard::SetPictureFormat(int c, int f) {
    PictureFormat(c, f);
}
void TVideoCard::SetIBPMode(int c, int i, int b, int t, int f) {
    IBPMode(c, i, b, t, f);
}
void TVideoCard::SetQuantisers(int c, int i, int p, int b) {
    Quantisers(c, i, p, b);
}
void TVideoCard::SetBitrate(int c, int m, bool mode) {
    Bitrate(c, m, mode);
}
void TVideoCard::SetChannelOsd(int c, std::string_view t, bool st, bool sd, bool ab, POINT dp,
                               POINT tp) {
    ChannelOsd(c, t, st, sd, ab, dp, tp);
}

int TVideoCard::ChannelOsd(int channel, std::string_view title, bool showTitle, bool showDateTime,
                           bool autoBrightness, POINT dateTimePos, POINT titlePos) {
    if (!Valid(channel)) return -1;
    const intptr_t h = channelHandles_[channel];
    RU4Dov_SetOsd(h, 0);
    if (!showTitle && !showDateTime) return RU4Dov_SetOsd(h, 0);
    std::vector<uint16_t> time =
        OsdTimeLine({int(dateTimePos.x), int(dateTimePos.y)}, showDateTime);
    std::vector<uint16_t> name = OsdNameLine({int(titlePos.x), int(titlePos.y)}, title, showTitle);
    RU4Dov_SetOsdDisplayMode(h, 200, 0, autoBrightness ? 1 : 0, time.data(), name.data());
    return RU4Dov_SetOsd(h, 1);
}

int TVideoCard::SetVideoStandard(int channel, int standard) {
    return Valid(channel)
               ? RU4Dov_SetVideoStandard(channelHandles_[channel], BoardVideoStandard(standard))
               : 0;
}
int TVideoCard::StartCapture(int channel) {
    if (!Valid(channel)) return -1;
    try {
        return RU4Dov_StartVideoCapture(channelHandles_[channel]);
    } catch (...) {
        return -1;
    }
}
int TVideoCard::StopCapture(int channel) {
    if (!Valid(channel)) return -1;
    try {
        return RU4Dov_StopVideoCapture(channelHandles_[channel]);
    } catch (...) {
        return -1;
    }
}
int TVideoCard::RequestKeyFrame(int channel) {
    return Valid(channel) ? RU4Dov_CaptureIFrame(channelHandles_[channel]) : -1;
}
int TVideoCard::SetAudioPreview(int channel, bool on) {
    return Valid(channel) ? RU4Dov_SetAudioPreview(channelHandles_[channel], on ? 1 : 0) : -1;
}
int TVideoCard::StartMosaic(int channel, RECT rect) {
    if (!Valid(channel)) return -1;
    RU4DovArea area{rect.left, rect.top, rect.right, rect.bottom};
    RU4Dov_SetupMosaic(channelHandles_[channel], &area, 1);
    return RU4Dov_StartMosaic(channelHandles_[channel]);
}
int TVideoCard::StopMosaic(int channel) {
    return Valid(channel) ? RU4Dov_StopMosaic(channelHandles_[channel]) : -1;
}
int TVideoCard::StartMotionDetection(int channel) {
    return Valid(channel) ? RU4Dov_StartMotionDetection(channelHandles_[channel]) : -1;
}
int TVideoCard::StopMotionDetection(int channel) {
    return Valid(channel) ? RU4Dov_StopMotionDetection(channelHandles_[channel]) : -1;
}
int TVideoCard::SetupMotionDetection(int channel, void* areas, int count) {
    if (!Valid(channel)) return -1;
    return RU4Dov_SetupMotionDetection(channelHandles_[channel], static_cast<RU4DovArea*>(areas),
                                       BoardMotionAreas(count));
}
int TVideoCard::MotionAnalyzer(int channel, const void* record, int sensitivity, int32_t* results) {
    if (!Valid(channel)) return -1;
    return RU4Dov_MotionAnalyzer(channelHandles_[channel], record, BoardSensitivity(sensitivity),
                                 results);
}
int TVideoCard::AdjustMotionPrecision(int channel, int a, int b, int c) {
    return Valid(channel) ? RU4Dov_AdjustMotionDetectPrecision(channelHandles_[channel], a, b, c)
                          : -1;
}
int TVideoCard::GetVideoSignal(int channel) {
    return Valid(channel) ? RU4Dov_GetVideoSignal(channelHandles_[channel]) : -1;
}

int TVideoCard::SaveSnapshot(int channel, const std::string& fileName) {
    if (!Valid(channel)) return -1;
    std::vector<uint8_t> picture(1000000);
    uint32_t size = static_cast<uint32_t>(picture.size());
    const int result = RU4Dov_GetOriginalImage(channelHandles_[channel], picture.data(), &size);
    RU4Dov_SaveYUVToBmpFile(fileName.c_str(), picture.data(), 352, 288);
    if (files_ && !RecordingDay(fileName).empty())
        files_->AddFile(RecordingDay(fileName), channel, fileName);
    return result;
}

void TVideoCard::RouteRecord(int channel, int frameType, const uint8_t* data, int length) {
    if (frameType == 0 || frameType == 64) return;
    if (frameType == kFrameTypeMotion) {
        try {
            routes_.AnalyzeMotionData(channel, data, length);
        } catch (...) {
        }
        return;
    }
    routes_.InputFrame(channel, frameType, data, length);
    if (frameType == 1)
        framesSinceKeyFrame_[channel] = 0;
    else
        ++framesSinceKeyFrame_[channel];
    routes_.FanOutFrame(channel, frameType, data, length);
}

void __stdcall TVideoCard::StreamReadCallback(int channel, intptr_t user) {
    if (CallbackClosing) return;
    try {
        auto* card = reinterpret_cast<TVideoCard*>(user);
        if (channel < 0 || channel >= card->channelCount_) return;
        std::lock_guard guard(card->streamReadLock_);
        int length = kStreamReadBufferSize;
        int type = 0;
        RU4Dov_ReadStreamData(card->channelHandles_[channel], StreamReadBuffer.data(), &length,
                              &type);
        if (length == 0) return;
        card->RouteRecord(channel, type, StreamReadBuffer.data(), length);
    } catch (...) {
    }
}

int TVideoCard::StopCaptureDrained(int channel) {
    if (!Valid(channel)) return -1;
    // Held through the stop: the stream callback takes nothing in between, and what comes in
    // after the last read is only what the board sends before it sees the stop.
    std::lock_guard guard(streamReadLock_);
    // Bounded: the ring holds far fewer records than this, and reads outrun a camera.
    for (int i = 0; i < 100000; ++i) {
        int length = kStreamReadBufferSize;
        int type = 0;
        if (RU4Dov_ReadStreamData(channelHandles_[size_t(channel)], StreamReadBuffer.data(),
                                  &length, &type) < 0 ||
            length <= 0)
            break;
        try {
            RouteRecord(channel, type, StreamReadBuffer.data(), length);
        } catch (...) {
        }
    }
    try {
        return RU4Dov_StopVideoCapture(channelHandles_[size_t(channel)]);
    } catch (...) {
        return -1;
    }
}

} // namespace vantrel
