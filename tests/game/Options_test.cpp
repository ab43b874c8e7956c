// The options a player sets: the machine-wide ones in "options.opt" after its
// six bytes, the comfort ones in the player's profile. Bytes are spelled out,
// so the tests check the format and not the writer against itself.

#include <gtest/gtest.h>

#include "support/ProfileBytes.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "game/Profiles.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Gamespace::ComfortOptions;
using Gamespace::OptionValues;
using Gamespace::Player;
using Gamespace::PlayerList;
using TestSupport::Block;
using TestSupport::Joined;
using TestSupport::SavedProfile;
namespace fs = std::filesystem;

using TestSupport::ReadBytes;
using TestSupport::WriteBytes;

class OptionsFilesTest : public TestSupport::TempDirTest {
protected:
    void TearDown() override {
        PlayerList::Destroy();
        Gamespace::GetOptionValues() = {};
        TempDirTest::TearDown();
    }
    // What a new start of the game finds.
    static void Restart() {
        PlayerList::Destroy();
        Gamespace::GetOptionValues() = {};
        PlayerList::Instance()->LoadAll();
        Gamespace::LoadOptions();
    }
    static Player& Only() {
        auto& players = PlayerList::Instance()->GetPlayers();
        EXPECT_EQ(players.size(), 1u);
        return *players.front();
    }
};

const Bytes kSix = {0, 20, 0, 40, 0, 3};

struct ComfortCase {
    const char* what;
    ComfortOptions comfort;
    Bytes body;
};

const ComfortCase kComfortCases[] = {
    {"NoPreview", {0, false, false}, {0, 0, 0}},
    {"FiveSeconds", {5, false, false}, {5, 0, 0}},
    {"TenSecondsClockHidden", {10, true, false}, {10, 1, 0}},
    {"ReduceMotion", {3, false, true}, {3, 0, 1}},
    {"Everything", {0, true, true}, {0, 1, 1}},
};

// Every comfort option is written as its block, and survives a restart.
TEST_F(OptionsFilesTest, ComfortOptionsRoundTripThroughTheProfile) {
    for (const ComfortCase& c : kComfortCases) {
        SCOPED_TRACE(c.what);
        PlayerList::Destroy();
        fs::remove_all("save");
        PlayerList::Instance()->Add(Player(true, "Ann", Gamespace::kEasy));
        Only().comfort = c.comfort;
        ASSERT_TRUE(PlayerList::Instance()->SaveAll());
        EXPECT_EQ(ReadBytes("save/Ann.usr"),
                  Joined({SavedProfile(1, "Ann", 0), Block("CMFT", 1, c.body)}));
        Restart();
        EXPECT_EQ(Only().comfort, c.comfort);
        EXPECT_EQ(Gamespace::ReduceMotion(), c.comfort.reduceMotion);
    }
}

// A profile from before the comfort options loads with the usual ones, and
// stays as it is until the player changes one.
TEST_F(OptionsFilesTest, AnOldProfileLoadsWithTheUsualComfort) {
    const Bytes old = SavedProfile(1, "Bo", 2, {{{}, {}, {3, 70, 14}}});
    WriteBytes("save/Bo.usr", old);
    PlayerList::Instance()->LoadAll();
    EXPECT_EQ(Only().comfort, ComfortOptions{});
    EXPECT_EQ(Only().comfort.previewSeconds, 3);
    EXPECT_FALSE(Gamespace::ReduceMotion());
    ASSERT_TRUE(PlayerList::Instance()->SaveAll());
    EXPECT_EQ(ReadBytes("save/Bo.usr"), old);
}

// A damaged comfort block costs the comfort options alone: the player, their
// bests and every other block load.
TEST_F(OptionsFilesTest, ADamagedComfortBlockIsDroppedAlone) {
    const Bytes cases[] = {
        {5, 0},        // cut short
        {5, 0, 0, 0},  // a byte too many
        {4, 0, 0},     // a preview length nobody can choose
        {3, 2, 0},     // a flag that is neither on nor off
        {3, 0, 7},
    };
    const Bytes newer = Block("Zzz1", 2, {1, 2, 3});
    for (const Bytes& body : cases) {
        SCOPED_TRACE(testing::PrintToString(body));
        PlayerList::Destroy();
        WriteBytes("save/Cy.usr", Joined({SavedProfile(1, "Cy", 1, {{{}, {2, 30, 9}, {}}}),
                                          Block("CMFT", 1, body), newer}));
        PlayerList::Instance()->LoadAll();
        Player& cy = Only();
        EXPECT_EQ(cy.comfort, ComfortOptions{});
        EXPECT_EQ(cy.bests[1], (Gamespace::PersonalBest{2, 30, 9}));
        ASSERT_EQ(cy.otherBlocks.size(), 1u);
        EXPECT_EQ(cy.otherBlocks[0].bytes, (Bytes{1, 2, 3}));
    }
}

struct MachineCase {
    const char* what;
    Gamespace::VolumeSetting music;
    Gamespace::VolumeSetting effects;
    bool fullScreen;
    Bytes body;
};

