#include "kernel/MainApp.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <filesystem>

#include "common/Catalogue.h"
#include "controls/Factory_impl.h"
#include "framework/app/Demo.h"
#include "framework/platform/Files.h"
#include "framework/platform/Paths.h"
#include "framework/resources/PakInterface.h"
#include "framework/widgets/WidgetManager.h"
#include "kernel/FileStore.h"
#include "kernel/IGame.h"
#include "time/TimeSystem_impl.h"

namespace KernelLibrary {
namespace {

constexpr size_t kMaxPlayerFile = 1u << 20;
// The game's data, next to the program or in the installed data folder.
constexpr const char* kDataArchive = "data.pak";

}  // namespace

std::pair<int32_t, int32_t> GetScreenSize() {
    return {1024, 768};
}

void IGameBridge::AddedToManager(Brisk::WidgetManager* manager) {
    Widget::AddedToManager(manager);
    manager->SetFocus(this);
    m_game->Initialize();
    m_game->Activate();
    m_started = true;
}

void IGameBridge::RemovedFromManager(Brisk::WidgetManager* manager) {
    Widget::RemovedFromManager(manager);
    m_game->Deactivate();
    m_game->Release();
}

void IGameBridge::Update() {
    if (m_game == nullptr || !m_started || m_factory == nullptr) {
        return;
    }
    bool redraw = false;
    m_factory->TakeRedrawRequest(&redraw);
    if (redraw) {
        m_factoryAsked = true;
        MarkDirty();
    }
}

void IGameBridge::Draw(Brisk::Graphics* g) {
    m_lastDrawnArea.reset();
    if (m_factory == nullptr || m_app->IsShutdown()) {
        return;
    }
    Brisk::WidgetManager* manager = m_app->GetWidgetManager();
    const uint64_t wholeDraws = manager->GetWholeDrawCount();
    if (!m_factoryAsked || wholeDraws != m_wholeDrawsSeen ||
        manager->HasOtherVisibleWidgets(this)) {
        m_factory->RequireFullRedraw();
    }
    m_factoryAsked = false;
    m_wholeDrawsSeen = wholeDraws;
    m_factory->DrawAll(g);
    if (const std::optional<ControlLibrary::Rect> area = m_factory->GetLastDrawnArea()) {
        m_lastDrawnArea = Brisk::Rect{area->x, area->y, area->width, area->height};
    }
}

std::optional<Brisk::Rect> IGameBridge::GetLastDrawnArea() const {
    return m_lastDrawnArea;
}

void IGameBridge::KeyChar(char ch) {
    if (m_factory != nullptr) {
        m_factory->KeyChar(ch);
    }
}

void IGameBridge::KeyDown(int key) {
    if (m_factory != nullptr) {
        m_factory->KeyDown(key);
    }
}

void IGameBridge::KeyUp(int key) {
    if (m_factory != nullptr) {
        m_factory->KeyUp(key);
    }
}

void IGameBridge::MouseMove(int x, int y) {
    if (m_factory != nullptr) {
        m_factory->MouseMove(x, y);
    }
}

void IGameBridge::MouseDown(int x, int y, int clickCount) {
    if (m_factory != nullptr) {
        m_factory->MouseDown(x, y, clickCount);
    }
}

void IGameBridge::MouseUp(int x, int y, int clickCount) {
    if (m_factory != nullptr) {
        m_factory->MouseUp(x, y, clickCount);
    }
}

MainApp::MainApp(IGame* game) : m_game(game) {
    std::string name;
    m_game->GetName(name);
    std::string version;
    m_game->GetVersion(version);
    m_identity.productName = name;
    m_identity.productVersion = version;
    m_identity.title = name;
    const auto [width, height] = KernelLibrary::GetScreenSize();
    m_windowSettings.width = width;
    m_windowSettings.height = height;
    m_windowSettings.isWindowed = true;
    m_windowSettings.fullScreenWindowMode = false;
    m_windowSettings.forceWindowed = false;
    m_commandLine.demoRules = kDemoRules;
}

MainApp::~MainApp() = default;

void MainApp::HandleCommandLineParam(const std::string& name, const std::string& value) {
    if (name != "-cards") {
        BriskAppBase::HandleCommandLineParam(name, value);
        return;
    }
    // Read before the program moves to its own folder: a relative path means
    // the folder it was started from.
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(value, ec);
    m_cardSetFolder = ec || value.empty() ? value : absolute.string();
}

void MainApp::StartTime() {
    auto* time = TimeLibrary::GetTimeSystem();
    if (time == nullptr) {
        return;
    }
    // A step's notifications may leave something to draw or do on the main
    // thread: the main loop, perhaps waiting for input, looks at once.
    time->SetStepListener([] { Brisk::BriskAppBase::WakeMainLoop(); });
    m_timeFollowsUpdates = IsPlayingDemo() || IsRecordingDemo();
    if (!m_timeFollowsUpdates) {
        time->StartTimer();
    }
}

uint32_t MainApp::MsUntilNextDue() {
    auto* time = TimeLibrary::GetTimeSystem();
    const std::optional<uint32_t> ms = time != nullptr ? time->MsUntilNextStep() : std::nullopt;
    return ms.value_or(kMaxIdleWaitMs);
}

void MainApp::UpdateOnce() {
    if (m_timeFollowsUpdates) {
        auto* time = TimeLibrary::GetTimeSystem();
        if (IsPlayingDemo() || IsRecordingDemo()) {
            const int steps =
                m_timing.frameTime / static_cast<int>(TimeLibrary::TimeSystem_impl::kStepMs);
            for (int i = 0; i < steps; ++i) {
                time->Step();
            }
        } else {
            // The playback has ended: the player plays on in real time.
            m_timeFollowsUpdates = false;
            time->StartTimer();
        }
    }
    BriskAppBase::UpdateOnce();
}

std::vector<Brisk::DemoFile> MainApp::CollectDemoFiles() {
    namespace fs = std::filesystem;
    std::vector<Brisk::DemoFile> files;
    const std::string root = GetPlayerDataRoot();
    auto take = [&](const std::string& relative) {
        std::string error;
        auto bytes = Brisk::Platform::ReadRegularFile(root + relative, kMaxPlayerFile, &error);
        if (bytes) {
            files.push_back({relative, std::move(*bytes)});
        }
    };
    for (const std::string& name : GetPlayerFileNames()) {
        if (name.empty() || name.back() != '/') {
            take(name);
            continue;
        }
        std::vector<std::string> inFolder;
        std::error_code ec;
        for (fs::directory_iterator it(root + name, ec), end; !ec && it != end; it.increment(ec)) {
            inFolder.push_back(it->path().filename().string());
        }
        std::sort(inFolder.begin(), inFolder.end());
        for (const std::string& file : inFolder) {
            take(name + file);
        }
    }
    return files;
}

bool MainApp::KeepWorkingDirectory(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_regular_file(fs::path(path) / kDataArchive, ec)) {
        return false;  // the game's own folder: everything beside the program, as always
    }
    const fs::path installed = (fs::path(Brisk::Platform::DirectoryOf(m_identity.executablePath)) /
                                ".." / "share" / "vornique")
                                   .lexically_normal();
    if (!fs::is_regular_file(installed / kDataArchive, ec) ||
        !Brisk::Platform::ChangeDirectory(installed.string())) {
        return false;  // no data anywhere: the game says so
    }
    // Installed: profiles and options in the per-user data folder, made on
    // first use. When that folder cannot be had (XDG_DATA_HOME a file, a path
    // too long), saving there fails and the player is told once where; the
    // install folder is never written.
    SetPlayerDataRoot(GetAppDataFolder().empty() ? WantedDataFolder() : GetAppDataFolder());
    return true;
}

