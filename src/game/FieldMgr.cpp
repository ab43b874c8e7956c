#include "game/FieldMgr.h"
#include "common/ProcessWide.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "controls/Factory_impl.h"
#include "game/CardSets.h"
#include "game/Dialogs.h"
#include "time/TimeSystem_impl.h"

namespace Gamespace {

using ControlLibrary::GetFactory;

// --- layouts and pictures ---------------------------------------------------------------

namespace {

std::vector<std::vector<CardLayout>> g_layouts;

std::vector<std::vector<CardLayout>> LayoutTable() {
    return {
        // Easy: 10 cards.
        {{{212, 450},
          {362, 300},
          {362, 450},
          {362, 600},
          {512, 300},
          {512, 600},
          {662, 300},
          {662, 450},
          {662, 600},
          {812, 450}},
         {{362, 300},
          {362, 450},
          {362, 600},
          {512, 225},
          {512, 375},
          {512, 525},
          {512, 675},
          {662, 300},
          {662, 450},
          {662, 600}},
         {{137, 450},
          {412, 375},
          {287, 450},
          {412, 525},
          {512, 225},
          {512, 675},
          {612, 375},
          {737, 450},
          {612, 525},
          {887, 450}},
         {{262, 300},
          {262, 450},
          {262, 600},
          {512, 325},
          {437, 450},
          {587, 450},
          {512, 575},
          {762, 300},
          {762, 450},
          {762, 600}}},
        // Medium: 16 cards.
        {{{212, 300},
          {212, 450},
          {212, 600},
          {362, 300},
          {362, 450},
          {362, 600},
          {512, 200},
          {512, 350},
          {512, 550},
          {512, 700},
          {662, 300},
          {662, 450},
          {662, 600},
          {812, 300},
          {812, 450},
          {812, 600}},
         {{212, 300},
          {162, 450},
          {212, 600},
          {362, 265},
          {337, 450},
          {362, 635},
          {512, 225},
          {512, 375},
          {512, 525},
          {512, 675},
          {662, 265},
          {687, 450},
          {662, 635},
          {812, 300},
          {862, 450},
          {812, 600}},
         {{282, 240},
          {397, 240},
          {512, 240},
          {627, 240},
          {742, 240},
          {397, 355},
          {627, 355},
          {282, 470},
          {512, 470},
          {742, 470},
          {397, 585},
          {627, 585},
          {282, 700},
          {437, 700},
          {587, 700},
          {742, 700}}},
        // Hard: 20 cards.
        {{{137, 300}, {287, 270}, {437, 240}, {587, 240}, {737, 270}, {887, 300}, {137, 450},
          {287, 450}, {437, 390}, {437, 530}, {587, 530}, {587, 390}, {737, 450}, {887, 450},
          {137, 600}, {287, 630}, {437, 660}, {587, 660}, {737, 630}, {887, 600}},
         {{137, 300}, {137, 450}, {137, 600}, {287, 240}, {287, 390}, {287, 520}, {287, 660},
          {437, 300}, {437, 450}, {437, 600}, {587, 300}, {587, 450}, {587, 600}, {737, 270},
          {737, 390}, {737, 520}, {737, 660}, {887, 240}, {887, 450}, {887, 600}},
         {{137, 300}, {137, 450}, {137, 600}, {287, 240}, {287, 450}, {287, 660}, {437, 240},
          {437, 390}, {437, 520}, {437, 660}, {587, 240}, {587, 390}, {587, 520}, {587, 660},
          {737, 240}, {737, 450}, {737, 660}, {887, 300}, {887, 450}, {887, 600}},
         {{282, 240}, {397, 240}, {512, 240}, {627, 240}, {742, 240}, {167, 355}, {397, 355},
          {627, 355}, {857, 355}, {282, 470}, {512, 470}, {742, 470}, {167, 585}, {397, 585},
          {627, 585}, {857, 585}, {282, 700}, {437, 700}, {587, 700}, {742, 700}}},
    };
}

const std::vector<std::string>& Pictures() {
    static const std::vector<std::string> pictures = [] {
        std::vector<std::string> list;
        for (int i = 1; i <= 10; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "images/vis_pairs/%02d.png", i);
            list.emplace_back(name);
        }
        return list;
    }();
    return pictures;
}

// The frame behind a found pair (warm gold) and the soft mark behind an
// unequal pair (muted rose); the widths are what shows around the card.
constexpr ControlLibrary::Colour kFoundGlow{246, 204, 92};
constexpr ControlLibrary::Colour kUnequalMark{214, 150, 160};
constexpr int32_t kGlowPeakPad = 9;
constexpr int32_t kFoundPad = 5;
constexpr int32_t kUnequalPad = 4;
constexpr int32_t kLiftPixels = 10;
// The celebration: each card lifts for kLiftMs, the last one starting
// kWaveMs after the first, all after the last pair's glow.
constexpr int32_t kLiftMs = 300;
constexpr int32_t kWaveMs = 400;

}  // namespace

