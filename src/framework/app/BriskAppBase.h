#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "framework/app/PadKeys.h"
#include "framework/app/SharedImageRef.h"
#include "framework/platform/Clock.h"
#include "framework/platform/Messages.h"
#include "framework/platform/SettingsStore.h"
#include "framework/platform/Video.h"
#include "framework/resources/ImageFont.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/CursorNumber.h"

namespace ImageLib {
class Image;
}

namespace Brisk {

class MusicInterface;
class SoundManager;

namespace Platform {
class AudioDevice;
class SingleInstance;
class CustomCursor;
class Mixer;
class EventPump;
class Window;
}  // namespace Platform

class DDImage;
class DDInterface;
struct Demo;
struct DemoEvent;
struct DemoFile;
class DemoWriter;
class Dialog;
class Image;
class ResourceManager;
class Widget;

class WidgetManager;

using Platform::WindowMessage;

// Message-box flags, numbered like the classic desktop ones so that callers
// can combine a button set with an icon.
inline constexpr int MB_OK = 0x0;
inline constexpr int MB_OKCANCEL = 0x1;
inline constexpr int MB_YESNO = 0x4;
inline constexpr int MB_ICONERROR = 0x10;
inline constexpr int MB_ICONQUESTION = 0x20;
inline constexpr int MB_ICONWARNING = 0x30;
inline constexpr int MB_ICONINFORMATION = 0x40;

// The main loop's steps in one cycle (UpdateAppStep).
enum class UpdateState {
    DrainMessages = 0,  // platform messages and the deferred queue, one a step
    Decide = 1,         // the timing decision in ProcessFrame
    CatchUp = 2,        // catch-up and fractional updates after an update ran
    CycleDone = 3,      // the next step starts a new cycle
};

// The application object: owns the main window, the display, the widget
// manager and the main loop. Exactly one exists per process. Unless a
// comment says otherwise, every operation runs on the main thread.
//
// Virtual operations are declared in the order of the application's
// operation table; subclasses override the hooks they need.
class BriskAppBase : public ButtonListener, public DialogListener {
public:
    BriskAppBase();
    ~BriskAppBase() override;
    BriskAppBase(const BriskAppBase&) = delete;
    BriskAppBase& operator=(const BriskAppBase&) = delete;

    // The process-wide application, null before construction and after destruction.
    static BriskAppBase* Get();

    // Dialog button events map to the application's own button ids:
    // button 1000 of dialog D -> D + 2000, button 1001 -> D + 3000.
    void OnDialogButtonDown(int dialogId, int buttonId) override;
    void OnDialogButtonClick(int dialogId, int buttonId) override;

