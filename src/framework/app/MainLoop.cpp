// The main loop: update state machine, frame timing, drawing, presenting and
// the deferred message queue through which window messages reach widgets.

#include <algorithm>
#include <cmath>

#include "framework/app/BriskAppBase.h"
#include "framework/app/Demo.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/platform/Events.h"
#include "framework/platform/Process.h"
#include "framework/platform/Signals.h"
#include "framework/platform/Threads.h"
#include "framework/platform/Window.h"
#include "framework/sound/MusicInterface.h"
#include "framework/widgets/WidgetManager.h"

namespace Brisk {
namespace {

using Platform::MessageId;

// Signed distance between two wrapping millisecond ticks.
int32_t TickDiff(uint32_t later, uint32_t earlier) {
    return static_cast<int32_t>(later - earlier);
}

bool IsQueuedMessage(MessageId id) {
    switch (id) {
        case MessageId::ActivateApp:
        case MessageId::Move:
        case MessageId::Size:
        case MessageId::Close:
        case MessageId::SysColorChange:
        case MessageId::DisplayChange:
        case MessageId::KeyDown:
        case MessageId::KeyUp:
        case MessageId::Char:
        case MessageId::SysKeyDown:
        case MessageId::SysKeyUp:
        case MessageId::Timer:
        case MessageId::MouseWheel:
            return true;
        default:
            return Platform::IsMouseMessage(id);
    }
}

bool QueueHas(const std::deque<WindowMessage>& queue, MessageId a, MessageId b) {
    return std::any_of(queue.begin(), queue.end(),
                       [&](const WindowMessage& m) { return m.message == a || m.message == b; });
}

}  // namespace

// --- window procedure ----------------------------------------------------------

void BriskAppBase::HandleWindowMessage(const WindowMessage& message) {
    const bool mainWindow = message.window == GetMainWindowId();
    switch (message.message) {
        case MessageId::Paint:
            if (m_life.initialized && !m_life.hidden && m_life.running) {
                PresentFrame(nullptr);
            }
            return;
        case MessageId::EndSession:
            Shutdown();
            return;
        case MessageId::NonClientLButtonDown:
            // Time spent dragging the window is not caught up afterwards.
            ClearUpdateBacklog(false);
            return;
        case MessageId::SysChar:
            return;  // reserved Alt keys are swallowed; others have no default
        case MessageId::PadDown:
        case MessageId::PadUp:
            ApplyPadActions(m_padKeys.Press(static_cast<Platform::PadButton>(message.wparam),
                                            message.message == MessageId::PadDown, Now()));
            return;
        case MessageId::Notify:
            if (mainWindow) {
                HandleNotifyMessage(message.wparam, message.lparam);
            }
            return;
        case MessageId::ActivateApp:
            if (mainWindow && !m_commandLine.playingDemo) {
                m_life.active = message.wparam != 0;
            }
            break;
        default:
            break;
    }
    if (!IsQueuedMessage(message.message)) {
        return;
    }

    if (!m_life.inPopup) {
        bool queue = true;
        switch (message.message) {
            case MessageId::KeyDown:
            case MessageId::SysKeyDown:
            case MessageId::KeyUp:
            case MessageId::SysKeyUp: {
                const bool down = message.message == MessageId::KeyDown ||
                                  message.message == MessageId::SysKeyDown;
                if (message.wparam == Platform::Vk::Control) {
                    m_input.ctrlDown = down;
                } else if (message.wparam == Platform::Vk::Menu) {
                    m_input.altDown = down;
                }
                if (down && OnKeyDownEarly(static_cast<int>(message.wparam), m_input.ctrlDown,
                                           m_input.altDown)) {
                    queue = false;
                }
                break;
            }
            case MessageId::Timer:
                queue = !QueueHas(m_deferredMessages, MessageId::Timer, MessageId::Timer);
                break;
            case MessageId::SysColorChange:
            case MessageId::DisplayChange:
                queue = !QueueHas(m_deferredMessages, MessageId::SysColorChange,
                                  MessageId::DisplayChange);
                break;
            default:
                break;
        }
        // Nothing is queued behind a close.
        if (queue && !QueueHas(m_deferredMessages, MessageId::Close, MessageId::Close)) {
            m_deferredMessages.push_back(message);
        }
    }

    if (message.message == MessageId::Size && !m_commandLine.playingDemo) {
        m_life.minimized = message.wparam == Platform::kSizeMinimized;
    } else if (message.message == MessageId::Close) {
        OnCloseRequest();
    }
}

bool BriskAppBase::ProcessDeferredMessages(bool single) {
    while (!m_deferredMessages.empty()) {
        const WindowMessage message = m_deferredMessages.front();
        m_deferredMessages.pop_front();
        if (message.message != MessageId::Timer) {
            // Input may have changed what is shown: the next update looks.
            m_timing.quietUpdates = 0;
        }
        if (!m_commandLine.playingDemo) {
            if (m_commandLine.recordingDemo) {
                RecordDemoMessage(message);
            }
            DispatchDeferredMessage(message);
        } else if (message.message == MessageId::Close) {
            // The player's own input waits while a demo plays, but the close
            // box (or the game's own quit) ends the program.
            OnTerminationRequest();
        }
        if (single) {
            break;
        }
    }
    return !m_deferredMessages.empty();
}

void BriskAppBase::DispatchDeferredMessage(const WindowMessage& message) {
    const bool mainWindow = message.window == GetMainWindowId();
    switch (message.message) {
        case MessageId::Move:
            if (mainWindow && m_windowSettings.windowIsWindowed && m_window != nullptr &&
                !m_window->IsMinimized()) {
                m_windowSettings.preferredX = Platform::PointParamX(message.lparam);
                m_windowSettings.preferredY = Platform::PointParamY(message.lparam);
            }
            break;
        case MessageId::Size: {
            if (!mainWindow) {
                break;
            }
            const bool minimized = message.wparam == Platform::kSizeMinimized;
            m_life.minimized = minimized;
            if (minimized != m_life.minimizedHandled) {
                m_life.minimizedHandled = minimized;
                if (minimized) {
                    if (m_volumes.muteOnLostFocus) {
                        Mute(true);
                    }
                } else {
                    if (m_volumes.muteOnLostFocus) {
                        Unmute(true);
                    }
                    m_widgetManager->MarkAllDirty();
                }
            }
            RefreshFocus();
            if (!minimized && m_display != nullptr && m_display->IsInitialized()) {
                // The letterboxed picture moved: map the mouse through its new place.
                ResizeWidgetArea();
            }
            if (message.wparam == Platform::kSizeMaximized) {
                SwitchScreenMode(false);
            }
            break;
        }
        case MessageId::SysColorChange:
        case MessageId::DisplayChange:
            m_widgetManager->SystemColorsChanged();
            m_widgetManager->MarkAllDirty();
            break;
        case MessageId::ActivateApp:
            if (mainWindow && !m_life.hidden && !m_life.shutdown) {
                RefreshFocus();
                if (m_life.active && !m_windowSettings.windowIsWindowed) {
                    m_widgetManager->MarkAllDirty();
                }
                if (!m_life.active && !m_url.url.empty()) {
                    OnURLOpened(m_url.url);
                }
            }
            break;
        case MessageId::KeyDown:
        case MessageId::SysKeyDown:
            HandleKeyDownMessage(message);
            break;
        case MessageId::KeyUp:
        case MessageId::SysKeyUp:
            m_widgetManager->KeyUp(static_cast<int>(message.wparam));
            break;
        case MessageId::Char:
            m_widgetManager->KeyChar(static_cast<char>(static_cast<uint8_t>(message.wparam)));
            break;
        case MessageId::Timer:
            HandleTimerTick();
            break;
        case MessageId::MouseWheel:
            m_widgetManager->MouseWheel(static_cast<int>(message.wparam / 120));
            break;
        case MessageId::Close:
            m_life.closeRequested = true;
            Shutdown();
            break;
        default:
            if (Platform::IsMouseMessage(message.message)) {
                DispatchMouseMessage(message);
            }
            break;
    }
}

void BriskAppBase::ApplyPadActions(const std::vector<PadKeys::Action>& actions) {
    for (const PadKeys::Action& action : actions) {
        MessageId id = MessageId::Close;
        if (action.kind == PadKeys::Action::Kind::KeyDown) {
            id = MessageId::KeyDown;
        } else if (action.kind == PadKeys::Action::Kind::KeyUp) {
            id = MessageId::KeyUp;
        }
        HandleWindowMessage(
            {GetMainWindowId(), id,
             action.kind == PadKeys::Action::Kind::Close ? 0 : static_cast<int64_t>(action.key),
             0});
    }
}

void BriskAppBase::HandleKeyDownMessage(const WindowMessage& message) {
    const int key = static_cast<int>(message.wparam);
    m_counters.keyAfterLoading = m_counters.keyAfterLoading || m_loading.completionHandled;
    m_timing.lastUserInputTick = m_timing.lastTimerTick;
    if (message.message == MessageId::SysKeyDown && key == Platform::Vk::Return) {
        // Alt+Enter toggles between window and full screen.
        if (!m_windowSettings.forceFullscreen && !m_windowSettings.forceWindowed) {
            SwitchScreenMode(!m_windowSettings.windowIsWindowed);
        }
        return;
    }
    if (key == 'D' && m_widgetManager->IsKeyDown(Platform::Vk::Control) &&
        m_widgetManager->IsKeyDown(Platform::Vk::Menu)) {
        m_input.debugKeysEnabled = !m_input.debugKeysEnabled;
        return;
    }
    if (m_input.debugKeysEnabled && OnDebugKey(key)) {
        return;
    }
    if (key == Platform::Vk::F12) {
        // In the queue like any key, so that a demo's playback takes it at the same moment.
        TakeScreenshot();
        return;
    }
    m_widgetManager->KeyDown(key);
}

WindowMessage BriskAppBase::MapMouseMessage(const WindowMessage& message) {
    WindowMessage mapped = message;
    int x = Platform::PointParamX(message.lparam);
    int y = Platform::PointParamY(message.lparam);
    m_widgetManager->MapWindowPoint(&x, &y);
    mapped.lparam = Platform::MakePointParam(x, y);
    return mapped;
}

void BriskAppBase::DispatchMouseMessage(const WindowMessage& message, bool mapped) {
    if (m_life.hidden) {
        return;
    }
    int x = Platform::PointParamX(message.lparam);
    int y = Platform::PointParamY(message.lparam);
    if (!mapped) {
        m_widgetManager->MapWindowPoint(&x, &y);
    }
    m_timing.lastUserInputTick = m_timing.lastTimerTick;
    if (m_softwareCursorActive && m_display != nullptr) {
        // The software cursor follows the pointer at the next present.
        m_display->SetCursorPos(x, y);
        m_cursor.changed = true;
    }
    m_widgetManager->MouseMove(x, y);
    if (!m_input.mouseInWindow) {
        m_input.mouseInWindow = true;
        ApplyCursor();
    }
    int clicks = 0;
    bool down = true;
    switch (message.message) {
        case MessageId::LButtonDown:
            clicks = 1;
            break;
        case MessageId::LButtonDoubleClick:
            clicks = 2;
            break;
        case MessageId::RButtonDown:
            clicks = -1;
            break;
        case MessageId::RButtonDoubleClick:
            clicks = -2;
            break;
        case MessageId::MButtonDown:
        case MessageId::MButtonDoubleClick:
            clicks = 3;
            break;
        case MessageId::LButtonUp:
            clicks = 1, down = false;
            break;
        case MessageId::RButtonUp:
            clicks = -1, down = false;
            break;
        case MessageId::MButtonUp:
            clicks = 3, down = false;
            break;
        default:
            return;  // a plain move
    }
    if (down) {
        Platform::Window::CaptureMouse(true);
        m_widgetManager->MouseDown(x, y, clicks);
    } else {
        // wparam holds the buttons still down after this release.
        if ((message.wparam &
             (Platform::kMouseLeft | Platform::kMouseRight | Platform::kMouseMiddle)) == 0) {
            Platform::Window::CaptureMouse(false);
        }
        m_widgetManager->MouseUp(x, y, clicks);
    }
}

void BriskAppBase::HandleTimerTick() {
    if (m_life.hidden || !m_life.running) {
        return;
    }
    const uint32_t now = Now();
    if (TickDiff(now, m_timing.lastTimerTick) > 500) {
        m_timing.timerRunStart = now;
    }
    m_timing.lastTimerTick = now;
    ApplyPadActions(m_padKeys.Tick(now));

    if (!m_url.url.empty() && TickDiff(now, m_timing.timerRunStart) > 5000) {
        const int32_t sinceOpen = TickDiff(now, m_url.time);
        if (!m_life.active && sinceOpen > 8000) {
            OnURLOpened(m_url.url);
        } else if (m_life.active && sinceOpen > 12000) {
            OnURLOpenFailed(m_url.url);
        }
    }

    if (m_commandLine.playingDemo) {
        return;  // the demo says where the pointer is
    }
    const bool inside = m_window != nullptr && m_window->IsMouseInside();
    if (inside != m_input.mouseInWindow) {
        m_input.mouseInWindow = inside;
        m_timing.quietUpdates = 0;
        int x = 0;
        int y = 0;
        if (!inside) {
            m_window->GetMousePosition(&x, &y);
            m_widgetManager->MapWindowPoint(&x, &y);
            m_widgetManager->MouseLeave(x, y);
        }
        if (m_commandLine.recordingDemo) {
            DemoEvent e;
            e.kind = DemoRecord::MouseInside;
            e.flag = inside;
            e.x = x;
            e.y = y;
            RecordDemoEvent(e);
        }
        ApplyCursor();
    }
}

void BriskAppBase::RefreshFocus() {
    const bool focus = m_life.active && !m_life.minimized;
    if (focus == m_input.hasFocus) {
        return;
    }
    m_input.hasFocus = focus;
    if (focus) {
        if (m_volumes.muteOnLostFocus) {
            Unmute(true);
        }
        m_widgetManager->GainFocus();
        OnGotFocus();
    } else {
        if (m_volumes.muteOnLostFocus) {
            Mute(true);
        }
        m_widgetManager->LoseFocus();
        OnLostFocus();
        if (m_videoStarted) {
            Platform::Window::CaptureMouse(false);
        }
        m_widgetManager->ReleaseHeldButtons();
    }
}

// --- update state machine ------------------------------------------------------

void BriskAppBase::RunMainLoop() {
    while (!m_life.shutdown) {
        m_life.exitToTop = false;
        UpdateApp();
    }
}

bool BriskAppBase::UpdateApp() {
    bool updated = false;
    while (UpdateAppStep(&updated)) {
        if (updated) {
            return true;
        }
    }
    return false;
}

bool BriskAppBase::UpdateAppStep(bool* updated) {
    *updated = false;
    if (m_life.exitToTop) {
        return false;
    }
    if (m_timing.updateState == UpdateState::CycleDone) {
        m_timing.updateState = UpdateState::DrainMessages;
    }
    ++m_timing.updateAppDepth;
    if (m_timing.updateState == UpdateState::DrainMessages) {
        PumpPlatformMessages();
        ProcessDeferredMessages(true);
        if (m_deferredMessages.empty()) {
            m_timing.updateState = UpdateState::Decide;
        }
    }
    if (m_timing.updateState != UpdateState::DrainMessages && !m_life.shutdown) {
        const int before = m_counters.updates;
        ProcessFrame(true);
        *updated = m_counters.updates != before;
    }
    --m_timing.updateAppDepth;
    return true;
}

void BriskAppBase::SendWindowMessage(const WindowMessage& message) {
    if (IsMainThread()) {
        HandleWindowMessage(message);
        return;
    }
    {
        std::lock_guard lock(m_inboxLock);
        m_inbox.push_back(message);
    }
    WakeMainLoop();
}

void BriskAppBase::OnTerminationRequest() {
    if (m_commandLine.recordingDemo) {
        DemoEvent e;
        e.kind = DemoRecord::Terminate;
        RecordDemoEvent(e);
    }
    m_life.terminating = true;
    Shutdown();
}

void BriskAppBase::PumpPlatformMessages() {
    if (Platform::TakeTerminationRequest() && !m_life.shutdown) {
        OnTerminationRequest();
        return;
    }
    std::vector<WindowMessage> inbox;
    {
        std::lock_guard lock(m_inboxLock);
        inbox.swap(m_inbox);
    }
    for (WindowMessage& m : inbox) {
        if (m.window == kMainWindowAlias) {
            m.window = GetMainWindowId();  // sent before the window existed, or from afar
        }
        HandleWindowMessage(m);
    }
    const uint32_t now = Now();
    if (m_videoStarted &&
        (m_timing.pumpDue || TickDiff(now, m_timing.lastPumpTick) >= m_timing.frameTime)) {
        m_timing.pumpDue = false;
        m_timing.lastPumpTick = now;
        m_eventPump->Pump([this](const WindowMessage& m) { HandleWindowMessage(m); },
                          [this] { return m_life.shutdown.load(); });
    }
    QueueTimerMessage(now);
}

// The window timer: one timer message per frame time while a window exists.
void BriskAppBase::QueueTimerMessage(uint32_t now) {
    if (!m_timing.timerEnabled || TickDiff(now, m_timing.lastTimerPost) < m_timing.frameTime) {
        return;
    }
    m_timing.lastTimerPost = now;
    HandleWindowMessage({GetMainWindowId(), MessageId::Timer, 0, 0});
}

BriskAppBase::FramePace BriskAppBase::CurrentPace() const {
    FramePace pace;
    pace.vblank =
        !m_commandLine.playingDemo && m_timing.vsyncUpdates && !m_timing.lastDrawEmpty &&
        !m_timing.vsyncBroken &&
        (!m_windowSettings.windowIsWindowed || (m_timing.waitForVSync && !m_timing.softVSyncWait));
    if (pace.vblank) {
        const int refreshRate = m_display != nullptr ? m_display->GetRefreshRate() : 100;
        pace.frameLength = (1000.0 / refreshRate) / m_timing.updateMultiplier;
        pace.updatesPerTick = 1000.0 / (m_timing.frameTime * refreshRate);
    } else {
        pace.frameLength = m_timing.frameTime / m_timing.updateMultiplier;
    }
    return pace;
}

bool BriskAppBase::DecideStep(const FramePace& pace, uint32_t start) {
    ++m_timing.nonDrawCount;
    const int forceDrawAfter = static_cast<int>(std::ceil(m_timing.updateMultiplier * 10));
    if (m_timing.nonDrawCount >= forceDrawAfter && m_loading.completionHandled) {
        return true;
    }
    bool update = false;
    if (pace.vblank && !m_timing.drawPending) {
        update = true;
    } else if (pace.vblank) {
        update = m_timing.pendingUpdateTime >= std::floor(pace.frameLength * 0.75);
    } else {
        update = m_timing.pendingUpdateTime >= pace.frameLength;
    }
    if (!update) {
        return true;
    }
    VBlankSanityCheck(start);
    if (TryUpdate()) {
        m_timing.updateState = UpdateState::CatchUp;
    }
    m_timing.drawPending = true;
    return false;
}

void BriskAppBase::CatchUpStep(const FramePace& pace) {
    m_timing.updateState = UpdateState::CycleDone;
    m_timing.fractionalUpdateAccumulator += pace.updatesPerTick - 1;
    ProcessSafeDeleteList();
    while (m_timing.fractionalUpdateAccumulator >= 1) {
        ++m_timing.nonDrawCount;
        if (!TryUpdate()) {
            break;
        }
        ProcessSafeDeleteList();
        m_timing.fractionalUpdateAccumulator -= 1;
    }
    UpdateFraction(pace.updatesPerTick);
    ProcessSafeDeleteList();
    if (pace.vblank) {
        m_timing.pendingUpdateTime =
            std::max(0.0, m_timing.pendingUpdateTime - pace.frameLength - 0.2);
    } else {
        m_timing.pendingUpdateTime -= pace.frameLength;
    }
    if (m_timing.relaxTimer > 0) {
        m_timing.pendingUpdateTime = 0;
    }
}

bool BriskAppBase::DrawOrSleep(const FramePace& pace, bool allowSleep, uint32_t* slept) {
    m_timing.updateState = UpdateState::CycleDone;
    m_timing.nonDrawCount = 0;
    if (m_timing.drawPending) {
        DrawFrame();
        return true;
    }
    const int sleep = static_cast<int>(pace.frameLength - m_timing.pendingUpdateTime);
    if (sleep <= 0) {
        return true;
    }
    if (!allowSleep) {
        return false;
    }
    ++m_counters.sleeps;
    const uint32_t wait = MayWaitForInput() ? std::min(MsUntilNextDue(), kMaxIdleWaitMs) : 0;
    if (wait <= static_cast<uint32_t>(sleep)) {
        Platform::EventPump::Sleep(*m_clock, static_cast<uint32_t>(sleep));
        m_timing.pumpDue = true;
        *slept = static_cast<uint32_t>(sleep);
        return true;
    }
    // Nothing to do until input, a wake or the due time: the steps that
    // would pass meanwhile would change nothing, so they are not run. One
    // step follows the wait at once, to take whatever ended it.
    ++m_counters.idleWaits;
    const uint32_t before = Now();
    Platform::EventPump::WaitForInput(*m_clock, wait, static_cast<uint32_t>(sleep));
    const uint32_t after = Now();
    *slept = static_cast<uint32_t>(std::max<int32_t>(0, TickDiff(after, before)));
    m_timing.lastTimeCheck = after;
    m_timing.pendingUpdateTime = pace.frameLength;
    m_timing.pumpDue = true;
    return true;
}

bool BriskAppBase::IdleWaitsAllowed() const {
    return m_timing.sleepUntilDue && !m_commandLine.playingDemo && !m_commandLine.recordingDemo &&
           m_loading.completionHandled && !m_loading.yieldMainThread;
}

bool BriskAppBase::MayWaitForInput() {
    if (!IdleWaitsAllowed() || m_timing.quietUpdates == 0 || m_timing.drawPending ||
        m_cursor.changed || !m_deferredMessages.empty() || !m_url.url.empty() ||
        m_life.deferredShutdown || UpdatesWanted()) {
        return false;
    }
    std::lock_guard lock(m_inboxLock);
    return m_inbox.empty();
}

bool BriskAppBase::UpdatesWanted() const {
    return (m_musicInterface != nullptr && m_musicInterface->IsFading()) ||
           (m_widgetManager != nullptr && m_widgetManager->HasHeldButtons()) ||
           m_padKeys.IsRepeating();
}

void BriskAppBase::WakeMainLoop() {
    Platform::EventPump::Wake();
}

bool BriskAppBase::YieldToLoader(uint32_t start, uint32_t slept, bool allowSleep) {
    // While loading, give the loading thread about twice our working time.
    const int32_t worked = TickDiff(Now(), start) - static_cast<int32_t>(slept);
    const int32_t y = std::min<int32_t>(2 * worked - static_cast<int32_t>(slept), 250);
    if (y < 0) {
        return true;
    }
    if (!allowSleep) {
        return false;
    }
    m_clock->Sleep(static_cast<uint32_t>(y));
    m_timing.pumpDue = true;
    return true;
}

bool BriskAppBase::ProcessFrame(bool allowSleep) {
    const uint32_t start = Now();
    if (m_life.deferredShutdown) {
        Shutdown();
    }
    if (m_commandLine.playingDemo && m_commandLine.playFast && m_loading.completionHandled) {
        return FastForward();
    }
    const FramePace pace = CurrentPace();
    if (m_timing.paused || m_timing.updateMultiplier <= 0) {
        ProcessSafeDeleteList();
        return true;
    }
    if (!pace.vblank) {
        UpdateUpdateBacklog();
    }

    bool drawOrSleep = false;
    if (m_timing.updateState == UpdateState::Decide) {
        drawOrSleep = DecideStep(pace, start);
    } else if (m_timing.updateState == UpdateState::CatchUp) {
        CatchUpStep(pace);
    }
    uint32_t slept = 0;
    if (drawOrSleep && !DrawOrSleep(pace, allowSleep, &slept)) {
        return false;
    }
    if (m_loading.yieldMainThread && !YieldToLoader(start, slept, allowSleep)) {
        return false;
    }
    ProcessSafeDeleteList();
    return true;
}

void BriskAppBase::VBlankSanityCheck(uint32_t now) {
    if (m_commandLine.playingDemo || m_timing.updateMultiplier != 1.0) {
        return;
    }
    const int checkEvery = (m_timing.frameTime + 999) / m_timing.frameTime;
    if (++m_timing.vsyncCheckUpdates < checkEvery) {
        return;
    }
    m_timing.vsyncCheckUpdates = 0;
    if (m_timing.vsyncCheckTick != 0) {
        if (TickDiff(now, m_timing.vsyncCheckTick) <= 800) {
            if (++m_timing.vsyncStrikes >= 3) {
                m_timing.vsyncBroken = true;
            }
        } else {
            m_timing.vsyncStrikes = 0;
        }
    }
    m_timing.vsyncCheckTick = now;
}

bool BriskAppBase::TryUpdate() {
    if (m_commandLine.playingDemo && !PlayDueDemoEvents()) {
        return false;
    }
    if (!m_commandLine.playingDemo && m_loading.threadCompleted && !m_loading.completionHandled) {
        HandleLoadingCompletion();
    }
    UpdateOnce();
    if (m_demoWriter != nullptr) {
        m_demoWriter->Flush();  // a crash keeps everything up to this update
    }
    return true;
}

void BriskAppBase::HandleLoadingCompletion() {
    if (m_loading.completionHandled) {
        return;  // once per run, whatever a demo says
    }
    if (m_commandLine.recordingDemo) {
        DemoEvent e;
        e.kind = DemoRecord::Loaded;
        RecordDemoEvent(e);
    }
    Platform::SetCurrentThreadPriority(Platform::ThreadPriority::Normal);
    m_loading.completionHandled = true;
    m_loading.yieldMainThread = false;
    OnLoadingComplete();
}

void BriskAppBase::UpdateOnce() {
    ++m_counters.updates;
    ++m_timing.quietUpdates;
    if (!m_life.minimized && m_widgetManager->UpdateFrame()) {
        ++m_counters.changedUpdates;
        m_timing.quietUpdates = 0;
    }
    if (m_musicInterface != nullptr) {
        m_musicInterface->UpdateMusic();
    }
    if (m_sharedImageReleased) {
        // Shared images nobody refers to any more go now, under the display lock.
        std::unique_lock<std::recursive_mutex> lock;
        if (m_display != nullptr) {
            lock = std::unique_lock(m_display->GetLock());
        }
        m_sharedImageReleased = false;
        std::erase_if(m_sharedImages,
                      [](const auto& entry) { return entry.second->refCount == 0; });
    }
}

void BriskAppBase::UpdateFraction(double fraction) {
    if (m_timing.vsyncUpdates && !m_life.minimized) {
        m_widgetManager->UpdateFrameFraction(fraction);
    }
}

void BriskAppBase::ClearUpdateBacklog(bool relax) {
    m_timing.pendingUpdateTime = 0;
    m_timing.lastTimeCheck = Now();
    if (relax) {
        m_timing.relaxTimer = 1000;
    }
}

void BriskAppBase::UpdateUpdateBacklog() {
    const uint32_t now = Now();
    const double delta =
        static_cast<double>(std::max<int32_t>(0, TickDiff(now, m_timing.lastTimeCheck)));
    m_timing.pendingUpdateTime = std::min(m_timing.pendingUpdateTime + delta, 200.0);
    m_timing.lastTimeCheck = now;
    m_timing.relaxTimer = std::max(0.0, m_timing.relaxTimer - delta);
}

// --- drawing -------------------------------------------------------------------

bool BriskAppBase::DrawFrame() {
    const uint32_t start = Now();
    if (m_life.displayLost) {
        PresentFrame(nullptr);
        m_timing.drawPending = false;
        return false;
    }
    m_life.drawing = true;
    const bool widgetsDrawn = m_widgetManager->DrawScreen();
    const int flashDrawn = DrawScreenshotFlash(widgetsDrawn);
    const bool drawn = flashDrawn > 0 || widgetsDrawn;
    m_life.drawing = false;

    const uint32_t now = Now();
    // The once-a-second present repeats an unchanged picture; a loop that
    // waits for input leaves that to the window system's exposure messages.
    const bool due = drawn || m_cursor.changed ||
                     (!IdleWaitsAllowed() && TickDiff(now, m_timing.lastPresentTick) >= 1000);
    if (!due || TickDiff(now, m_timing.nextDrawTick) < 0) {
        m_timing.drawPending = false;
        m_timing.lastDrawEmpty = true;
        return false;
    }
    ++m_counters.draws;
    m_counters.drawTime += TickDiff(now, start);

    if (m_windowSettings.windowIsWindowed && m_timing.waitForVSync && m_timing.softVSyncWait &&
        m_display != nullptr) {
        const int32_t wait =
            TickDiff(m_timing.lastPresentTick + m_display->GetRefreshPeriod(), Now());
        if (wait > 0) {
            m_clock->Sleep(static_cast<uint32_t>(wait));
        }
    }
    const uint32_t presentStart = Now();
    m_timing.lastPresentTick = presentStart;
    // Only the widgets' changed area, unless something else changed the picture.
    const std::optional<Platform::Rect> area = m_widgetManager->GetDrawnArea();
    const bool part =
        widgetsDrawn && area && !m_cursor.changed && !m_softwareCursorActive && flashDrawn == 0;
    PresentFrame(part ? &*area : nullptr);
    MarkStartupFrames();
    UpdateUpdateBacklog();
    const uint32_t end = Now();
    m_counters.presentTime += TickDiff(end, presentStart);

    if (m_loading.threadStarted && !m_loading.threadCompleted) {
        // While loading, present at most once per max(draw, 15) + 35 ms.
        const uint32_t next =
            m_timing.nextDrawTick +
            static_cast<uint32_t>(std::max<int32_t>(TickDiff(end, start), 15) + 35);
        m_timing.nextDrawTick = TickDiff(next, end) < 0 ? end : next;
    } else {
        m_timing.nextDrawTick = end;
    }
    m_timing.drawPending = false;
    m_timing.lastDrawEmpty = false;
    m_cursor.changed = false;
    return true;
}

void BriskAppBase::MarkStartupFrames() {
    if (!m_loading.completionHandled) {
        return;
    }
    if (!m_counters.firstFrameMarked) {
        m_counters.firstFrameMarked = true;
        Platform::StartupMark("frame");
    } else if (m_counters.keyAfterLoading && !m_counters.keyFrameMarked) {
        m_counters.keyFrameMarked = true;
        Platform::StartupMark("key-frame");
    }
}

void BriskAppBase::PresentFrame(const Platform::Rect* clip) {
    if (m_life.drawing || m_life.shutdown) {
        return;
    }
    ++m_counters.presents;
    if (m_display == nullptr || m_window == nullptr) {
        return;
    }
    if (!m_life.displayLost && m_display->Redraw(clip)) {
        return;
    }
    m_life.displayLost = true;
    // Try to recover when active (windowed: at most once a second), never while minimised.
    const uint32_t now = Now();
    if (m_life.minimized || m_window->IsMinimized()) {
        return;
    }
    if (!m_life.active &&
        (!m_windowSettings.windowIsWindowed || TickDiff(now, m_life.lastRecoveryTry) < 1000)) {
        return;
    }
    m_life.lastRecoveryTry = now;
    if (m_windowSettings.windowIsWindowed && !WindowFitsDesktop()) {
        // The desktop shrank under the window (a lost display came back smaller).
        if (m_windowSettings.forceWindowed) {
            Popup(GetString("PLEASE_SET_COLOR_DEPTH",
                            "Please set your desktop color depth to 16 bit."));
            Shutdown();
        } else {
            SwitchScreenMode(false);
        }
        return;
    }
    const int result = InitDisplay();
    if (result == DDInterface::RESULT_OK) {
        m_life.displayLost = false;
        RestoreAllImages();
        m_widgetManager->SetScreenImage(m_display->GetScreenImage());
        m_widgetManager->MarkAllDirty();
        return;
    }
    if (result == DDInterface::RESULT_INVALID_COLORDEPTH && m_windowSettings.windowIsWindowed &&
        m_life.active) {
        m_windowSettings.forceFullscreen = true;
        SwitchScreenMode(false);
    } else if (result == DDInterface::RESULT_3D_FAIL) {
        Set3DAcceleration(false, true);
    }
}

}  // namespace Brisk