void CardLayouts::Build() {
    g_layouts = LayoutTable();
}

const std::vector<CardLayout>& CardLayouts::ForDifficulty(uint16_t difficulty) {
    if (g_layouts.empty()) {
        Build();
    }
    return g_layouts[std::min<size_t>(difficulty, kHardest)];
}

const std::string& PicturePath(size_t number) {
    const auto& pictures = Pictures();
    return number < pictures.size() ? pictures[number] : pictures.front();
}

size_t PictureCount() {
    return Pictures().size();
}

std::string SeatName(const Seat& seat) {
    if (!seat.computer) {
        return seat.name;
    }
    switch (*seat.computer) {
        case Rules::Strength::Forgetful:
            return Tr("Computer (forgetful)");
        case Rules::Strength::Good:
            return Tr("Computer (good)");
        case Rules::Strength::Sharp:
            break;
    }
    return Tr("Computer (sharp)");
}

// --- the field ------------------------------------------------------------------------

namespace {
std::unique_ptr<FieldMgr>& g_field = CommonLibrary::ProcessWide<FieldMgr>();
}

FieldMgr* FieldMgr::Instance() {
    if (g_field == nullptr) {
        g_field = std::make_unique<FieldMgr>();
    }
    return g_field.get();
}

void FieldMgr::Destroy() {
    g_field.reset();
}

FieldMgr::~FieldMgr() {
    if (m_computerClock != nullptr && TimeLibrary::GetTimeSystem() != nullptr) {
        TimeLibrary::GetTimeSystem()->DestroyTimeObject(m_computerClock);
    }
    if (GetFactory() != nullptr) {
        ClearField();
        GetFactory()->ReleaseSound(m_clickSound);
        GetFactory()->ReleaseSound(m_foundSound);
        GetFactory()->ReleaseSound(m_unequalSound);
    }
}

void FieldMgr::Init(FieldMgrObserver* observer) {
    RegisterOptionObserver(this);
    m_observer = observer;
    m_timerDialog = std::make_unique<TimerDlg>(this);
    if (TimeLibrary::ITimeSystem* time = TimeLibrary::GetTimeSystem()) {
        m_computerClock = time->CreateTimeObject(this, -1, kComputerStepMs);
        if (m_computerClock != nullptr) {
            m_computerClock->SetLooped(true);
        }
    }
    if (m_foundSound == nullptr) {
        m_foundSound = LoadSound("sounds/pair_found.ogg", 0.5);
        m_unequalSound = LoadSound("sounds/pair_unequal.ogg", 0.5);
    }
}

void FieldMgr::SetSeats(std::vector<Seat> seats) {
    std::lock_guard lock(m_rulesLock);
    m_seats = std::move(seats);
}

void FieldMgr::ClearField() {
    m_motion.Cancel();  // nothing may touch the cards once they are gone
    for (const auto& card : m_cards) {
        GetFactory()->ReleaseImageVO(card->cover);
        GetFactory()->ReleaseImageVO(card->face);
        GetFactory()->ReleaseRectVO(card->mark);
    }
    m_cards.clear();
    m_firstSelected = nullptr;
    m_secondSelected = nullptr;
    m_selectedCount = 0;
}

