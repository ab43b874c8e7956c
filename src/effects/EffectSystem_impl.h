#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "effects/IEffects.h"

namespace TimeLibrary {
class ITimeSystem;
}

namespace EffectLibrary {

// Creates, numbers (1 to 1023: the lowest free index), owns and destroys
// every effect. One exists per process; the time system must be attached
// before the first effect is created. Effects are created and destroyed on
// the caller's thread; they run on the timer thread.
class EffectSystem_impl : public IEffectSystem {
public:
    static constexpr int32_t kTableSize = 1024;

    EffectSystem_impl() = default;
    ~EffectSystem_impl() override;
    EffectSystem_impl(const EffectSystem_impl&) = delete;
    EffectSystem_impl& operator=(const EffectSystem_impl&) = delete;

    // `timeSystem` must outlive the effect system.
    void SetTimeSystem(TimeLibrary::ITimeSystem* timeSystem) { m_timeSystem = timeSystem; }
    TimeLibrary::ITimeSystem* GetTimeSystem() const { return m_timeSystem; }

    IState2MoveEffect* CreateState2MoveEffect(EffectMessageObserver* observer,
                                              ControlLibrary::IVisibleObject* object,
                                              int32_t duration) override;
    void DestroyEffect(IState2MoveEffect* effect) override { Destroy(effect); }
    void DestroyEffect(ITimerEffect* effect) override { Destroy(effect); }
    void DestroyEffect(ISwitcherVoEffect* effect) override { Destroy(effect); }
    void DestroyEffect(IAnimationEffect* effect) override { Destroy(effect); }
    ITimerEffect* CreateTimerEffect(EffectMessageObserver* observer,
                                    ControlLibrary::IStringVO* object, int32_t duration) override;
    ISwitcherVoEffect* CreateSwitcherEffect(EffectMessageObserver* observer) override;
    IAnimationEffect* CreateAnimationEffect(EffectMessageObserver* observer) override;

    // Deletes every remaining effect without stopping it (kernel shutdown).
    void DestroyAllEffects();
    int32_t CountEffects() const;

private:
    // The lowest free index, or 0 when all are taken.
    int32_t FreeIndex() const;
    template <class Effect, class... Args>
    Effect* Make(Args&&... args);
    void Destroy(IEffect* effect);
    // Ends the effect's time object, then deletes the effect.
    static void Delete(std::unique_ptr<IEffect>& effect);

    TimeLibrary::ITimeSystem* m_timeSystem = nullptr;            // not owned
    std::array<std::unique_ptr<IEffect>, kTableSize> m_effects;  // entry 0 unused
};

void CreateEffectSystem();
EffectSystem_impl* GetEffectSystem();
// Does nothing when there is none.
void DestroyEffectSystem();

}  // namespace EffectLibrary
