// The game in each of its languages: every screen shows the language's own
// texts, and every text stays inside its control (a button's box, its
// dialog's box, the screen), drawn narrower only a little where a language
// needs more room. The stretch catalogue "xx" makes every text a third longer
// and shows that even then nothing runs over an edge.

#include <gtest/gtest.h>

#include "support/WholeGameFixture.h"

#include <SDL.h>

#include <algorithm>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "common/Catalogue.h"
#include "controls/ButtonVO.h"
#include "controls/Factory_impl.h"
#include "game/GameImpl.h"
#include "game/GameMgr.h"
#include "game/OptionsDlg.h"
#include "game/StartMgr.h"
#include "game/StatisticsDlg.h"

namespace {

using Drawn = ControlLibrary::Factory_impl::DrawnText;

struct Language {
    const char* name;
    float narrowest;  // the least horizontal scale a text may be drawn at
    bool golden;      // its start screen is a reference picture
};

void PrintTo(const Language& language, std::ostream* out) {
    *out << language.name;
}

// Real languages may need a text drawn a little narrower; the stretch
// catalogue's third more needs at most about that much less.
const Language kLanguages[] = {
    {"de", 0.85f, true}, {"fr", 0.85f, true},  {"es", 0.85f, true},
    {"it", 0.85f, true}, {"xx", 0.70f, false},
};

class Languages : public WholeGame, public ::testing::WithParamInterface<Language> {
protected:
    Languages() { m_language = GetParam().name; }
    void SetUp() override {
        WholeGame::SetUp();
        ControlLibrary::GetFactory()->SetTextLog(&m_drawn);
    }
    void TearDown() override {
        if (ControlLibrary::Factory_impl* factory = ControlLibrary::GetFactory()) {
            factory->SetTextLog(nullptr);
        }
        WholeGame::TearDown();
    }
    // Looks at the screen: written as "<language>-<name>.png" into
    // $VQ_SCREENS_DIR when that is set.
    std::vector<uint32_t> Look(const std::string& name) {
        return Screen(std::string(GetParam().name) + "-" + name);
    }

