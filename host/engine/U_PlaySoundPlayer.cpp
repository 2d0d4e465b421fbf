#include "host/engine/U_PlaySoundPlayer.h"

#include "common/win/textconv.h"

#include <windows.h>
#include <mmsystem.h>

namespace vantrel {

bool TPlaySoundPlayer::FileExists(const std::string& path) {
    DWORD attributes = ::GetFileAttributesW(dvr::win::GbkToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void TPlaySoundPlayer::PlayFile(const std::string& path) {
    ::PlaySoundW(dvr::win::GbkToWide(path).c_str(), nullptr,
                 SND_FILENAME | SND_SYNC | SND_NODEFAULT);
}

void TPlaySoundPlayer::Beep() {
    ::MessageBeep(0xFFFFFFFF);
}

void TPlaySoundPlayer::OnThreadStart() {
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_LOWEST);
}

} // namespace vantrel
