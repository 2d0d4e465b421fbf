// Option objects of the skinned form and the popup menus: translucency, drop shadow,
// snapping to the work-area edges, mouse moving and sizing, and the show animation.
// They only hold and clamp values and report changes; the owning component copies a
// given object with Assign.
#pragma once

#include "framework/events.h"
#include "framework/persistent.h"
#include "framework/typinfo.h"
#include "skin/engine/te_effect.h"

#include <cstdint>
#include <memory>
#include <string>

namespace dvr::skin {

enum class TTeFormDragMode : uint8_t { kfdmBorder, kfdmFullDrag };
enum class TTeDirection : uint8_t { kdNone, kdNoRotate, kdRotate90, kdRotate180, kdRotate270 };
const fw::TTypeInfo* FormDragModeType();
const fw::TTypeInfo* DirectionType();

class TTeBlending : public fw::TPersistent {
    FW_PUBLISHED(TTeBlending, fw::TPersistent)
public:
    TTeBlending() = default;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    int32_t Value() const { return value_; }
    void SetValue(int32_t Value);
    bool Flag() const { return flag_; }
    void SetFlag(bool Value) { flag_ = Value; }
    fw::TNotifyEvent OnChange;
    void Changed();
    void Assign(const fw::TPersistent* Source) override;

private:
    bool enabled_ = false;
    int32_t value_ = 150;
    bool flag_ = false;
};

class TTeShadow : public fw::TPersistent {
    FW_PUBLISHED(TTeShadow, fw::TPersistent)
public:
    TTeShadow() = default;
    fw::TNotifyEvent OnChange;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    int32_t Size() const { return size_; }
    void SetSize(int32_t Value);
    void Changed();
    void Assign(const fw::TPersistent* Source) override;

private:
    bool enabled_ = false;
    int32_t size_ = 4;
};

class TTeGravitation : public fw::TPersistent {
    FW_PUBLISHED(TTeGravitation, fw::TPersistent)
public:
    TTeGravitation() = default;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value) { enabled_ = Value; }
    int32_t Size() const { return size_; }
    void SetSize(int32_t Value);
    uint8_t Flag() const { return flag_; }
    void Assign(const fw::TPersistent* Source) override;

private:
    bool enabled_ = true;
    int32_t size_ = 20;
    uint8_t flag_ = 0;
};

class TTeDragging : public fw::TPersistent {
    FW_PUBLISHED(TTeDragging, fw::TPersistent)
public:
    TTeDragging() = default;
    bool Sizeable = true;
    bool Moveable = true;
    TTeFormDragMode DragMode = TTeFormDragMode::kfdmFullDrag;
    void Assign(const fw::TPersistent* Source) override;
};

class TTeAnimation : public fw::TPersistent {
    FW_PUBLISHED(TTeAnimation, fw::TPersistent)
public:
    TTeAnimation();
    ~TTeAnimation() override;
    TteAnimationRec* Animation() const { return animation_.get(); }

    TTeDirection Direction() const;
    void SetDirection(TTeDirection Value);
    std::string EffectKind() const { return animation_->Effect(); }
    void SetEffectKind(const std::string& Value) { animation_->SetEffect(Value); }
    bool Enabled() const { return animation_->Enabled(); }
    void SetEnabled(bool Value) { animation_->SetEnabled(Value); }
    int32_t Resolution() const { return animation_->Resolution(); }
    void SetResolution(int32_t Value) { animation_->SetResolution(Value); }
    int32_t TileCount() const { return animation_->TileCount(); }
    void SetTileCount(int32_t Value) { animation_->SetTileCount(Value); }
    int32_t Time() const { return animation_->Time(); }
    void SetTime(int32_t Value) { animation_->SetTime(Value); }
    void Assign(const fw::TPersistent* Source) override;

private:
    std::unique_ptr<TteAnimationRec> animation_;
};

// Blending, shadow and animation together. Nothing of the library makes the plain
// container; the popup-menu one is what menus own.
class TTeFormOptions : public fw::TPersistent {
    FW_PUBLISHED(TTeFormOptions, fw::TPersistent)
public:
    TTeFormOptions();
    ~TTeFormOptions() override;
    fw::TNotifyEvent OnChange;
    TTeBlending* Blending() const { return blending_; }
    void SetBlending(const TTeBlending* Value);
    TTeShadow* Shadow() const { return shadow_; }
    void SetShadow(const TTeShadow* Value);
    TTeAnimation* Animation() const { return animation_; }
    void SetAnimation(const TTeAnimation* Value);
    void Changed();
    void Assign(const fw::TPersistent* Source) override;

private:
    TTeBlending* blending_;
    TTeShadow* shadow_;
    TTeAnimation* animation_;
};

class TTePopupMenuOptions : public TTeFormOptions {
    FW_PUBLISHED(TTePopupMenuOptions, TTeFormOptions)
public:
    TTePopupMenuOptions() = default;
};

// The unit's default popup options, kept for the whole run.
TTeBlending* DefaultBlending();
TTeShadow* DefaultShadow();
TTeAnimation* DefaultAnimation();
// Frees the three defaults (made again on next use).
void FreeDefaultOptions();
// The switch by which popup menus copy the defaults into their own options (off).
bool& CommonPopupOptions();
// Registers the option classes by name (done once, also by the defaults above).
void RegisterFormOptionClasses();

} // namespace dvr::skin
