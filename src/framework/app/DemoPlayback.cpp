// Demo recording and playback, and screenshots.
//
// A recording writes the deal's seed, the window mode, the player's saved
// files as they were, and every input message with the number of updates
// run before it was handled. A playback deals with the recorded seed, hands
// the game a scratch copy of the recorded files, and feeds the messages in
// at the same update numbers, so the same deal and the same clicks happen.
// The game's time follows the updates while a demo records or plays, so a
// replay at any speed is the same game.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "framework/app/BriskAppBase.h"
#include "framework/app/Demo.h"
#include "framework/app/SystemFont.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/DDInterface.h"
#include "framework/graphics/Graphics.h"
#include "framework/platform/Files.h"
#include "framework/platform/Paths.h"
#include "framework/platform/Process.h"
#include "framework/platform/ScratchFolder.h"
#include "framework/resources/ImageLib.h"
#include "framework/sound/MusicInterface.h"
#include "framework/widgets/WidgetManager.h"

namespace Brisk {

using Platform::MessageId;

std::vector<DemoFile> BriskAppBase::CollectDemoFiles() {
    return {};
}

bool BriskAppBase::UseDemoFiles(const std::vector<DemoFile>& /*files*/, std::string* /*error*/) {
    return true;
}

bool BriskAppBase::StartDemo() {
    const std::string& path = m_commandLine.demoFileName;
    if (m_commandLine.playingDemo) {
        std::string problem = m_commandLine.demoMissing;
        std::optional<Demo> demo;
        if (problem.empty()) {
            // One byte over the cap tells a whole file that is too big from one
            // cut off; the bytes are dropped once the records are parsed.
            auto bytes = Platform::ReadRegularFile(path, kMaxDemoBytes + 1, &problem);
            if (problem.rfind(path + ": ", 0) == 0) {
                problem.erase(0, path.size() + 2);  // the message names the file once
            }
            if (bytes && bytes->size() > kMaxDemoBytes) {
                problem = "it is larger than the " + std::to_string(kMaxDemoBytes >> 20) +
                          " MiB a demo may hold";
            } else if (bytes) {
                demo = ParseDemo(*bytes, m_commandLine.demoRules, &problem);
                if (!demo) {
                    problem = "it " + problem;
                }
            }
        }
        if (!demo) {
            m_commandLine.playingDemo = false;
            Popup("The demo \"" + path + "\" cannot be played: " + problem + ".");
            DoExit(0);
            return false;
        }
        m_demo = std::make_unique<Demo>(std::move(*demo));
        if (!m_demo->finished) {
            std::fprintf(stderr,
                         "%s: the demo \"%s\" ends without its closing record (its recording "
                         "was cut off); playing what it holds\n",
                         m_identity.productName.c_str(), path.c_str());
        }
        m_windowSettings.isWindowed = m_demo->windowed;
        m_timing.updateMultiplier = std::clamp(m_commandLine.playSpeed, 0.125, 64.0);
        m_demoNext = 0;
        m_demoPointer = true;
    } else if (m_commandLine.recordingDemo) {
        std::string problem;
        DemoHeader header;
        header.rules = m_commandLine.demoRules;
        header.product = m_identity.productName;
        header.version = m_identity.productVersion;
        m_demoWriter = DemoWriter::Create(path, header, &problem);
        if (m_demoWriter == nullptr) {
            m_commandLine.recordingDemo = false;
            // The game itself is unharmed: it plays on without a recording.
            Popup("The demo cannot be recorded to \"" + path + "\": " + problem +
                  ".\nThe game goes on without recording.");
        } else if (m_commandLine.numberedDemo) {
            PruneNumberedDemos();
        }
    }
    return true;
}

void BriskAppBase::PruneNumberedDemos() {
    const std::vector<int> numbers = NumberedDemoFiles();
    const size_t keep = static_cast<size_t>(std::max(m_commandLine.recordDemoCount, 1));
    for (size_t i = 0; i + keep < numbers.size(); ++i) {
        std::error_code ec;
        std::filesystem::remove(NumberedDemoFile(numbers[i]), ec);
    }
}

std::string BriskAppBase::PlaybackFolder() const {
    return m_identity.appDataFolder.empty() ? std::string()
                                            : m_identity.appDataFolder + "_playback/";
}

bool BriskAppBase::PreparePlaybackFolder(std::string* error) {
    const std::string folder = PlaybackFolder();
    if (folder.empty()) {
        return true;  // nowhere to keep anything: the game's hook decides
    }
    std::string reason;
    if (!Platform::MakeEmptyScratchFolder(folder, &reason)) {
        *error = "its playback folder \"" + folder + "\" cannot be used: it " + reason;
        return false;
    }
    return true;
}

unsigned BriskAppBase::DemoSeed() {
    if (m_demo != nullptr) {
        m_life.startDate = m_demo->startDate.value_or(kUndatedDemoStart);
        return *m_demo->seed;
    }
    const unsigned seed = Platform::FreshRandomSeed();
    m_life.startDate = SystemDate();
    if (m_demoWriter != nullptr) {
        m_demoWriter->Seed(seed, m_life.startDate);
    }
    return seed;
}

int64_t BriskAppBase::SystemDate() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::seconds>(now).count();
}

