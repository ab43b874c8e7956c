// The application object's start-up: video, data folder, command line, one-copy check, sound, Init
// and Start.

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
            WakeMainLoop();
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

}  // namespace Brisk
