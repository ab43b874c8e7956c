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

constexpr int kCursorSize = 32;
using CursorPixels = std::array<uint32_t, kCursorSize * kCursorSize>;

struct Box {
    int x0, y0, x1, y1;  // inclusive
    bool Contains(int x, int y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

bool InDisc(int x, int y, int cx, int cy, int r) {
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

// A white shape with a one-pixel black outline, transparent elsewhere.
template <typename Inside>
CursorPixels BuildCursor(Inside inside) {
    CursorPixels px{};
    for (int y = 0; y < kCursorSize; ++y) {
        for (int x = 0; x < kCursorSize; ++x) {
            if (inside(x, y)) {
                px[y * kCursorSize + x] = 0xFFFFFFFFu;
                continue;
            }
            bool edge = false;
            for (int dy = -1; dy <= 1 && !edge; ++dy) {
                for (int dx = -1; dx <= 1 && !edge; ++dx) {
                    edge = inside(x + dx, y + dy);
                }
            }
            px[y * kCursorSize + x] = edge ? 0xFF000000u : 0u;
        }
    }
    return px;
}

// Pointing hand; the tip of the index finger is at (11, 4).
CursorPixels HandCursorPixels() {
    return BuildCursor([](int x, int y) {
        const Box index{10, 5, 12, 17};
        const Box middle{14, 10, 16, 17};
        const Box ring{18, 11, 20, 17};
        const Box little{22, 13, 23, 18};
        const Box palm{7, 16, 23, 25};
        const Box wrist{9, 26, 21, 28};
        const bool thumb = x >= 5 && x <= 8 && y >= 15 && y <= 21 && (y - 15) >= (8 - x) - 3;
        return index.Contains(x, y) || InDisc(x, y, 11, 5, 1) || middle.Contains(x, y) ||
               InDisc(x, y, 15, 10, 1) || ring.Contains(x, y) || InDisc(x, y, 19, 11, 1) ||
               little.Contains(x, y) || palm.Contains(x, y) || wrist.Contains(x, y) || thumb;
    });
}

// Closed, grabbing hand; its grip point is (15, 10).
CursorPixels DraggingCursorPixels() {
    return BuildCursor([](int x, int y) {
        const Box palm{8, 11, 23, 23};
        const Box wrist{10, 24, 21, 26};
        return palm.Contains(x, y) || wrist.Contains(x, y) || InDisc(x, y, 10, 11, 2) ||
               InDisc(x, y, 14, 10, 2) || InDisc(x, y, 18, 10, 2) || InDisc(x, y, 22, 11, 2) ||
               InDisc(x, y, 7, 15, 2);
    });
}

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

// --- start-up ----------------------------------------------------------------

bool BriskAppBase::StartVideo() {
    // Without a working video system there is nothing to show: fatal.
    const Platform::VideoInit video = Platform::InitVideo();
    if (video.status != Platform::VideoStatus::Ok) {
        const std::string text = video.status == Platform::VideoStatus::NoDisplay
                                     ? video.message
                                     : "SDL could not initialise video.\n" + video.message;
        Platform::ShowMessageBox(m_identity.productName, text, Platform::MessageBoxIcon::Error,
                                 Platform::MessageBoxButtons::Ok, nullptr);
        DoExit(1);
        return false;
    }
    m_videoStarted = true;
    return true;
}

std::string BriskAppBase::WantedDataFolder() const {
    std::string folder = Platform::DataHome();
    for (const std::string* part : {&m_identity.companyName, &m_identity.productName}) {
        if (!part->empty()) {
            folder += *part + "/";
        }
    }
    return folder;
}

void BriskAppBase::FindDataFolder() {
    const std::string folder = WantedDataFolder();
    if (Platform::CreateDirectories(folder)) {
        m_identity.appDataFolder = folder;
        if (!m_commandLine.demoFileName.empty() && m_commandLine.demoFileName[0] != '/') {
            m_commandLine.demoFileName = m_identity.appDataFolder + m_commandLine.demoFileName;
        }
    }
}

void BriskAppBase::ApplyCommandLine() {
    if (!m_life.commandLineParsed) {
        ParseCommandLine();
    }
    if (m_commandLine.screensaverMode) {
        m_commandLine.enforceSingleInstance = false;
    }
}

bool BriskAppBase::ClaimSingleInstance() {
    // One copy per user: a later one asks this one to come to the front.
    std::string noLock;
    m_singleInstance = Platform::SingleInstance::Acquire(
        m_identity.productName + "Mutex", "Notify" + m_identity.productName,
        [this](int64_t wparam, int64_t lparam) {
            SendWindowMessage({kMainWindowAlias, Platform::MessageId::Notify, wparam, lparam});
        },
        &noLock);
    if (m_singleInstance == nullptr && !noLock.empty()) {
        // Nobody can tell whether another copy runs: better two copies than none.
        std::fprintf(stderr, "%s: starting without the one-copy check: %s\n",
                     m_identity.productName.c_str(), noLock.c_str());
    } else if (m_singleInstance == nullptr) {
        HandleSecondInstance();
    }
    return !m_life.shutdown;
}

void BriskAppBase::StartSound() {
    if (m_soundManager == nullptr) {
        // Without a sound card the game runs silent: the manager then has no output.
        m_mixer = std::make_unique<Platform::Mixer>();
        if (!m_commandLine.noSound) {
            m_audioDevice = Platform::AudioDevice::Open(m_mixer.get());
        }
        auto manager = std::make_unique<DSoundManager>(
            m_audioDevice != nullptr ? m_mixer.get() : nullptr, m_clock);
        manager->SetDataFolder(m_identity.appDataFolder);
        m_soundManager = std::move(manager);
    }
    SetSfxVolume(m_volumes.sfx);
    m_musicInterface = CreateMusicInterface();
    SetMusicVolume(m_volumes.music);
}

void BriskAppBase::Init() {
    m_primaryThreadId = std::this_thread::get_id();
    if (m_life.shutdown) {
        return;
    }
    Platform::InstallTerminationHandlers();
    if (!StartVideo()) {
        return;
    }
    OnBeforeInit();
    FindDataFolder();
    // The command line first: a playback must not mark the player's own
    // settings as in use.
    ApplyCommandLine();
    ReadFromRegistry();
    if (!KeepWorkingDirectory(m_identity.startDirectory)) {
        Platform::ChangeDirectory(m_identity.startDirectory);
    }
    // A missing framework archive is not an error: the result is not needed.
    static_cast<void>(PakInterface::Get()->AddArchive("main.pak"));
    if (!ClaimSingleInstance()) {
        return;
    }
    // After the one-copy check: a copy that ends at once must not replace a demo.
    if (!StartDemo()) {
        return;
    }

    // A clock that starts with the process would deal the same fields again.
    m_life.randomSeed = DemoSeed();
    CreateCustomCursors();

    OnBeforeDisplay();
    const Rect area{0, 0, m_windowSettings.width, m_windowSettings.height};
    m_widgetManager->Resize(area, area);
    if (m_windowSettings.isWindowed && !m_windowSettings.fullScreenWindowMode &&
        !WindowFitsDesktop()) {
        m_windowSettings.isWindowed = false;
        m_windowSettings.forceFullscreen = true;
    }
    MakeWindow();
    if (m_life.shutdown) {
        return;
    }
    if (m_demoWriter != nullptr) {
        m_demoWriter->Window(m_windowSettings.windowIsWindowed,
                             m_display != nullptr ? m_display->GetRefreshRate() : 0);
        for (const DemoFile& file : CollectDemoFiles()) {
            m_demoWriter->File(file);
        }
        m_demoWriter->Flush();
    } else if (m_demo != nullptr) {
        std::string problem;
        if (!PreparePlaybackFolder(&problem) || !UseDemoFiles(m_demo->files, &problem)) {
            // Playing on would touch the player's own files: not at all.
            m_commandLine.playingDemo = false;
            Popup("The demo \"" + m_commandLine.demoFileName + "\" cannot be played: " + problem +
                  ".");
            DoExit(0);
            return;
        }
    }

    StartSound();
    if (m_commandLine.screensaverMode) {
        m_cursor.number = CursorNumber::None;
        ApplyCursor();
    }
    OnInitDone();
    m_life.initialized = true;
}

bool BriskAppBase::WindowFitsDesktop() const {
    const auto work = Platform::GetWorkArea();
    return !work ||
           (m_windowSettings.width < work->width && m_windowSettings.height < work->height);
}

void BriskAppBase::CreateCustomCursors() {
    const CursorPixels hand = HandCursorPixels();
    const CursorPixels dragging = DraggingCursorPixels();
    m_handCursor = Platform::CustomCursor::Create(hand.data(), kCursorSize, kCursorSize, 11, 4);
    m_draggingCursor =
        Platform::CustomCursor::Create(dragging.data(), kCursorSize, kCursorSize, 15, 10);
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
        const CursorPixels icon = HandCursorPixels();
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

void BriskAppBase::Start() {
    if (m_life.shutdown) {
        return;
    }
    StartCursorThread();
    if (m_loading.autoStart && !m_loading.threadStarted) {
        Platform::SetCurrentThreadPriority(Platform::ThreadPriority::AboveNormal);
        m_loading.yieldMainThread = true;
        m_loading.threadStarted = true;
        m_loadingThread = std::thread([this] {
            LoadingThreadProc();
            DebugOutput("Resource Loading Time: " +
                        std::to_string(Now() - m_timing.constructionTick) + "\r\n");
            m_loading.threadCompleted = true;
        });
    }
    if (m_window != nullptr) {
        m_window->Show();
        m_window->RestoreAndRaise();
    }
    Platform::EventPump::EnableTextInput(true);

    m_timing.startTick = Now();
    m_timing.lastTimeCheck = m_timing.startTick;
    m_timing.nextDrawTick = m_timing.startTick;
    m_timing.lastPresentTick = m_timing.startTick;
    m_life.running = true;
    RunMainLoop();
    // Everything still queued for deletion goes now.
    m_timing.updateAppDepth = 0;
    ProcessSafeDeleteList();
    m_life.running = false;

    while (m_loading.threadStarted && !m_loading.threadCompleted) {
        m_clock->Sleep(20);
    }

    const uint32_t seconds = Now() - m_timing.startTick;
    char buf[256];
    std::snprintf(buf, sizeof buf,
                  "Seconds       = %g\r\nSleep Count   = %d\r\nUpdate Count  = %d\r\n"
                  "Draw Count    = %d\r\nDraw Time     = %d\r\nScreen Blt    = %d\r\n",
                  seconds / 1000.0, m_counters.sleeps, m_counters.updates, m_counters.draws,
                  m_counters.drawTime, m_counters.presentTime);
    DebugOutput(buf);
    if (m_counters.drawTime + m_counters.presentTime > 0) {
        DebugOutput("Avg FPS       = " +
                    std::to_string(m_counters.draws * 1000 /
                                   (m_counters.drawTime + m_counters.presentTime)) +
                    "\r\n");
    }
    OnBeforeExit();
    WriteToRegistry();
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

void BriskAppBase::HideWindow() {
    SetMusicVolume(0);
    if (m_window != nullptr) {
        m_window->Hide();
    }
    m_life.hidden = true;
    ApplyCursor();
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

// --- popups --------------------------------------------------------------------

void BriskAppBase::BeginPopup() {
    if (!m_windowSettings.windowIsWindowed) {
        m_life.inPopup = true;
    }
}

void BriskAppBase::EndPopup() {
    m_life.inPopup = false;
    ClearUpdateBacklog(false);
    m_input.ctrlDown = false;
    m_input.altDown = false;
    // Keys let go while the pop-up had them never reached the widgets.
    m_widgetManager->ReleaseHeldKeys();
    if (m_widgetManager->HasHeldButtons()) {
        m_widgetManager->ReleaseHeldButtons();
        Platform::Window::CaptureMouse(false);
    }
}

int BriskAppBase::MsgBox(const std::string& text, const std::string& caption, int flags) {
    if (m_commandLine.screensaverMode) {
        LogScreenSaverError(text);
        return Platform::kAnswerOk;
    }
    Platform::MessageBoxIcon icon = Platform::MessageBoxIcon::None;
    switch (flags & 0xF0) {
        case MB_ICONERROR:
            icon = Platform::MessageBoxIcon::Error;
            break;
        case MB_ICONWARNING:
            icon = Platform::MessageBoxIcon::Warning;
            break;
        case MB_ICONQUESTION:
        case MB_ICONINFORMATION:
            icon = Platform::MessageBoxIcon::Information;
            break;
        default:
            break;
    }
    Platform::MessageBoxButtons buttons = Platform::MessageBoxButtons::Ok;
    if ((flags & 0xF) == MB_OKCANCEL) {
        buttons = Platform::MessageBoxButtons::OkCancel;
    } else if ((flags & 0xF) == MB_YESNO) {
        buttons = Platform::MessageBoxButtons::YesNo;
    }
    if (m_demo != nullptr && m_commandLine.playingDemo) {
        // The recording's answer, without asking the person watching.
        const auto& steps = m_demo->steps;
        while (m_demoMsgBoxNext < steps.size()) {
            const DemoStep& step = steps[m_demoMsgBoxNext++];
            if (step.kind == DemoRecord::MsgBox) {
                std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
                return static_cast<int>(step.a);
            }
        }
    }
    BeginPopup();
    const int answer = Platform::ShowMessageBox(caption, text, icon, buttons, m_window.get());
    EndPopup();
    if (m_commandLine.recordingDemo) {
        DemoEvent e;
        e.kind = DemoRecord::MsgBox;
        e.answer = answer;
        RecordDemoEvent(e);
    }
    return answer;
}

void BriskAppBase::Popup(const std::string& text) {
    if (m_commandLine.screensaverMode) {
        LogScreenSaverError(text);
        return;
    }
    BeginPopup();
    if (!m_life.shutdown) {
        Platform::ShowMessageBox(GetString("FATAL_ERROR", "FATAL ERROR"), text,
                                 Platform::MessageBoxIcon::Error, Platform::MessageBoxButtons::Ok,
                                 m_window.get());
    }
    EndPopup();
}

void BriskAppBase::LogScreenSaverError(const std::string& text) {
    std::FILE* f = std::fopen("ScrError.txt", "ae");
    if (f == nullptr) {
        return;
    }
    char stamp[32] = "";
    const std::time_t t = std::time(nullptr);
    if (const std::tm* tm = std::localtime(&t)) {
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", tm);
    }
    std::fprintf(f, "%s %s %u\n", stamp, text.c_str(), static_cast<unsigned>(Now()));
    std::fclose(f);
}

// --- URLs ----------------------------------------------------------------------

bool BriskAppBase::OpenURL(const std::string& url, bool shutdownAfter) {
    if (!m_url.url.empty() && m_url.url == url) {
        return true;
    }
    m_url.url = url;
    m_url.shutdownAfter = shutdownAfter;
    m_url.time = Now();
    if (Platform::OpenUrl(url)) {
        return true;
    }
    OnURLOpenFailed(url);
    return false;
}

void BriskAppBase::OnURLOpenFailed(const std::string& /*url*/) {
    m_url.url.clear();
}

void BriskAppBase::OnURLOpened(const std::string& /*url*/) {
    m_url.url.clear();
    if (m_url.shutdownAfter) {
        Shutdown();
    }
}

std::string BriskAppBase::GetProductVersion(const std::string& /*path*/) {
    return VQ_PRODUCT_VERSION;
}

std::string BriskAppBase::GetDiagnosticInfo() {
    return "Product: " + m_identity.productName + " " + m_identity.productVersion +
           "\nVideo driver: " + Platform::VideoDriverName() + "\n";
}

void BriskAppBase::HandleSecondInstance() {
    if (!m_commandLine.enforceSingleInstance) {
        return;
    }
    Platform::SingleInstance::NotifyFirst("Notify" + m_identity.productName, 0, 0);
    m_life.shutdown = true;  // the settings are not written
    DoExit(0);
}

void BriskAppBase::HandleNotifyMessage(int64_t wparam, int64_t /*lparam*/) {
    if (wparam == 0 && m_window != nullptr) {
        m_window->RestoreAndRaise();
    }
}

bool BriskAppBase::IsReservedAltKey(int key) {
    return key == '\r' || key == 'r' || key == 'R';
}

// --- volumes -------------------------------------------------------------------

double BriskAppBase::GetMasterVolume() {
    return m_soundManager != nullptr ? m_soundManager->GetSystemVolume() : m_volumes.master;
}

void BriskAppBase::SetMasterVolume(double volume) {
    m_volumes.sfx = volume;
    m_volumes.master = volume;
    if (m_soundManager != nullptr) {
        m_soundManager->SetSystemVolume(volume);
    }
}

void BriskAppBase::SetMusicVolume(double volume) {
    m_volumes.music = volume;
    if (m_musicInterface != nullptr) {
        m_musicInterface->SetMusicMasterVolume(IsMuted() ? 0.0 : volume);
    }
}

void BriskAppBase::SetSfxVolume(double volume) {
    m_volumes.sfx = volume;
    if (m_soundManager != nullptr) {
        m_soundManager->SetSoundsVolume(IsMuted() ? 0.0 : volume);
    }
}

std::unique_ptr<MusicInterface> BriskAppBase::CreateMusicInterface() {
    return Brisk::CreateMusicInterface(m_audioDevice != nullptr ? m_mixer.get() : nullptr,
                                       m_commandLine.noSound);
}

void BriskAppBase::PlaySample(int id, int pan) {
    if (m_soundManager == nullptr) {
        return;
    }
    if (SoundInstance* instance = m_soundManager->NewInstance(id)) {
        instance->SetPan(pan);
        instance->Play(false, true);
    }
}

void BriskAppBase::PlaySample(int id) {
    PlaySample(id, 0);
}

void BriskAppBase::Mute(bool autoMute) {
    ++m_volumes.muteCount;
    if (autoMute) {
        ++m_volumes.autoMuteCount;
    }
    SetMusicVolume(m_volumes.music);
    SetSfxVolume(m_volumes.sfx);
}

void BriskAppBase::Unmute(bool autoMute) {
    if (m_volumes.muteCount > 0) {
        --m_volumes.muteCount;
        if (autoMute && m_volumes.autoMuteCount > 0) {
            --m_volumes.autoMuteCount;
        }
    }
    SetMusicVolume(m_volumes.music);
    SetSfxVolume(m_volumes.sfx);
}

double BriskAppBase::GetLoadingProgress() {
    if (m_loading.threadCompleted) {
        return 1.0;
    }
    if (!m_loading.threadStarted) {
        return 0.0;
    }
    const int total = m_loadingTasksTotal;
    if (total <= 0) {
        return 0.0;
    }
    const double progress = static_cast<double>(m_loadingTasksDone) / total;
    return progress < 1.0 ? progress : 1.0;
}

// --- images ---------------------------------------------------------------------

SharedImageRef::SharedImageRef(Entry* entry) : m_entry(entry) {
    if (m_entry != nullptr) {
        ++m_entry->refCount;
    }
}

SharedImageRef::SharedImageRef(const SharedImageRef& other) : SharedImageRef(other.m_entry) {}

SharedImageRef& SharedImageRef::operator=(const SharedImageRef& other) {
    if (other.m_entry != m_entry) {
        Release();
        m_entry = other.m_entry;
        if (m_entry != nullptr) {
            ++m_entry->refCount;
        }
    }
    return *this;
}

SharedImageRef::~SharedImageRef() {
    Release();
}

void SharedImageRef::Release() {
    if (m_entry != nullptr && --m_entry->refCount == 0) {
        if (BriskAppBase* app = BriskAppBase::Get()) {
            app->m_sharedImageReleased = true;
        }
    }
    m_entry = nullptr;
}

DDImage* SharedImageRef::GetImage() const {
    return m_entry != nullptr ? m_entry->image.get() : nullptr;
}

void BriskAppBase::PrefetchPictures(const std::string& archive) {
    std::vector<std::string> names;
    for (const auto& [key, entry] : PakInterface::Get()->Entries()) {
        if (entry.archive == nullptr || entry.archive->name != archive) {
            continue;
        }
        const std::string& name = entry.name;
        const size_t sep = name.find_last_of("/\\");
        const size_t dot = name.find_last_of('.');
        if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) {
            continue;
        }
        const std::string extension = ToLowerAscii(name.substr(dot));
        const std::string stem = name.substr(sep == std::string::npos ? 0 : sep + 1,
                                             dot - (sep == std::string::npos ? 0 : sep + 1));
        const bool picture = extension == ".png" || extension == ".jpg" || extension == ".jpeg" ||
                             extension == ".gif" || extension == ".tga";
        // Alpha images ("_name" or "name_") are read with their colour picture.
        if (picture && !stem.empty() && stem.front() != '_' && stem.back() != '_') {
            names.push_back(name);
        }
    }
    for (const std::string& name : names) {
        std::unique_ptr<ImageLib::Image> decoded = ImageLib::DecodeImageFile(name, true);
        if (decoded != nullptr) {
            std::lock_guard lock(m_prefetchLock);
            m_prefetched[PakInterface::NormalizePakName(name)] = std::move(decoded);
        }
    }
}

void BriskAppBase::DropPrefetchedPictures() {
    std::lock_guard lock(m_prefetchLock);
    m_prefetched.clear();
}

size_t BriskAppBase::CountPrefetchedPictures() {
    std::lock_guard lock(m_prefetchLock);
    return m_prefetched.size();
}

std::unique_ptr<DDImage> BriskAppBase::GetImage(const std::string& file, bool commitBits) {
    std::unique_ptr<ImageLib::Image> decoded;
    {
        std::lock_guard lock(m_prefetchLock);
        if (!m_prefetched.empty()) {
            const auto it = m_prefetched.find(PakInterface::NormalizePakName(file));
            if (it != m_prefetched.end()) {
                decoded = std::move(it->second);
                m_prefetched.erase(it);
            }
        }
    }
    if (decoded == nullptr) {
        decoded = ImageLib::DecodeImageFile(file, true);
    }
    if (decoded == nullptr) {
        return nullptr;
    }
    auto image = std::make_unique<DDImage>(m_display.get());
    image->m_name = file;
    const int width = decoded->GetWidth();
    const int height = decoded->GetHeight();
    image->SetBits(decoded->TakeBits(), width, height, commitBits);
    return image;
}

SharedImageRef BriskAppBase::GetSharedImage(const std::string& file, const std::string& variant,
                                            bool* isNew) {
    std::unique_lock<std::recursive_mutex> lock;
    if (m_display != nullptr) {
        lock = std::unique_lock(m_display->GetLock());
    }
    auto& slot = m_sharedImages[{file, variant}];
    const bool made = slot == nullptr;
    if (made) {
        slot = std::make_unique<SharedImageRef::Entry>();
        if (!file.empty() && file[0] == '!') {
            slot->image = std::make_unique<DDImage>(m_display.get());
            slot->image->m_name = file;
        } else {
            slot->image = GetImage(file, false);
        }
    }
    if (isNew != nullptr) {
        *isNew = made;
    }
    if (slot->image == nullptr) {
        m_sharedImages.erase({file, variant});
        return {};
    }
    return SharedImageRef(slot.get());
}

void BriskAppBase::AppFontHost::ReportError(const std::string& text) {
    if (!m_reported.insert(text).second) {
        return;
    }
    std::string shown = text;
    for (char& c : shown) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 32 && c != '\n' && c != '\t') || u >= 127) {
            c = '?';  // a damaged descriptor's bytes, quoted in the error
        }
    }
    m_app->Popup(shown);
}

FontImage BriskAppBase::AppFontHost::LoadImage(const std::string& path) {
    bool isNew = false;
    SharedImageRef ref = m_app->GetSharedImage(path, "", &isNew);
    if (!ref) {
        return {};
    }
    FontImage image;
    image.image = ref.GetImage();
    image.isNew = isNew;
    image.keepAlive = std::make_shared<SharedImageRef>(ref);
    return image;
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