    // --- main loop -------------------------------------------------------
    // One timing step of the main loop. Returns false only when it would
    // have slept and allowSleep is false.
    virtual bool ProcessFrame(bool allowSleep);
    virtual void UpdateOnce();
    // The update gate: false while updating is suspended.
    virtual bool TryUpdate();
    virtual void UpdateFraction(double fraction);
    // (Re)creates the main window and the display.
    virtual void MakeWindow();
    virtual void ApplyCursor();
    virtual void RestoreAllImages() {}
    virtual void PurgeAllImageCaches() {}
    virtual void RebuildAllImageBits() {}
    // Runs once on the main thread after the loading thread has ended.
    virtual void OnLoadingComplete() {}
    // Milliseconds until something the program keeps on its own clocks is
    // due (a time object about to notify); the main loop waits for input at
    // most that long when nothing else needs it. The base has nothing due.
    virtual uint32_t MsUntilNextDue() { return kMaxIdleWaitMs; }
    // True while the coming updates have work even with no input and
    // nothing to draw (a fade, a held button's repeat).
    virtual bool UpdatesWanted() const;
    // The music player: silent when sound is switched off.
    virtual std::unique_ptr<MusicInterface> CreateMusicInterface();
    virtual void OnInitDone() {}
    virtual void OnShutdown() {}
    virtual void OnBeforeExit() {}
    // The body of the loading thread (runs on that thread).
    virtual void LoadingThreadProc() {}
    virtual void WriteToRegistry();
    virtual void ReadFromRegistry();
    virtual void OnBeforeDisplay() {}
    virtual void BeginPopup();
    virtual void EndPopup();
    // Shows a modal message box; returns its answer (1 OK, 2 Cancel, 6 Yes, 7 No).
    virtual int MsgBox(const std::string& text, const std::string& caption, int flags);
    // Shows a fatal-error box (logged instead in screensaver mode).
    virtual void Popup(const std::string& text);
    virtual void LogScreenSaverError(const std::string& text);
    // Takes ownership of `widget` and deletes it once the main loop has
    // unwound to the depth of this call.
    virtual void SafeDeleteWidget(std::unique_ptr<Widget> widget);
    virtual void OnURLOpenFailed(const std::string& url);
    virtual void OnURLOpened(const std::string& url);
    // Asks the desktop to open `url`; true when the request was made.
    virtual bool OpenURL(const std::string& url, bool shutdownAfter);
    virtual std::string GetProductVersion(const std::string& path);
    virtual void HideWindow();
    virtual std::string GetDiagnosticInfo();
    // Closes the application; from another thread it is deferred to the main thread.
    virtual void Shutdown();
    virtual void ParseCommandLine();
    virtual void ParseCommandLineText(const std::string& text);
    virtual void HandleCommandLineParam(const std::string& name, const std::string& value);
    virtual void HandleNotifyMessage(int64_t wparam, int64_t lparam);
    // Another copy holds the single-instance lock: asks it to come to the
    // front and ends this one (exit code 0), unless enforcement is off.
    virtual void HandleSecondInstance();
    // Shows the window and runs the main loop; returns after shutdown.
    virtual void Start();
    virtual void Init();
    virtual void OnBeforeDisplayInit() {}
    virtual void OnAfterDisplayInit() {}
    virtual bool KeepWorkingDirectory(const std::string& /*path*/) { return false; }
    // Plays a loaded sound once (auto-released), optionally panned.
    virtual void PlaySample(int id, int pan);
    virtual void PlaySample(int id);
    virtual double GetMasterVolume();
    virtual double GetMusicVolume() { return m_volumes.music; }
    virtual double GetSfxVolume() { return m_volumes.sfx; }
    virtual bool IsMuted() { return m_volumes.muteCount > 0; }
    virtual void SetMasterVolume(double volume);
    virtual void SetMusicVolume(double volume);
    virtual void SetSfxVolume(double volume);
    virtual void Mute(bool autoMute);
    virtual void Unmute(bool autoMute);
    virtual double GetLoadingProgress();
    // Decodes a picture (with its alpha image) into a new display image
    // named after the file; null when it cannot be decoded.
    virtual std::unique_ptr<DDImage> GetImage(const std::string& file, bool commitBits = true);
    // Decodes, on the calling thread (the loading thread), every colour
    // picture of the mounted archive `archive` with its alpha image, exactly
    // as GetImage would; GetImage then takes the decoded pixels instead of
    // decoding again. Start-up work done while the window is being shown.
    // Only the pictures under `folder` (any spelling; empty: all) are decoded.
    void PrefetchPictures(const std::string& archive, const std::string& folder = "");
    // Frees what was prefetched and not asked for.
    void DropPrefetchedPictures();
    // Keeps `picture` in memory under `name`: GetImage(name) then gives a
    // copy of it instead of decoding a file (pictures made at run time, such
    // as the player's own card faces). Replaces a picture of that name.
    void KeepPicture(const std::string& name, std::shared_ptr<const ImageLib::Image> picture);
    // The picture kept under `name`, or null.
    std::shared_ptr<const ImageLib::Image> FindKeptPicture(const std::string& name);
    // Forgets every kept picture whose name starts with `prefix`.
    void ForgetKeptPictures(const std::string& prefix);
    size_t CountPrefetchedPictures();
    // The cached image for (file, variant), loaded on first use; a file name
    // starting with "!" gives an empty image. `isNew` tells whether it was
    // just made. An empty reference when the file cannot be decoded.
    virtual SharedImageRef GetSharedImage(const std::string& file, const std::string& variant = "",
                                          bool* isNew = nullptr);
    // Queues what gamepad presses (or a held direction's repeats) mean, as
    // keys and close requests of the main window.
    void ApplyPadActions(const std::vector<PadKeys::Action>& actions);
    virtual void SwitchScreenMode(bool windowed, bool use3D, bool force);
    virtual void SwitchScreenMode(bool windowed);
    virtual void SwitchScreenMode();