void FieldMgr::BuildField() {
    m_turnedCount = 0;
    if (m_computerClock != nullptr) {
        m_computerClock->Stop();
    }
    ClearField();
    std::lock_guard lock(m_rulesLock);

    const Player& player = PlayerList::Instance()->GetCurrent();
    const CardSet& set = CardSets::Instance()->ForPlayer(player);
    const std::vector<CardLayout>& layouts = CardLayouts::ForDifficulty(player.difficulty);
    const size_t cardCount = layouts.empty() ? 0 : layouts.front().size();
    // The pairs' faces are drawn from the whole set: a set larger than the
    // difficulty needs shows different faces from deal to deal.
    const Rules::Deal deal = Rules::MakeDeal(m_random, layouts.size(), cardCount, set.faces.size());
    const CardLayout& layout = layouts[deal.layout];
    const auto n = static_cast<int32_t>(layout.size());
    m_rules = Rules::PairsGame(layout.size(), std::max<size_t>(m_seats.size(), 1));
    m_computers.assign(m_seats.size(), std::nullopt);
    for (size_t i = 0; i < m_seats.size(); ++i) {
        if (m_seats[i].computer) {
            m_computers[i].emplace(*m_seats[i].computer);
        }
    }
    // Its own generator, seeded from the deal: the deals' sequence stays as it is.
    m_computerRandom.Seed(Rules::SeedFromDeal(deal));
    m_memorizing = true;

    ControlLibrary::Factory_impl* factory = GetFactory();
    auto makeImage = [&] {
        ControlLibrary::IImageVO* image = factory->CreateImageVO();
        image->SetZOrder(m_cardZOrder);
        image->SetAlignment(kAlignCentre, kAlignCentre);
        image->AddMouseObserver(this);
        return image;
    };
    for (int32_t k = 0; k < n; ++k) {
        auto card = std::make_unique<Card>();
        card->face = makeImage();
        card->cover = makeImage();
        card->cover->LoadImage(set.back, true);
        card->mark = factory->CreateRectVO();
        card->mark->SetZOrder(static_cast<uint16_t>(m_cardZOrder - 1));
        card->mark->SetAlignment(kAlignCentre, kAlignCentre);
        card->mark->SetStyle(1);
        card->mark->SetShown(false);
        m_cards.push_back(std::move(card));
    }
    for (int32_t k = 0; k < n / 2; ++k) {
        for (int32_t j = 0; j < 2; ++j) {
            Card& card = *m_cards[static_cast<size_t>(2 * k + j)];
            const CardPoint& place = layout[deal.places[static_cast<size_t>(2 * k + j)]];
            card.face->LoadImage(set.faces[deal.faces[static_cast<size_t>(k)]], true);
            card.cover->SetPosition(place.x, place.y);
            card.face->SetPosition(place.x, place.y);
            card.mark->SetPosition(place.x, place.y);
            card.place = place;
            card.size = card.face->GetSize();
            card.pair = static_cast<uint16_t>(k);
        }
    }

    factory->ReleaseSound(m_clickSound);  // one click sound at a time
    m_clickSound = factory->CreateSound();
    m_clickSound->Load("sounds/click.ogg");
    m_clickSound->SetVolume(0.3);
    m_selectedCount = 0;
}

void FieldMgr::ShowAllFaces(bool show, uint8_t previewSeconds) {
    m_motion.FinishAll();
    if (!show && m_computerClock != nullptr) {
        m_computerClock->Stop();
    }
    if (show && previewSeconds == 0) {
        EndPreview();  // no preview: face down at once
        return;
    }
    for (const auto& card : m_cards) {
        card->cover->SetShown(false);
        card->face->SetShown(show);
        card->mark->SetShown(false);
    }
    if (show && m_timerDialog != nullptr) {
        m_timerDialog->SetSeconds(previewSeconds);
        m_timerDialog->Show(true);
    }
}

void FieldMgr::TurnDown(Card& card) {
    card.face->SetShown(false);
    card.cover->SetShown(true);
}

void FieldMgr::Turn(Card& card, bool up) {
    ControlLibrary::IImageVO* from = up ? card.cover : card.face;
    ControlLibrary::IImageVO* to = up ? card.face : card.cover;
    // Both sides are at their own sizes here: nothing else turns this card.
    const ControlLibrary::Size fromSize = from->GetSize();
    const ControlLibrary::Size toSize = to->GetSize();
    m_motion.Add(
        {kTurnMs,
         [from, to, fromSize, toSize](double p) {
             // The side in view narrows to its edge about the centre,
             // then the other side widens from it.
             const bool first = p < 0.5;
             ControlLibrary::IImageVO* shown = first ? from : to;
             ControlLibrary::IImageVO* hidden = first ? to : from;
             const ControlLibrary::Size full = first ? fromSize : toSize;
             hidden->SetShown(false);
             hidden->SetSize(first ? toSize : fromSize);
             const double width = std::abs(1.0 - 2.0 * p) * full.width;
             shown->SetSize(
                 {std::max<uint32_t>(1, static_cast<uint32_t>(std::lround(width))), full.height});
             shown->SetShown(true);
             if (p >= 1.0) {
                 shown->SetSize(full);
             }
         },
         {},
         0});
}

