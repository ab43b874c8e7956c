// Demo files: the format's round trip and its refusals, and a recording
// played back by a second application object.

#include <gtest/gtest.h>

#include "support/AppStateAccess.h"
#include "support/TempDir.h"
#include "support/TestApp.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/app/Demo.h"
#include "framework/platform/Paths.h"
#include "framework/widgets/WidgetManager.h"

using Brisk::Demo;
using Brisk::DemoEvent;
using Brisk::DemoRecord;
using Brisk::DemoWriter;
using Brisk::ParseDemo;
using Brisk::Platform::MessageId;
using Brisk::Platform::WindowMessage;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr uint32_t kRules = 7;

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

DemoEvent Message(uint32_t update, MessageId id, int64_t w, int64_t l) {
    DemoEvent e;
    e.update = update;
    e.message = {0, id, w, l};
    return e;
}

class DemoFormat : public TestSupport::TempDirTest {
protected:
    // A demo with one record of every kind; `finish` writes its End record.
    Bytes Written(bool finish = true) {
        const std::string path = (m_dir / "a.dmo").string();
        std::string error;
        auto writer = DemoWriter::Create(path, {kRules, "Vornique", "1.0"}, &error);
        EXPECT_NE(writer, nullptr) << error;
        writer->Seed(1234, 1796979600);
        writer->Window(false, 60);
        writer->File({"save/Ann.usr", Bytes{1, 'A', 'n', 'n'}});
        writer->Event(Message(3, MessageId::LButtonDown, 1, 0x0014000A));
        DemoEvent loaded;
        loaded.kind = DemoRecord::Loaded;
        loaded.update = 5;
        writer->Event(loaded);
        DemoEvent setting;
        setting.kind = DemoRecord::Registry;
        setting.update = 5;
        setting.name = "Vol\\Music";
        setting.flag = true;
        setting.value = {Brisk::Platform::ValueType::Dword, {85, 0, 0, 0}};
        writer->Event(setting);
        DemoEvent inside;
        inside.kind = DemoRecord::MouseInside;
        inside.update = 9;
        inside.x = -3;
        inside.y = 700;
        writer->Event(inside);
        DemoEvent box;
        box.kind = DemoRecord::MsgBox;
        box.update = 9;
        box.answer = 7;
        writer->Event(box);
        writer->Event(Message(12, MessageId::KeyDown, 'Q', 0));
        if (finish) {
            EXPECT_TRUE(writer->Finish(20));
        }
        writer.reset();
        return ReadAll(path);
    }
};

TEST_F(DemoFormat, EveryRecordComesBackAsWritten) {
    std::string error;
    const auto demo = ParseDemo(Written(), kRules, &error);
    ASSERT_TRUE(demo) << error;
    EXPECT_EQ(demo->header.product, "Vornique");
    EXPECT_EQ(demo->header.version, "1.0");
    EXPECT_EQ(*demo->seed, 1234u);
    EXPECT_EQ(demo->startDate, 1796979600);
    EXPECT_FALSE(demo->windowed);
    EXPECT_EQ(demo->refreshRate, 60);
    ASSERT_EQ(demo->files.size(), 1u);
    EXPECT_EQ(demo->files[0].path, "save/Ann.usr");
    EXPECT_EQ(demo->files[0].bytes, (Bytes{1, 'A', 'n', 'n'}));
    EXPECT_TRUE(demo->finished);
    EXPECT_EQ(demo->endUpdate, 20u);
    ASSERT_EQ(demo->steps.size(), 6u);
    std::vector<DemoEvent> e;
    for (size_t i = 0; i < demo->steps.size(); ++i) {
        e.push_back(demo->Event(i));
    }
    EXPECT_EQ(e[0].kind, DemoRecord::Message);
    EXPECT_EQ(e[0].update, 3u);
    EXPECT_EQ(e[0].message.message, MessageId::LButtonDown);
    EXPECT_EQ(e[0].message.lparam, 0x0014000A);
    EXPECT_EQ(e[1].kind, DemoRecord::Loaded);
    EXPECT_EQ(e[2].name, "Vol\\Music");
    EXPECT_TRUE(e[2].flag);
    EXPECT_EQ(e[2].value.data, (Bytes{85, 0, 0, 0}));
    EXPECT_EQ(e[3].x, -3);
    EXPECT_EQ(e[3].y, 700);
    EXPECT_EQ(e[4].answer, 7);
    EXPECT_EQ(e[5].message.wparam, 'Q');
}

