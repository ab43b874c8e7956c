#pragma once

#include <memory>
#include <string>
#include <vector>

#include "controls/IImageVO.h"
#include "effects/EffectBase.h"
#include "effects/EffectDescription.h"

namespace EffectLibrary {

class State2MoveEffectImpl : public EffectBase<IState2MoveEffect> {
public:
    // Time mode with `duration`; takes a use of `object` (may be null).
    State2MoveEffectImpl(int32_t index, EffectMessageObserver* observer,
                         TimeLibrary::ITimeSystem* timeSystem,
                         ControlLibrary::IVisibleObject* object, int32_t duration);
    // Stops a running move first (hiding the object if so set).
    ~State2MoveEffectImpl() override;

    void SetDuration(int32_t ms) override;
    bool Start(bool paused, uint16_t delay) override;
    void Stop() override;
    void SetVisible(bool visible) override;
    void SetSpeed(int32_t pixelsPerSecond) override;
    void SetVisibleObject(ControlLibrary::IVisibleObject* object) override;
    void SetStartPoint(int32_t x, int32_t y) override { m_start = {x, y}; }
    void SetEndPoint(int32_t x, int32_t y) override { m_end = {x, y}; }
    void SetHideAtEnd(bool hide) override { m_hideAtEnd = hide; }
    bool HasMoved() override { return m_moved; }
    ControlLibrary::IVisibleObject* GetVisibleObject() override { return m_object; }

    void OnTimeObjectTick(int32_t id) override;
    void OnTimeObjectFinish(int32_t id) override;

    float GetStepX() const { return m_stepX; }
    float GetStepY() const { return m_stepY; }

private:
    struct IntPoint {
        int32_t x = 0;
        int32_t y = 0;
    };
    ControlLibrary::IVisibleObject* m_object = nullptr;  // not owned; one use taken
    int32_t m_speed = 0;
    float m_distance = 0;
    IntPoint m_start;
    IntPoint m_end;
    float m_x = 0;
    float m_y = 0;
    float m_stepX = 0;
    float m_stepY = 0;
    bool m_hideAtEnd = true;
    bool m_stopped = false;
    bool m_moved = false;
};

class SwitcherEffectImpl : public EffectBase<ISwitcherVoEffect> {
public:
    using EffectBase::EffectBase;

    void SetDuration(int32_t /*ms*/) override {}
    bool Start(bool paused, uint16_t delay) override;
    void Stop() override { StopTimeObject(); }
    void SetVisible(bool visible) override;
    void AddVisibleObject(ControlLibrary::IVisibleObject* object) override;
    void SetPeriod(uint16_t ms) override { m_period = ms; }
    void SetHideOnFinish(bool hide) override { m_hideOnFinish = hide; }

    void OnTimeObjectTick(int32_t id) override;
    void OnTimeObjectFinish(int32_t id) override;

    uint16_t GetCurrent() const { return m_current; }

private:
    void Show(bool shown);

    std::vector<ControlLibrary::IVisibleObject*> m_objects;  // not owned
    int32_t m_period = -1;
    bool m_hideOnFinish = true;
    uint16_t m_current = 0;
};

class TimerEffectImpl : public EffectBase<ITimerEffect> {
public:
    TimerEffectImpl(int32_t index, EffectMessageObserver* observer,
                    TimeLibrary::ITimeSystem* timeSystem, ControlLibrary::IStringVO* object,
                    int32_t duration);

    void SetDuration(int32_t ms) override;
    bool Start(bool paused, uint16_t delay) override;
    void Stop() override { StopTimeObject(); }
    void SetVisible(bool visible) override;
    void SetVisibleObject(ControlLibrary::IStringVO* object) override;
    void SetCountDown(bool down) override { m_countDown = down; }
    void SetPosition(int32_t x, int32_t y) override;
    void SetLooped(bool looped) override;

    void OnTimeObjectTick(int32_t id) override;
    void OnTimeObjectFinish(int32_t id) override;

    // "MM : SS" with at least two digits each.
    static std::string Format(uint16_t seconds);

private:
    ControlLibrary::IStringVO* m_object = nullptr;  // not owned
    int32_t m_x = 0;
    int32_t m_y = 0;
    bool m_countDown = false;
    uint16_t m_seconds = 0;
};

class AnimationEffectImpl : public EffectBase<IAnimationEffect> {
public:
    using EffectBase::EffectBase;
    // Gives back the frame objects.
    ~AnimationEffectImpl() override;

    void SetDuration(int32_t /*ms*/) override {}
    bool Start(bool /*paused*/, uint16_t /*delay*/) override { return false; }
    void Stop() override;
    void SetVisible(bool visible) override;
    void SetFirstFrameVisible(int32_t animation, bool visible) override;
    void Play(int32_t animation) override;
    void Reserved() override {}
    uint16_t GetAnimationCount() override;
    bool Load(const std::string& fileName) override;
    void SetPosition(int32_t x, int32_t y) override;
    void SetAlignment(int32_t horizontal, int32_t vertical) override;
    void SetZOrder(uint16_t zOrder) override;

    void OnTimeObjectTick(int32_t id) override;
    void OnTimeObjectFinish(int32_t id) override;

    const EffectDescription* GetDescription() const { return m_description.get(); }
    // The image object of a frame (tests).
    ControlLibrary::IImageVO* GetFrameObject(size_t animation, size_t frame) const;

private:
    void ReleaseFrames();
    template <class Fn>
    void ForEachFrame(Fn fn);
    void RunFrame(const EffectFrame& frame);

    std::unique_ptr<EffectDescription> m_description;
    // One image object per frame, in the description's order.
    std::vector<std::vector<ControlLibrary::IImageVO*>> m_frames;
    int16_t m_animation = -1;
    int16_t m_frame = -1;
};

}  // namespace EffectLibrary
