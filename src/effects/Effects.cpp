#include "effects/Effects.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "controls/Factory_impl.h"
#include "controls/IStringVO.h"
#include "framework/resources/PakInterface.h"

namespace EffectLibrary {

using ControlLibrary::IVisibleObject;

// --- move ---------------------------------------------------------------------------

State2MoveEffectImpl::State2MoveEffectImpl(int32_t index, EffectMessageObserver* observer,
                                           TimeLibrary::ITimeSystem* timeSystem,
                                           IVisibleObject* object, int32_t duration)
    : EffectBase(index, observer, timeSystem) {
    SetVisibleObject(object);
    SetDuration(duration);
}

State2MoveEffectImpl::~State2MoveEffectImpl() {
    if (IsRunning()) {
        Stop();
    }
}

void State2MoveEffectImpl::SetDuration(int32_t ms) {
    if (m_timeObject != nullptr) {
        m_timeObject->SetDuration(ms);
    }
    m_speed = 0;
}

void State2MoveEffectImpl::SetSpeed(int32_t pixelsPerSecond) {
    m_speed = pixelsPerSecond;
    if (m_timeObject != nullptr) {
        m_timeObject->SetDuration(-1);
    }
}

void State2MoveEffectImpl::SetVisibleObject(IVisibleObject* object) {
    if (object != nullptr) {
        m_object = object;
        object->AddRef();
    }
}

bool State2MoveEffectImpl::Start(bool paused, uint16_t delay) {
    if (m_object == nullptr || m_timeObject == nullptr ||
        (m_start.x == m_end.x && m_start.y == m_end.y) ||
        (m_timeObject->GetDuration() == -1 && m_speed == 0)) {
        return false;
    }
    const int32_t dx = m_end.x - m_start.x;
    const int32_t dy = m_end.y - m_start.y;
    const auto ax = static_cast<uint16_t>(std::abs(dx));
    const auto ay = static_cast<uint16_t>(std::abs(dy));
    const uint16_t m = ax > ay ? ax : ay;
    if (m_speed != 0) {
        m_distance = std::sqrt(static_cast<float>(dx) * dx + static_cast<float>(dy) * dy);
    }
    // Speed mode runs until the end point is reached; time mode ends with its
    // duration, also after an earlier run at a speed.
    m_timeObject->SetLooped(m_speed != 0);
    const int32_t duration = m_timeObject->GetDuration();
    float f = 0;
    float rx = 0;
    float ry = 0;
    if (duration > 0) {
        f = static_cast<float>(m) / static_cast<float>(duration);
        rx = static_cast<float>(ax) / static_cast<float>(duration);
        ry = static_cast<float>(ay) / static_cast<float>(duration);
    } else {
        const auto n = static_cast<int32_t>(m / (m_speed / 1000.0f));
        if (n <= 0) {
            return false;  // faster than a pixel a millisecond along the whole trip
        }
        f = 1;
        rx = static_cast<float>(ax) / static_cast<float>(n);
        ry = static_cast<float>(ay) / static_cast<float>(n);
    }
    const int32_t period = std::fabs(5 * f) > 1 ? 5 : static_cast<int32_t>(1 / f);
    m_stepX = rx * static_cast<float>(period) * (m_start.x > m_end.x ? -1.0f : 1.0f);
    m_stepY = ry * static_cast<float>(period) * (m_end.y < m_start.y ? -1.0f : 1.0f);
    m_timeObject->SetPeriod(period);
    m_x = static_cast<float>(m_start.x);
    m_y = static_cast<float>(m_start.y);
    m_object->SetPosition(m_start.x, m_start.y);
    m_object->SetShown(true);
    m_stopped = false;
    return StartTimeObject(paused, delay);
}

void State2MoveEffectImpl::Stop() {
    m_stopped = true;
    if (m_hideAtEnd && m_object != nullptr) {
        m_object->SetShown(false);
    }
    StopTimeObject();
}

void State2MoveEffectImpl::SetVisible(bool visible) {
    if (m_object != nullptr) {
        m_object->SetShown(visible);
    }
}

void State2MoveEffectImpl::OnTimeObjectTick(int32_t /*id*/) {
    if (m_stopped || m_object == nullptr) {
        return;
    }
    const float previousX = m_x;
    const float previousY = m_y;
    m_x += m_stepX;
    m_y += m_stepY;
    if (m_timeObject->GetDuration() == -1) {
        const float ddx = m_x - static_cast<float>(m_start.x);
        const float ddy = m_y - static_cast<float>(m_start.y);
        if (std::sqrt(ddx * ddx + ddy * ddy) > m_distance) {
            m_x = static_cast<float>(m_end.x);
            m_y = static_cast<float>(m_end.y);
            m_object->SetPosition(m_end.x, m_end.y);
            Stop();
            Tell(&EffectMessageObserver::OnEffectFinish);
            return;
        }
    }
    const ControlLibrary::Point before = m_object->GetPosition();
    m_object->SetPosition(static_cast<int32_t>(m_x), static_cast<int32_t>(m_y));
    const ControlLibrary::Point after = m_object->GetPosition();
    const bool shouldMove = static_cast<int32_t>(m_x) != static_cast<int32_t>(previousX) ||
                            static_cast<int32_t>(m_y) != static_cast<int32_t>(previousY);
    if (before == after && shouldMove) {
        m_moved = false;
        m_x -= m_stepX;
        m_y -= m_stepY;
        Tell(&EffectMessageObserver::OnEffectBlocked);
    } else {
        m_moved = true;
        Tell(&EffectMessageObserver::OnEffectStep);
    }
}

void State2MoveEffectImpl::OnTimeObjectFinish(int32_t /*id*/) {
    if (m_stopped) {
        return;
    }
    if (m_hideAtEnd && m_object != nullptr) {
        m_object->SetShown(false);
    }
    Tell(&EffectMessageObserver::OnEffectFinish);
}

// --- switcher ------------------------------------------------------------------------

bool SwitcherEffectImpl::Start(bool paused, uint16_t delay) {
    if (m_period <= 0 || m_objects.empty() || m_timeObject == nullptr) {
        return false;
    }
    m_timeObject->SetPeriod(m_period);
    m_timeObject->SetDuration(-1);
    m_timeObject->SetLooped(true);
    m_current = 0;
    return StartTimeObject(paused, delay);
}

void SwitcherEffectImpl::Show(bool shown) {
    if (m_current < m_objects.size() && m_objects[m_current] != nullptr) {
        m_objects[m_current]->SetShown(shown);
    }
}

void SwitcherEffectImpl::SetVisible(bool visible) {
    if (!visible && IsRunning()) {
        SetPaused(true);
    }
    Show(visible);
}

void SwitcherEffectImpl::AddVisibleObject(IVisibleObject* object) {
    m_objects.push_back(object);
}

void SwitcherEffectImpl::OnTimeObjectTick(int32_t /*id*/) {
    if (m_objects.empty()) {
        return;
    }
    Show(false);
    m_current = static_cast<uint16_t>(m_current + 1u < m_objects.size() ? m_current + 1 : 0);
    Show(true);
    Tell(&EffectMessageObserver::OnEffectStep);
}

void SwitcherEffectImpl::OnTimeObjectFinish(int32_t /*id*/) {
    if (m_hideOnFinish) {
        Show(false);
    }
    Tell(&EffectMessageObserver::OnEffectFinish);
}

// --- timer -------------------------------------------------------------------------------

TimerEffectImpl::TimerEffectImpl(int32_t index, EffectMessageObserver* observer,
                                 TimeLibrary::ITimeSystem* timeSystem,
                                 ControlLibrary::IStringVO* object, int32_t duration)
    : EffectBase(index, observer, timeSystem), m_object(object) {
    SetDuration(duration);
}

void TimerEffectImpl::SetDuration(int32_t ms) {
    if (m_timeObject != nullptr) {
        m_timeObject->SetDuration(ms);
        m_timeObject->SetPeriod(1000);
    }
}

bool TimerEffectImpl::Start(bool paused, uint16_t delay) {
    m_seconds = 0;
    if (m_countDown && m_timeObject != nullptr && !m_timeObject->IsLooped()) {
        m_seconds = static_cast<uint16_t>(m_timeObject->GetDuration() / 1000);
    }
    return StartTimeObject(paused, delay);
}

void TimerEffectImpl::SetVisible(bool visible) {
    if (m_object != nullptr) {
        m_object->SetShown(visible);
    }
}

void TimerEffectImpl::SetVisibleObject(ControlLibrary::IStringVO* object) {
    if (object != nullptr) {
        m_object = object;
        object->SetPosition(m_x, m_y);
    }
}

void TimerEffectImpl::SetPosition(int32_t x, int32_t y) {
    if (m_object != nullptr) {
        m_x = x;
        m_y = y;
        m_object->SetPosition(x, y);
    }
}

void TimerEffectImpl::SetLooped(bool looped) {
    if (m_timeObject != nullptr) {
        m_timeObject->SetLooped(looped);
        m_timeObject->SetPeriod(1000);
    }
}

std::string TimerEffectImpl::Format(uint16_t seconds) {
    auto twoDigits = [](unsigned value) {
        const std::string text = std::to_string(value);
        return text.size() == 1 ? "0" + text : text;
    };
    return twoDigits(seconds / 60u) + " : " + twoDigits(seconds % 60u);
}

void TimerEffectImpl::OnTimeObjectTick(int32_t /*id*/) {
    const bool down = m_countDown && !m_timeObject->IsLooped();
    m_seconds = static_cast<uint16_t>(down ? m_seconds - 1 : m_seconds + 1);
    if (m_object != nullptr) {
        m_object->SetText(Format(m_seconds));
    }
    Tell(&EffectMessageObserver::OnEffectStep);
}

void TimerEffectImpl::OnTimeObjectFinish(int32_t /*id*/) {
    Tell(&EffectMessageObserver::OnEffectFinish);
}

// --- animation ---------------------------------------------------------------------------

namespace {

// An effect description is a few lines of text; anything larger is no description.
constexpr size_t kMaxDescriptionBytes = size_t{1} << 20;

}  // namespace

AnimationEffectImpl::~AnimationEffectImpl() {
    ReleaseFrames();
}

void AnimationEffectImpl::ReleaseFrames() {
    ControlLibrary::Factory_impl* factory = ControlLibrary::GetFactory();
    for (auto& animation : m_frames) {
        for (ControlLibrary::IImageVO* frame : animation) {
            if (factory != nullptr) {
                factory->ReleaseImageVO(frame);
            }
        }
    }
    m_frames.clear();
}

template <class Fn>
void AnimationEffectImpl::ForEachFrame(Fn fn) {
    for (auto& animation : m_frames) {
        for (ControlLibrary::IImageVO* frame : animation) {
            if (frame != nullptr) {
                fn(frame);
            }
        }
    }
}

bool AnimationEffectImpl::Load(const std::string& fileName) {
    std::vector<uint8_t> bytes;
    if (!Brisk::ReadWholeFile(fileName, &bytes, kMaxDescriptionBytes)) {
        return false;
    }
    const std::string text(bytes.begin(), bytes.end());
    if (text.find("[animation]") == std::string::npos ||
        text.find("[effect]") == std::string::npos) {
        return false;  // the description held before stays
    }
    StopTimeObject();
    m_animation = -1;
    m_frame = -1;
    ReleaseFrames();
    m_description.reset();
    std::optional<EffectDescription> parsed = ParseEffectDescription(text);
    if (!parsed) {
        return false;
    }
    m_description = std::make_unique<EffectDescription>(std::move(*parsed));

    // One image object per frame, showing its cell of the strip.
    ControlLibrary::Factory_impl* factory = ControlLibrary::GetFactory();
    const std::string image = "effects/" + m_description->image;
    const int32_t w = m_description->frameWidth;
    const int32_t h = m_description->frameHeight;
    for (const EffectAnimation& animation : m_description->animations) {
        auto& objects = m_frames.emplace_back();
        for (const EffectFrame& frame : animation.frames) {
            ControlLibrary::IImageVO* object =
                factory != nullptr ? factory->CreateImageVO() : nullptr;
            if (object != nullptr) {
                object->LoadImage(image, false);
                object->SetSize(static_cast<uint32_t>(w), static_cast<uint32_t>(h));
                object->SetSourceRect({(frame.index - 1) * w, 0, w, h});
            }
            objects.push_back(object);
        }
    }
    return true;
}

ControlLibrary::IImageVO* AnimationEffectImpl::GetFrameObject(size_t animation,
                                                              size_t frame) const {
    if (animation >= m_frames.size() || frame >= m_frames[animation].size()) {
        return nullptr;
    }
    return m_frames[animation][frame];
}

uint16_t AnimationEffectImpl::GetAnimationCount() {
    return m_description != nullptr ? static_cast<uint16_t>(m_description->animations.size()) : 0;
}

void AnimationEffectImpl::SetFirstFrameVisible(int32_t animation, bool visible) {
    if (animation < 0 || animation >= GetAnimationCount() ||
        m_frames[static_cast<size_t>(animation)].empty()) {
        return;
    }
    if (ControlLibrary::IImageVO* first = m_frames[static_cast<size_t>(animation)].front()) {
        first->SetShown(visible);
    }
}

void AnimationEffectImpl::RunFrame(const EffectFrame& frame) {
    if (m_timeObject == nullptr) {
        return;
    }
    m_timeObject->SetPeriod(frame.time);
    m_timeObject->SetDuration(frame.time);
    m_timeObject->SetLooped(false);
    m_timeObject->Start(false, 0);  // refused for a time of 0 or less: the animation stops here
}

void AnimationEffectImpl::Play(int32_t animation) {
    if (animation < 0 || animation >= GetAnimationCount()) {
        return;
    }
    const auto& frames = m_description->animations[static_cast<size_t>(animation)].frames;
    m_animation = static_cast<int16_t>(animation);
    m_frame = 0;
    if (frames.empty()) {
        return;  // nothing to show; never finishes
    }
    if (ControlLibrary::IImageVO* first = m_frames[static_cast<size_t>(animation)].front()) {
        first->SetShown(true);
    }
    RunFrame(frames.front());
}

void AnimationEffectImpl::Stop() {
    StopTimeObject();
    SetVisible(false);
}

void AnimationEffectImpl::SetVisible(bool visible) {
    if (!visible) {
        ForEachFrame([](ControlLibrary::IImageVO* frame) { frame->SetShown(false); });
    }
}

void AnimationEffectImpl::SetPosition(int32_t x, int32_t y) {
    ForEachFrame([x, y](ControlLibrary::IImageVO* frame) { frame->SetPosition(x, y); });
}

void AnimationEffectImpl::SetAlignment(int32_t horizontal, int32_t vertical) {
    ForEachFrame(
        [=](ControlLibrary::IImageVO* frame) { frame->SetAlignment(horizontal, vertical); });
}

void AnimationEffectImpl::SetZOrder(uint16_t zOrder) {
    ForEachFrame([zOrder](ControlLibrary::IImageVO* frame) { frame->SetZOrder(zOrder); });
}

void AnimationEffectImpl::OnTimeObjectTick(int32_t /*id*/) {
    Tell(&EffectMessageObserver::OnEffectStep);
}

void AnimationEffectImpl::OnTimeObjectFinish(int32_t /*id*/) {
    if (m_animation < 0 || m_frame < 0 || m_description == nullptr) {
        return;
    }
    const auto a = static_cast<size_t>(m_animation);
    const auto& animation = m_description->animations[a];
    const auto f = static_cast<size_t>(m_frame);
    if (f + 1 < animation.frames.size()) {
        if (ControlLibrary::IImageVO* next = m_frames[a][f + 1]) {
            next->SetShown(true);
        }
        if (ControlLibrary::IImageVO* current = m_frames[a][f]) {
            current->SetShown(false);
        }
        ++m_frame;
        RunFrame(animation.frames[f + 1]);
        return;
    }
    Tell(&EffectMessageObserver::OnEffectFinish);
    if (animation.autohide && f < m_frames[a].size() && m_frames[a][f] != nullptr) {
        m_frames[a][f]->SetShown(false);
    }
    m_animation = -1;
    m_frame = -1;
}

}  // namespace EffectLibrary
