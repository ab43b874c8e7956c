#include "framework/app/BriskAppBase.h"
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
namespace {

BriskAppBase* g_app = nullptr;

}  // namespace

void DebugOutput(const std::string& text) {
    static const bool enabled = std::getenv("VORNIQUE_DEBUG") != nullptr;
    if (enabled) {
        std::fputs(text.c_str(), stderr);
    }
}

Platform::Rect PlaceWindow(const Platform::Rect& work, int width, int height, int preferredX,
                           int preferredY) {
    Platform::Rect r{0, 0, width, height};
    if (preferredX == -1) {
        r.x = work.x + (work.width - width) / 2;
        r.y = work.y + static_cast<int>((work.height - height) * 0.382);
        return r;
    }
    const int right = work.x + work.width;
    const int bottom = work.y + work.height;
    r.x = preferredX;
    r.y = preferredY;
    if (r.x + width >= right - 4) {
        r.x = right - width - 4;
    }
    if (r.y + height >= bottom - 4) {
        r.y = bottom - height - 4;
    }
    if (r.x < work.x + 4) {
        r.x = work.x + 4;
    }
    if (r.y < work.y + 4) {
        r.y = work.y + 4;
    }
    return r;
}

BriskAppBase* BriskAppBase::Get() {
    return g_app;
}

BriskAppBase::BriskAppBase() : m_clock(&Platform::SystemClock()) {
    assert(g_app == nullptr && "only one application object may exist at a time");
    m_primaryThreadId = std::this_thread::get_id();
    m_identity.executablePath = Platform::ExecutablePath();
    m_identity.productVersion = GetProductVersion(m_identity.executablePath);
    m_identity.startDirectory = Platform::DirectoryOf(m_identity.executablePath);
    m_timing.constructionTick = Now();
    for (size_t i = 0; i < m_addTable.size(); ++i) {
        m_addTable[i] = static_cast<uint8_t>(i < 256 ? i : 255);
    }
    SetString("DIALOG_BUTTON_OK", "OK");
    SetString("DIALOG_BUTTON_CANCEL", "CANCEL");
    SetString("UPDATE_CHECK_TITLE", "Update Check");
    SetString("UPDATE_CHECK_BODY",
              "Checking if there are any updates available for this product ...");
    SetString("UP_TO_DATE_TITLE", "Up to Date");
    SetString("UP_TO_DATE_BODY", "There are no updates available for this product at this time.");
    SetString("NEW_VERSION_TITLE", "New Version");
    SetString("NEW_VERSION_BODY",
              "There is an update available for this product.  Would you like to visit the web "
              "site to download it?");
    m_eventPump = std::make_unique<Platform::EventPump>();
    m_widgetManager = std::make_unique<WidgetManager>();
    // Widgets that show the hand cursor on hover set the application's cursor.
    m_widgetManager->SetCursorHandler([this](CursorNumber cursorNum) {
        if (cursorNum != m_cursor.number) {
            m_cursor.number = cursorNum;
            ApplyCursor();
        }
    });
    // Empty: the game loads its resources by file name.
    m_resourceManager = std::make_unique<ResourceManager>(this);
    g_app = this;
}

BriskAppBase::~BriskAppBase() {
    BriskAppBase::Shutdown();
    // The listener posts into this object: it stops first.
    m_singleInstance.reset();
    // Dialogs leave the widget manager and go; the resources give their
    // sounds and shared images back while the players and the cache exist.
    for (auto& [id, dialog] : m_dialogMap) {
        if (dialog->GetParent() != nullptr) {
            dialog->GetParent()->RemoveWidget(dialog.get());
        }
    }
    m_dialogMap.clear();
    m_detachedDialogs.clear();
    m_resourceManager.reset();
    // The players go before the device that pulls from them, the mixer last.
    m_musicInterface.reset();
    m_soundManager.reset();
    m_audioDevice.reset();
    m_mixer.reset();
    // Widgets still waiting for deletion go before the manager they may refer to.
    m_safeDeleteList.clear();
    m_widgetManager->SetScreenImage(nullptr);
    m_widgetManager.reset();
    m_display.reset();
    m_window.reset();
    if (m_loadingThread.joinable()) {
        m_loadingThread.join();
    }
    if (m_cursorThread.joinable()) {
        m_cursorThread.join();
    }
    m_handCursor.reset();
    m_draggingCursor.reset();
    if (m_videoStarted) {
        Platform::ReleaseSystemCursors();
        Platform::ShutdownVideo();
    }
    g_app = nullptr;
}

void BriskAppBase::OnDialogButtonDown(int dialogId, int buttonId) {
    if (buttonId == 1000) {
        OnButtonDown(dialogId + 2000);
    } else if (buttonId == 1001) {
        OnButtonDown(dialogId + 3000);
    }
}

void BriskAppBase::OnDialogButtonClick(int dialogId, int buttonId) {
    if (buttonId == 1000) {
        OnButtonClick(dialogId + 2000);
    } else if (buttonId == 1001) {
        OnButtonClick(dialogId + 3000);
    }
}

Platform::WindowId BriskAppBase::GetMainWindowId() const {
    return m_window != nullptr ? m_window->Id() : 0;
}

// --- shutdown ------------------------------------------------------------------

void BriskAppBase::Shutdown() {
    if (!IsMainThread()) {
        m_life.deferredShutdown = true;
        return;
    }
    if (m_life.shutdown) {
        return;
    }
    m_life.exitToTop = true;
    {
        std::lock_guard lock(m_cursorThreadLock);
        m_life.shutdown = true;
    }
    m_cursorThreadWake.notify_all();
    FinishDemo();
    OnShutdown();
    if (m_cursorThread.joinable()) {
        m_cursorThread.join();
    }
    if (m_musicInterface != nullptr) {
        m_musicInterface->StopAllMusic();
    }
    if (m_window != nullptr) {
        m_window->Hide();
    }
    RestoreScreenResolution();
    if (m_life.registryRead) {
        WriteToRegistry();
    }
}

void BriskAppBase::DoExit(int code) {
    RestoreScreenResolution();
    if (m_exitHandler) {
        m_exitHandler(code);
        return;
    }
    std::fflush(nullptr);
    std::_Exit(code);
}

// --- safe deletion -----------------------------------------------------------------

void BriskAppBase::SafeDeleteWidget(std::unique_ptr<Widget> widget) {
    if (widget != nullptr) {
        m_safeDeleteList.emplace_back(m_timing.updateAppDepth, std::move(widget));
    }
}

void BriskAppBase::ProcessSafeDeleteList() {
    // Deleting a widget may queue more deletions: take the due entries first.
    std::vector<std::unique_ptr<Widget>> due;
    for (auto it = m_safeDeleteList.begin(); it != m_safeDeleteList.end();) {
        if (it->first >= m_timing.updateAppDepth) {
            due.push_back(std::move(it->second));
            it = m_safeDeleteList.erase(it);
        } else {
            ++it;
        }
    }
    due.clear();
}

}  // namespace Brisk