const MachineCase kMachineCases[] = {
    {"MusicDown", {40, false}, {}, false, {40, 0, 100, 0, 0}},
    {"MusicMuted", {70, true}, {}, false, {70, 1, 100, 0, 0}},
    {"EffectsOff", {}, {0, false}, false, {100, 0, 0, 0, 0}},
    {"EffectsMuted", {}, {100, true}, false, {100, 0, 100, 1, 0}},
    {"FullScreen", {}, {}, true, {100, 0, 100, 0, 1}},
    {"Everything", {10, true}, {90, true}, true, {10, 1, 90, 1, 1}},
};

// The volumes and the screen mode go in a block after the six bytes, which
// stay exactly as they were; all of it survives a restart.
TEST_F(OptionsFilesTest, MachineOptionsRoundTripAfterTheSixBytes) {
    const Bytes six = {0, 7, 1, 2, 0xFF, 0xFE};
    const Bytes newer = Block("OPTx", 3, {9});
    for (const MachineCase& c : kMachineCases) {
        SCOPED_TRACE(c.what);
        WriteBytes("options.opt", Joined({six, newer}));
        Restart();
        OptionValues& options = Gamespace::GetOptionValues();
        options.music = c.music;
        options.effects = c.effects;
        options.fullScreen = c.fullScreen;
        ASSERT_TRUE(Gamespace::SaveOptions());
        EXPECT_EQ(ReadBytes("options.opt"), Joined({six, Block("SNDS", 1, c.body), newer}));
        Restart();
        const OptionValues& back = Gamespace::GetOptionValues();
        EXPECT_EQ(back.values, (std::array<uint16_t, 3>{7, 0x0102, 0xFFFE}));
        EXPECT_EQ(back.music, c.music);
        EXPECT_EQ(back.effects, c.effects);
        EXPECT_EQ(back.fullScreen, c.fullScreen);
    }
}

// An options file of six bytes loads with full volumes in a window, and
// stays six bytes while nothing is changed.
TEST_F(OptionsFilesTest, AnOldSixByteOptionsFileLoadsWithDefaults) {
    WriteBytes("options.opt", kSix);
    Restart();
    const OptionValues& options = Gamespace::GetOptionValues();
    EXPECT_EQ(options.music, Gamespace::VolumeSetting{});
    EXPECT_EQ(options.music.Level(), 1.0);
    EXPECT_EQ(options.effects.Level(), 1.0);
    EXPECT_FALSE(options.fullScreen);
    ASSERT_TRUE(Gamespace::SaveOptions());
    EXPECT_EQ(ReadBytes("options.opt"), kSix);
}

// The language chosen goes in its own block after the volumes; a name that
// is not a language's (empty, a path) drops the block alone.
TEST_F(OptionsFilesTest, TheChosenLanguageRoundTripsAndABadOneIsDropped) {
    const Bytes newer = Block("OPTx", 3, {9});
    WriteBytes("options.opt", Joined({kSix, newer}));
    Restart();
    Gamespace::GetOptionValues().language = "de";
    ASSERT_TRUE(Gamespace::SaveOptions());
    EXPECT_EQ(ReadBytes("options.opt"), Joined({kSix, Block("LANG", 1, {2, 'd', 'e'}), newer}));
    Restart();
    EXPECT_EQ(Gamespace::GetOptionValues().language, "de");

    const Bytes bad[] = {
        {0},                           // no name
        {5, '.', '.', '/', 'd', 'e'},  // a path
        {3, 'd', 'e'},                 // cut short
        {2, 'd', 'e', 0},              // a byte too many
    };
    for (const Bytes& body : bad) {
        SCOPED_TRACE(testing::PrintToString(body));
        WriteBytes("options.opt",
                   Joined({kSix, Block("SNDS", 1, {50, 0, 50, 0, 0}), Block("LANG", 1, body)}));
        Restart();
        const OptionValues& options = Gamespace::GetOptionValues();
        EXPECT_EQ(options.language, "");
        EXPECT_EQ(options.music.percent, 50);  // the other block still loads
    }
}

TEST_F(OptionsFilesTest, ADamagedMachineBlockIsDroppedAlone) {
    const Bytes cases[] = {
        {50, 0, 50, 0},        // cut short
        {50, 0, 50, 0, 0, 0},  // a byte too many
        {101, 0, 50, 0, 0},    // louder than full
        {50, 0, 50, 2, 0},     // a mute neither on nor off
        {50, 0, 50, 0, 3},     // a screen mode neither on nor off
    };
    const Bytes newer = Block("OPTx", 3, {9});
    for (const Bytes& body : cases) {
        SCOPED_TRACE(testing::PrintToString(body));
        WriteBytes("options.opt", Joined({kSix, Block("SNDS", 1, body), newer}));
        Restart();
        const OptionValues& options = Gamespace::GetOptionValues();
        EXPECT_EQ(options.values, (std::array<uint16_t, 3>{20, 40, 3}));
        EXPECT_EQ(options.music, Gamespace::VolumeSetting{});
        EXPECT_EQ(options.effects, Gamespace::VolumeSetting{});
        EXPECT_FALSE(options.fullScreen);
        ASSERT_EQ(options.otherBlocks.size(), 1u);
        EXPECT_EQ(options.otherBlocks[0].bytes, Bytes{9});
    }
}

}  // namespace