TEST_F(DemoFormat, ARecordingCutOffBetweenRecordsStillPlays) {
    std::string error;
    const auto demo = ParseDemo(Written(false), kRules, &error);
    ASSERT_TRUE(demo) << error;
    EXPECT_FALSE(demo->finished);
    EXPECT_EQ(demo->endUpdate, 12u);  // its last event
    EXPECT_EQ(demo->steps.size(), 6u);
}

// Where the records start: after the magic, format, rules and the two texts;
// then the seed and start date (17 bytes with its length), the window (10),
// the file and the first message.
constexpr size_t kFirstRecord = 8 + 2 + 4 + 2 + 8 + 2 + 3;
constexpr size_t kFile = kFirstRecord + 17 + 10;
constexpr size_t kMessage = kFile + 4 + 1 + 2 + 12 + 4 + 4;

struct BadDemo {
    const char* name;
    void (*damage)(Bytes*);
    const char* says;
};

const BadDemo kBadDemos[] = {
    {"empty", [](Bytes* b) { b->clear(); }, "is not a demo file"},
    {"text", [](Bytes* b) { *b = Bytes{'h', 'e', 'l', 'l', 'o', '\n', 0, 0, 0, 0}; },
     "is not a demo file"},
    {"header cut", [](Bytes* b) { b->resize(12); }, "cut off in its header"},
    {"newer format", [](Bytes* b) { (*b)[8] = 9; }, "demo format 9"},
    {"other rules", [](Bytes* b) { (*b)[10] = 6; }, "Vornique 1.0 under game rules 6"},
    {"cut inside a record", [](Bytes* b) { b->resize(b->size() - 3); }, "cut off at byte"},
    {"zero-length record",
     [](Bytes* b) {
         b->insert(b->end(), {0, 0, 0, 0});
     },
     "cut off at byte"},
    {"unknown record", [](Bytes* b) { (*b)[kFirstRecord + 4] = 77; }, "unknown type 77"},
    {"record too long for its fields",
     [](Bytes* b) {
         // The seed record claims 17 bytes: the seed, the date and four more.
         (*b)[kFirstRecord] = 17;
         b->insert(b->begin() + kFirstRecord + 17, {0, 0, 0, 0});
     },
     "damaged record"},
    {"back in time",
     [](Bytes* b) {
         const uint8_t back[] = {5, 0, 0, 0, static_cast<uint8_t>(DemoRecord::Terminate),
                                 1, 0, 0, 0};
         // Before the End record (the last 9 bytes): an event at update 1 after update 12.
         b->insert(b->end() - 9, std::begin(back), std::end(back));
     },
     "back in time"},
    {"after its end",
     [](Bytes* b) {
         const Bytes end(b->end() - 9, b->end());
         b->insert(b->end(), end.begin(), end.end());
     },
     "after its end record"},
    {"file outside the folder",
     [](Bytes* b) { (*b)[kFile + 7] = '/'; },  // "save/Ann.usr" becomes "/ave/Ann.usr"
     "outside the player's folder"},
    {"unknown message", [](Bytes* b) { (*b)[kMessage + 9] = 250; }, "message of unknown kind 250"},
    // Records out of the order a run makes them, each added before the End record.
    {"window before the seed",
     [](Bytes* b) {
         std::rotate(b->begin() + kFirstRecord, b->begin() + kFirstRecord + 17,
                     b->begin() + kFirstRecord + 27);
     },
     "does not start with its deal"},
    {"a second seed",
     [](Bytes* b) {
         const uint8_t seed[] = {5, 0, 0, 0, static_cast<uint8_t>(DemoRecord::Seed), 9, 0, 0, 0};
         b->insert(b->end() - 9, std::begin(seed), std::end(seed));
     },
     "a second deal"},
    {"seed with half a date",
     [](Bytes* b) {
         (*b)[kFirstRecord] = 9;
         b->erase(b->begin() + kFirstRecord + 13, b->begin() + kFirstRecord + 17);
     },
     "damaged record"},
    {"loading twice",
     [](Bytes* b) {
         const uint8_t loaded[] = {5,  0, 0, 0, static_cast<uint8_t>(DemoRecord::Loaded),
                                   12, 0, 0, 0};
         b->insert(b->end() - 9, std::begin(loaded), std::end(loaded));
     },
     "finishes loading twice"},
    {"a file after loading",
     [](Bytes* b) {
         const uint8_t file[] = {8, 0, 0, 0, static_cast<uint8_t>(DemoRecord::File), 1, 0, 'a',
                                 0, 0, 0, 0};
         b->insert(b->end() - 9, std::begin(file), std::end(file));
     },
     "start of its run after loading"},
};

