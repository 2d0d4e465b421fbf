// Shared by the Windows tests of the settings objects: a board that records the calls it gets
// and cleanup of the settings keys those tests write.
#pragma once

#include "host/engine/U_HostServices.h"

#include <windows.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace vantrel::testing {

inline void DeleteSettingsKeys() {
    for (const wchar_t* key : {L"CAPTURE", L"Preview", L"ALARM", L"YUTAI"})
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(L"SOFTWARE\\VQS\\") + key).c_str());
}

// Calls as text, e.g. "format 2 3", "bitrate 2 0 0", "ibp 2 301 2 1 25", "quant 2 12 12 17",
// "stream 2 3", "osd 0 [1] title 8,23 time 7,1 auto 0", "picture 0 140 50 70 128".
// Calls whose name is in Throwing are recorded and then throw.
struct FakeVideoCard : TVideoCardServices {
    int Channels = 4;
    std::vector<std::string> Calls;
    std::set<std::string> Throwing;

    int ChannelCount() const override { return Channels; }
    void SetPictureFormat(int ch, int format) override {
        Add("format", ch, std::to_string(format));
    }
    void SetBitrate(int ch, int mb, bool mode) override {
        Add("bitrate", ch, std::to_string(mb) + " " + std::to_string(mode));
    }
    void SetIBPMode(int ch, int interval, int b, int third, int rate) override {
        Add("ibp", ch,
            std::to_string(interval) + " " + std::to_string(b) + " " + std::to_string(third) + " " +
                std::to_string(rate));
    }
    void SetQuantisers(int ch, int i, int p, int b) override {
        Add("quant", ch, std::to_string(i) + " " + std::to_string(p) + " " + std::to_string(b));
    }
    void SetStreamType(int ch, int kind) override { Add("stream", ch, std::to_string(kind)); }
    void SetChannelOsd(int ch, std::string_view title, bool showTitle, bool showTime,
                       bool autoBrightness, POINT timePos, POINT titlePos) override {
        std::string text = "[" + std::string(title) + "]";
        if (showTitle)
            text += " title " + std::to_string(titlePos.x) + "," + std::to_string(titlePos.y);
        if (showTime)
            text += " time " + std::to_string(timePos.x) + "," + std::to_string(timePos.y);
        text += " auto " + std::to_string(autoBrightness);
        Add("osd", ch, text);
    }
    void SetPictureParams(int ch, int brightness, int contrast, int saturation, int hue) override {
        Add("picture", ch,
            std::to_string(brightness) + " " + std::to_string(contrast) + " " +
                std::to_string(saturation) + " " + std::to_string(hue));
    }

private:
    void Add(const char* name, int ch, const std::string& rest) {
        Calls.push_back(std::string(name) + " " + std::to_string(ch) + " " + rest);
        if (Throwing.count(name)) throw std::runtime_error("board refused");
    }
};

} // namespace vantrel::testing
