#include "effects/EffectSystem_impl.h"

#include "common/ProcessWide.h"
#include "effects/Effects.h"

namespace EffectLibrary {
namespace {
std::unique_ptr<EffectSystem_impl>& g_effectSystem =
    CommonLibrary::ProcessWide<EffectSystem_impl>();
}  // namespace

EffectSystem_impl::~EffectSystem_impl() {
    DestroyAllEffects();
}

int32_t EffectSystem_impl::FreeIndex() const {
    for (int32_t i = 1; i < kTableSize; ++i) {
        if (m_effects[static_cast<size_t>(i)] == nullptr) {
            return i;
        }
    }
    return 0;
}

template <class Effect, class... Args>
Effect* EffectSystem_impl::Make(Args&&... args) {
    const int32_t index = FreeIndex();
    if (index == 0 || m_timeSystem == nullptr) {
        return nullptr;
    }
    auto effect = std::make_unique<Effect>(index, std::forward<Args>(args)...);
    if (!effect->IsUsable()) {
        return nullptr;  // the time system had no time object left
    }
    Effect* raw = effect.get();
    m_effects[static_cast<size_t>(index)] = std::move(effect);
    return raw;
}

IState2MoveEffect* EffectSystem_impl::CreateState2MoveEffect(EffectMessageObserver* observer,
                                                             ControlLibrary::IVisibleObject* object,
                                                             int32_t duration) {
    return Make<State2MoveEffectImpl>(observer, m_timeSystem, object, duration);
}

ITimerEffect* EffectSystem_impl::CreateTimerEffect(EffectMessageObserver* observer,
                                                   ControlLibrary::IStringVO* object,
                                                   int32_t duration) {
    return Make<TimerEffectImpl>(observer, m_timeSystem, object, duration);
}

ISwitcherVoEffect* EffectSystem_impl::CreateSwitcherEffect(EffectMessageObserver* observer) {
    return Make<SwitcherEffectImpl>(observer, m_timeSystem);
}

IAnimationEffect* EffectSystem_impl::CreateAnimationEffect(EffectMessageObserver* observer) {
    return Make<AnimationEffectImpl>(observer, m_timeSystem);
}

void EffectSystem_impl::Destroy(IEffect* effect) {
    if (effect == nullptr) {
        return;
    }
    // Found by address, never by asking the effect: a pointer to an effect
    // destroyed before must not be followed.
    for (auto& entry : m_effects) {
        if (entry.get() == effect) {
            if (effect->IsRunning()) {
                effect->Stop();
            }
            Delete(entry);
            return;
        }
    }
}

void EffectSystem_impl::Delete(std::unique_ptr<IEffect>& effect) {
    // A finish may be running on the timer thread although the effect no
    // longer counts as running: its time object goes first, which waits for it.
    if (auto* timed = dynamic_cast<TimedEffect*>(effect.get())) {
        timed->DetachTimeObject();
    }
    effect.reset();
}

void EffectSystem_impl::DestroyAllEffects() {
    for (auto& effect : m_effects) {
        if (effect != nullptr) {
            Delete(effect);
        }
    }
}

int32_t EffectSystem_impl::CountEffects() const {
    int32_t count = 0;
    for (const auto& effect : m_effects) {
        count += effect != nullptr ? 1 : 0;
    }
    return count;
}

void CreateEffectSystem() {
    g_effectSystem = std::make_unique<EffectSystem_impl>();
}

EffectSystem_impl* GetEffectSystem() {
    return g_effectSystem.get();
}

void DestroyEffectSystem() {
    g_effectSystem.reset();
}

}  // namespace EffectLibrary