    // --- framework message dialogs ----------------------------------------
    // A new dialog without pictures that reports to the application.
    virtual std::unique_ptr<Dialog> NewDialog(int id, bool modal, const std::string& header,
                                              const std::string& lines, const std::string& footer,
                                              int buttonMode);
    // KillDialog(id), then NewDialog and AddDialog; the dialog stays owned
    // by the application.
    virtual Dialog* DoDialog(int id, bool modal, const std::string& header,
                             const std::string& lines, const std::string& footer, int buttonMode);
    virtual Dialog* GetDialog(int id);
    virtual Dialog* AddDialog(std::unique_ptr<Dialog> dialog);
    // Replaces a dialog registered under `id`; a dialog of width 0 is sized
    // and placed (half the width, its preferred height, centred, a fifth
    // down); it is shown, and a modal one opens a modal layer.
    virtual Dialog* AddDialog(int id, std::unique_ptr<Dialog> dialog);
    virtual bool KillDialog(Dialog* dialog);
    virtual bool KillDialog(int id);
    // Unregisters the dialog (false when none has that id); an unset result
    // becomes 0; `remove` takes it out of the widget manager; `doDelete`
    // deletes it once the main loop has unwound. Without `doDelete` the
    // dialog goes to `*detached`, or, when that is null, stays owned by the
    // application until it ends.
    virtual bool KillDialog(int id, bool remove, bool doDelete,
                            std::unique_ptr<Dialog>* detached = nullptr);
    virtual int GetDialogCount();
    virtual void OnModalOpen() {}
    virtual void OnModalClose() {}

    virtual void OnGotFocus() {}
    virtual void OnLostFocus() {}
    virtual bool IsReservedAltKey(int key);
    virtual bool OnDebugKey(int /*key*/) { return false; }
    // True swallows the key before it is queued.
    virtual bool OnKeyDownEarly(int /*key*/, bool /*ctrl*/, bool /*alt*/) { return false; }
    virtual void OnCloseRequest() {}
    virtual bool DrawFrame();
    virtual void PresentFrame(const Platform::Rect* clip);
    virtual void OnBeforeInit() {}
    virtual void RunMainLoop();
    virtual bool UpdateAppStep(bool* updated);
    virtual bool UpdateApp();
    virtual bool IsWindowEnabled() { return !m_life.windowDisabled; }
    // A termination signal arrived (session end, Ctrl+C, `timeout`): the
    // default shuts down at once, without asking, as a confirmed exit does.
    virtual void OnTerminationRequest();
    // Demos: the player's saved files as they are when a recording starts
    // (paths relative to the player's data folder) ...
    virtual std::vector<DemoFile> CollectDemoFiles();
    // ... and, for a playback, a scratch folder holding the recorded ones
    // that the game then reads and writes instead of the player's own.
    // False, with `error`, when it cannot be made.
    virtual bool UseDemoFiles(const std::vector<DemoFile>& files, std::string* error);

    // --- non-virtual -----------------------------------------------------
    void Set3DAcceleration(bool on, bool reinit);
    // Forgets the time not yet caught up; `relax` also discards it for 1 s.
    void ClearUpdateBacklog(bool relax);
    void UpdateUpdateBacklog();
    void RefreshFocus();
    // Handles queued messages (one when `single`); true while messages remain.
    bool ProcessDeferredMessages(bool single);
    // Restores the display settings and ends the process with `code`.
    void DoExit(int code);
    void RestoreScreenResolution() {}
    // Whether a window of the client size fits inside the desktop's work area.
    bool WindowFitsDesktop() const;
    void ProcessSafeDeleteList();

    // The window procedure: every platform message enters here. Some are
    // handled at once, the rest queued for the main loop.
    void HandleWindowMessage(const WindowMessage& message);
    // Delivers a message to the window procedure: at once on the main
    // thread, otherwise at the main loop's next pump. Any thread. A window of
    // kMainWindowAlias means the main window as it is when the message arrives.
    void SendWindowMessage(const WindowMessage& message);
    // Ends the main loop's wait for input, so that it steps at once (work
    // left by another thread: a time object's notification, the loading
    // thread's end). Any thread.
    static void WakeMainLoop();
    // The longest the main loop waits for input with nothing due.
    static constexpr uint32_t kMaxIdleWaitMs = 1000;
    static constexpr Platform::WindowId kMainWindowAlias = 0xFFFF'FFFEu;

