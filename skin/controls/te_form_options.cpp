#include "skin/controls/te_form_options.h"

#include <algorithm>
#include <mutex>

namespace dvr::skin {

const fw::TTypeInfo* FormDragModeType() {
    static const fw::TTypeInfo t =
        fw::TTypeInfo::Enumeration("TTeFormDragMode", {"kfdmBorder", "kfdmFullDrag"});
    return &t;
}

const fw::TTypeInfo* DirectionType() {
    static const fw::TTypeInfo t = fw::TTypeInfo::Enumeration(
        "TTeDirection", {"kdNone", "kdNoRotate", "kdRotate90", "kdRotate180", "kdRotate270"});
    return &t;
}

// ---- TTeBlending ----

void TTeBlending::Publish(fw::TPublisher<TTeBlending>& p) {
    p.Property("Enabled", nullptr, &TTeBlending::Enabled, &TTeBlending::SetEnabled);
    p.Property("Value", nullptr, &TTeBlending::Value, &TTeBlending::SetValue);
}

void TTeBlending::SetEnabled(bool Value) {
    if (Value == enabled_) return;
    enabled_ = Value;
    Changed();
}

void TTeBlending::SetValue(int32_t Value) {
    if (Value == value_) return;
    value_ = std::clamp(Value, 0, 255);
    Changed();
}

void TTeBlending::Changed() {
    if (OnChange) OnChange(this);
}

void TTeBlending::Assign(const fw::TPersistent* Source) {
    auto* s = dynamic_cast<const TTeBlending*>(Source);
    if (!s) return fw::TPersistent::Assign(Source);
    enabled_ = s->enabled_;
    value_ = s->value_;
    flag_ = s->flag_;
    Changed();
}

// ---- TTeShadow ----

void TTeShadow::Publish(fw::TPublisher<TTeShadow>& p) {
    p.Property("Enabled", nullptr, &TTeShadow::Enabled, &TTeShadow::SetEnabled);
    p.Property("Size", nullptr, &TTeShadow::Size, &TTeShadow::SetSize);
}

void TTeShadow::SetEnabled(bool Value) {
    if (Value == enabled_) return;
    enabled_ = Value;
    Changed();
}

void TTeShadow::SetSize(int32_t Value) {
    if (Value == size_) return;
    size_ = Value;
    if (size_ <= 0) enabled_ = false;
    if (size_ > 20) size_ = 20;
    Changed();
}

void TTeShadow::Changed() {
    if (OnChange) OnChange(this);
}

void TTeShadow::Assign(const fw::TPersistent* Source) {
    auto* s = dynamic_cast<const TTeShadow*>(Source);
    if (!s) return fw::TPersistent::Assign(Source);
    enabled_ = s->enabled_;
    size_ = s->size_;
    Changed();
}

// ---- TTeGravitation ----

void TTeGravitation::Publish(fw::TPublisher<TTeGravitation>& p) {
    p.Property("Enabled", nullptr, &TTeGravitation::Enabled, &TTeGravitation::SetEnabled);
    p.Property("Size", nullptr, &TTeGravitation::Size, &TTeGravitation::SetSize);
}

void TTeGravitation::SetSize(int32_t Value) {
    if (Value == size_) return;
    size_ = std::clamp(Value, 1, 50);
}

void TTeGravitation::Assign(const fw::TPersistent* Source) {
    auto* s = dynamic_cast<const TTeGravitation*>(Source);
    if (!s) return fw::TPersistent::Assign(Source);
    enabled_ = s->enabled_;
    size_ = s->size_;
    flag_ = s->flag_;
}

// ---- TTeDragging ----

void TTeDragging::Publish(fw::TPublisher<TTeDragging>& p) {
    p.Field("Sizeable", nullptr, &TTeDragging::Sizeable);
    p.Field("Moveable", nullptr, &TTeDragging::Moveable);
    p.Field("DragMode", FormDragModeType(), &TTeDragging::DragMode);
}

void TTeDragging::Assign(const fw::TPersistent* Source) {
    auto* s = dynamic_cast<const TTeDragging*>(Source);
    if (!s) return fw::TPersistent::Assign(Source);
    Sizeable = s->Sizeable;
    Moveable = s->Moveable;
    DragMode = s->DragMode;
}

// ---- TTeAnimation ----

TTeAnimation::TTeAnimation() : animation_(std::make_unique<TteAnimationRec>()) {}
TTeAnimation::~TTeAnimation() = default;

void TTeAnimation::Publish(fw::TPublisher<TTeAnimation>& p) {
    p.Property("Direction", DirectionType(), &TTeAnimation::Direction, &TTeAnimation::SetDirection);
    p.Property("EffectKind", nullptr, &TTeAnimation::EffectKind, &TTeAnimation::SetEffectKind);
    p.Property("Enabled", nullptr, &TTeAnimation::Enabled, &TTeAnimation::SetEnabled);
    p.Property("Resolution", nullptr, &TTeAnimation::Resolution, &TTeAnimation::SetResolution);
    p.Property("TileCount", nullptr, &TTeAnimation::TileCount, &TTeAnimation::SetTileCount);
    p.Property("Time", nullptr, &TTeAnimation::Time, &TTeAnimation::SetTime);
}

TTeDirection TTeAnimation::Direction() const {
    switch (animation_->Rotation()) {
    case TteRotation::krRotate90:
        return TTeDirection::kdRotate90;
    case TteRotation::krRotate180:
        return TTeDirection::kdRotate180;
    case TteRotation::krRotate270:
        return TTeDirection::kdRotate270;
    default:
        return TTeDirection::kdNone;
    }
}

void TTeAnimation::SetDirection(TTeDirection Value) {
    switch (Value) {
    case TTeDirection::kdRotate90:
        animation_->SetRotation(TteRotation::krRotate90);
        break;
    case TTeDirection::kdRotate180:
        animation_->SetRotation(TteRotation::krRotate180);
        break;
    case TTeDirection::kdRotate270:
        animation_->SetRotation(TteRotation::krRotate270);
        break;
    default:
        animation_->SetRotation(TteRotation::krNone);
        break;
    }
}

void TTeAnimation::Assign(const fw::TPersistent* Source) {
    auto* s = dynamic_cast<const TTeAnimation*>(Source);
    if (!s) return fw::TPersistent::Assign(Source);
    animation_->Assign(s->animation_.get());
}

// ---- TTeFormOptions ----

TTeFormOptions::TTeFormOptions()
    : blending_(new TTeBlending()), shadow_(new TTeShadow()), animation_(new TTeAnimation()) {}

TTeFormOptions::~TTeFormOptions() {
    delete animation_;
    delete shadow_;
    delete blending_;
}

void TTeFormOptions::Publish(fw::TPublisher<TTeFormOptions>& p) {
    p.Object("Blending", &TTeFormOptions::Blending);
    p.Object("Shadow", &TTeFormOptions::Shadow);
    p.Object("Animation", &TTeFormOptions::Animation);
}

void TTeFormOptions::SetBlending(const TTeBlending* Value) {
    blending_->Assign(Value);
    Changed();
}

void TTeFormOptions::SetShadow(const TTeShadow* Value) {
    shadow_->Assign(Value);
    Changed();
}

void TTeFormOptions::SetAnimation(const TTeAnimation* Value) {
    animation_->Assign(Value);
    Changed();
}

void TTeFormOptions::Changed() {
    if (OnChange) OnChange(this);
}

void TTeFormOptions::Assign(const fw::TPersistent* Source) {
    auto* s = dynamic_cast<const TTeFormOptions*>(Source);
    if (!s) return fw::TPersistent::Assign(Source);
    blending_->Assign(s->blending_);
    shadow_->Assign(s->shadow_);
    animation_->Assign(s->animation_);
    Changed();
}

void TTePopupMenuOptions::Publish(fw::TPublisher<TTePopupMenuOptions>&) {}

// ---- unit defaults ----

void RegisterFormOptionClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        fw::RegisterClass(TTeBlending::StaticClass());
        fw::RegisterClass(TTeShadow::StaticClass());
        fw::RegisterClass(TTeGravitation::StaticClass());
        fw::RegisterClass(TTeDragging::StaticClass());
        fw::RegisterClass(TTeAnimation::StaticClass());
        fw::RegisterClass(TTeFormOptions::StaticClass());
        fw::RegisterClass(TTePopupMenuOptions::StaticClass());
        fw::RegisterClass(TteAnimationRec::StaticClass());
    });
}

namespace {
struct FormOptionDefaults {
    TTeBlending blending;
    TTeShadow shadow;
    TTeAnimation animation;
};
FormOptionDefaults* g_option_defaults = nullptr;
bool g_common_popup_options = false;

FormOptionDefaults& FormOptionDefaultsUnit() {
    RegisterFormOptionClasses();
    if (!g_option_defaults) g_option_defaults = new FormOptionDefaults();
    return *g_option_defaults;
}
} // namespace

void FreeDefaultOptions() {
    FormOptionDefaults* d = g_option_defaults;
    g_option_defaults = nullptr;
    delete d;
}

bool& CommonPopupOptions() {
    return g_common_popup_options;
}

TTeBlending* DefaultBlending() {
    return &FormOptionDefaultsUnit().blending;
}
TTeShadow* DefaultShadow() {
    return &FormOptionDefaultsUnit().shadow;
}
TTeAnimation* DefaultAnimation() {
    return &FormOptionDefaultsUnit().animation;
}

} // namespace dvr::skin
