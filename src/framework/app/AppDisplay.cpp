// The application object's window and display: making the window, the display back end, screen
// modes.

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

bool BriskAppBase::WindowFitsDesktop() const {
    const auto work = Platform::GetWorkArea();
    return !work ||
           (m_windowSettings.width < work->width && m_windowSettings.height < work->height);
}

void BriskAppBase::MakeWindow() {
    m_widgetManager->SetScreenImage(nullptr);
    m_display.reset();
    m_window.reset();

    Platform::WindowParams params;
    params.title = m_identity.title;
    params.clientWidth = m_windowSettings.width;
    params.clientHeight = m_windowSettings.height;
    params.allowMaximize = m_windowSettings.allowMaximize;
    const bool windowed = m_windowSettings.isWindowed || m_commandLine.playingDemo;
    if (windowed) {
        const Platform::Rect work = Platform::GetWorkArea().value_or(
            Platform::Rect{0, 0, m_windowSettings.width, m_windowSettings.height});
        const Platform::Rect placed =
            PlaceWindow(work, m_windowSettings.width, m_windowSettings.height,
                        m_windowSettings.preferredX, m_windowSettings.preferredY);
        params.x = placed.x;
        params.y = placed.y;
    }
    params.fullScreen = !windowed;
    m_windowSettings.windowIsWindowed = windowed;

    std::string error;
    m_window = Platform::Window::Create(params, &error);
    if (m_window == nullptr) {
        Popup(GetString("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") +
              DDInterface::ResultToString(DDInterface::RESULT_DD_CREATE_FAIL) + " " + error);
        DoExit(1);
        return;
    }
    // The window icon: the picture beside the program, else the built-in hand.
    if (auto picture = ImageLib::DecodeImageFile("icon.png", false)) {
        m_window->SetIcon(picture->GetBits(), picture->GetWidth(), picture->GetHeight());
    } else {
        const CursorPixels icon = detail::HandCursorPixels();
        m_window->SetIcon(icon.data(), kCursorSize, kCursorSize);
    }

    m_display = std::make_unique<DDInterface>();
    if (!HandleDisplayResult(InitDisplay())) {
        return;
    }

    m_life.active = m_window->HasInputFocus();
    if (m_life.minimized) {
        m_life.minimized = false;
        if (m_volumes.muteOnLostFocus) {
            Unmute(true);
        }
    }
    m_life.minimizedHandled = false;
    RefreshFocus();
    RestoreAllImages();
    m_widgetManager->SetScreenImage(m_display->GetScreenImage());
    m_widgetManager->MarkAllDirty();
    m_timing.timerEnabled = true;
    m_timing.lastTimerPost = Now();
}

int BriskAppBase::InitDisplay() {
    OnBeforeDisplayInit();
    PurgeAllImageCaches();
    const int result = m_display->Init(m_window.get(), m_windowSettings.windowIsWindowed,
                                       m_windowSettings.width, m_windowSettings.height);
    if (result == DDInterface::RESULT_OK) {
        ResizeWidgetArea();
        OnAfterDisplayInit();
    }
    return result;
}

void BriskAppBase::ResizeWidgetArea() {
    const int dw = m_display->GetWidth();
    const int dh = m_display->GetHeight();
    m_widgetManager->Resize(
        {(m_windowSettings.width - dw) / 2, (m_windowSettings.height - dh) / 2, dw, dh},
        m_display->GetPresentationRect());
}

// Reacts to a display initialisation result; false when the window was
// replaced or the program is ending.
bool BriskAppBase::HandleDisplayResult(int result) {
    switch (result) {
        case DDInterface::RESULT_OK:
            return true;
        case DDInterface::RESULT_INVALID_COLORDEPTH:
            // Full screen keeps the desktop's mode here, so it cannot help
            // either: say what is wrong and end.
            if (m_windowSettings.windowIsWindowed && !m_windowSettings.forceWindowed) {
                m_windowSettings.forceFullscreen = true;
                SwitchScreenMode(false);
            } else {
                Popup(GetString("PLEASE_SET_COLOR_DEPTH",
                                "Please set your desktop color depth to 16 bit."));
                DoExit(1);
            }
            return false;
        case DDInterface::RESULT_EXCLUSIVE_FAIL:
        case DDInterface::RESULT_DISPCHANGE_FAIL:
            if (!m_windowSettings.windowIsWindowed) {
                m_windowSettings.forceWindowed = true;
                SwitchScreenMode(true);
                return false;
            }
            break;
        default:
            break;
    }
    if (result == DDInterface::RESULT_3D_FAIL || m_display->Is3D()) {
        Set3DAcceleration(false, true);
        return !m_life.shutdown;
    }
    Popup(GetString("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") +
          DDInterface::ResultToString(result) + " " + m_display->GetErrorText());
    DoExit(1);
    return false;
}

void BriskAppBase::Set3DAcceleration(bool on, bool reinit) {
    if (m_display == nullptr || m_display->Is3D() == on) {
        return;
    }
    m_life.changed3D = true;
    m_display->SetIs3D(on);
    if (!reinit || m_window == nullptr) {
        return;
    }
    const int result = InitDisplay();
    if (result != DDInterface::RESULT_OK) {
        if (on) {
            Set3DAcceleration(false, true);
        } else {
            Popup(GetString("FAILED_INIT_DIRECTDRAW", "Failed to initialize DirectDraw: ") +
                  DDInterface::ResultToString(result) + " " + m_display->GetErrorText());
            DoExit(1);
        }
        return;
    }
    RestoreAllImages();
    m_widgetManager->MarkAllDirty();
}

void BriskAppBase::HideWindow() {
    SetMusicVolume(0);
    if (m_window != nullptr) {
        m_window->Hide();
    }
    m_life.hidden = true;
    ApplyCursor();
}

// --- screen modes ----------------------------------------------------------------

void BriskAppBase::SwitchScreenMode(bool windowed, bool use3D, bool force) {
    if (m_windowSettings.forceFullscreen) {
        windowed = false;
    }
    if (windowed == m_windowSettings.windowIsWindowed && !force) {
        Set3DAcceleration(use3D, true);
        return;
    }
    Set3DAcceleration(use3D, false);
    m_windowSettings.isWindowed = windowed;
    MakeWindow();
    if (m_window != nullptr && !m_life.shutdown) {
        m_window->Show();
        if (m_url.url.empty()) {
            m_window->RestoreAndRaise();
        }
    }
}

void BriskAppBase::SwitchScreenMode(bool windowed) {
    SwitchScreenMode(windowed, m_display != nullptr && m_display->Is3D(), false);
}

void BriskAppBase::SwitchScreenMode() {
    SwitchScreenMode(m_windowSettings.isWindowed, m_display != nullptr && m_display->Is3D(), true);
}

}  // namespace Brisk
