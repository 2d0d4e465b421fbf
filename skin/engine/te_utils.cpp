#include "skin/engine/te_utils.h"

#include "framework/exceptions.h"
#include "framework/strutils.h"

#include <cstring>

namespace dvr::skin {

int RectWidth(const TRect& R) {
    return R.Right - R.Left;
}
int RectHeight(const TRect& R) {
    return R.Bottom - R.Top;
}

TRect CenterRectVertically(TRect& R, const TRect& Bounds) {
    int w = RectWidth(R), h = RectHeight(R);
    R.Left = Bounds.Left;
    R.Top = Bounds.Top + (RectHeight(Bounds) - h) / 2;
    R.Right = R.Left + w;
    R.Bottom = R.Top + h;
    return R;
}

TRect CenterRect(TRect& R, const TRect& Bounds) {
    int w = RectWidth(R), h = RectHeight(R);
    R.Left = Bounds.Left + (RectWidth(Bounds) - w) / 2;
    R.Top = Bounds.Top + (RectHeight(Bounds) - h) / 2;
    R.Right = R.Left + w;
    R.Bottom = R.Top + h;
    return R;
}

TRect InflatedRect(const TRect& R, int Delta) {
    return TRect{R.Left - Delta, R.Top - Delta, R.Right + Delta, R.Bottom + Delta};
}

bool RectIsEmpty(const TRect& R) {
    return RectWidth(R) < 1 || RectHeight(R) < 1;
}

bool SameRect(const TRect& A, const TRect& B) {
    return A == B;
}

void ReadString(fw::TStream& Stream, std::string& S) {
    int32_t n = 0;
    Stream.ReadBuffer(&n, 4);
    // A corrupt count must not turn into a huge allocation.
    if (n < 0 || int64_t(n) > Stream.Size() - Stream.Position())
        throw fw::EReadError("Stream read error");
    S.assign(size_t(n), '\0');
    if (n) Stream.ReadBuffer(S.data(), size_t(n));
}

void WriteString(fw::TStream& Stream, const std::string& S) {
    int32_t n = int32_t(S.size());
    Stream.WriteBuffer(&n, 4);
    if (n) Stream.WriteBuffer(S.data(), S.size());
}

namespace {

void TakeToken(std::string& S, const char* Delimiters, std::string& Token) {
    Token.clear();
    size_t i = 0;
    for (; i < S.size(); ++i) {
        if (std::strchr(Delimiters, S[i]) && S[i] != '\0') {
            ++i;
            break;
        }
        Token += S[i];
    }
    S = fw::Trim(std::string_view(S).substr(i));
    Token = fw::Trim(Token);
}

} // namespace

void ReadToken(std::string& S, std::string& Token) {
    TakeToken(S, " (),:;=", Token);
}

void ReadUntil(std::string& S, const std::string& Delimiters, std::string& Token) {
    TakeToken(S, Delimiters.c_str(), Token);
}

std::vector<uint8_t> CreateRegionData(const TteBitmap& Bitmap, int X, int Y) {
    std::vector<uint8_t> data;
    if (Bitmap.IsEmpty() || Bitmap.Width <= 0 || Bitmap.Height <= 0) return data;
    // The runs are gathered in a growing table: no fixed limit to overrun.
    std::vector<int32_t> rects;
    for (int y = 0; y < Bitmap.Height; ++y) {
        const TteColor* row = Bitmap.ScanLine(y);
        int x = 0;
        while (x < Bitmap.Width) {
            while (x < Bitmap.Width && IsKeyRGB(row[x]))
                ++x;
            if (x >= Bitmap.Width) break;
            int first = x;
            while (x < Bitmap.Width && !IsKeyRGB(row[x]))
                ++x;
            rects.insert(rects.end(), {X + first, Y + y, X + x, Y + y + 1});
        }
    }
    int32_t count = int32_t(rects.size() / 4);
    int32_t header[8] = {32, 1, count, 0, 0, 0, Bitmap.Width, Bitmap.Height};
    data.resize(32 + size_t(count) * 16);
    std::memcpy(data.data(), header, 32);
    if (count) std::memcpy(data.data() + 32, rects.data(), size_t(count) * 16);
    return data;
}

int KeyboardDelayMsFor(int DelaySetting) {
    return (DelaySetting + 1) * 200;
}

int KeyboardRepeatMsFor(int SpeedSetting) {
    return RoundEven(1000.0 / ((SpeedSetting + 1) * 2.3));
}

} // namespace dvr::skin