int64_t BriskAppBase::GetDate() const {
    if (m_demo != nullptr || m_demoWriter != nullptr) {
        // A demo's dates follow its updates, so a playback writes what the
        // recording wrote.
        return m_life.startDate + static_cast<int64_t>(m_counters.updates / 100);
    }
    return SystemDate();
}

void BriskAppBase::RecordDemoEvent(const DemoEvent& event) {
    if (m_demoWriter == nullptr) {
        return;
    }
    DemoEvent timed = event;
    timed.update = static_cast<uint32_t>(m_counters.updates);
    m_demoWriter->Event(timed);
}

void BriskAppBase::RecordDemoMessage(const WindowMessage& message) {
    if (message.message == MessageId::Timer) {
        return;  // only real time, which a playback does not share
    }
    DemoEvent e;
    // Mouse positions in widget coordinates: the replay's window may be placed
    // or scaled otherwise.
    e.message = Platform::IsMouseMessage(message.message) ? MapMouseMessage(message) : message;
    e.message.window = 0;
    RecordDemoEvent(e);
}

bool BriskAppBase::PlayDueDemoEvents() {
    const auto update = static_cast<uint32_t>(m_counters.updates);
    while (m_demo != nullptr && m_demoNext < m_demo->steps.size()) {
        const DemoStep& step = m_demo->steps[m_demoNext];
        if (step.update > update) {
            return true;
        }
        if (step.kind == DemoRecord::Loaded) {
            if (!m_loading.threadCompleted) {
                return false;  // the recording's loading was done by now: wait for ours
            }
            ++m_demoNext;
            HandleLoadingCompletion();
            continue;
        }
        ++m_demoNext;
        PlayDemoEvent(m_demo->Event(m_demoNext - 1));
        if (m_life.shutdown) {
            return false;
        }
    }
    if (m_demo != nullptr && update >= m_demo->endUpdate) {
        StopPlayback("the demo has been played to its end");
        // The game has run against the playback's copy of the player files;
        // playing on would keep new players there, to be wiped by the next
        // playback. The program ends as at a confirmed exit.
        OnTerminationRequest();
        return false;
    }
    return true;
}

void BriskAppBase::PlayDemoEvent(const DemoEvent& e) {
    switch (e.kind) {
        case DemoRecord::Message: {
            WindowMessage m = e.message;
            m.window = GetMainWindowId();
            if (m.message == MessageId::ActivateApp) {
                m_life.active = m.wparam != 0;  // the recording's focus, not ours
            }
            if (Platform::IsMouseMessage(m.message)) {
                m_demoMouseX = Platform::PointParamX(m.lparam);
                m_demoMouseY = Platform::PointParamY(m.lparam);
                DispatchMouseMessage(m, true);
            } else {
                DispatchDeferredMessage(m);
            }
            break;
        }
        case DemoRecord::MouseInside:
            if (e.flag != m_input.mouseInWindow) {
                m_input.mouseInWindow = e.flag;
                if (!e.flag) {
                    m_widgetManager->MouseLeave(e.x, e.y);
                }
                ApplyCursor();
            }
            break;
        case DemoRecord::Terminate:
            OnTerminationRequest();
            break;
        default:
            break;  // settings reads and message-box answers are taken where they happen
    }
}

void BriskAppBase::StopPlayback(const char* why) {
    if (!m_commandLine.playingDemo) {
        return;
    }
    m_commandLine.playingDemo = false;
    m_commandLine.playFast = false;
    m_demoPointer = false;
    m_timing.updateMultiplier = 1.0;
    ClearUpdateBacklog(false);
    std::fprintf(stderr, "%s: playback stopped: %s\n", m_identity.productName.c_str(), why);
    std::fflush(stderr);
    ApplyCursor();
}

void BriskAppBase::FinishDemo() {
    if (m_demoWriter == nullptr) {
        return;
    }
    if (!m_demoWriter->Finish(static_cast<uint32_t>(m_counters.updates))) {
        std::fprintf(stderr, "%s: the demo \"%s\" could not be written completely\n",
                     m_identity.productName.c_str(), m_commandLine.demoFileName.c_str());
    }
    m_demoWriter.reset();
}

bool BriskAppBase::FastForward() {
    // Updates back to back, with a draw at least every second so that the
    // window stays alive, and silence while the game races.
    const uint32_t start = m_clock->Milliseconds();
    Mute(true);
    while (m_commandLine.playingDemo && !m_life.shutdown &&
           m_clock->Milliseconds() - start < 1000) {
        if (!TryUpdate()) {
            break;
        }
        ProcessSafeDeleteList();
    }
    Unmute(true);
    m_timing.updateState = UpdateState::CycleDone;
    m_timing.pendingUpdateTime = 0;
    if (!m_life.shutdown) {
        DrawFrame();
    }
    return true;
}