    std::vector<Drawn> m_drawn;
};

TEST_P(Languages, EveryScreenShowsItsTextsInsideTheirControls) {
    const Language& language = GetParam();
    ASSERT_EQ(CommonLibrary::GetLanguage(), language.name);
    const CommonLibrary::Catalogue* catalogue = CommonLibrary::GetCatalogue();
    ASSERT_NE(catalogue, nullptr);

    Wait(5);
    Look("1-new-player");
    Type("Anna");
    Key(SDLK_RETURN);
    Gamespace::PlayerList::Instance()->GetCurrent().comfort.reduceMotion = true;
    const auto start = Look("2-start");
    if (language.golden) {
        TestSupport::ExpectMatchesGolden(std::string("language-") + language.name + "-start",
                                         start.data(), 1024, 768);
    }
    Click(Start()->GetCreateButton());
    Type("Anna");
    Key(SDLK_RETURN);
    Look("3-name-taken");
    Click(Start()->GetNewPlayerDialog()->GetErrorDialog()->GetOkButton());
    Click(Start()->GetNewPlayerDialog()->GetCancelButton());
    // A second player, then the question before deleting the first.
    Click(Start()->GetCreateButton());
    Type("Ben");
    Key(SDLK_RETURN);
    Click(Start()->GetCreateButton());
    Key(SDLK_DOWN);  // "Anna" lit in the list
    Click(Start()->GetNewPlayerDialog()->GetDeleteButton());
    Look("3b-delete");
    Click(Start()->GetNewPlayerDialog()->GetDeleteDialog()->GetNoButton());
    Click(Start()->GetNewPlayerDialog()->GetCancelButton());
    Gamespace::PlayerList::Instance()->GetCurrent().comfort.reduceMotion = true;
    Click(Start()->GetRowButton(Gamespace::StartMgr::RowSlot::Cards));
    Look("4-cards");
    Click(Start()->GetCardsDialog()->GetCancelButton());
    Click(Start()->GetRowButton(Gamespace::StartMgr::RowSlot::Players));
    Gamespace::PlayersDlg* players = game->GetPlayersDialog();
    Click(players->GetSeatButton(0));  // "Anna"
    Click(players->GetSeatButton(0));  // "Computer (forgetful)", the longest seat
    Look("5-who-plays");
    Click(players->GetCancelButton());
    Click(Start()->GetRowButton(Gamespace::StartMgr::RowSlot::Options));
    Look("6-options");
    Click(game->GetOptionsDialog()->GetOkButton());
    Click(Start()->GetRowButton(Gamespace::StartMgr::RowSlot::Statistics));
    Look("7-statistics-empty");
    Click(Start()->GetStatisticsDialog()->GetCloseButton());
    EnterGame();
    Look("8-play");
    Click(Play()->GetMenuButton());
    Look("9-menu");
    Click(Play()->GetMenuDialog()->GetResumeButton());
    Click(Play()->GetDifficultyButton());
    Look("10-difficulty");
    Click(Play()->GetLevelsDialog()->GetButton(Gamespace::kEasy));
    Wait(3000);
    while (TakeAPair()) {
    }
    Look("11-result");
    Click(Play()->GetFinishDialog()->GetOkButton());  // a new deal: back to the start screen
    Wait(3000);                                       // past its count-down
    Click(Play()->GetMenuButton());
    Click(Play()->GetMenuDialog()->GetMainMenuButton());
    ASSERT_TRUE(Start()->IsActive());
    Click(Start()->GetRowButton(Gamespace::StartMgr::RowSlot::Statistics));
    Look("12-statistics");
    Click(Start()->GetStatisticsDialog()->GetCloseButton());
    // A game of Ben with Anna, played to its result.
    Click(Start()->GetRowButton(Gamespace::StartMgr::RowSlot::Players));
    auto seat = [&] {
        auto* bridge = static_cast<ControlLibrary::ButtonVO_bridge*>(players->GetSeatButton(0));
        return static_cast<ControlLibrary::ButtonVO_impl*>(bridge->GetImpl())->GetText();
    };
    for (int i = 0; i < 6 && seat() != "Anna"; ++i) {
        Click(players->GetSeatButton(0));
    }
    Click(players->GetPlayButton());
    Wait(3000);
    while (TakeAPair()) {
    }
    ASSERT_TRUE(Shown(Play()->GetMatchDialog()));
    Look("13-match-result");
    CloseWindow();
    Look("14-exit");

    // The screens spoke the language: the translations of the texts every
    // walk shows were drawn, and no text of the catalogue was drawn in
    // English where the language says it otherwise.
    std::set<std::string> drawn;
    for (const Drawn& d : m_drawn) {
        drawn.insert(d.text);
    }
    for (const char* english : {"Play", "Players", "Cards", "Options", "Statistics", "Exit", "Menu",
                                "Resume", "Main menu", "Congratulations!", "Cancel"}) {
        EXPECT_TRUE(drawn.count(catalogue->Find(english)))
            << catalogue->Find(english) << " was never drawn";
    }
    for (const auto& [english, translated] : catalogue->Texts()) {
        if (translated != english) {  // "Options" and "Menu" are words of several languages
            EXPECT_FALSE(drawn.count(english)) << english << " was drawn in English";
        }
    }
    // The stretch catalogue accents every text it has: a drawn text of plain
    // ASCII letters was never put through the catalogues (names aside).
    if (std::string(language.name) == "xx") {
        for (const std::string& text : drawn) {
            const bool ascii = std::all_of(text.begin(), text.end(), [](char c) {
                return static_cast<unsigned char>(c) < 0x80;
            });
            const bool words = std::count_if(text.begin(), text.end(),
                                             [](char c) { return c >= 'a' && c <= 'z'; }) >= 3;
            const bool name = text.find("Anna") != std::string::npos ||
                              text.find("Ben") != std::string::npos || text == "Quorlin!";
            EXPECT_FALSE(ascii && words && !name) << "\"" << text << "\" is not in the catalogues";
        }
    }
    // Every text inside the screen and its control, at a readable width.
    std::set<std::string> reported;
    for (const Drawn& d : m_drawn) {
        if (!reported.insert(d.text).second) {
            continue;
        }
        EXPECT_GE(d.squeeze, language.narrowest)
            << "\"" << d.text << "\" is " << d.width << " px wide for a room of " << d.room;
        EXPECT_GE(d.extent.x, 0) << "\"" << d.text << "\" starts left of the screen";
        EXPECT_LE(d.extent.x + d.extent.width, 1024) << "\"" << d.text << "\" runs off the screen";
    }
}

INSTANTIATE_TEST_SUITE_P(Catalogues, Languages, ::testing::ValuesIn(kLanguages),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
