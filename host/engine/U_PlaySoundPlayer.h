// Alarm sounds by file name through the system's sound player.
#pragma once

#include "host/engine/T_ThreadAlarmAudio.h"

#include <string>

namespace vantrel {

// Paths are GBK.
class TPlaySoundPlayer : public TAlarmSoundPlayer {
public:
    bool FileExists(const std::string& path) override;
    void PlayFile(const std::string& path) override;
    void Beep() override;
    void OnThreadStart() override;
};

} // namespace vantrel
