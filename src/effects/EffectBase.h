#pragma once

#include "effects/IEffects.h"
#include "time/ITimeSystem.h"

namespace EffectLibrary {

// An effect that owns a time object; lets the effect system end it first.
class TimedEffect {
public:
    virtual ~TimedEffect() = default;
    // Destroys the time object, after any notification in flight on the timer
    // thread has returned (the time system's table lock orders the two); the
    // effect then gets no more notifications and may be deleted.
    virtual void DetachTimeObject() = 0;
};

// What every kind of effect shares: its observer, its time object (made with
// the effect as observer, duration -1 and period 0), its index and the
// creator's user value. `Interface` is the kind's interface.
template <class Interface>
class EffectBase : public Interface,
                   public TimedEffect,
                   public TimeLibrary::TimeObjectMessageObserver {
public:
    // `observer` (may be null) and `timeSystem` must outlive the effect.
    EffectBase(int32_t index, EffectMessageObserver* observer, TimeLibrary::ITimeSystem* timeSystem)
        : m_observer(observer), m_timeSystem(timeSystem), m_index(index) {
        m_timeObject = timeSystem->CreateTimeObject(this, -1, 0);
    }
    ~EffectBase() override { m_timeSystem->DestroyTimeObject(m_timeObject); }
    void DetachTimeObject() override {
        m_timeSystem->DestroyTimeObject(m_timeObject);
        m_timeObject = nullptr;
    }
    EffectBase(const EffectBase&) = delete;
    EffectBase& operator=(const EffectBase&) = delete;

    int32_t GetIndex() override { return m_index; }
    void SetPaused(bool paused) override {
        if (m_timeObject != nullptr) {
            m_timeObject->SetPaused(paused);
        }
    }
    bool IsRunning() override { return m_timeObject != nullptr && m_timeObject->IsRunning(); }
    void SetUserValue(int32_t value) override { m_userValue = value; }
    int32_t GetUserValue() override { return m_userValue; }

    void OnTimeObjectStart(int32_t /*id*/) override {
        if (m_observer != nullptr) {
            m_observer->OnEffectStart(m_index);
        }
    }
    void OnTimeObjectEvent(int32_t /*id*/) override {
        if (m_observer != nullptr) {
            m_observer->OnEffectEvent(m_index);
        }
    }

    // Whether the time object exists (the time system had a free id).
    bool IsUsable() const { return m_timeObject != nullptr; }

protected:
    template <class Notify>
    void Tell(Notify notify) {
        if (m_observer != nullptr) {
            (m_observer->*notify)(m_index);
        }
    }
    bool StartTimeObject(bool paused, uint16_t delay) {
        return m_timeObject != nullptr && m_timeObject->Start(paused, delay);
    }
    void StopTimeObject() {
        if (m_timeObject != nullptr) {
            m_timeObject->Stop();
        }
    }

    EffectMessageObserver* m_observer;       // not owned
    TimeLibrary::ITimeSystem* m_timeSystem;  // not owned
    int32_t m_index;
    TimeLibrary::ITimeObject* m_timeObject = nullptr;  // owned by the time system
    int32_t m_userValue = 0;
};

}  // namespace EffectLibrary
