#pragma once

#include <cstdint>
#include <string>

namespace ControlLibrary {
class IStringVO;
class IVisibleObject;
}  // namespace ControlLibrary

namespace EffectLibrary {

// Hears an effect's progress; `index` names the effect. All but
// OnEffectStart arrive on the timer thread, under the time library's locks; a
// handler must not destroy the effect that is notifying it.
class EffectMessageObserver {
public:
    virtual ~EffectMessageObserver() = default;
    virtual void OnEffectStart(int32_t /*index*/) {}
    virtual void OnEffectEvent(int32_t /*index*/) {}
    virtual void OnEffectFinish(int32_t /*index*/) {}
    virtual void OnEffectStep(int32_t /*index*/) {}
    // A move step could not move its object.
    virtual void OnEffectBlocked(int32_t /*index*/) {}
};

// An animation of visible objects driven by one time object. Made and
// destroyed only through the effect system.
class IEffect {
public:
    virtual ~IEffect() = default;
    virtual int32_t GetIndex() = 0;
    virtual void SetDuration(int32_t ms) = 0;
    // False when the kind's conditions fail or the time object refuses.
    virtual bool Start(bool paused, uint16_t delay) = 0;
    virtual void SetPaused(bool paused) = 0;
    virtual void Stop() = 0;
    virtual bool IsRunning() = 0;
    virtual void SetVisible(bool visible) = 0;
    // Stored for the creator; never read by the library.
    virtual void SetUserValue(int32_t value) = 0;
    virtual int32_t GetUserValue() = 0;
};

// Carries one object in a straight line, within a time or at a speed.
class IState2MoveEffect : public IEffect {
public:
    // Pixels per second; switches to speed mode.
    virtual void SetSpeed(int32_t pixelsPerSecond) = 0;
    // Takes a use of `object` (null is ignored).
    virtual void SetVisibleObject(ControlLibrary::IVisibleObject* object) = 0;
    virtual void SetStartPoint(int32_t x, int32_t y) = 0;
    virtual void SetEndPoint(int32_t x, int32_t y) = 0;
    virtual void SetHideAtEnd(bool hide) = 0;
    // Whether the last step moved the object.
    virtual bool HasMoved() = 0;
    virtual ControlLibrary::IVisibleObject* GetVisibleObject() = 0;
};

// A minutes-and-seconds clock ("01 : 29") on a text object.
class ITimerEffect : public IEffect {
public:
    // Null is ignored; the object is moved to the stored position.
    virtual void SetVisibleObject(ControlLibrary::IStringVO* object) = 0;
    virtual void SetCountDown(bool down) = 0;
    virtual void SetPosition(int32_t x, int32_t y) = 0;
    virtual void SetLooped(bool looped) = 0;
};

// Shows a list of objects one at a time, in a fixed rhythm.
class ISwitcherVoEffect : public IEffect {
public:
    // Null entries are kept and skipped.
    virtual void AddVisibleObject(ControlLibrary::IVisibleObject* object) = 0;
    virtual void SetPeriod(uint16_t ms) = 0;
    virtual void SetHideOnFinish(bool hide) = 0;
};

// Frame animations described in an effect description file.
class IAnimationEffect : public IEffect {
public:
    virtual void SetFirstFrameVisible(int32_t animation, bool visible) = 0;
    virtual void Play(int32_t animation) = 0;
    // Kept for compatibility; does nothing.
    virtual void Reserved() = 0;
    virtual uint16_t GetAnimationCount() = 0;
    // Reads "effects/..." descriptions through the file layer; false (and no
    // description) when the file is missing or malformed.
    virtual bool Load(const std::string& fileName) = 0;
    virtual void SetPosition(int32_t x, int32_t y) = 0;
    virtual void SetAlignment(int32_t horizontal, int32_t vertical) = 0;
    virtual void SetZOrder(uint16_t zOrder) = 0;
};

// Creates, numbers (1 to 1023), owns and destroys every effect.
class IEffectSystem {
public:
    virtual ~IEffectSystem() = default;
    // Each returns null when 1023 effects are alive. Observers and objects
    // must outlive their effects.
    virtual IState2MoveEffect* CreateState2MoveEffect(EffectMessageObserver* observer,
                                                      ControlLibrary::IVisibleObject* object,
                                                      int32_t duration) = 0;
    // Stops a running effect, then deletes it; null or an effect destroyed
    // before is ignored.
    virtual void DestroyEffect(IState2MoveEffect* effect) = 0;
    virtual void DestroyEffect(ITimerEffect* effect) = 0;
    virtual void DestroyEffect(ISwitcherVoEffect* effect) = 0;
    virtual void DestroyEffect(IAnimationEffect* effect) = 0;
    virtual ITimerEffect* CreateTimerEffect(EffectMessageObserver* observer,
                                            ControlLibrary::IStringVO* object,
                                            int32_t duration) = 0;
    virtual ISwitcherVoEffect* CreateSwitcherEffect(EffectMessageObserver* observer) = 0;
    virtual IAnimationEffect* CreateAnimationEffect(EffectMessageObserver* observer) = 0;
};

}  // namespace EffectLibrary