TEST_F(DemoFormat, DamagedOrForeignFilesAreRefusedWithTheReason) {
    const Bytes good = Written();
    for (const BadDemo& bad : kBadDemos) {
        SCOPED_TRACE(bad.name);
        Bytes bytes = good;
        bad.damage(&bytes);
        std::string error;
        EXPECT_FALSE(ParseDemo(bytes, kRules, &error));
        EXPECT_NE(error.find(bad.says), std::string::npos) << error;
    }
}

// Demos recorded before runs kept their start date give the seed alone.
TEST_F(DemoFormat, ASeedWithoutADatePlaysUndated) {
    Bytes bytes = Written();
    (*(bytes.begin() + kFirstRecord)) = 5;
    bytes.erase(bytes.begin() + kFirstRecord + 9, bytes.begin() + kFirstRecord + 17);
    std::string error;
    const auto demo = ParseDemo(bytes, kRules, &error);
    ASSERT_TRUE(demo) << error;
    EXPECT_EQ(*demo->seed, 1234u);
    EXPECT_FALSE(demo->startDate);
    EXPECT_EQ(demo->files.size(), 1u);
}

TEST_F(DemoFormat, ADemoWithoutASeedNeverStartedAndIsRefused) {
    const std::string path = (m_dir / "b.dmo").string();
    std::string error;
    ASSERT_TRUE(DemoWriter::Create(path, {kRules, "Vornique", "1.0"}, &error));
    EXPECT_FALSE(ParseDemo(ReadAll(path), kRules, &error));
    EXPECT_NE(error.find("no deal"), std::string::npos) << error;
}

// --- in the application ---------------------------------------------------------

// A widget that notes each press and release with the update it came after.
class TimedWidget : public Brisk::Widget {
public:
    std::vector<std::string> events;

    explicit TimedWidget(TestSupport::TestApp* app) : m_app(app) {}
    void MouseDown(int x, int y, int clicks) override {
        events.push_back(std::to_string(m_app->CountUpdates()) + ": down " + std::to_string(x) +
                         "," + std::to_string(y) + " " + std::to_string(clicks));
    }
    void MouseUp(int x, int y, int clicks) override {
        events.push_back(std::to_string(m_app->CountUpdates()) + ": up " + std::to_string(x) + "," +
                         std::to_string(y) + " " + std::to_string(clicks));
    }
    void KeyDown(int key) override {
        events.push_back(std::to_string(m_app->CountUpdates()) + ": key " + std::to_string(key));
    }

private:
    TestSupport::TestApp* m_app;
};