    // --- per-user settings (the registry) ----------------------------------
    // Under the key "SOFTWARE\" + registry key; a value name with '\' names
    // a sub-key path before its last '\'. While the registry key is empty
    // every read fails and every write does nothing (returns false).
    bool RegistryRead(const std::string& name, Platform::StoredValue* out);
    bool RegistryWrite(const std::string& name, const Platform::StoredValue& value);
    // Succeeds only for a 4-byte integer value.
    bool RegistryReadInteger(const std::string& name, int* out);
    bool RegistryReadBoolean(const std::string& name, bool* out);
    bool RegistryWriteInteger(const std::string& name, int value);
    bool RegistryWriteBoolean(const std::string& name, bool value);
    bool RegistryWriteString(const std::string& name, const std::string& text);
    bool RegistryEraseValue(const std::string& name);
    // Where the settings files live (tests); ConfigHome() until set.
    void SetSettingsRoot(const std::string& root);

    // Localised texts: the stored text for `id`, else `defaultText`.
    std::string GetString(const std::string& id, const std::string& defaultText) const;
    void SetString(const std::string& id, const std::string& text);

    // What image fonts load their pictures through (the shared-image cache)
    // and report descriptor errors to (Popup).
    FontHost* GetFontHost() { return &m_fontHost; }

    WidgetManager* GetWidgetManager() const { return m_widgetManager.get(); }
    // Created empty with the application.
    ResourceManager* GetResourceManager() const { return m_resourceManager.get(); }
    SoundManager* GetSoundManager() const { return m_soundManager.get(); }
    MusicInterface* GetMusicInterface() const { return m_musicInterface.get(); }
    DDInterface* GetDisplay() const { return m_display.get(); }
    Platform::Window* GetWindow() const { return m_window.get(); }
    Platform::WindowId GetMainWindowId() const;
    bool IsShutdown() const { return m_life.shutdown.load(); }
    // True once a termination signal asked the program to end.
    bool IsTerminating() const { return m_life.terminating; }
    // The seed the C runtime's generator got at start-up (different at every
    // start; a played demo's own).
    unsigned GetRandomSeed() const { return m_life.randomSeed; }
    // Seconds since 1970 UTC now; while a demo records or plays, its start
    // date plus the updates since, 100 a second.
    int64_t GetDate() const;
    // The date a demo recorded without one plays at: 2000-01-01.
    static constexpr int64_t kUndatedDemoStart = 946684800;
    bool IsPlayingDemo() const { return m_commandLine.playingDemo; }
    bool IsRecordingDemo() const { return m_commandLine.recordingDemo; }
    // Writes the drawn picture as "_screenshots/screenN.png" (the next free
    // N) in the data folder (during a playback, in the playback folder, at
    // most kMaxPlaybackScreenshots) and flashes the screen's edge; the file's
    // path, or empty when it could not be written.
    std::string TakeScreenshot();
    static constexpr int kMaxPlaybackScreenshots = 100;
    // The scratch folder a playback runs in, with a trailing '/'; empty
    // without a data folder.
    std::string PlaybackFolder() const;
    bool IsMainThread() const { return std::this_thread::get_id() == m_primaryThreadId; }
    // Replaces the time source (tests); `clock` must outlive the application.
    void SetClock(Platform::Clock* clock) { m_clock = clock; }
    Platform::Clock& GetClock() const { return *m_clock; }
    // Replaces the sound players (tests: players that render into memory).
    // Whatever the players output through must outlive the application.
    void UseSoundPlayers(std::unique_ptr<SoundManager> sounds,
                         std::unique_ptr<MusicInterface> music);
    // Replaces what DoExit does after restoring the display (tests).
    void SetExitHandler(std::function<void(int)> handler) { m_exitHandler = std::move(handler); }
    const std::deque<WindowMessage>& GetDeferredMessages() const { return m_deferredMessages; }
    // Wait-free progress counters for the loading thread.
    void SetLoadingTasks(int done, int total) {
        m_loadingTasksDone = done;
        m_loadingTasksTotal = total;
    }
    // Registers the picture drawn as software cursor for cursor number `num`
    // (null removes it). `image` must outlive its registration.
    void SetCursorImage(CursorNumber num, Image* image, int hotX = 0, int hotY = 0);
    // Turns the cursor thread's 10 ms polling on while a software cursor is
    // shown; without one the thread sleeps. Any thread.
    void SetSoftwareCursorActive(bool active);
    // Hides the system mouse cursor while a program draws its own picture in
    // its place (the control library's cursors); false shows it again.
    void SetSystemCursorHidden(bool hidden);
    bool IsSystemCursorHidden() const { return m_cursor.systemHidden; }
    // Last pointer position recorded by the cursor thread, window coordinates.
    std::pair<int, int> GetCursorThreadPosition() const {
        return {m_cursorX.load(), m_cursorY.load()};
    }