void FieldMgr::ShowMark(Card& card, bool found, int32_t pad) {
    card.mark->SetColour(found ? kFoundGlow : kUnequalMark);
    card.mark->SetSize(card.size.width + static_cast<uint32_t>(2 * pad),
                       card.size.height + static_cast<uint32_t>(2 * pad));
    card.mark->SetShown(true);
}

void FieldMgr::Glow(Card& card) {
    if (ReduceMotion()) {
        return;  // the field looks exactly as without motion
    }
    Card* glowing = &card;
    m_motion.Add({kGlowMs,
                  [this, glowing](double p) {
                      // Swells to its peak at mid-time, then settles as a frame.
                      const double pad =
                          p < 0.5 ? 2.0 * p * kGlowPeakPad
                                  : kGlowPeakPad - (2.0 * p - 1.0) * (kGlowPeakPad - kFoundPad);
                      ShowMark(*glowing, true, static_cast<int32_t>(std::lround(pad)));
                  },
                  {},
                  0});
}

void FieldMgr::Celebrate() {
    int32_t left = m_cards.empty() ? 0 : m_cards.front()->place.x;
    int32_t right = left;
    for (const auto& card : m_cards) {
        left = std::min(left, card->place.x);
        right = std::max(right, card->place.x);
    }
    for (const auto& card : m_cards) {
        Card* lifted = card.get();
        const int32_t wave = right > left ? kWaveMs * (card->place.x - left) / (right - left) : 0;
        m_motion.Add({kLiftMs,
                      [lifted](double p) {
                          const auto lift = static_cast<int32_t>(
                              std::lround(kLiftPixels * std::sin(std::numbers::pi * p)));
                          const int32_t y = p >= 1.0 ? lifted->place.y : lifted->place.y - lift;
                          lifted->face->SetPosition(lifted->place.x, y);
                          lifted->mark->SetPosition(lifted->place.x, y);
                      },
                      {},
                      kGlowMs + wave});
    }
    m_motion.Add({kCelebrationMs,
                  {},
                  [this] {
                      if (m_observer != nullptr) {
                          m_observer->OnFieldCelebrated();
                      }
                  },
                  0});
}

void FieldMgr::OnMouseDown(int32_t id) {
    // Whatever moves ends first; the press then counts as on a still field.
    m_motion.FinishAll();
    // Only a hit on a card's back counts: a face up card gives no press.
    for (size_t i = 0; i < m_cards.size(); ++i) {
        if (m_cards[i]->cover->GetId() != id) {
            continue;
        }
        if (HurryComputer()) {
            return;  // not the player's card to turn: the computer moves at once
        }
        After after;
        {
            std::lock_guard lock(m_rulesLock);
            after = TurnCardLocked(i);
        }
        Tell(after, true);
    }
}

FieldMgr::After FieldMgr::TurnCardLocked(size_t index) {
    After after;
    Card& card = *m_cards[index];
    const bool computerBefore = IsComputerTurnLocked();
    const Rules::TurnOutcome outcome = m_rules.Turn(index);
    if (outcome.result == Rules::TurnResult::Ignored) {
        return after;
    }
    if (m_clickSound != nullptr) {
        m_clickSound->Play(false);
    }
    if (outcome.turnedBack) {
        Card& first = *m_cards[outcome.turnedBack->first];
        Card& second = *m_cards[outcome.turnedBack->second];
        for (Card* back : {&first, &second}) {
            after.shows.push_back([this, back] {
                back->mark->SetShown(false);
                Turn(*back, false);
            });
        }
    }
    after.shows.push_back([this, turned = &card] { Turn(*turned, true); });
    // The selection and counts as the rules have them now.
    const std::vector<size_t>& selected = m_rules.Selected();
    m_selectedCount = static_cast<uint16_t>(selected.size());
    m_firstSelected = selected.empty() ? nullptr : m_cards[selected[0]].get();
    m_secondSelected = selected.size() < 2 ? nullptr : m_cards[selected[1]].get();
    m_turnedCount = m_rules.TurnedCount();
    ControlLibrary::ISound* cue = outcome.result == Rules::TurnResult::PairFound ? m_foundSound
                                  : outcome.result == Rules::TurnResult::Unequal ? m_unequalSound
                                                                                 : nullptr;
    if (cue != nullptr) {
        cue->Play(false);
    }
    Card* const first = m_firstSelected;
    Card* const second = m_secondSelected;
    if (outcome.result == Rules::TurnResult::Unequal && !ReduceMotion()) {
        after.shows.push_back([this, first, second] {
            ShowMark(*first, false, kUnequalPad);
            ShowMark(*second, false, kUnequalPad);
        });
    }
    if (outcome.result == Rules::TurnResult::PairFound) {
        first->inPlay = false;
        card.inPlay = false;
        after.shows.push_back([this, first, turned = &card] {
            Glow(*first);
            Glow(*turned);
        });
    }
    // Every computer at the screen sees the card, as a player does.
    for (auto& computer : m_computers) {
        if (computer) {
            computer->See(index, m_rules.Cards()[index].pair, m_computerRandom);
        }
    }
    after.turnChanged = !IsSolo();
    if (outcome.finished) {
        after.cleared = m_rules.Attempts();
        after.computerStops = true;
        return after;
    }
    const bool computerNow = IsComputerTurnLocked();
    after.computerStarts = computerNow && !computerBefore;
    after.computerStops = !computerNow && computerBefore;
    return after;
}