bool MainApp::UseDemoFiles(const std::vector<Brisk::DemoFile>& files, std::string* error) {
    namespace fs = std::filesystem;
    if (GetAppDataFolder().empty()) {
        *error = "there is no data folder to hold its copy of the player's files";
        return false;
    }
    // Made empty by the framework, which never follows a link there.
    m_playbackFolder = PlaybackFolder();
    std::error_code ec;
    for (const Brisk::DemoFile& file : files) {
        const std::string path = m_playbackFolder + file.path;
        fs::create_directories(fs::path(path).parent_path(), ec);
        if (!Brisk::Platform::ReplaceFile(path, file.bytes, false, error)) {
            return false;
        }
    }
    SetPlayerDataRoot(m_playbackFolder);
    LogPlayerWrites(true);
    std::fprintf(stderr, "%s: playing against a copy of the recorded player files in %s\n",
                 m_identity.productName.c_str(), m_playbackFolder.c_str());
    return true;
}

void MainApp::SetScreenSize(std::pair<int32_t, int32_t> size) {
    m_windowSettings.width = size.first;
    m_windowSettings.height = size.second;
    if (m_bridge != nullptr) {
        m_bridge->Resize(0, 0, m_windowSettings.width, m_windowSettings.height);
    }
}

void MainApp::SetFullScreen(bool on) {
    m_windowSettings.fullScreenWindowMode = on;
    m_windowSettings.isWindowed = !on;
}

void MainApp::SetVolumes(double music, double effects) {
    SetMusicVolume(music);
    SetSfxVolume(effects);
}

bool MainApp::SwitchFullScreen(bool on) {
    if (GetWindow() == nullptr) {
        SetFullScreen(on);  // for the window still to be made
        return true;
    }
    SwitchScreenMode(!on);
    return !m_windowSettings.windowIsWindowed == on;
}

std::optional<bool> MainApp::ChosenFullScreen() {
    if (m_windowSettings.forceFullscreen || m_windowSettings.forceWindowed) {
        return std::nullopt;
    }
    return GetWindow() != nullptr ? !m_windowSettings.windowIsWindowed
                                  : !m_windowSettings.isWindowed;
}

void MainApp::Quit() {
    m_quitRequested = true;
    SendWindowMessage({GetMainWindowId(), Brisk::Platform::MessageId::Close, 0, 0});
}