    // --- state ------------------------------------------------------------
    // The application's state in named groups. The groups are reached by the
    // subclass (protected members below) and, in tests, through
    // AppStateAccess; everything else goes through the operations above.

    // Who the program is and where it lives.
    struct Identity {
        std::string companyName;              // first part of the settings path
        std::string productName = "Product";  // names the settings, lock and data folders
        std::string title = "BriskApp";       // window caption
        std::string productVersion;           // shown in diagnostics
        std::string registryKey;              // settings key; empty: reads fail, writes do nothing
        std::string startDirectory;           // the program's folder, made the working folder
        std::string appDataFolder;            // per-user data folder (demos, screenshots)
        std::string executablePath;           // the running program
    };

    // The window as wanted and as it is.
    struct WindowSettings {
        int width = 640;                    // client width, pixels
        int height = 480;                   // client height, pixels
        bool isWindowed = true;             // windowed wanted
        bool windowIsWindowed = true;       // the current window is windowed
        bool fullScreenWindowMode = false;  // full screen as a borderless desktop-sized window
        bool forceFullscreen = false;       // "-fullscreen" on the command line
        bool forceWindowed = false;         // "-windowed", or the desktop is too small
        int preferredX = -1;                // remembered position; -1 centres
        int preferredY = -1;
        bool allowMaximize = false;  // the window may be maximised
    };

    // Volumes (0..1) and muting.
    struct Volumes {
        double music = 0.85;
        double sfx = 0.85;
        double master = 1.0;
        int muteCount = 0;            // mutes in force; sound is silent while above 0
        int autoMuteCount = 0;        // of those, the ones made by losing focus
        bool muteOnLostFocus = true;  // mute while another window has the focus
    };

    // The main loop's clock (milliseconds unless stated).
    struct FrameTiming {
        int frameTime = 10;             // length of one update
        double updateMultiplier = 1.0;  // updates per frame time (faster replays)
        bool vsyncUpdates = false;      // updates follow the display's refresh
        bool vsyncBroken = false;       // the refresh proved unreliable
        bool waitForVSync = false;      // settings: present on the refresh
        bool softVSyncWait = true;      // wait for the refresh by sleeping
        bool paused = false;            // updates suspended
        UpdateState updateState = UpdateState::DrainMessages;  // step within a cycle
        int updateAppDepth = 0;                                // nesting of UpdateApp (modal loops)
        double pendingUpdateTime = 0;                          // time owed to updates
        double fractionalUpdateAccumulator = 0;
        double relaxTimer = 0;       // backlog ignored until this runs out
        uint32_t lastTimeCheck = 0;  // clock at the last timing decision
        uint32_t lastPresentTick = 0;
        uint32_t nextDrawTick = 0;
        uint32_t lastTimerTick = 0;  // clock at the last timer message
        uint32_t timerRunStart = 0;  // start of the current run of timer messages
        uint32_t lastTimerPost = 0;
        // The window system is read once per cycle that slept, and at least
        // once a frame time when the loop never sleeps.
        bool pumpDue = true;
        uint32_t lastPumpTick = 0;
        uint32_t lastUserInputTick = 0;
        uint32_t startTick = 0;         // clock when the main loop started
        uint32_t constructionTick = 0;  // clock when the application was made
        int nonDrawCount = 0;           // updates since the last draw
        bool drawPending = false;
        bool lastDrawEmpty = false;  // the last draw changed nothing
        // With nothing due the loop waits for input, the next due time or a
        // wake instead of stepping every frame time (never during a demo,
        // whose replay needs every update).
        bool sleepUntilDue = true;
        int quietUpdates = 0;  // updates in a row that left nothing to draw or do
        bool timerEnabled = false;
        int vsyncCheckUpdates = 0;    // refresh sanity check: updates counted
        uint32_t vsyncCheckTick = 0;  //   since this clock reading
        int vsyncStrikes = 0;         //   and failed checks so far
    };

    // Running totals (diagnostics and tests).
    struct Counters {
        int updates = 0;
        int changedUpdates = 0;  // updates after which something needed drawing
        int draws = 0;
        int drawTime = 0;     // milliseconds spent drawing
        int presentTime = 0;  // milliseconds spent presenting
        int sleeps = 0;
        int idleWaits = 0;  // of those, waits for input beyond the frame time
        int presents = 0;
        // Start-up marks for benchmarks: the first frame after loading, and
        // the first frame after the first key pressed after it.
        bool firstFrameMarked = false;
        bool keyAfterLoading = false;
        bool keyFrameMarked = false;
    };