FieldMgr::After FieldMgr::ComputerMoveLocked() {
    if (!IsComputerTurnLocked()) {
        return {};
    }
    const auto& computer = m_computers[m_rules.CurrentPlayer()];
    const size_t card = computer->Choose(m_rules, m_computerRandom);
    if (card >= m_cards.size()) {
        return {};
    }
    return TurnCardLocked(card);
}

void FieldMgr::Tell(const After& after, bool restartComputer) {
    for (const auto& show : after.shows) {
        show();
    }
    if (m_computerClock != nullptr) {
        if (after.computerStops || after.cleared) {
            m_computerClock->Stop();
        } else if (after.computerStarts || (restartComputer && IsComputerTurn())) {
            // A full step from now, so the card just turned can be followed.
            m_computerClock->Stop();
            m_computerClock->Start(false, 0);
        }
    }
    if (m_observer != nullptr && after.turnChanged) {
        m_observer->OnTurnChanged();
    }
    if (after.cleared) {
        // The result counts now (the clock stops); it shows after the celebration.
        if (m_observer != nullptr) {
            m_observer->OnFieldCleared(*after.cleared);
        }
        Celebrate();
    }
}

bool FieldMgr::IsComputerTurnLocked() const {
    const size_t player = m_rules.CurrentPlayer();
    return !m_memorizing && !m_rules.Finished() && player < m_computers.size() &&
           m_computers[player].has_value();
}

bool FieldMgr::IsComputerTurn() {
    std::lock_guard lock(m_rulesLock);
    return IsComputerTurnLocked();
}

bool FieldMgr::HurryComputer() {
    After after;
    {
        std::lock_guard lock(m_rulesLock);
        if (!IsComputerTurnLocked()) {
            return false;
        }
        after = ComputerMoveLocked();
    }
    Tell(after, true);
    return true;
}

void FieldMgr::OnTimeObjectTick(int32_t id) {
    if (m_computerClock == nullptr || id != m_computerClock->GetId()) {
        return;
    }
    After after;
    {
        std::lock_guard lock(m_rulesLock);
        after = ComputerMoveLocked();
    }
    Tell(after, false);  // the clock goes on: its next move a step later
}

void FieldMgr::SetPaused(bool on) {
    if (m_computerClock != nullptr) {
        m_computerClock->SetPaused(on);
    }
}

Standing FieldMgr::GetStanding() {
    std::lock_guard lock(m_rulesLock);
    return {m_rules.CurrentPlayer(), m_rules.PairsFound(), m_rules.AttemptsBy(), m_rules.Leaders()};
}

void FieldMgr::OnMouseMove(int32_t /*id*/, int32_t /*x*/, int32_t /*y*/) {
    if (m_observer != nullptr) {
        m_observer->OnFieldPointer();
    }
}

void FieldMgr::OnMouseEnter(int32_t /*id*/) {
    if (m_observer != nullptr) {
        m_observer->OnFieldPointer();
    }
}

void FieldMgr::OnDialogShown(int32_t id, bool shown) {
    if (m_timerDialog == nullptr || id != m_timerDialog->GetDialogId() || shown) {
        return;
    }
    EndPreview();
}

void FieldMgr::EndPreview() {
    m_motion.FinishAll();
    for (const auto& card : m_cards) {
        TurnDown(*card);
    }
    {
        std::lock_guard lock(m_rulesLock);
        m_memorizing = false;
    }
    if (m_observer != nullptr) {
        m_observer->OnMemorizeFinished();
    }
}

}  // namespace Gamespace
