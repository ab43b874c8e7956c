// The application object's cursors: the two custom pictures, the software cursor and its thread.

#include "framework/app/BriskAppBase.h"
#include "framework/app/CursorPictures.h"
#include "framework/app/Demo.h"

#include <cassert>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "framework/app/Dialog.h"
#include "framework/app/ResourceManager.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/platform/Audio.h"
#include "framework/platform/Cursor.h"
#include "framework/platform/Events.h"
#include "framework/platform/MessageBox.h"
#include "framework/platform/Paths.h"
#include "framework/platform/Process.h"
#include "framework/platform/Signals.h"
#include "framework/platform/SingleInstance.h"
#include "framework/platform/Threads.h"
#include "framework/platform/Window.h"
#include "framework/resources/Ascii.h"
#include "framework/resources/ImageLib.h"
#include "framework/resources/PakInterface.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundManager.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"

namespace Brisk {

using detail::CursorPixels;
using detail::kCursorSize;

void BriskAppBase::CreateCustomCursors() {
    const CursorPixels hand = detail::HandCursorPixels();
    const CursorPixels dragging = detail::DraggingCursorPixels();
    m_handCursor = Platform::CustomCursor::Create(hand.data(), kCursorSize, kCursorSize, 11, 4);
    m_draggingCursor =
        Platform::CustomCursor::Create(dragging.data(), kCursorSize, kCursorSize, 15, 10);
}

void BriskAppBase::StartCursorThread() {
    if (m_cursorThread.joinable()) {
        return;
    }
    m_cursorThreadRunning = true;
    m_cursorThread = std::thread([this] { CursorThreadProc(); });
}

void BriskAppBase::SetSoftwareCursorActive(bool active) {
    {
        std::lock_guard lock(m_cursorThreadLock);
        m_softwareCursorActive = active;
    }
    m_cursorThreadWake.notify_all();
}

// Records the pointer position every 10 ms for the software cursor. Without
// a software cursor there is nothing to move, so the thread waits instead.
void BriskAppBase::CursorThreadProc() {
    Platform::SetCurrentThreadPriority(Platform::ThreadPriority::AboveNormal);
    while (!m_life.shutdown) {
        {
            std::unique_lock lock(m_cursorThreadLock);
            m_cursorThreadWake.wait(lock,
                                    [this] { return m_life.shutdown || m_softwareCursorActive; });
        }
        if (m_life.shutdown) {
            break;
        }
        int x = m_demoMouseX;
        int y = m_demoMouseY;
        if (!m_demoPointer) {
            Platform::GetMouseState(&x, &y);
        }
        m_cursorX = x;
        m_cursorY = y;
        m_clock->Sleep(10);
    }
    m_cursorThreadRunning = false;
}

// --- cursor --------------------------------------------------------------------

void BriskAppBase::SetCursorImage(CursorNumber num, Image* image, int hotX, int hotY) {
    if (image == nullptr) {
        m_cursor.images.erase(num);
    } else {
        m_cursor.images[num] = {image, hotX, hotY};
    }
    ApplyCursor();
}

void BriskAppBase::UseSoundPlayers(std::unique_ptr<SoundManager> sounds,
                                   std::unique_ptr<MusicInterface> music) {
    m_musicInterface = std::move(music);
    m_soundManager = std::move(sounds);
}

void BriskAppBase::SetSystemCursorHidden(bool hidden) {
    if (hidden != m_cursor.systemHidden) {
        m_cursor.systemHidden = hidden;
        ApplyCursor();
    }
}

void BriskAppBase::ApplyCursor() {
    // A registered picture is drawn by the display as a software cursor.
    const auto custom = m_cursor.images.find(m_cursor.number);
    const bool software =
        !m_life.hidden && m_input.mouseInWindow && custom != m_cursor.images.end() &&
        (m_cursor.custom || m_commandLine.playingDemo || m_cursor.number == CursorNumber::Software);
    if (m_display != nullptr) {
        const bool changed =
            software ? m_display->SetCursorImage(custom->second.image, custom->second.hotX,
                                                 custom->second.hotY)
                     : m_display->SetCursorImage(nullptr);
        m_cursor.changed = m_cursor.changed || changed;
    }
    SetSoftwareCursorActive(software);
    if (!m_videoStarted) {
        return;
    }
    if (software || (m_cursor.systemHidden && !m_life.hidden && m_input.mouseInWindow)) {
        Platform::ShowCursor(false);
        return;
    }
    if (m_life.hidden || !m_input.mouseInWindow) {
        Platform::ShowCursor(true);
        Platform::ApplySystemCursor(Platform::SystemCursor::Arrow);
        return;
    }
    using Platform::SystemCursor;
    auto system = [](SystemCursor c) {
        Platform::ShowCursor(true);
        Platform::ApplySystemCursor(c);
    };
    auto customOr = [&](const std::unique_ptr<Platform::CustomCursor>& cursor) {
        if (cursor != nullptr) {
            Platform::ShowCursor(true);
            cursor->Apply();
        } else {
            system(SystemCursor::Hand);
        }
    };
    switch (m_cursor.number) {
        case CursorNumber::Arrow:
            system(SystemCursor::Arrow);
            break;
        case CursorNumber::Hand:
            customOr(m_handCursor);
            break;
        case CursorNumber::Dragging:
            customOr(m_draggingCursor);
            break;
        case CursorNumber::Text:
            system(SystemCursor::Text);
            break;
        case CursorNumber::NoEntry:
            system(SystemCursor::NoEntry);
            break;
        case CursorNumber::SizeAll:
            system(SystemCursor::SizeAll);
            break;
        case CursorNumber::SizeNESW:
            system(SystemCursor::SizeNESW);
            break;
        case CursorNumber::SizeNS:
            system(SystemCursor::SizeNS);
            break;
        case CursorNumber::SizeNWSE:
            system(SystemCursor::SizeNWSE);
            break;
        case CursorNumber::SizeWE:
            system(SystemCursor::SizeWE);
            break;
        case CursorNumber::Wait:
            system(SystemCursor::Wait);
            break;
        case CursorNumber::None:
        case CursorNumber::Software:
            Platform::ShowCursor(false);
            break;
        default:
            system(SystemCursor::Arrow);
            break;
    }
}

}  // namespace Brisk