    // The loading thread.
    struct Loading {
        bool threadStarted = false;
        std::atomic<bool> threadCompleted{false};  // set by the loading thread
        bool completionHandled = false;            // OnLoadingComplete has run
        bool yieldMainThread = false;              // the main loop gives the loader time
        bool autoStart = true;                     // Start() starts the thread
    };

    // Where the program is in its life and how its window stands.
    struct LifeCycle {
        std::atomic<bool> shutdown{false};
        std::atomic<bool> deferredShutdown{false};  // asked from another thread
        bool exitToTop = false;                     // unwind nested loops to the main loop
        bool running = false;                       // the main loop is running
        bool initialized = false;                   // Init has finished
        bool closeRequested = false;                // the close box was pressed
        bool active = false;                        // the window is the active one
        bool minimized = false;
        bool minimizedHandled = false;  // the state the queued size messages last acted on
        bool hidden = false;
        bool inPopup = false;  // a system message box is showing
        bool windowDisabled = false;
        bool drawing = false;          // inside DrawFrame
        bool displayLost = false;      // the display must be recreated
        uint32_t lastRecoveryTry = 0;  // clock at the last try to recreate it
        bool registryRead = false;
        bool commandLineParsed = false;
        bool changed3D = false;    // acceleration switched; the display is remade
        bool lastRunClean = true;  // "InProgress" was 0: the previous run ended normally
        bool terminating = false;  // a termination signal is being handled
        unsigned randomSeed = 0;   // this run's random seed (the game's deals)
        int64_t startDate = 0;     // seconds since 1970 UTC at the start (a demo's own)
    };

    // Focus and keyboard state.
    struct Input {
        bool hasFocus = false;
        bool mouseInWindow = false;
        bool ctrlDown = false;
        bool altDown = false;
        bool debugKeysEnabled = false;
    };

    // The mouse cursor.
    struct CursorState {
        bool custom = false;                        // the hand and dragging cursors were made
        CursorNumber number = CursorNumber::Arrow;  // the cursor shown
        bool changed = false;                       // ApplyCursor must run
        bool systemHidden = false;                  // a picture drawn by the program replaces it
        struct Picture {
            Image* image = nullptr;  // not owned
            int hotX = 0;
            int hotY = 0;
        };
        std::map<CursorNumber, Picture> images;  // software cursors by cursor number
    };

    // Settings from the command line.
    struct CommandLine {
        bool screensaverMode = false;
        bool enforceSingleInstance = true;
        bool playingDemo = false;
        bool recordingDemo = false;
        int recordDemoCount = 5;    // numbered demo files kept
        bool numberedDemo = false;  // "-recnum": older numbered demos go after the one-copy check
        std::string demoFileName = "briskapp.dmo";
        std::string demoMissing;  // "-playnum": why there is no such recording
        double playSpeed = 1.0;   // "-play=N": replay N times as fast
        bool playFast = false;    // "-play=max": replay with updates back to back
        uint32_t demoRules = 0;   // the game's rules version, written into demos
        bool noSound = false;
        bool useFMod = false;
    };

    // A URL being opened.
    struct UrlOpening {
        std::string url;
        bool shutdownAfter = false;
        uint32_t time = 0;  // clock when the request was made
    };

    // The per-user data folder (demos, screenshots), with a trailing '/'.
    const std::string& GetAppDataFolder() const { return m_identity.appDataFolder; }
    // The per-user data folder as it should be, with '/', also when it cannot
    // be made (GetAppDataFolder is then empty).
    std::string WantedDataFolder() const;

protected:
    Identity m_identity;
    WindowSettings m_windowSettings;
    Volumes m_volumes;
    FrameTiming m_timing;
    Counters m_counters;
    Loading m_loading;
    LifeCycle m_life;
    Input m_input;
    CursorState m_cursor;
    CommandLine m_commandLine;
    UrlOpening m_url;

    // Saturating add table for additive drawing: i for i < 256, 255 above.
    std::array<uint8_t, 512> m_addTable{};

private:
    friend struct AppStateAccess;  // tests only
    // The steps of Init. Those returning bool return false when the
    // program is ending.
    bool StartVideo();
    void FindDataFolder();
    void ApplyCommandLine();
    bool ClaimSingleInstance();
    void StartSound();

