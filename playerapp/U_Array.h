// The player's texts: window title, menus, hints, status and message texts in three
// languages, and the default channel names with the DVR name. Constant data only.
//
// Each caption array holds LanguageCount blocks of PerLanguage entries: simplified
// Chinese, English, traditional Chinese. The texts are UTF-8 here; a window converts
// them to UTF-16 when it shows them.
#pragma once

#include <string_view>

#include "playerapp/U_DefaultValue.h"

namespace playerqz {

struct CaptionArray {
    const std::string_view* items; // LanguageCount * perLanguage entries
    int perLanguage;

    // Entry of a given language (1..LanguageCount); empty when out of range.
    std::string_view Text(int language, int entry) const;
    // Entry of the player's language.
    std::string_view operator[](int entry) const { return Text(LanguageIndex, entry); }
};

// Title and menu captions.
enum TitleCaption { tcTitle, tcFiles, tcOpen, tcClose, tcSetup, tcQuit, tcAbout, tcCount };
extern const CaptionArray TitleCaptions;

// Tool-bar hints; entry 0 is not shown anywhere.
enum HintCaption {
    hcSelectFiles,
    hcPlay,
    hcPause,
    hcStop,
    hcFirst,
    hcFrameBack,
    hcFrameNext,
    hcSlow,
    hcFast,
    hcEnd,
    hcCapture,
    hcFullScreen,
    hcLoop,
    hcLoopStart,
    hcLoopEnd,
    hcLoopSave,
    hcSound,
    hcVolume,
    hcPosition,
    hcCount
};
extern const CaptionArray HintCaptions;

// Messages and status texts.
enum MessageCaption {
    mcInitFailed,
    mcOpenFailed,
    mcPlayFailed,
    mcVideoPlayer,
    mcSaving,
    mcCamera,
    mcPlayTime,
    mcPlaying,
    mcPaused,
    mcReady,
    mcNoFile,
    mcPlayedTime,
    mcCurrentFrame,
    mcAboutLine1,
    mcAboutLine2,
    mcAboutTitle,
    mcFileName,
    mcCount
};
extern const CaptionArray MessageCaptions;

// The port-count dialog's texts (the player has no such dialog).
enum PortCountCaption { pcTitle, pcPage, pcPrompt, pcOk, pcCancel, pcCount };
extern const CaptionArray PortCountCaptions;

// 24 channel names per language for languages 1 and 2, then two DVR name entries.
constexpr int ChannelNamesPerLanguage = 24;
constexpr int ChannelNameCount = 2 * ChannelNamesPerLanguage + 2;
extern const std::string_view ChannelNameTable[ChannelNameCount];

// The DVR name shown in the window title at creation.
constexpr std::string_view DvrName = "Pemtol DVR";

} // namespace playerqz