class DemoInApp : public TestSupport::TempDirTest {
protected:
    // An application started with `commandLine`, its loading done, with a
    // widget over the whole window.
    void Start(TestSupport::TestApp& app, TimedWidget& widget, const std::string& commandLine) {
        AppStateAccess::Identity(app).productName = "DemoTest";
        AppStateAccess::Loading(app).threadStarted = true;
        AppStateAccess::Loading(app).threadCompleted = true;
        app.ParseCommandLineText(commandLine);
        app.Init();
        widget.Resize(0, 0, 640, 480);
        app.GetWidgetManager()->AddWidget(&widget);
        app.GetWidgetManager()->SetFocus(&widget);
    }
    void Run(TestSupport::TestApp& app, int ms) {
        for (int t = 0; t < ms && !app.IsShutdown(); t += 10) {
            app.clock.Advance(10'000);
            app.RunUntilSleep();
        }
    }
    WindowMessage Mouse(TestSupport::TestApp& app, MessageId id, int x, int y) {
        return {app.GetMainWindowId(), id, 0, Brisk::Platform::MakePointParam(x, y)};
    }
    std::string demoPath() const { return (m_dir / "play.dmo").string(); }
    // Records `ms` of a run without input into demoPath().
    void RecordIdle(int ms) {
        TestSupport::TestApp app;
        TimedWidget widget(&app);
        Start(app, widget, "-record -demofile=" + demoPath());
        Run(app, ms);
        app.Shutdown();
        app.GetWidgetManager()->RemoveWidget(&widget);
    }
};

TEST_F(DemoInApp, APlaybackRepeatsTheRecordedInputAtTheRecordedUpdates) {
    std::vector<std::string> recorded;
    {
        TestSupport::TestApp app;
        TimedWidget widget(&app);
        Start(app, widget, "-record -demofile=" + demoPath());
        Run(app, 50);
        app.HandleWindowMessage(Mouse(app, MessageId::LButtonDown, 30, 40));
        Run(app, 70);
        app.HandleWindowMessage(Mouse(app, MessageId::LButtonUp, 31, 41));
        Run(app, 30);
        app.HandleWindowMessage({app.GetMainWindowId(), MessageId::KeyDown, 'Z', 0});
        Run(app, 40);
        app.Shutdown();
        recorded = widget.events;
        app.GetWidgetManager()->RemoveWidget(&widget);
    }
    ASSERT_EQ(recorded.size(), 3u);

    TestSupport::TestApp app;
    TimedWidget widget(&app);
    Start(app, widget, "-play -demofile=" + demoPath());
    EXPECT_TRUE(app.IsPlayingDemo());
    // The player's own input is held back while the demo plays.
    app.HandleWindowMessage(Mouse(app, MessageId::LButtonDown, 300, 300));
    Run(app, 250);
    EXPECT_EQ(widget.events, recorded);
    EXPECT_FALSE(app.IsPlayingDemo());  // played to its end: the player's input counts again
    app.GetWidgetManager()->RemoveWidget(&widget);
}

TEST_F(DemoInApp, TheCloseBoxEndsAPlayback) {
    RecordIdle(500);
    TestSupport::TestApp app;
    TimedWidget widget(&app);
    Start(app, widget, "-play -demofile=" + demoPath());
    Run(app, 50);
    app.HandleWindowMessage({app.GetMainWindowId(), MessageId::Close, 0, 0});
    Run(app, 20);
    EXPECT_TRUE(app.IsShutdown());
    app.GetWidgetManager()->RemoveWidget(&widget);
}

// A demo that cannot be played ends the program at once with exit code 0
// and a message naming the file and what is wrong with it.
TEST_F(DemoInApp, ADemoThatCannotBePlayedEndsTheProgramQuietly) {
    WriteAll((m_dir / "foreign.dmo").string(),
             Bytes{'n', 'o', 't', ' ', 'a', ' ', 'd', 'e', 'm', 'o'});
    // Whole, only over the cap (sparse: no disk space taken).
    WriteAll((m_dir / "huge.dmo").string(), Bytes{'V', 'Q', 'D', 'E', 'M', 'O', '\r', '\n'});
    std::filesystem::resize_file(m_dir / "huge.dmo", 100u << 20);
    const struct {
        std::string file;
        const char* says;
    } cases[] = {{(m_dir / "missing.dmo").string(), "No such file"},
                 {(m_dir / "foreign.dmo").string(), "is not a demo file"},
                 {(m_dir / "huge.dmo").string(), "it is larger than the 64 MiB a demo may hold"},
                 {m_dir.string(), ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        TestSupport::TestApp app;
        TimedWidget widget(&app);
        testing::internal::CaptureStderr();
        int code = -1;
        try {
            Start(app, widget, "-play -demofile=" + c.file);
        } catch (const TestSupport::ExitCalled& exit) {
            code = exit.code;
        }
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(code, 0);
        EXPECT_NE(err.find("\"" + c.file + "\" cannot be played"), std::string::npos) << err;
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
        EXPECT_FALSE(app.IsPlayingDemo());
    }
}

// "-recnum=2" with three older recordings: the new one and the newest old
// one stay, whatever the gaps between their numbers.
TEST_F(DemoInApp, RecnumKeepsExactlyTheLastRecordings) {
    TestSupport::TestApp app;
    TimedWidget widget(&app);
    AppStateAccess::Identity(app).productName = "DemoTest";
    const std::filesystem::path data =
        std::filesystem::path(Brisk::Platform::DataHome()) / "DemoTest";
    std::filesystem::remove_all(data);
    std::filesystem::create_directories(data);
    for (const char* old : {"briskapp2.dmo", "briskapp4.dmo", "briskapp7.dmo"}) {
        WriteAll((data / old).string(), Bytes{'o', 'l', 'd'});
    }
    // The folder Init finds; the switch is read here before it, as in Start.
    AppStateAccess::Identity(app).appDataFolder = data.string() + "/";
    Start(app, widget, "-recnum=2");
    std::vector<std::string> kept;
    for (const auto& entry : std::filesystem::directory_iterator(data)) {
        if (entry.path().extension() == ".dmo") {
            kept.push_back(entry.path().filename().string());
        }
    }
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<std::string>{"briskapp7.dmo", "briskapp8.dmo"}));
    app.Shutdown();
    app.GetWidgetManager()->RemoveWidget(&widget);
}