    // The steps of ProcessFrame. The pace of the coming frame: whether updates
    // follow the display's refresh, the frame's length in milliseconds and
    // the updates one refresh is worth.
    struct FramePace {
        bool vblank = false;
        double frameLength = 0;
        double updatesPerTick = 1;
    };
    FramePace CurrentPace() const;
    // Updates when enough time is owed; true when the frame should draw or sleep instead.
    bool DecideStep(const FramePace& pace, uint32_t start);
    // Catch-up and fractional updates after an update ran.
    void CatchUpStep(const FramePace& pace);
    // Draws a pending frame or sleeps the rest of the frame; false when it
    // would have slept and `allowSleep` is false.
    bool DrawOrSleep(const FramePace& pace, bool allowSleep, uint32_t* slept);
    // True when the loop may wait beyond the frame time: nothing queued,
    // drawn, loading or recorded, and the last update found nothing to do.
    bool MayWaitForInput();
    // Idle waits are allowed at all (not during a demo, after loading).
    bool IdleWaitsAllowed() const;
    // Sleeps to give the loading thread time; false as above.
    bool YieldToLoader(uint32_t start, uint32_t slept, bool allowSleep);

    // Demo recording and playback (DemoPlayback.cpp).
    // Opens the demo to play or record after the command line is read;
    // false when the program is ending (a demo that cannot be played).
    bool StartDemo();
    // The seed for this run: a played demo's, else a fresh one (recorded).
    unsigned DemoSeed();
    static int64_t SystemDate();
    void RecordDemoEvent(const DemoEvent& event);
    void RecordDemoMessage(const WindowMessage& message);
    // Plays the demo's records due before the next update; false while the
    // update must wait (the loading it recorded as complete is not done yet).
    bool PlayDueDemoEvents();
    void PlayDemoEvent(const DemoEvent& event);
    // Handles the loading thread's completion (at once, or when a played
    // demo recorded it).
    void HandleLoadingCompletion();
    // Makes the playback folder empty (never through a link); false and
    // `error` when it cannot be used.
    bool PreparePlaybackFolder(std::string* error);
    // After "-recnum": keeps the newest recordDemoCount numbered demos.
    void PruneNumberedDemos();
    // Turns playback off: the player's input counts again.
    void StopPlayback(const char* why);
    // Finishes a recording (at shutdown).
    void FinishDemo();
    // Runs updates back to back while a demo plays with "-play=max".
    bool FastForward();
    // The mouse message with its position in widget coordinates.
    WindowMessage MapMouseMessage(const WindowMessage& message);
    // Draws the screenshot's flash and note over the frame; `widgetsDrawn`:
    // the widgets painted this frame (and may have painted over the note).
    // Positive while either was drawn.
    int DrawScreenshotFlash(bool widgetsDrawn);

    void StartCursorThread();
    void CursorThreadProc();
    void PumpPlatformMessages();
    void MarkStartupFrames();
    void QueueTimerMessage(uint32_t now);
    void HandleTimerTick();
    void DispatchDeferredMessage(const WindowMessage& message);
    // `mapped`: the position is already in widget coordinates (a played demo).
    void DispatchMouseMessage(const WindowMessage& message, bool mapped = false);
    void HandleKeyDownMessage(const WindowMessage& message);
    int InitDisplay();
    bool HandleDisplayResult(int result);
    void ResizeWidgetArea();
    void VBlankSanityCheck(uint32_t now);
    void CreateCustomCursors();
    Platform::SettingsStore& Settings();
    // The key and value name of a registry value name; false while the
    // registry key is empty.
    bool SplitValueName(const std::string& name, std::string* key, std::string* value) const;
    // "-recnum" and "-playnum": the numbered demo files in the data folder.
    std::vector<int> NumberedDemoFiles() const;
    std::string NumberedDemoFile(int number) const;
    uint32_t Now() const { return m_clock->Milliseconds(); }

    Platform::Clock* m_clock;  // not owned; the system clock by default
    std::function<void(int)> m_exitHandler;
    std::thread::id m_primaryThreadId;

