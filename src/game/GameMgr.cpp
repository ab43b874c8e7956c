#include "game/GameMgr.h"

#include <string>

#include "controls/Factory_impl.h"
#include "game/CardSets.h"
#include "time/TimeSystem_impl.h"

namespace Gamespace {

namespace {
// The game screen's controls, on the 1024 x 768 screen.
namespace PlayLayout {
constexpr ButtonShape kButtonShape{Layer::kGameButtons, {94, 26}, -5};
constexpr Spot kMenu{kCx - 280, kCy - 270};  // its bottom left corner
constexpr Extent kMenuSize{230, 70};
constexpr int32_t kMenuCaptionY = -35;
constexpr Spot kDifficulty{kCx, kCy - 360};
constexpr Extent kDifficultySize{100, 60};
constexpr Spot kMinutes{kCx + 150, kCy - 335};  // the clock: "m", ":", "ss"
constexpr Spot kColon{kCx + 170, kCy - 335};
constexpr Spot kSeconds{kCx + 190, kCy - 335};
// The scores of a game with others: top right, clear of the clock and the cards.
constexpr Spot kFirstScore{kScreenWidth - 230, 30};
constexpr int32_t kScoreStep = 30;
constexpr int32_t kMarkerGap = 8;  // the marker ends this far left of the name
}  // namespace PlayLayout
}  // namespace

using ControlLibrary::GetFactory;

namespace {
constexpr Colour kGreen{25, 250, 25};
constexpr Colour kRose{252, 133, 133};
}  // namespace

GameMgr::~GameMgr() {
    if (m_clock != nullptr && TimeLibrary::GetTimeSystem() != nullptr) {
        TimeLibrary::GetTimeSystem()->DestroyTimeObject(m_clock);
    }
}

void GameMgr::Initialize() {
    ControlLibrary::Factory_impl* factory = GetFactory();
    m_fontA = LoadFont("fonts/KBChopinScript72.txt");
    m_pressSound = LoadSound("sounds/menulight.wav");
    const ButtonStyle style{m_fontA,
                            "images/btn_def.png",
                            kMenuButtonFrames,
                            {kGold, kYellow, kPaleYellow, kGrey, kBlack},
                            m_pressSound};
    m_menuButton = MakeButton(style, Tr("Menu"), PlayLayout::kButtonShape, this);
    m_difficultyButton = MakeButton(style, Tr("Easy"), PlayLayout::kButtonShape, this);

    m_menuButton->SetAlignment(kAlignStart, kAlignEnd);
    m_menuButton->SetSize(PlayLayout::kMenuSize.width, PlayLayout::kMenuSize.height);
    m_menuButton->SetTextOffset({0, PlayLayout::kMenuCaptionY});
    m_menuButton->SetBackgroundHidden(true);

    m_fontB = LoadFont("fonts/KBChopinScript28.txt");
    m_difficultyButton->SetSize(PlayLayout::kDifficultySize.width,
                                PlayLayout::kDifficultySize.height);
    m_difficultyButton->SetTextOffset({0, 0});
    m_difficultyButton->SetBackgroundHidden(true);
    m_difficultyButton->SetFonts({m_fontB, nullptr, nullptr, nullptr});

    m_background = factory->CreateImageVO();
    m_background->SetAlignment(kAlignCentre, kAlignCentre);
    m_background->LoadImage("images/game_fon/1.jpg", true);
    m_background->SetZOrder(Layer::kGameBackground);
    m_background->AddMouseObserver(this);  // the mouse over the field hides the ring
    m_ring = factory->CreateImageVO();
    m_ring->SetAlignment(kAlignCentre, kAlignCentre);
    m_ring->LoadImage("images/vis_cover/focus.png", true);
    m_ring->SetZOrder(Layer::kFocusRing);
    m_ring->AddMouseObserver(this);
    m_ring->SetShown(false);

    for (ControlLibrary::IStringVO** label : {&m_minutes, &m_colon, &m_secondsLabel}) {
        *label = factory->CreateStringVO();
        (*label)->SetAlignment(kAlignEnd, kAlignCentre);
        (*label)->SetFont(m_fontA);
        (*label)->SetColour(kYellow);
        (*label)->SetZOrder(Layer::kClock);
    }
    m_minutes->SetColour(kGold);
    m_colon->SetColour(kGold);
    m_colon->SetText(":");
    m_secondsLabel->SetColour(kGold);
    m_secondsLabel->SetAlignment(kAlignStart, kAlignCentre);

    if (TimeLibrary::ITimeSystem* time = TimeLibrary::GetTimeSystem()) {
        m_clock = time->CreateTimeObject(this, -1, 1000);
        if (m_clock != nullptr) {
            m_clock->SetLooped(true);
        }
    }

    m_levelsDialog = std::make_unique<LevelsDlg>(this);
    m_finishDialog = std::make_unique<FinishDlg>(this);
    m_menuDialog = std::make_unique<MenuDlg>(this);
    m_matchDialog = std::make_unique<MatchResultDlg>(this);

    m_scoreFont = LoadFont("fonts/Pristina18.txt");
    for (size_t i = 0; i < kMaxSeats; ++i) {
        m_scores[i] = factory->CreateStringVO();
        m_scores[i]->SetFont(m_scoreFont);
        m_scores[i]->SetAlignment(kAlignStart, kAlignCentre);
        m_scores[i]->SetZOrder(Layer::kClock);
        m_scores[i]->SetShown(false);
        m_scores[i]->SetPosition(
            PlayLayout::kFirstScore.x,
            PlayLayout::kFirstScore.y + static_cast<int32_t>(i) * PlayLayout::kScoreStep);
        m_owned.Keep(m_scores[i]);
    }
    m_marker = factory->CreateStringVO();
    m_marker->SetFont(m_scoreFont);
    m_marker->SetAlignment(kAlignEnd, kAlignCentre);
    m_marker->SetZOrder(Layer::kClock);
    m_marker->SetColour(kGold);
    m_marker->SetText(">");
    m_marker->SetShown(false);
    m_owned.Keep(m_marker, m_scoreFont);

    FieldMgr::Instance()->Init(this);
    RegisterOptionObserver(this);
    factory->AddKeybdSysObserver(this);

    for (const auto& [object, spot] :
         {std::pair<ControlLibrary::IVisibleObject*, Spot>{m_menuButton, PlayLayout::kMenu},
          {m_difficultyButton, PlayLayout::kDifficulty},
          {m_background, {kCx, kCy}},
          {m_minutes, PlayLayout::kMinutes},
          {m_colon, PlayLayout::kColon},
          {m_secondsLabel, PlayLayout::kSeconds}}) {
        object->SetPosition(spot.x, spot.y);
    }
    m_owned.Keep(m_background, m_ring, m_minutes, m_colon, m_secondsLabel, m_menuButton,
                 m_difficultyButton, m_fontA, m_fontB, m_pressSound);
}

void GameMgr::Release() {
    m_matchDialog.reset();
    m_finishDialog.reset();
    m_menuDialog.reset();
    m_levelsDialog.reset();
    m_owned.ReleaseAll();
}

void GameMgr::Show() {
    m_active = true;
    m_background->SetShown(true);
    ShowClock();
    m_menuButton->SetShown(true);
    m_difficultyButton->SetShown(true);
    NewGame();
}

void GameMgr::Hide() {
    FieldMgr::Instance()->ShowAllFaces(false);
    m_background->SetShown(false);
    m_minutes->SetShown(false);
    m_colon->SetShown(false);
    m_secondsLabel->SetShown(false);
    m_menuButton->SetShown(false);
    m_difficultyButton->SetShown(false);
    for (ControlLibrary::IStringVO* label : m_scores) {
        label->SetShown(false);
    }
    m_marker->SetShown(false);
    HideRing();
    FocusButton(-1);
    m_active = false;
}

void GameMgr::ShowClock() {
    if (m_minutes == nullptr) {
        return;
    }
    const bool on = m_active && !PlayerList::Instance()->GetCurrent().comfort.clockHidden;
    m_minutes->SetShown(on);
    m_colon->SetShown(on);
    m_secondsLabel->SetShown(on);
}

void GameMgr::ShowMenu() {
    m_menuDialog->Show(true);
}

void GameMgr::ShowRing(size_t card) {
    const auto& cards = FieldMgr::Instance()->GetCards();
    if (card >= cards.size()) {
        return;
    }
    m_focusCard = card;
    const ControlLibrary::Rect r = cards[card]->cover->GetScreenRect();
    m_ring->SetPosition(r.x + r.width / 2, r.y + r.height / 2);
    m_ring->SetShown(true);
}

void GameMgr::ShowRingWhereItWas() {
    const auto& cards = FieldMgr::Instance()->GetCards();
    if (m_focusCard < cards.size()) {
        ShowRing(m_focusCard);
        return;
    }
    // On a new deal: the card nearest the top left.
    size_t first = 0;
    for (size_t i = 1; i < cards.size(); ++i) {
        const auto a = cards[i]->cover->GetScreenRect();
        const auto b = cards[first]->cover->GetScreenRect();
        if (a.y < b.y || (a.y == b.y && a.x < b.x)) {
            first = i;
        }
    }
    ShowRing(first);
}

void GameMgr::HideRing() {
    if (m_ring != nullptr) {
        m_ring->SetShown(false);
    }
}

int32_t GameMgr::GetFocusedCard() const {
    return m_ring != nullptr && m_ring->IsShown() ? static_cast<int32_t>(m_focusCard) : -1;
}

void GameMgr::OnFieldPointer() {
    HideRing();
}

void GameMgr::OnMouseMove(int32_t /*id*/, int32_t /*x*/, int32_t /*y*/) {
    HideRing();
}

void GameMgr::OnMouseEnter(int32_t /*id*/) {
    HideRing();
}

void GameMgr::FocusButton(int index) {
    m_buttonFocus = index;
    m_menuButton->SetHighlighted(index == 0);
    m_difficultyButton->SetHighlighted(index == 1);
}

void GameMgr::HandleKey(int32_t key, bool shift) {
    if (FinishFieldMotion()) {
        return;  // the result box took the screen: the key was for it
    }
    if (key == kKeyEscape) {
        FocusButton(-1);
        m_menuButton->Press();  // as a click: nothing while the count-down holds the screen
        return;
    }
    if (key == kKeyTab) {
        // -1 (the field), 0, 1, round again; backwards with Shift. The ring
        // shows where the focus is: on the field at once, never beside a lit button.
        FocusButton(((m_buttonFocus + 1 + (shift ? -1 : 1)) % 3 + 3) % 3 - 1);
        if (m_buttonFocus < 0) {
            ShowRingWhereItWas();
        } else {
            HideRing();
        }
        return;
    }
    if (m_buttonFocus >= 0 && (key == kKeyReturn || key == kKeySpace)) {
        ControlLibrary::IButtonVO* button = m_buttonFocus == 0 ? m_menuButton : m_difficultyButton;
        FocusButton(-1);
        button->Press();
        return;
    }
    FieldMgr* field = FieldMgr::Instance();
    if (field->HurryComputer()) {
        return;  // the computer's turn: any key makes its next move at once
    }
    const auto& cards = field->GetCards();
    if (cards.empty()) {
        return;
    }
    Direction direction{};
    const bool arrow = ArrowDirection(key, &direction);
    if (!arrow && key != kKeyReturn && key != kKeySpace) {
        return;
    }
    FocusButton(-1);  // back on the field
    if (!arrow && GetFocusedCard() < 0) {
        return;  // Space and Enter act on a ring the player has seen
    }
    if (GetFocusedCard() < 0 || m_focusCard >= cards.size()) {
        ShowRingWhereItWas();  // the first key only shows the ring
        return;
    }
    if (arrow) {
        std::vector<NavPoint> points;
        for (const auto& card : cards) {
            const auto r = card->cover->GetScreenRect();
            points.push_back({r.x + r.width / 2, r.y + r.height / 2});
        }
        ShowRing(NextInDirection(points, m_focusCard, direction));
        return;
    }
    // Space or Enter: exactly what a click on the focused card does.
    FieldMgr::Card& card = *cards[m_focusCard];
    if (card.cover->IsShown() && card.cover->IsEnabled()) {
        field->OnMouseDown(card.cover->GetId());
    }
}

void GameMgr::SetClockColour(const Colour& colour) {
    m_minutes->SetColour(colour);
    m_colon->SetColour(colour);
    m_secondsLabel->SetColour(colour);
}

void GameMgr::Pause(bool on) {
    for (BaseDialog* dialog : {static_cast<BaseDialog*>(m_finishDialog.get()),
                               static_cast<BaseDialog*>(m_menuDialog.get()),
                               static_cast<BaseDialog*>(m_levelsDialog.get()),
                               static_cast<BaseDialog*>(m_matchDialog.get())}) {
        if (dialog != nullptr && dialog->GetDialog()->IsShown()) {
            return;
        }
    }
    m_paused = on;
    FieldMgr::Instance()->SetPaused(on);
    if (m_clock != nullptr) {
        m_clock->SetPaused(on);
    }
    if (TimerDlg* countDown = FieldMgr::Instance()->GetTimerDialog()) {
        countDown->SetPaused(on);  // the exit confirmation can come during the count-down
    }
    SetClockColour(on ? kGrey : kGold);
}

void GameMgr::NewGame() {
    m_paused = false;
    HideRing();
    m_focusCard = SIZE_MAX;  // a new deal: the next key starts from the top left
    FieldMgr* field = FieldMgr::Instance();
    field->BuildField();
    m_previewSeconds = PlayerList::Instance()->GetCurrent().comfort.previewSeconds;
    m_observer->OnCountDown(true);
    m_seconds = 0;
    m_minutes->SetText("0");
    m_secondsLabel->SetText("0");
    SetClockColour(kGrey);
    if (m_clock != nullptr) {
        m_clock->Stop();
    }
    RefreshDifficultyButton();
    RefreshScores();
    // Last: without a preview the clock starts here.
    field->ShowAllFaces(true, m_previewSeconds);
}

void GameMgr::SetSeats(std::vector<Seat> seats) {
    FieldMgr::Instance()->SetSeats(std::move(seats));
}

void GameMgr::OnTurnChanged() {
    RefreshScores();
}

void GameMgr::RefreshScores() {
    FieldMgr* field = FieldMgr::Instance();
    const std::vector<Seat>& seats = field->GetSeats();
    const bool shown = m_active && !field->IsSolo();
    const Standing standing = field->GetStanding();
    for (size_t i = 0; i < kMaxSeats; ++i) {
        const bool used = shown && i < seats.size() && i < standing.pairs.size();
        m_scores[i]->SetShown(used);
        if (!used) {
            continue;
        }
        m_scores[i]->SetText(
            Filled("{name}: {pairs}",
                   {{"name", SeatName(seats[i])}, {"pairs", std::to_string(standing.pairs[i])}}));
        m_scores[i]->SetColour(i == standing.turn ? kGold : kPaleYellow);
    }
    // Whose turn: a marker before the name, besides the colour.
    m_marker->SetShown(shown);
    m_marker->SetPosition(
        PlayLayout::kFirstScore.x - PlayLayout::kMarkerGap,
        PlayLayout::kFirstScore.y + static_cast<int32_t>(standing.turn) * PlayLayout::kScoreStep);
}

void GameMgr::OnMouseDown(int32_t id) {
    if (m_background != nullptr && id == m_background->GetId()) {
        FieldMgr::Instance()->HurryComputer();
    }
}

void GameMgr::FinishMatch() {
    FieldMgr* field = FieldMgr::Instance();
    const std::vector<Seat>& seats = field->GetSeats();
    const Standing standing = field->GetStanding();
    PlayerList* players = PlayerList::Instance();
    std::vector<MatchResultDlg::Line> lines;
    for (size_t i = 0; i < seats.size() && i < standing.pairs.size(); ++i) {
        lines.push_back({SeatName(seats[i]), standing.pairs[i], standing.attempts[i]});
        if (seats[i].computer) {
            continue;
        }
        if (Player* player = players->Find(seats[i].name)) {
            const bool won = standing.leaders.size() == 1 && standing.leaders.front() == i;
            RecordGameWithOthers(*player, won);
        }
    }
    // The counts are kept at once; a failure is told by the reporter.
    static_cast<void>(players->SaveAll());
    m_matchDialog->SetResult(std::move(lines), standing.leaders);  // shown after the celebration
}

void GameMgr::RefreshDifficultyButton() {
    Colour normal = kGold;
    switch (PlayerList::Instance()->GetCurrent().difficulty) {
        case kEasy:
            m_difficultyButton->SetText(Tr("Easy"));
            normal = kGreen;
            break;
        // Translators: the difficulty button during a Medium game.
        case kMedium:
            m_difficultyButton->SetText(Tr("Meduim"));
            normal = kYellow;
            break;
        case kHard:
            m_difficultyButton->SetText(Tr("Hard"));
            normal = kRose;
            break;
        default:
            break;
    }
    m_difficultyButton->SetTextColours({normal, kYellow, kPaleYellow, kGrey, kBlack});
}

void GameMgr::OnMemorizeFinished() {
    m_observer->OnCountDown(false);
    const bool paused = m_paused;
    if (m_clock != nullptr) {
        m_clock->Start(paused, 0);  // started paused it stays frozen until Pause(false)
    }
    SetClockColour(paused ? kGrey : kGold);
}

void GameMgr::OnFieldCleared(uint16_t attempts) {
    Pause(true);
    if (!FieldMgr::Instance()->IsSolo()) {
        FinishMatch();  // solo bests are for solo games
        return;
    }
    Player& player = PlayerList::Instance()->GetCurrent();
    // Bests are kept per card set and preview: the first built-in set's with
    // the usual preview stay where every version reads them.
    const CardSet& set = CardSets::Instance()->ForPlayer(player);
    BestsKey key = CardSets::KeyOf(set);
    key.previewSeconds = m_previewSeconds;
    const uint16_t difficulty = std::min<uint16_t>(player.difficulty, kHardest);
    const BestChange change = RecordFinishedGame(player, key, difficulty, m_seconds, attempts);
    AddToHistory(player.history, {HistoryNow(), static_cast<uint8_t>(difficulty),
                                  key.previewSeconds, m_seconds, attempts, key.cardSet});
    // What the player just achieved is kept; a failure is told by the reporter.
    static_cast<void>(PlayerList::Instance()->SaveAll());
    m_finishDialog->SetResult(m_seconds, attempts);
    m_finishDialog->SetBest(player.BestsFor(key)[difficulty], change,
                            key.previewSeconds != BestsKey::kUsualPreviewSeconds);
    m_finishDialog->SetCardSetName(key.cardSet.empty() ? std::string() : set.name);
}

void GameMgr::OnFieldCelebrated() {
    if (!FieldMgr::Instance()->IsSolo()) {
        m_matchDialog->Show(true);
        return;
    }
    m_finishDialog->Show(true);
}

bool GameMgr::FinishFieldMotion() {
    const auto resultShown = [this] {
        return m_finishDialog->GetDialog()->IsShown() || m_matchDialog->GetDialog()->IsShown();
    };
    const bool shown = resultShown();
    FieldMgr::Instance()->FinishMotion();
    return !shown && resultShown();
}

void GameMgr::OnMouseClick(int32_t id) {
    if (FinishFieldMotion()) {
        return;  // the result box took the screen: the press was for it
    }
    if (id == m_menuButton->GetId()) {
        Pause(true);
        m_menuDialog->Show(true);
    } else if (id == m_difficultyButton->GetId()) {
        Pause(true);
        m_levelsDialog->Show(true);
    }
}

void GameMgr::OnTimeObjectTick(int32_t id) {
    if (m_clock == nullptr || id != m_clock->GetId()) {
        return;
    }
    const uint32_t seconds = ++m_seconds;
    m_minutes->SetText(std::to_string(seconds / 60));
    m_secondsLabel->SetText(std::to_string(seconds % 60));
}

void GameMgr::OnDialogShown(int32_t id, bool shown) {
    if (shown) {
        return;
    }
    if (id == m_finishDialog->GetDialogId()) {
        NewGame();
    } else if (id == m_matchDialog->GetDialogId()) {
        if (m_matchDialog->GetResult() == MatchResultDlg::kMainMenu) {
            m_observer->OnModuleFinished(m_id);
        } else {
            NewGame();  // the same players again
        }
    } else if (id == m_menuDialog->GetDialogId()) {
        if (m_menuDialog->GetResult() == MenuDlg::kMainMenu) {
            m_observer->OnModuleFinished(m_id);
        } else if (m_menuDialog->GetResult() == MenuDlg::kOptions) {
            m_observer->OnOptionsWanted();  // paused until the menu is closed again
        } else {
            Pause(false);
        }
    } else if (id == m_levelsDialog->GetDialogId()) {
        Player& player = PlayerList::Instance()->GetCurrent();
        if (m_levelsDialog->GetResult() != player.difficulty) {
            player.difficulty = m_levelsDialog->GetResult();
            static_cast<void>(PlayerList::Instance()->SaveAll());  // failures are told
            NewGame();
        } else {
            Pause(false);
        }
    }
}

}  // namespace Gamespace
