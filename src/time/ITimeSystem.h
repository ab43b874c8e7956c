#pragma once

#include <cstdint>

namespace TimeLibrary {

// Receives the notifications of time objects; override what you need.
// All but OnTimeObjectStart arrive on the timer thread, with the time
// system's table lock and the object's lock held.
class TimeObjectMessageObserver {
public:
    virtual ~TimeObjectMessageObserver() = default;
    // Sent by Start, on the thread that called it.
    virtual void OnTimeObjectStart(int32_t /*id*/) {}
    // Never sent by the time library; other libraries forward it.
    virtual void OnTimeObjectEvent(int32_t /*id*/) {}
    // Elapsed time reached the duration of an object that is not looped.
    virtual void OnTimeObjectFinish(int32_t /*id*/) {}
    // Every elapsed period, and once more just before OnTimeObjectFinish.
    virtual void OnTimeObjectTick(int32_t /*id*/) {}
};

// A timer advanced by the time system in 5 ms steps. Owned by the time
// system: release it with ITimeSystem::DestroyTimeObject.
class ITimeObject {
public:
    virtual ~ITimeObject() = default;
    virtual int32_t GetId() = 0;
    virtual void SetTimes(int32_t duration, int32_t period) = 0;
    virtual void SetDuration(int32_t duration) = 0;
    virtual void SetPeriod(int32_t period) = 0;
    virtual void SetLooped(bool looped) = 0;
    // False (and no notification) when running, when the period is not
    // positive, or when the duration is not positive and it is not looped.
    virtual bool Start(bool paused, uint16_t delay) = 0;
    virtual bool IsRunning() = 0;
    virtual void SetPaused(bool paused) = 0;
    virtual bool IsPaused() = 0;
    virtual void Stop() = 0;
    virtual int32_t GetDuration() = 0;
    virtual int32_t GetPeriod() = 0;
    virtual bool IsLooped() = 0;
};

class ITimeSystem {
public:
    virtual ~ITimeSystem() = default;
    // Milliseconds counted by the timer thread: 5 per step since StartTimer.
    virtual uint64_t GetTime() = 0;
    // A new stopped time object, or null when all 1023 ids are in use. The
    // system owns it; `observer` (may be null) must outlive it.
    virtual ITimeObject* CreateTimeObject(TimeObjectMessageObserver* observer, int32_t duration,
                                          int32_t period) = 0;
    // Deletes the object and frees its id; null or an already destroyed
    // object is ignored.
    virtual void DestroyTimeObject(ITimeObject* timeObject) = 0;
};

}  // namespace TimeLibrary