    // Owned platform and framework objects. The widget manager is declared
    // last so that it is destroyed first.
    std::unique_ptr<Platform::EventPump> m_eventPump;
    PadKeys m_padKeys;  // gamepad presses as keys; main thread
    // Sound: the mixer outlives the device, which outlives the players.
    std::unique_ptr<Platform::Mixer> m_mixer;
    std::unique_ptr<Platform::AudioDevice> m_audioDevice;
    std::unique_ptr<SoundManager> m_soundManager;
    std::unique_ptr<MusicInterface> m_musicInterface;
    std::unique_ptr<Platform::SettingsStore> m_settingsStore;  // made on first use
    std::unique_ptr<Platform::SingleInstance> m_singleInstance;
    std::unique_ptr<Platform::CustomCursor> m_handCursor;
    std::unique_ptr<Platform::CustomCursor> m_draggingCursor;
    std::unique_ptr<Platform::Window> m_window;
    std::unique_ptr<DDInterface> m_display;
    std::unique_ptr<WidgetManager> m_widgetManager;
    std::unique_ptr<ResourceManager> m_resourceManager;
    bool m_videoStarted = false;

    // Framework dialogs by id (owned).
    std::map<int, std::unique_ptr<Dialog>> m_dialogMap;
    std::vector<std::unique_ptr<Dialog>> m_detachedDialogs;

    std::deque<WindowMessage> m_deferredMessages;
    std::mutex m_inboxLock;
    std::vector<WindowMessage> m_inbox;  // messages sent from other threads; guarded by m_inboxLock
    std::vector<std::pair<int, std::unique_ptr<Widget>>> m_safeDeleteList;
    std::map<std::string, std::string> m_stringTable;
    class AppFontHost : public FontHost {
    public:
        explicit AppFontHost(BriskAppBase* app) : m_app(app) {}
        FontImage LoadImage(const std::string& path) override;
        // Sheets with a readable header wait for their first drawn glyph.
        bool SizeForLater(const std::string& path, int* width, int* height) override;
        // Each descriptor error once per run (a font used twice fails twice),
        // with bytes that cannot be shown replaced.
        void ReportError(const std::string& text) override;

    private:
        BriskAppBase* m_app;  // not owned
        std::set<std::string> m_reported;
    } m_fontHost{this};
    // The shared-image cache; entries with no references are deleted after an update.
    std::map<std::pair<std::string, std::string>, std::unique_ptr<SharedImageRef::Entry>>
        m_sharedImages;
    bool m_sharedImageReleased = false;
    friend class SharedImageRef;
    // Pictures decoded ahead by PrefetchPictures, by normalised archive name.
    std::mutex m_prefetchLock;
    std::map<std::string, std::unique_ptr<ImageLib::Image>> m_prefetched;
    std::map<std::string, std::shared_ptr<const ImageLib::Image>> m_kept;  // under m_prefetchLock

    // Threads. The flags are written by one thread and polled by another.
    std::thread m_cursorThread;
    std::atomic<bool> m_cursorThreadRunning{false};
    std::atomic<bool> m_softwareCursorActive{false};
    std::mutex m_cursorThreadLock;  // pairs with m_cursorThreadWake
    std::condition_variable m_cursorThreadWake;
    std::atomic<int> m_cursorX{0};
    std::atomic<int> m_cursorY{0};
    std::thread m_loadingThread;

    // Demos.
    std::unique_ptr<DemoWriter> m_demoWriter;  // while recording
    std::unique_ptr<Demo> m_demo;              // while playing
    size_t m_demoNext = 0;                     // the next event of m_demo to play
    size_t m_demoRegistryNext = 0;             // the next settings read to answer
    size_t m_demoMsgBoxNext = 0;               // the next message-box answer
    std::atomic<bool> m_demoPointer{false};    // the cursor thread takes the played pointer
    std::atomic<int> m_demoMouseX{0};          // the played pointer, for the cursor thread
    std::atomic<int> m_demoMouseY{0};
    int m_flashFrames = 0;          // frames left of the screenshot flash
    int m_playbackScreenshots = 0;  // taken during this playback
    // "Screenshot saved" and the file's name, shown for a while after the picture was taken.
    struct ScreenshotNote {
        std::string text;
        uint32_t until = 0;  // Now() at which it goes
        bool onScreen = false;
        std::unique_ptr<Font> font;
    } m_screenshotNote;
    std::atomic<int> m_loadingTasksDone{0};
    std::atomic<int> m_loadingTasksTotal{0};
};

// Places a width x height window in the work area: centred horizontally and
// 0.382 of the free height from the top when preferredX is -1, otherwise at
// the preferred position pulled at least 4 pixels inside the work area.
Platform::Rect PlaceWindow(const Platform::Rect& workArea, int width, int height, int preferredX,
                           int preferredY);

// Text for the diagnostics output (stderr when VORNIQUE_DEBUG is set).
void DebugOutput(const std::string& text);

}  // namespace Brisk
