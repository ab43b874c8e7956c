// Card sets in the whole game: the choice on the start screen, kept per
// player; deals drawn from the chosen set; the player's own sets and the
// set of "-cards="; bests kept per set.

#include "support/WholeGameFixture.h"

#include <set>

#include "controls/ImageVO.h"
#include "game/CardSets.h"
#include "game/CardsDialog.h"
#include "support/ProfileBytes.h"

namespace {

using Gamespace::CardSet;
using Gamespace::CardSets;

// A one-colour PNG picture.
Bytes Picture(uint32_t colour, int width, int height) {
    ImageLib::Image image(width, height);
    std::fill(image.m_bits.begin(), image.m_bits.end(), colour);
    return ImageLib::EncodePNG(image);
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// The colour of face `i` (from 1) of a generated set: far apart from each other.
uint32_t FaceColour(int i) {
    return 0xFF000000u |
           static_cast<uint32_t>((i * 53 % 256) << 16 | (i * 97 % 256) << 8 | (255 - i * 19 % 256));
}

// `faces` pictures of their own colours and shapes (some wide, some tall) in `folder`.
void WriteSet(const fs::path& folder, int faces) {
    for (int i = 1; i <= faces; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%02d.png", i);
        WriteFile(folder / name, Picture(FaceColour(i), 60 + 40 * (i % 3), 60 + 30 * (i % 2)));
    }
}

std::string ImagePath(ControlLibrary::IImageVO* image) {
    std::string path;
    image->GetImagePath(path);
    return path;
}

class CardSetsGame : public WholeGame {
protected:
    Gamespace::CardsDialog* Picker() const { return Start()->GetCardsDialog(); }
    ControlLibrary::IButtonVO* CardsButton() const {
        return Start()->GetRowButton(Gamespace::StartMgr::RowSlot::Cards);
    }
    Gamespace::Player& Current() const { return Gamespace::PlayerList::Instance()->GetCurrent(); }
    // Chooses set `row` of the first page in the picker with the mouse.
    void Choose(size_t row) {
        Click(CardsButton());
        ASSERT_TRUE(Shown(Picker()));
        Click(Picker()->GetSetButton(row));
        ASSERT_FALSE(Shown(Picker()));
    }
    // Every card of the field shows a face of `set` and its back.
    void ExpectFieldFrom(const CardSet& set) {
        for (const auto& card : FieldMgr::Instance()->GetCards()) {
            EXPECT_NE(std::find(set.faces.begin(), set.faces.end(), ImagePath(card->face)),
                      set.faces.end())
                << ImagePath(card->face);
            EXPECT_EQ(ImagePath(card->cover), set.back);
        }
    }
};

// Every built-in set on every difficulty: the deal shows that set's faces on
// its back, and its faces are drawn from the whole set. The count-down of
// each is written to $VQ_SCREENS_DIR for looking at.
TEST_F(CardSetsGame, EveryBuiltInSetDealsItsOwnFacesOnEveryDifficulty) {
    CreatePlayer("Ada");
    EnterGame();
    const std::vector<CardSet>& sets = CardSets::Instance()->All();
    ASSERT_EQ(sets.size(), 3u);
    const char* names[] = {"Pictures", "Shapes", "Animals"};
    for (size_t s = 0; s < sets.size(); ++s) {
        EXPECT_EQ(sets[s].name, names[s]);
        EXPECT_GE(sets[s].faces.size(), s == 0 ? 10u : 18u);
        Current().cardSet = sets[s].id;
        std::set<std::string> seen;
        for (uint16_t d = 0; d < Gamespace::kDifficultyCount; ++d) {
            Current().difficulty = d;
            for (int deal = 0; deal < 6; ++deal) {
                FieldMgr::Instance()->BuildField();
                ExpectFieldFrom(sets[s]);
                for (const auto& card : FieldMgr::Instance()->GetCards()) {
                    seen.insert(ImagePath(card->face));
                }
            }
            FieldMgr::Instance()->ShowAllFaces(true);
            Wait(500);
            Screen("set-" + sets[s].name + "-" + std::to_string(d));
            FieldMgr::Instance()->GetTimerDialog()->Show(false);
        }
        // Deals of a set larger than a field show more than one field's faces.
        EXPECT_EQ(seen.size(), sets[s].faces.size()) << sets[s].name;
    }
}

// The choice by mouse and by keys: kept in the player's profile as its own
// block, the player's bests told for that set, and Escape keeps the choice.
TEST_F(CardSetsGame, TheChoiceIsKeptPerPlayerAndItsBestsApart) {
    CreatePlayer("Bea");
    Choose(1);
    EXPECT_EQ(Current().cardSet, "Shapes");
    const Bytes saved = ReadBytes("save/Bea.usr");
    const Bytes block = TestSupport::Block("CARD", 1, {6, 'S', 'h', 'a', 'p', 'e', 's'});
    ASSERT_GE(saved.size(), block.size());
    EXPECT_TRUE(
        std::equal(block.begin(), block.end(), saved.end() - static_cast<long>(block.size())));

    // Keys: the picker opens on the chosen set, lit; Down and Enter choose the next.
    Click(CardsButton());
    EXPECT_EQ(Picker()->GetHighlighted(), Picker()->GetSetButton(1));
    Key(SDLK_DOWN);
    Key(SDLK_RETURN);
    EXPECT_FALSE(Shown(Picker()));
    EXPECT_EQ(Current().cardSet, "Animals");
    Click(CardsButton());
    Key(SDLK_UP);
    Key(SDLK_ESCAPE);
    EXPECT_EQ(Current().cardSet, "Animals");

    // A whole game with the animals: its bests are the animals', told as such.
    Current().difficulty = Gamespace::kEasy;
    EnterGame();
    for (const auto& [pair, two] : Pairs()) {
        for (FieldMgr::Card* card : two) {
            Click(card->cover);
        }
    }
    ASSERT_TRUE(Shown(Play()->GetFinishDialog()));
    EXPECT_NE(FinishText().find("Cards: Animals"), std::string::npos) << FinishText();
    EXPECT_EQ(Current().bests[Gamespace::kEasy].games, 0u);  // the first set's stay as they were
    EXPECT_EQ(Current().BestsFor({"Animals", 3})[Gamespace::kEasy].games, 1u);
    Click(Play()->GetFinishDialog()->GetOkButton());
    Wait(3000);  // the next field's count-down
    Click(Play()->GetMenuButton());
    Click(Play()->GetMenuDialog()->GetMainMenuButton());
    ASSERT_TRUE(Start()->IsActive());
    EXPECT_EQ(LabelText(Start()->GetBestsLabel()).rfind("Your bests with Animals   Easy", 0), 0u)
        << LabelText(Start()->GetBestsLabel());
    Choose(0);
    EXPECT_EQ(Current().cardSet, "");
    EXPECT_FALSE(Start()->GetBestsLabel()->IsShown());  // nothing finished with the first set
}

// The player's own set: offered with its name, author and thumbnail, and
// dealt with its pictures, scaled into cards. A broken set is named with the
// file and the reason, and not offered.
TEST_F(CardSetsGame, AnOwnSetIsOfferedAndDealtAndABrokenOneIsNamed) {
    CreatePlayer("Cid");
    WriteSet("cards/garden", 12);
    const std::string xml = "<cardset name=\"My garden\" author=\"Cid\"/>";
    WriteFile("cards/garden/set.xml", Bytes(xml.begin(), xml.end()));
    WriteSet("cards/broken", 10);
    fs::resize_file("cards/broken/07.png", 40);
    const std::vector<std::string> refused = CardSets::Instance()->LoadOwnSets({"cards/"});
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].rfind("cards/broken/: 07.png: it is not a PNG or JPEG picture", 0), 0u)
        << refused[0];
    ASSERT_EQ(CardSets::Instance()->All().size(), 4u);