bool MainApp::ReadRegistryValue(const std::string& valuePath, uint32_t* type, uint8_t* data,
                                uint32_t* size, int /*rootKey*/) {
    // One per-user store serves every root key.
    Brisk::Platform::StoredValue value;
    if (!RegistryRead(valuePath, &value)) {
        return false;
    }
    const auto needed = static_cast<uint32_t>(value.data.size());
    if (data == nullptr || *size < needed) {
        *size = needed;  // the caller learns the size it needs
        return false;
    }
    std::copy(value.data.begin(), value.data.end(), data);
    *size = needed;
    *type = static_cast<uint32_t>(value.type);
    return true;
}

bool MainApp::WriteRegistryValue(const std::string& valuePath, uint32_t type, const uint8_t* data,
                                 uint32_t size) {
    if (type != 1 && type != 3 && type != 4) {
        return false;
    }
    Brisk::Platform::StoredValue value;
    value.type = static_cast<Brisk::Platform::ValueType>(type);
    value.data.assign(data, data + size);
    return RegistryWrite(valuePath, value);
}

void MainApp::ShowMessage(const std::string& text) {
    if (IsTerminating() || GetWindow() == nullptr || !IsMainThread()) {
        // A box would hold up a session that is ending; nobody would see it.
        std::fprintf(stderr, "%s: %s\n", m_identity.productName.c_str(), text.c_str());
        std::fflush(stderr);
        return;
    }
    MsgBox(text, m_identity.productName, Brisk::MB_OK | Brisk::MB_ICONWARNING);
}

void MainApp::FatalError(const std::string& text, int exitCode) {
    MsgBox(text, m_identity.productName, Brisk::MB_OK | Brisk::MB_ICONERROR);
    DoExit(exitCode);
}

void MainApp::OnTerminationRequest() {
    m_quitRequested = true;
    BriskAppBase::OnTerminationRequest();
}

void MainApp::Init() {
    BriskAppBase::Init();
    m_game->SetSysApp(this);
    if (!m_life.shutdown) {
        // Mounted here, on the main thread, so that the loading thread only
        // reads it; the game's own mount of the same archive then does nothing.
        static_cast<void>(Brisk::PakInterface::Get()->AddArchive(kDataArchive));
        UseLanguage(CommonLibrary::WantedLanguages(std::getenv));
    }
}

bool MainApp::UseLanguage(const std::vector<std::string>& wanted) {
    for (const std::string& language : wanted) {
        if (language == "en" || language.rfind("en_", 0) == 0) {
            break;  // English: the texts themselves
        }
        std::vector<uint8_t> bytes;
        const std::string path = "locale/" + language + ".mo";
        if (!Brisk::ReadWholeFile(path, &bytes, kMaxCatalogueBytes)) {
            continue;  // not a language of ours (or its variant: the next entry tries the language)
        }
        std::string error;
        auto catalogue = CommonLibrary::Catalogue::Parse(bytes, &error);
        if (!catalogue) {
            std::fprintf(stderr, "%s: the texts for \"%s\" cannot be used: \"%s\" %s\n",
                         m_identity.productName.c_str(), language.c_str(), path.c_str(),
                         error.c_str());
            continue;
        }
        CommonLibrary::SetCatalogue(std::move(catalogue), language);
        return true;
    }
    CommonLibrary::SetCatalogue(std::nullopt);
    return false;
}

void MainApp::LoadingThreadProc() {
    // Nothing to decode ahead: pictures and font sheets are decoded when
    // first drawn, so the first screen decodes only what it shows (sheets
    // decoded here would be dropped unused once loading completes).
}

void MainApp::OnLoadingComplete() {
    BriskAppBase::OnLoadingComplete();
    if (m_bridge != nullptr || m_life.deferredShutdown || m_life.shutdown) {
        // A second call would start the game a second time over the first.
        return;
    }
    m_bridge = std::make_unique<IGameBridge>(
        this, m_game, m_factoryTarget != nullptr ? m_factoryTarget : ControlLibrary::GetFactory());
    m_bridge->Resize(0, 0, m_windowSettings.width, m_windowSettings.height);
    GetWidgetManager()->AddWidget(m_bridge.get());
    DropPrefetchedPictures();  // the game has taken what it needs at start
}

void MainApp::Shutdown() {
    if (!IsMainThread()) {
        BriskAppBase::Shutdown();  // deferred to the main thread
        return;
    }
    if (!m_quitRequested) {
        m_game->RequestClose();
        return;
    }
    if (m_bridge != nullptr) {
        GetWidgetManager()->RemoveWidget(m_bridge.get());  // the game saves here
        m_bridge.reset();
    }
    BriskAppBase::Shutdown();
    if (!m_playbackFolder.empty()) {
        // What the replayed game saved went to the scratch copy; say what it was.
        std::string written;
        for (const std::string& path : LoggedPlayerWrites()) {
            written += "\n  " + path;
        }
        std::fprintf(stderr, "%s: the playback wrote %s%s\n", m_identity.productName.c_str(),
                     written.empty() ? "no player files" : "these player files instead of yours:",
                     written.c_str());
        std::fflush(stderr);
        LogPlayerWrites(false);
        m_playbackFolder.clear();
    }
}

}  // namespace KernelLibrary
