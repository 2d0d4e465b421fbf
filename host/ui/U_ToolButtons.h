// A row of tool buttons on a replay window's tool panel: each carries its hint, shows it on
// hover, and sits one fixed step right of the last.
#pragma once

#include "framework/ui/stdctrls.h"

#include "common/win/textconv.h"

#include <string>

namespace vantrel {

class TToolButtonRow {
public:
    // `captionChars`: how many characters of the hint the caption shows; 0 shows it whole.
    TToolButtonRow(dvr::fw::TWinControl* parent, dvr::fw::TComponent* owner, int x, int y,
                   int width, int height, int step, int captionChars = 0)
        : parent_(parent), owner_(owner), x_(x), y_(y), width_(width), height_(height),
          step_(step), captionChars_(captionChars) {}

    dvr::fw::TButton* Add(const char* hintUtf8) {
        return Add(hintUtf8, Leading(hintUtf8, captionChars_).c_str());
    }
    // A button whose caption is not taken from its hint.
    dvr::fw::TButton* Add(const char* hintUtf8, const char* captionUtf8) {
        auto* b = new dvr::fw::TButton(owner_);
        b->SetParent(parent_);
        b->SetBounds(x_, y_, width_, height_);
        b->SetCaption(dvr::win::Utf8ToGbk(captionUtf8));
        b->SetHint(dvr::win::Utf8ToGbk(hintUtf8));
        b->SetShowHint(true);
        x_ += step_;
        return b;
    }
    // Where the next button would go.
    int X() const { return x_; }

    // The first `chars` characters of a UTF-8 text (all of it when 0).
    static std::string Leading(const std::string& utf8, int chars) {
        if (chars <= 0) return utf8;
        size_t i = 0;
        for (int n = 0; i < utf8.size() && n < chars; ++n) {
            ++i;
            while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80)
                ++i;
        }
        return utf8.substr(0, i);
    }

private:
    dvr::fw::TWinControl* parent_;
    dvr::fw::TComponent* owner_;
    int x_, y_, width_, height_, step_, captionChars_;
};

} // namespace vantrel