// --- screenshots -------------------------------------------------------------------

std::string BriskAppBase::TakeScreenshot() {
    DDImage* screen = m_display != nullptr ? m_display->GetScreenImage() : nullptr;
    if (screen == nullptr || m_identity.appDataFolder.empty()) {
        return {};
    }
    // A playback's screenshots stay with its files, never among the player's own.
    const bool playback = m_demo != nullptr;
    if (playback && m_playbackScreenshots >= kMaxPlaybackScreenshots) {
        if (m_playbackScreenshots++ == kMaxPlaybackScreenshots) {
            std::fprintf(stderr, "%s: no more screenshots: a playback takes at most %d\n",
                         m_identity.productName.c_str(), kMaxPlaybackScreenshots);
        }
        return {};
    }
    const std::string folder =
        (playback ? PlaybackFolder() : m_identity.appDataFolder) + "_screenshots/";
    if (!Platform::CreateDirectories(folder)) {
        std::fprintf(stderr, "%s: no screenshot: the folder \"%s\" cannot be made\n",
                     m_identity.productName.c_str(), folder.c_str());
        return {};
    }
    int number = 1;
    std::error_code ec;
    while (std::filesystem::exists(folder + "screen" + std::to_string(number) + ".png", ec) ||
           std::filesystem::is_symlink(folder + "screen" + std::to_string(number) + ".png", ec)) {
        ++number;
    }
    const std::string path = folder + "screen" + std::to_string(number) + ".png";
    if (m_screenshotNote.onScreen) {
        m_widgetManager->MarkAllDirty();  // the last picture's note is not in this one
    }
    m_widgetManager->DrawScreen();  // what the updates so far show, drawn or not
    ImageLib::Image out(screen->GetWidth(), screen->GetHeight());
    const uint32_t* bits = screen->GetBits();
    for (size_t i = 0; i < out.m_bits.size(); ++i) {
        out.m_bits[i] = bits[i] | 0xFF000000u;
    }
    if (!ImageLib::WritePNG(path, out)) {
        std::fprintf(stderr, "%s: the screenshot \"%s\" could not be written\n",
                     m_identity.productName.c_str(), path.c_str());
        return {};
    }
    if (playback) {
        ++m_playbackScreenshots;
    }
    m_flashFrames = 12;  // about a tenth of a second of white edge says "taken"
    constexpr uint32_t kNoteMs = 2000;
    m_screenshotNote.text = "Screenshot saved: " + std::filesystem::path(path).filename().string();
    m_screenshotNote.until = Now() + kNoteMs;
    m_screenshotNote.onScreen = false;
    m_widgetManager->MarkAllDirty();
    return path;
}

int BriskAppBase::DrawScreenshotFlash(bool widgetsDrawn) {
    Image* screen = m_widgetManager->GetScreenImage();
    ScreenshotNote& note = m_screenshotNote;
    int drawn = 0;
    if (!note.text.empty() && screen != nullptr) {
        if (static_cast<int32_t>(Now() - note.until) >= 0) {  // wraps like the tick count
            note.text.clear();
            if (note.onScreen) {
                note.onScreen = false;
                m_widgetManager->MarkAllDirty();  // the next draw paints the note over
            }
        } else if (!note.onScreen || widgetsDrawn) {
            // Top left, clear of every screen's controls: a dark plate and pale text.
            if (note.font == nullptr) {
                note.font = CreateSystemFont("Arial Unicode MS", 10, kFontBold);
            }
            Graphics g(screen);
            g.SetFont(note.font.get());
            const int width = note.font->StringWidth(note.text) + 24;
            const int height = note.font->GetHeight() + 12;
            g.SetColor(Color(20, 20, 24, 210));
            g.FillRect(12, 12, width, height);
            g.SetColor(Color(255, 244, 200));
            g.DrawString(note.text, 24, 18 + note.font->GetAscent());
            note.onScreen = true;
            drawn = 1;
        }
    }
    if (m_flashFrames <= 0) {
        return drawn;
    }
    if (screen != nullptr) {
        Graphics g(screen);
        g.SetColor(Color(255, 255, 255, 200));
        const int w = screen->GetWidth();
        const int h = screen->GetHeight();
        constexpr int kEdge = 6;
        g.FillRect(0, 0, w, kEdge);
        g.FillRect(0, h - kEdge, w, kEdge);
        g.FillRect(0, kEdge, kEdge, h - 2 * kEdge);
        g.FillRect(w - kEdge, kEdge, kEdge, h - 2 * kEdge);
    }
    if (--m_flashFrames == 0) {
        m_widgetManager->MarkAllDirty();  // the next draw paints the edge over
    }
    return m_flashFrames + 1;
}

}  // namespace Brisk
