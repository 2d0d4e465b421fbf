#include "host/ui/U_ReplayPlayer.h"

#include "player/lib/sound.h"
#include "player/lib/strovid_api.h"

#include <cstring>

namespace vantrel {
namespace {

void CALLBACK IgnoreFileRef(int, int) {}

class TStrovidReplayPlayer final : public TReplayPlayer {
public:
    int OpenFile(int p, const std::string& path) override {
        return RE4Ravi_OpenFile(p, path.c_str());
    }
    int CloseFile(int p) override { return RE4Ravi_CloseFile(p); }
    int SetEmptyFileRefCallBack(int p) override {
        return RE4Ravi_SetFileRefCallBack(p, &IgnoreFileRef, 0);
    }
    int SetFileEndMsg(int p, HWND w, UINT m) override { return RE4Ravi_SetFileEndMsg(p, w, m); }
    int SetPicQuality(int p, int on) override { return RE4Ravi_SetPicQuality(p, on); }
    int Play(int p, HWND w) override { return RE4Ravi_Play(p, w); }
    int Stop(int p) override { return RE4Ravi_Stop(p); }
    int Pause(int p, int pause) override { return RE4Ravi_Pause(p, pause); }
    int OneByOne(int p) override { return RE4Ravi_OneByOne(p); }
    int OneByOneBack(int p) override { return RE4Ravi_OneByOneBack(p); }
    int Slow(int p) override { return RE4Ravi_Slow(p); }
    int Fast(int p) override { return RE4Ravi_Fast(p); }
    int SetPlayPos(int p, float f) override { return RE4Ravi_SetPlayPos(p, f); }
    float GetPlayPos(int p) override { return RE4Ravi_GetPlayPos(p); }
    int SetCurrentFrameNum(int p, unsigned n) override { return RE4Ravi_SetCurrentFrameNum(p, n); }
    unsigned GetFileTotalFrames(int p) override { return RE4Ravi_GetFileTotalFrames(p); }
    unsigned GetPlayedTime(int p) override { return RE4Ravi_GetPlayedTime(p); }
    int GetCurrentFrameNum(int p) override { return RE4Ravi_GetCurrentFrameNum(p); }
    int GetKeyFramePos(int p, unsigned v, int mode, uint32_t info[3]) override {
        dvr::strovid::KeyFrameInfo k{};
        const int r = RE4Ravi_GetKeyFramePos(p, v, mode, &k);
        static_assert(sizeof k == 12);
        std::memcpy(info, &k, sizeof k);
        return r;
    }
    int PlaySound(int p) override { return RE4Ravi_PlaySound(p); }
    int StopSound() override { return RE4Ravi_StopSound(); }
    int SetVolume(int p, int v) override { return RE4Ravi_SetVolume(p, v); }
    int RefreshPlay(int p) override { return RE4Ravi_RefreshPlay(p); }
    int LocalZoom(int p, int z, int x, int y, int w, int h) override {
        return RE4Ravi_LocalZoom(p, z, x, y, w, h);
    }
};

} // namespace

TReplayPlayer& StrovidReplayPlayer() {
    static TStrovidReplayPlayer player;
    return player;
}

} // namespace vantrel
