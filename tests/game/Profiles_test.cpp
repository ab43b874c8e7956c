// Player profiles and the options file: byte formats, loading rules and the
// safe-saving rules.

#include <gtest/gtest.h>

#include "support/ProfileBytes.h"
#include "support/TempDir.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "game/Profiles.h"
#include "kernel/FileStore.h"

using Gamespace::Player;
using Gamespace::PlayerList;
using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

namespace {

using TestSupport::ReadBytes;
using TestSupport::WriteBytes;

// An 18-byte profile.
using TestSupport::Profile;
using TestSupport::SavedProfile;

class ProfilesTest : public TestSupport::TempDirTest {
protected:
    void TearDown() override {
        PlayerList::Destroy();
        Gamespace::GetOptionValues() = {};
        TempDirTest::TearDown();
    }
};

TEST_F(ProfilesTest, AProfileIsEighteenBigEndianBytesAndReadsBackTheSame) {
    // The "save" folder is missing: saving makes it instead of losing the player.
    Player anna{true, "Anna", 1};
    ASSERT_TRUE(Gamespace::Save(anna));
    EXPECT_EQ(ReadBytes("save/Anna.usr"), SavedProfile(1, "Anna", 1));
    EXPECT_FALSE(fs::exists("save/Anna.usr.tmp"));

    Player back;
    ASSERT_TRUE(Gamespace::Load(back, "save/Anna.usr"));
    EXPECT_TRUE(back.current);
    EXPECT_EQ(back.name, "Anna");
    EXPECT_EQ(back.difficulty, 1);

    // Fifteen characters fill the field without a terminating zero.
    Player longName{false, "ABCDEFGHIJKLMNO", 2};
    ASSERT_TRUE(Gamespace::Save(longName));
    EXPECT_EQ(ReadBytes("save/ABCDEFGHIJKLMNO.usr"), SavedProfile(0, "ABCDEFGHIJKLMNO", 2));
    ASSERT_TRUE(Gamespace::Load(back, "save/ABCDEFGHIJKLMNO.usr"));
    EXPECT_EQ(back.name, "ABCDEFGHIJKLMNO");
}

TEST_F(ProfilesTest, SavingOverwritesTheFieldsAndKeepsTheBlocksThatFollow) {
    const Bytes newer = TestSupport::Block("Next", 1, {0xAB});
    WriteBytes("save/Bo.usr", TestSupport::Joined({SavedProfile(1, "Bo", 0), newer}));
    Player bo;
    ASSERT_TRUE(Gamespace::Load(bo, "save/Bo.usr"));
    bo.current = false;
    bo.difficulty = 2;
    ASSERT_TRUE(Gamespace::Save(bo));
    EXPECT_EQ(ReadBytes("save/Bo.usr"), TestSupport::Joined({SavedProfile(0, "Bo", 2), newer}));
}

struct ReadCase {
    const char* what;
    Bytes bytes;
    bool loads;
    bool current;
    const char* name;
    uint16_t difficulty;
};

class ProfileReadTest : public ProfilesTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ProfileReadTest, ReadsWhatTheFileHolds) {
    WriteBytes("save/p.usr", GetParam().bytes);
    Player p;
    EXPECT_EQ(Gamespace::Load(p, "save/p.usr"), GetParam().loads);
    if (GetParam().loads) {
        EXPECT_EQ(p.current, GetParam().current);
        EXPECT_EQ(p.name, GetParam().name);
        EXPECT_EQ(p.difficulty, GetParam().difficulty);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProfileReadTest,
    ::testing::Values(
        ReadCase{"AnyNonZeroFlagIsCurrent", Profile(7, "Cy", 2), true, true, "Cy", 2},
        ReadCase{"ShortFileHasDifficultyZero", {1, 'D', 'i', 0, 0}, true, true, "Di", 0},
        ReadCase{"OneDifficultyByteIsNotEnough",
                 [] {
                     Bytes b = Profile(0, "Ed", 1);
                     b.pop_back();
                     return b;
                 }(),
                 true, false, "Ed", 0},
        ReadCase{"DifficultyPastHardIsHard", Profile(0, "Fay", 0x00FF), true, false, "Fay", 2},
        ReadCase{"DifficultyFFFFIsHard", Profile(0, "Gus", 0xFFFF), true, false, "Gus", 2},
        ReadCase{"FifteenCharactersWithoutZero", Profile(0, "ABCDEFGHIJKLMNO", 1), true, false,
                 "ABCDEFGHIJKLMNO", 1},
        ReadCase{"EscapeBytesAreNotAName", Profile(1, "A\x1b[2J", 1), false, false, "", 0},
        ReadCase{"ASpaceIsNotTyped", Profile(1, "Al Bo", 1), false, false, "", 0},
        ReadCase{"NonAsciiIsNotTyped", Profile(1, "Zo\xC3\xAB", 1), false, false, "", 0},
        ReadCase{"AnEmptyFile", {}, false, false, "", 0},
        ReadCase{"SlashInTheNameIsRefused", Profile(1, "../x", 1), false, false, "", 0},
        ReadCase{"DotDotIsRefused", Profile(1, "..", 1), false, false, "", 0},
        ReadCase{"EmptyNameIsRefused", Profile(1, "", 1), false, false, "", 0}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(ProfilesTest, LoadingSkipsDuplicatesAndMakesTheFirstCurrentWhenNoneIs) {
    WriteBytes("save/a.usr", Profile(0, "Anna", 1));
    WriteBytes("save/b.usr", Profile(0, "Anna", 2));  // the same player again
    WriteBytes("save/c.usr", Profile(0, "Cy", 0));
    WriteBytes("save/d.txt", Profile(1, "Dan", 0));   // not a profile
    WriteBytes("save/.e.usr", Profile(1, "Eve", 0));  // hidden
    WriteBytes("save/f.usr", Profile(1, "a/b", 0));   // could not be saved back
    PlayerList* list = PlayerList::Instance();
    list->LoadAll();
    ASSERT_EQ(list->GetPlayers().size(), 2u);
    EXPECT_EQ(list->GetPlayers()[0]->name, "Anna");
    EXPECT_EQ(list->GetPlayers()[0]->difficulty, 1);
    EXPECT_EQ(list->GetCurrent().name, "Anna");
    EXPECT_TRUE(list->GetPlayers()[0]->current);
}

// Things that are not profiles are never players, hang nothing and stay as
// they are; the extension is matched without regard to case.
TEST_F(ProfilesTest, OnlyRegularProfileFilesBecomePlayers) {
    WriteBytes("save/Anna.usr", Profile(1, "Anna", 0));
    WriteBytes("save/BO.USR", Profile(0, "Bo", 1));
    ASSERT_EQ(mkfifo("save/f.usr", 0600), 0);  // opening it for reading would wait for ever
    fs::create_directories("save/x.usr");
    WriteBytes("outside", Profile(0, "root", 0));
    fs::create_symlink(fs::absolute("outside"), "save/evil.usr");
    Bytes noise(1 << 20);
    for (size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
    }
    noise[1] = 0x07;  // a bell where the name starts
    WriteBytes("save/noise.usr", noise);

    PlayerList* list = PlayerList::Instance();
    list->LoadAll();
    std::vector<std::string> names;
    for (const auto& p : list->GetPlayers()) {
        names.push_back(p->name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Anna", "Bo"}));
    EXPECT_EQ(list->GetPlayers()[1]->difficulty, 1);
    EXPECT_EQ(ReadBytes("save/noise.usr"), noise);
    EXPECT_TRUE(fs::is_symlink("save/evil.usr"));
}

// After a crash two files may name one player; the one the game saves to
// ("<name>.usr") holds the newest state.
TEST_F(ProfilesTest, ThePlayersOwnFileWinsOverAnotherNamingThem) {
    WriteBytes("save/ANNA.usr", Profile(0, "Anna", 0));
    WriteBytes("save/Anna.usr", Profile(1, "Anna", 1));
    PlayerList* list = PlayerList::Instance();
    list->LoadAll();
    ASSERT_EQ(list->GetPlayers().size(), 1u);
    EXPECT_EQ(list->GetPlayers()[0]->difficulty, 1);
    EXPECT_TRUE(list->GetPlayers()[0]->current);
}

TEST_F(ProfilesTest, AReadOnlyProfileLoadsAndIsSavedWithItsMode) {
    WriteBytes("save/Cy.usr", Profile(1, "Cy", 0));
    fs::permissions("save/Cy.usr",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Player cy;
    ASSERT_TRUE(Gamespace::Load(cy, "save/Cy.usr"));
    cy.difficulty = 1;
    ASSERT_TRUE(Gamespace::Save(cy));
    EXPECT_EQ(ReadBytes("save/Cy.usr"), SavedProfile(1, "Cy", 1));
    EXPECT_EQ(fs::status("save/Cy.usr").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

// Saving where nothing can be written: every failure is a false result, the
// files on disk stay as they were, and the player hears of it once.
TEST_F(ProfilesTest, FailedSavesAreReportedOnceAndCostNothingOnDisk) {
    std::vector<std::string> reports;
    Gamespace::SetSaveFailureReporter([&](const std::string& e) { reports.push_back(e); });
    WriteBytes("save", {1});  // a file where the folder should be
    EXPECT_FALSE(Gamespace::Save(Player{true, "Anna", 1}));
    EXPECT_FALSE(Gamespace::Save(Player{true, "Bo", 1}));
    fs::create_directories("options.opt");  // a folder where the file should be
    EXPECT_FALSE(Gamespace::SaveOptions());
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("save/Anna.usr"), std::string::npos) << reports[0];
    EXPECT_EQ(ReadBytes("save"), (Bytes{1}));

    Gamespace::SetSaveFailureReporter(nullptr);
    fs::remove("save");
    EXPECT_TRUE(Gamespace::Save(Player{true, "Anna", 1}));  // a writable place again
}

TEST_F(ProfilesTest, TheListRefusesEmptyAndDuplicateNamesAndHasOneCurrent) {
    PlayerList* list = PlayerList::Instance();
    EXPECT_EQ(list->GetCurrent().name, "");  // the default record
    EXPECT_EQ(list->GetCurrent().difficulty, 2);
    EXPECT_FALSE(list->Add(Player{false, "", 0}));
    EXPECT_TRUE(list->Add(Player{false, "Anna", 0}));
    EXPECT_FALSE(list->Add(Player{false, "Anna", 1}));
    EXPECT_TRUE(list->Add(Player{true, "anna", 1}));  // case matters
    EXPECT_EQ(list->GetCurrent().name, "anna");
    list->SetCurrent(*list->GetPlayers()[0], true);
    EXPECT_EQ(list->GetCurrent().name, "Anna");
    EXPECT_FALSE(list->GetPlayers()[1]->current);

    EXPECT_TRUE(list->SaveAll());
    PlayerList::Destroy();
    PlayerList::Instance()->LoadAll();
    EXPECT_EQ(PlayerList::Instance()->GetPlayers().size(), 2u);
    EXPECT_EQ(PlayerList::Instance()->GetCurrent().name, "Anna");
}

// A save writes only the files whose bytes change: after loading only the
// files the game reads otherwise than they say (once), the two players whose current
// flag moves, a new player, the one whose
// difficulty changed, a profile whose file has gone; the options only when
// their file does not hold them.
TEST_F(ProfilesTest, ASaveWritesOnlyTheFilesWhoseBytesChange) {
    WriteBytes("save/Anna.usr", SavedProfile(1, "Anna", 0));
    WriteBytes("save/Bo.usr", SavedProfile(0, "Bo", 1));
    WriteBytes("save/Cy.usr", SavedProfile(0, "Cy", 2, {{{2, 30, 8}, {}, {}}}));
    WriteBytes("save/Ee.usr", Profile(0, "Ee", 0x00ff));  // read as Hard
    WriteBytes("save/Fay.usr", Profile(0, "Fay", 0));     // written before bests existed
    WriteBytes("options.opt", {0, 20, 0, 40, 0, 3});
    Gamespace::LoadOptions();
    PlayerList* list = PlayerList::Instance();
    list->LoadAll();
    ASSERT_EQ(list->GetPlayers().size(), 5u);
    Player& bo = *list->GetPlayers()[1];
    Player& cy = *list->GetPlayers()[2];

    struct Step {
        const char* what;
        std::function<void()> change;
        std::vector<std::string> written;
    };
    const Step steps[] = {
        {"loaded: only the files read otherwise than they say",
         [] {},
         {"save/Ee.usr", "save/Fay.usr"}},
        {"nothing changed", [] {}, {}},
        {"Bo becomes current",
         [&] { list->SetCurrent(bo, true); },
         {"save/Anna.usr", "save/Bo.usr"}},
        {"a new player",
         [&] {
             ASSERT_TRUE(list->Add(Player{false, "Dee", 1}));
         },
         {"save/Dee.usr"}},
        {"Cy's difficulty", [&] { cy.difficulty = 0; }, {"save/Cy.usr"}},
        {"Cy's file has gone", [] { fs::remove("save/Cy.usr"); }, {"save/Cy.usr"}},
        {"nothing changed again", [] {}, {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        KernelLibrary::LogPlayerWrites(true);
        EXPECT_TRUE(list->SaveAll());
        EXPECT_TRUE(Gamespace::SaveOptions());
        std::vector<std::string> written = KernelLibrary::LoggedPlayerWrites();
        std::sort(written.begin(), written.end());
        EXPECT_EQ(written, step.written);
        KernelLibrary::LogPlayerWrites(false);
    }
    EXPECT_EQ(ReadBytes("save/Bo.usr"), SavedProfile(1, "Bo", 1));
    EXPECT_EQ(ReadBytes("save/Anna.usr"), SavedProfile(0, "Anna", 0));
    EXPECT_EQ(ReadBytes("save/Cy.usr"), SavedProfile(0, "Cy", 0, {{{2, 30, 8}, {}, {}}}));
    EXPECT_EQ(ReadBytes("save/Dee.usr"), SavedProfile(0, "Dee", 1));
    EXPECT_EQ(ReadBytes("save/Ee.usr"), SavedProfile(0, "Ee", 2));
    EXPECT_EQ(ReadBytes("save/Fay.usr"), SavedProfile(0, "Fay", 0));

    fs::remove("options.opt");
    KernelLibrary::LogPlayerWrites(true);
    EXPECT_TRUE(Gamespace::SaveOptions());
    EXPECT_EQ(KernelLibrary::LoggedPlayerWrites(), (std::vector<std::string>{"options.opt"}));
    KernelLibrary::LogPlayerWrites(false);
}

// A process killed between writing a profile's temporary file and renaming it
// left that file behind; the next start removes it (once nobody writes it).
TEST_F(ProfilesTest, LoadingRemovesTemporaryFilesThatADeadWriterLeft) {
    WriteBytes("save/New19.usr.tmp", SavedProfile(1, "New19", 2));
    WriteBytes("options.opt.0123456789abcdef.tmp", {0, 20, 0, 40, 0, 3});
    for (const char* left : {"save/New19.usr.tmp", "options.opt.0123456789abcdef.tmp"}) {
        fs::last_write_time(left, fs::file_time_type::clock::now() - std::chrono::hours(1));
    }
    Gamespace::LoadOptions();
    PlayerList::Instance()->LoadAll();
    EXPECT_FALSE(fs::exists("save/New19.usr.tmp"));
    EXPECT_FALSE(fs::exists("options.opt.0123456789abcdef.tmp"));
}

TEST_F(ProfilesTest, OptionsAreSixBigEndianBytesDefaultingTo20_40_3) {
    Gamespace::LoadOptions();  // no file: the defaults stay
    EXPECT_TRUE(Gamespace::SaveOptions());
    EXPECT_EQ(ReadBytes("options.opt"), (Bytes{0x00, 0x14, 0x00, 0x28, 0x00, 0x03}));

    WriteBytes("./options.opt", {0x01, 0x02, 0x03});  // short: the third value stays
    Gamespace::LoadOptions();
    EXPECT_EQ(Gamespace::GetOptionValues().values, (std::array<uint16_t, 3>{0x0102, 40, 3}));
    WriteBytes("./options.opt", {0, 1, 0, 2, 0, 3, 9, 9});  // longer: written back as six
    Gamespace::LoadOptions();
    EXPECT_TRUE(Gamespace::SaveOptions());
    EXPECT_EQ(ReadBytes("options.opt"), (Bytes{0, 1, 0, 2, 0, 3}));
}

TEST_F(ProfilesTest, RecordFilesRefuseWorkWhileClosed) {
    Gamespace::RecordFile file("r.bin");
    bool flag = false;
    uint16_t value = 0;
    std::string text;
    EXPECT_FALSE(file.Exists());
    EXPECT_FALSE(file.ReadBool(&flag));
    EXPECT_FALSE(file.WriteU16(5));
    EXPECT_FALSE(Gamespace::RecordFile("").Create());
    ASSERT_TRUE(file.Create());
    ASSERT_TRUE(file.Open(1));
    EXPECT_TRUE(file.WriteString("hello", 3));  // "hel", no room for the zero
    EXPECT_TRUE(file.WriteU16(0x1234, 10));
    EXPECT_TRUE(file.ReadString(&text, 3, 0));
    EXPECT_EQ(text, "hel");
    EXPECT_TRUE(file.ReadU16(&value, 10));
    EXPECT_EQ(value, 0x1234);
    EXPECT_FALSE(file.ReadU16(&value));  // at the end
    file.Close();
    EXPECT_TRUE(file.Delete());
    EXPECT_FALSE(file.Exists());
}

}  // namespace

// --- personal bests -----------------------------------------------------------------

namespace {

using Gamespace::PersonalBest;

TEST_F(ProfilesTest, AnOldProfileLoadsWithoutBestsAndGainsTheBlockAtItsNextSave) {
    WriteBytes("save/Ola.usr", Profile(1, "Ola", 0));  // written before bests existed
    Player ola;
    ASSERT_TRUE(Gamespace::Load(ola, "save/Ola.usr"));
    EXPECT_FALSE(ola.HasBests());
    Gamespace::RecordFinishedGame(ola, Gamespace::kEasy, 75, 9);
    ASSERT_TRUE(Gamespace::Save(ola));
    EXPECT_EQ(ReadBytes("save/Ola.usr"), SavedProfile(1, "Ola", 0, {{{1, 75, 9}, {}, {}}}));
    Player back;
    ASSERT_TRUE(Gamespace::Load(back, "save/Ola.usr"));
    EXPECT_EQ(back.bests, ola.bests);
}

struct DamagedBlock {
    const char* what;
    void (*damage)(Bytes*);
};

// Each keeps the player and the first 18 bytes' meaning; the bests read as none.
const DamagedBlock kDamagedBlocks[] = {
    {"CutShort", [](Bytes* b) { b->resize(b->size() - 1); }},
    {"TagOnly", [](Bytes* b) { b->resize(22); }},
    {"UnknownVersion", [](Bytes* b) { (*b)[22] = 2; }},
    {"OtherTag", [](Bytes* b) { (*b)[18] = 'X'; }},
    {"GamesWithoutAttempts", [](Bytes* b) { (*b)[32] = (*b)[31] = 0; }},
    {"AttemptsWithoutGames", [](Bytes* b) { (*b)[26] = 0; }},
};

TEST_F(ProfilesTest, ADamagedBestsBlockCostsTheBestsButNeverThePlayer) {
    const Bytes good = SavedProfile(1, "Kai", 2, {{{3, 40, 7}, {}, {}}});
    {
        WriteBytes("save/Kai.usr", good);
        Player kai;
        ASSERT_TRUE(Gamespace::Load(kai, "save/Kai.usr"));
        ASSERT_EQ(kai.bests[0], (PersonalBest{3, 40, 7}));  // the block the cases damage
    }
    for (const DamagedBlock& c : kDamagedBlocks) {
        SCOPED_TRACE(c.what);
        Bytes bytes = good;
        c.damage(&bytes);
        WriteBytes("save/Kai.usr", bytes);
        Player kai;
        ASSERT_TRUE(Gamespace::Load(kai, "save/Kai.usr"));
        EXPECT_TRUE(kai.current);
        EXPECT_EQ(kai.name, "Kai");
        EXPECT_EQ(kai.difficulty, 2);
        EXPECT_FALSE(kai.HasBests());
        ASSERT_TRUE(Gamespace::Save(kai));  // written anew, whole
        const Bytes saved = ReadBytes("save/Kai.usr");
        EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 53), SavedProfile(1, "Kai", 2));
    }
}

// One impossible figure (games without attempts, figures without games) is
// dropped with its difficulty alone: the other difficulties keep their bests,
// and the next save writes them back.
TEST_F(ProfilesTest, AnImpossibleFigureCostsOnlyItsOwnDifficulty) {
    const std::array<PersonalBest, Gamespace::kDifficultyCount> good = {
        PersonalBest{3, 40, 7}, PersonalBest{2, 55, 9}, PersonalBest{1, 80, 12}};
    const PersonalBest impossible[] = {{1, 30, 0}, {0, 30, 0}, {0, 0, 4}};
    for (size_t difficulty = 0; difficulty < good.size(); ++difficulty) {
        for (const PersonalBest& bad : impossible) {
            SCOPED_TRACE(testing::Message()
                         << "difficulty " << difficulty << ", " << bad.games << " games, "
                         << bad.bestSeconds << " s, " << bad.fewestAttempts << " attempts");
            auto stored = good;
            stored[difficulty] = bad;
            WriteBytes("save/Kai.usr", SavedProfile(1, "Kai", 2, stored));
            Player kai;
            ASSERT_TRUE(Gamespace::Load(kai, "save/Kai.usr"));
            auto expected = good;
            expected[difficulty] = {};
            EXPECT_EQ(kai.bests, expected);
            ASSERT_TRUE(Gamespace::Save(kai));
            EXPECT_EQ(ReadBytes("save/Kai.usr"), SavedProfile(1, "Kai", 2, expected));
        }
    }
}

struct Game {
    uint32_t seconds;
    uint16_t attempts;
    bool first, time, attempt;  // what it did to the best
    PersonalBest after;
};

TEST_F(ProfilesTest, BestsChangeOnlyWhenBeatenAndEachDifficultyKeepsItsOwn) {
    const Game games[] = {
        {60, 10, true, false, false, {1, 60, 10}},   // the first game is the first best
        {70, 12, false, false, false, {2, 60, 10}},  // worse in both: nothing new
        {60, 10, false, false, false, {3, 60, 10}},  // a tie is not a new best
        {50, 11, false, true, false, {4, 50, 10}},   // faster only
        {55, 8, false, false, true, {5, 50, 8}},     // fewer attempts only
        {40, 7, false, true, true, {6, 40, 7}},      // both
    };
    Player p{true, "Liv", Gamespace::kMedium};
    for (const Game& g : games) {
        SCOPED_TRACE(g.seconds);
        const auto change =
            Gamespace::RecordFinishedGame(p, Gamespace::kMedium, g.seconds, g.attempts);
        EXPECT_EQ(change.first, g.first);
        EXPECT_EQ(change.time, g.time);
        EXPECT_EQ(change.attempts, g.attempt);
        EXPECT_EQ(change.Beaten(), g.time || g.attempt);
        EXPECT_EQ(p.bests[Gamespace::kMedium], g.after);
    }
    EXPECT_EQ(p.bests[Gamespace::kEasy], PersonalBest{});
    EXPECT_EQ(p.bests[Gamespace::kHard], PersonalBest{});
}

}  // namespace