// The player's settings (a registry key configured) are neither marked as
// in use nor written back by a playback.
TEST_F(DemoInApp, APlaybackLeavesThePlayersSettingsAlone) {
    RecordIdle(100);
    const std::filesystem::path settings = m_dir / "settings";
    TestSupport::TestApp app;
    TimedWidget widget(&app);
    app.SetSettingsRoot(settings.string());
    app.SetString("RegistryKey", "Tests\\Playback");
    Start(app, widget, "-play -demofile=" + demoPath());
    Run(app, 300);
    app.Shutdown();
    EXPECT_FALSE(std::filesystem::exists(settings) && !std::filesystem::is_empty(settings));
    app.GetWidgetManager()->RemoveWidget(&widget);
}

TEST_F(DemoInApp, ARecordingThatCannotBeWrittenLeavesTheGamePlaying) {
    const std::string path = (m_dir / "no-such-folder" / "x.dmo").string();
    TestSupport::TestApp app;
    TimedWidget widget(&app);
    testing::internal::CaptureStderr();
    Start(app, widget, "-record -demofile=" + path);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("cannot be recorded to \"" + path + "\""), std::string::npos) << err;
    EXPECT_FALSE(app.IsRecordingDemo());
    app.HandleWindowMessage(Mouse(app, MessageId::LButtonDown, 5, 6));
    Run(app, 30);
    EXPECT_EQ(widget.events.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(path));
    app.GetWidgetManager()->RemoveWidget(&widget);
}

}  // namespace