    Click(CardsButton());
    auto* caption = static_cast<ControlLibrary::ButtonVO_impl*>(
        static_cast<ControlLibrary::ButtonVO_bridge*>(Picker()->GetSetButton(3))->GetImpl());
    EXPECT_EQ(caption->GetText(), "My garden");
    for (size_t k = 0; k < Gamespace::CardsDialog::kThumbnails; ++k) {
        EXPECT_TRUE(Picker()->GetThumbnail(3, k)->IsShown()) << k;
    }
    Screen("cards-own-set");
    Click(Picker()->GetSetButton(3));
    EXPECT_EQ(Current().cardSet, "own:garden");

    Current().difficulty = Gamespace::kEasy;
    Click(Start()->GetPlayButton());
    Wait(1000);
    const std::vector<uint32_t> pixels = Screen("cards-own-set-count-down");
    std::set<uint32_t> colours;
    for (int i = 1; i <= 12; ++i) {
        colours.insert(FaceColour(i) & 0xFFFFFFu);
    }
    std::map<uint32_t, int> shown;
    for (const auto& card : FieldMgr::Instance()->GetCards()) {
        const ControlLibrary::Rect r = card->face->GetScreenRect();
        EXPECT_EQ(r.width, 96u);
        const uint32_t centre =
            pixels[static_cast<size_t>(r.y + r.height / 2) * 1024 + r.x + r.width / 2] & 0xFFFFFFu;
        EXPECT_EQ(colours.count(centre), 1u) << std::hex << centre;
        ++shown[centre];
    }
    EXPECT_EQ(shown.size(), 5u);
    for (const auto& [colour, count] : shown) {
        EXPECT_EQ(count, 2) << std::hex << colour;
    }
}

// "-cards=": the set in that folder for this run, over the player's own
// choice, which stays as it was in the profile.
class RunCardSet : public CardSetsGame {
protected:
    RunCardSet() {
        m_folder = fs::temp_directory_path() /
                   ("vq-run-cards-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        WriteSet(m_folder, 11);
        if (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())
                .find("Broken") != std::string::npos) {
            fs::remove(m_folder / "03.png");
            WriteFile(m_folder / "03.png", Bytes{0x89, 'P', 'N', 'G', 1, 2, 3});
            fs::remove(m_folder / "11.png");
        }
        m_extraArgs = {"-cards=" + m_folder.string()};
        ::testing::internal::CaptureStderr();
    }
    ~RunCardSet() override { fs::remove_all(m_folder); }
    fs::path m_folder;
};

TEST_F(RunCardSet, TheFolderGivenIsPlayedThisRun) {
    const std::string told = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(told.find("cannot be used"), std::string::npos) << told;
    CreatePlayer("Dan");
    Choose(2);  // the animals, kept
    EnterGame();
    const CardSet& run = CardSets::Instance()->ForPlayer(Current());
    EXPECT_EQ(run.faces.size(), 11u);
    EXPECT_TRUE(run.own);
    ExpectFieldFrom(run);
    EXPECT_EQ(Current().cardSet, "Animals");
}

TEST_F(RunCardSet, ABrokenFolderIsToldAndThePlayersChoicePlayed) {
    const std::string told = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find("The card set in \"" + m_folder.string() +
                        "\" cannot be used: 03.png: it is not a PNG or JPEG picture"),
              std::string::npos)
        << told;
    EXPECT_NE(told.find("The game plays with the player's own choice of cards."),
              std::string::npos);
    CreatePlayer("Eli");
    Choose(1);
    EnterGame();
    ExpectFieldFrom(*CardSets::Instance()->Find("Shapes"));
}

}  // namespace
