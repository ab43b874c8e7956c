// The command line, the per-user settings that stand in for the registry,
// the string table and the screen-mode rules.

#include <gtest/gtest.h>

#include "support/AppStateAccess.h"
#include "support/TempDir.h"
#include "support/TestApp.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "framework/platform/Process.h"
#include "framework/platform/SettingsStore.h"

using TestSupport::ExitCalled;
using TestSupport::TestApp;
namespace fs = std::filesystem;

namespace {

// Records every switch and every popup instead of acting on unknown ones.
class SwitchApp : public TestApp {
public:
    void HandleCommandLineParam(const std::string& name, const std::string& value) override {
        switches.emplace_back(name, value);
        TestApp::HandleCommandLineParam(name, value);
    }
    void Popup(const std::string& text) override { popups.push_back(text); }
    std::vector<std::pair<std::string, std::string>> switches;
    std::vector<std::string> popups;
};

struct LineCase {
    const char* what;
    const char* text;
    std::vector<std::pair<std::string, std::string>> expected;
};

class CommandLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(CommandLineTest, SplitsIntoSwitchesAndValues) {
    SwitchApp app;
    app.ParseCommandLineText(GetParam().text);
    EXPECT_EQ(app.switches, GetParam().expected);
    EXPECT_TRUE(app.popups.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineTest,
    ::testing::Values(LineCase{"QuotedAbsolutePathWithASpace",
                               R"(-demofile="/home/a b/demo one.dmo")",
                               {{"-demofile", "/home/a b/demo one.dmo"}}},
                      LineCase{"NoEqualsMeansAnEmptyValue", "-record", {{"-record", ""}}},
                      LineCase{"SeveralSpacesAndTrailingSpaces",
                               "-play    -screensaver   ",
                               {{"-play", ""}, {"-screensaver", ""}}},
                      LineCase{
                          "EqualsInsideTheValueStays", "-changedir=/x=y", {{"-changedir", "/x=y"}}},
                      LineCase{"NothingAtAll", "   ", {}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(CommandLine, SwitchesSetWhatTheyName) {
    SwitchApp app;
    AppStateAccess::Identity(app).appDataFolder = "/data/";
    app.ParseCommandLineText(R"(-demofile="/abs/a b.dmo")");
    EXPECT_EQ(AppStateAccess::CommandLine(app).demoFileName,
              "/abs/a b.dmo");  // absolute: no folder prefix
    app.ParseCommandLineText("-demofile=rel.dmo");
    EXPECT_EQ(AppStateAccess::CommandLine(app).demoFileName, "/data/rel.dmo");
    app.ParseCommandLineText("-play");
    EXPECT_TRUE(AppStateAccess::CommandLine(app).playingDemo);
    EXPECT_FALSE(AppStateAccess::CommandLine(app).recordingDemo);
    app.ParseCommandLineText("-record");
    EXPECT_TRUE(AppStateAccess::CommandLine(app).recordingDemo);
    EXPECT_FALSE(AppStateAccess::CommandLine(app).playingDemo);
    app.ParseCommandLineText("-screensaver -changedir=/tmp/game");
    EXPECT_TRUE(AppStateAccess::CommandLine(app).screensaverMode);
    EXPECT_EQ(AppStateAccess::Identity(app).startDirectory, "/tmp/game/");
}

class DemoFilesTest : public TestSupport::TempDirTest {
protected:
    void Make(int number) { std::ofstream("briskapp" + std::to_string(number) + ".dmo") << "x"; }
    SwitchApp app;
};

TEST_F(DemoFilesTest, RecnumKeepsFiveForEmptyOrNonPositiveCounts) {
    for (const char* value : {"-recnum", "-recnum=", "-recnum=0", "-recnum=-3"}) {
        AppStateAccess::CommandLine(app).recordDemoCount = 1;
        app.ParseCommandLineText(value);
        EXPECT_EQ(AppStateAccess::CommandLine(app).recordDemoCount, 5) << value;
        EXPECT_TRUE(AppStateAccess::CommandLine(app).recordingDemo);
    }
}

TEST_F(DemoFilesTest, RecnumAndPlaynumNumberTheDemoFiles) {
    AppStateAccess::Identity(app).appDataFolder = fs::current_path().string() + "/";
    for (int n : {2, 4, 7}) {
        Make(n);
    }
    // Reading the switch deletes nothing: that waits for the one-copy check.
    app.ParseCommandLineText("-recnum=1");
    EXPECT_TRUE(fs::exists("briskapp2.dmo") && fs::exists("briskapp4.dmo"));
    EXPECT_EQ(AppStateAccess::CommandLine(app).demoFileName,
              AppStateAccess::Identity(app).appDataFolder + "briskapp8.dmo");
    // The n-th most recent of those there are, with gaps in the numbers.
    const struct {
        const char* arg;
        int number;
    } plays[] = {{"-playnum", 7}, {"-playnum=2", 4}, {"-playnum=3", 2}};
    for (const auto& play : plays) {
        app.ParseCommandLineText(play.arg);
        EXPECT_EQ(AppStateAccess::CommandLine(app).demoFileName,
                  AppStateAccess::Identity(app).appDataFolder + "briskapp" +
                      std::to_string(play.number) + ".dmo")
            << play.arg;
        EXPECT_TRUE(AppStateAccess::CommandLine(app).demoMissing.empty()) << play.arg;
        EXPECT_TRUE(AppStateAccess::CommandLine(app).playingDemo);
    }
    app.ParseCommandLineText("-playnum=4");
    EXPECT_EQ(AppStateAccess::CommandLine(app).demoMissing,
              "there are 3 numbered recordings, not 4");
}

struct ArgvCase {
    const char* what;
    std::vector<const char*> argv;
    std::vector<std::pair<std::string, std::string>> expected;
};

class ProcessArgumentsTest : public ::testing::TestWithParam<ArgvCase> {
protected:
    void TearDown() override { Brisk::Platform::SetCommandLine(0, nullptr); }
};

// Switches come from the arguments alone: the program's path is never read
// as one, and each argument is one switch whatever quotes or spaces it holds.
TEST_P(ProcessArgumentsTest, EachArgumentIsOneSwitch) {
    SwitchApp app;
    const auto& argv = GetParam().argv;
    Brisk::Platform::SetCommandLine(static_cast<int>(argv.size()), argv.data());
    EXPECT_NO_THROW(app.ParseCommandLine());
    EXPECT_EQ(app.switches, GetParam().expected);
    EXPECT_TRUE(app.popups.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Argv, ProcessArgumentsTest,
    ::testing::Values(
        ArgvCase{"QuotesInTheProgramsFolder", {R"(/home/x/John's "games"/vornique)"}, {}},
        ArgvCase{"AQuoteAndASpaceInTheFolderBeforeASwitch",
                 {R"(/home/x/John's "my games"/vornique)", "-screensaver"},
                 {{"-screensaver", ""}}},
        ArgvCase{"ASpaceInsideAnArgument",
                 {"/opt/vornique", "-demofile=/a b/c.dmo", "-record"},
                 {{"-demofile", "/a b/c.dmo"}, {"-record", ""}}},
        ArgvCase{"QuotesInsideAValueAreKept",
                 {"/opt/vornique", R"(-changedir=/home/x/John's "games")"},
                 {{"-changedir", R"(/home/x/John's "games")"}}},
        ArgvCase{"AnEmptyArgumentIsNoSwitch", {"/opt/vornique", ""}, {}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(CommandLine, AnUnknownSwitchEndsTheProgramWithItsName) {
    SwitchApp app;
    try {
        app.ParseCommandLineText("-play -fast");
        FAIL() << "did not exit";
    } catch (const ExitCalled& e) {
        EXPECT_EQ(e.code, 1);
    }
    ASSERT_EQ(app.popups.size(), 1u);
    EXPECT_EQ(app.popups[0], "Invalid command line parameter: -fast");
    app.SetString("INVALID_COMMANDLINE_PARAM", "Unbekannt: ");
    EXPECT_THROW(app.ParseCommandLineText("-Play"), ExitCalled);  // names are case-sensitive
    EXPECT_EQ(app.popups.back(), "Unbekannt: -Play");
}

TEST(StringTable, BuiltInTextsAndReplacements) {
    TestApp app;
    EXPECT_EQ(app.GetString("DIALOG_BUTTON_OK", "?"), "OK");
    EXPECT_EQ(app.GetString("UP_TO_DATE_TITLE", "?"), "Up to Date");
    EXPECT_EQ(app.GetString("MISSING", "fallback"), "fallback");
    app.SetString("DIALOG_BUTTON_OK", "Fine");
    EXPECT_EQ(app.GetString("DIALOG_BUTTON_OK", "?"), "Fine");
}

class RegistryTest : public TestSupport::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        root = fs::current_path().string() + "/config";
    }
    // A fresh application that has read the settings under `key`.
    std::unique_ptr<TestApp> App(const std::string& key) {
        auto app = std::make_unique<TestApp>();
        app->SetSettingsRoot(root);
        app->SetString("RegistryKey", key);
        app->ReadFromRegistry();
        return app;
    }
    std::string root;
};

TEST_F(RegistryTest, WithoutAKeyNothingIsReadOrWritten) {
    auto app = App("");
    EXPECT_FALSE(app->RegistryWriteInteger("MusicVolume", 10));
    int value = 0;
    EXPECT_FALSE(app->RegistryReadInteger("MusicVolume", &value));
    app->WriteToRegistry();
    EXPECT_FALSE(fs::exists(root));
    EXPECT_DOUBLE_EQ(AppStateAccess::Volumes(*app).music, 0.85);
}

TEST_F(RegistryTest, SettingsSurviveARunAndMarkItInProgress) {
    {
        auto app = App("Tests\\Vornique");
        AppStateAccess::Volumes(*app).music = 0.42;
        AppStateAccess::Volumes(*app).sfx = 0.5;
        AppStateAccess::Window(*app).isWindowed = false;
        AppStateAccess::Window(*app).preferredX = 30;
        AppStateAccess::Window(*app).preferredY = 40;
        AppStateAccess::Timing(*app).waitForVSync = true;
        int inProgress = 0;
        EXPECT_TRUE(app->RegistryReadInteger("InProgress", &inProgress));
        EXPECT_EQ(inProgress, 1);  // until the run ends
        app->WriteToRegistry();
    }
    EXPECT_TRUE(fs::exists(root + "/SOFTWARE/Tests/Vornique/settings.conf"));
    auto app = App("Tests\\Vornique");
    EXPECT_DOUBLE_EQ(AppStateAccess::Volumes(*app).music, 0.42);
    EXPECT_DOUBLE_EQ(AppStateAccess::Volumes(*app).sfx, 0.5);
    EXPECT_FALSE(AppStateAccess::Window(*app).isWindowed);
    EXPECT_EQ(AppStateAccess::Window(*app).preferredX, 30);
    EXPECT_EQ(AppStateAccess::Window(*app).preferredY, 40);
    EXPECT_TRUE(AppStateAccess::Timing(*app).waitForVSync);
    EXPECT_TRUE(AppStateAccess::Life(*app).lastRunClean);
}

TEST_F(RegistryTest, OnlyExplicitMutesAreRemembered) {
    auto app = App("Tests\\Mute");
    int muted = -1;
    app->Mute(true);  // focus loss
    app->WriteToRegistry();
    ASSERT_TRUE(app->RegistryReadInteger("Muted", &muted));
    EXPECT_EQ(muted, 0);
    app->Mute(false);  // the player
    app->WriteToRegistry();
    ASSERT_TRUE(app->RegistryReadInteger("Muted", &muted));
    EXPECT_EQ(muted, 1);
}

TEST_F(RegistryTest, TypesSubKeysAndBadFiles) {
    auto app = App("Tests\\Types");
    EXPECT_TRUE(app->RegistryWriteString("Name", "Anna"));
    int value = 0;
    EXPECT_FALSE(app->RegistryReadInteger("Name", &value));  // a string is not an integer
    EXPECT_TRUE(app->RegistryWriteInteger("Test3D\\Result", -7));
    ASSERT_TRUE(app->RegistryReadInteger("Test3D\\Result", &value));
    EXPECT_EQ(value, -7);
    EXPECT_TRUE(fs::exists(root + "/SOFTWARE/Tests/Types/Test3D/settings.conf"));
    bool flag = false;
    EXPECT_TRUE(app->RegistryReadBoolean("Test3D\\Result", &flag));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(app->RegistryEraseValue("Test3D\\Result"));
    EXPECT_FALSE(app->RegistryReadInteger("Test3D\\Result", &value));
    EXPECT_FALSE(app->RegistryEraseValue("Test3D\\Result"));
    EXPECT_FALSE(app->RegistryWriteInteger("..\\..\\escape", 1));  // cannot leave the store

    // A damaged file reads as far as it makes sense and never fails the program.
    std::ofstream(root + "/SOFTWARE/Tests/Types/settings.conf")
        << "garbage\n\t\t\nzz\t4\t01000000\n"
        << "4d7573696356\t4\t2a000000\n";
    EXPECT_FALSE(app->RegistryReadInteger("Name", &value));
    ASSERT_TRUE(app->RegistryReadInteger("MusicV", &value));
    EXPECT_EQ(value, 42);
}

TEST(ScreenMode, ForcedFullScreenStaysFullScreen) {
    TestApp app;
    app.Init();
    ASSERT_NE(app.GetWindow(), nullptr);
    AppStateAccess::Window(app).forceFullscreen = true;
    app.SwitchScreenMode(true, false, false);
    EXPECT_FALSE(AppStateAccess::Window(app).isWindowed);
    EXPECT_FALSE(AppStateAccess::Window(app).windowIsWindowed);
    AppStateAccess::Window(app).forceFullscreen = false;
    app.SwitchScreenMode(true);
    EXPECT_TRUE(AppStateAccess::Window(app).isWindowed);
    EXPECT_TRUE(AppStateAccess::Window(app).windowIsWindowed);
}

}  // namespace
