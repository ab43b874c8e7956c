#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "controls/IDialogVO.h"
#include "controls/IImageVO.h"
#include "controls/IRectVO.h"
#include "controls/Resources.h"
#include "game/CardMotion.h"
#include "game/Layout.h"
#include "game/Profiles.h"
#include "game/rules/Computer.h"
#include "game/rules/DealRandom.h"
#include "game/rules/PairsGame.h"
#include "time/ITimeSystem.h"

namespace Gamespace {

class TimerDlg;

struct CardPoint {
    int32_t x = 0;
    int32_t y = 0;
};
using CardLayout = std::vector<CardPoint>;

// The hand-made card arrangements: for each difficulty (0 Easy, 1 Medium,
// 2 Hard) a list of layouts of card centres on the 1024 x 768 screen.
class CardLayouts {
public:
    // Builds the table (again, discarding the old one).
    static void Build();
    // The layouts of a difficulty; anything but 0 or 1 is Hard.
    static const std::vector<CardLayout>& ForDifficulty(uint16_t difficulty);
};

// "images/vis_pairs/01.png" ... "10.png"; a number past the end gives the first.
const std::string& PicturePath(size_t number);
size_t PictureCount();

// One of the players at the screen: a player with a profile, or the computer.
struct Seat {
    std::string name;                         // the profile's; empty for the computer
    std::optional<Rules::Strength> computer;  // set: the computer at that strength
    bool operator==(const Seat&) const = default;
};

// The name a seat is shown by: the player's, or the computer with its strength.
std::string SeatName(const Seat& seat);

// What the scores of a game with others show: whose turn, pairs and attempts.
struct Standing {
    size_t turn = 0;
    std::vector<uint16_t> pairs;
    std::vector<uint16_t> attempts;
    std::vector<size_t> leaders;
};

// Hears the field: the count-down ended, and every pair was found. On the
// thread that turned the card: the main thread for a player's press, the
// timer thread for the computer's.
class FieldMgrObserver {
public:
    virtual ~FieldMgrObserver() = default;
    virtual void OnMemorizeFinished() = 0;
    virtual void OnFieldCleared(uint16_t attempts) = 0;
    // The field's celebration of a cleared field has ended (at once when
    // motion is reduced); the result may be shown now.
    virtual void OnFieldCelebrated() {}
    // The mouse moved over a card.
    virtual void OnFieldPointer() {}
    // In a game with others: a card was turned (scores or the turn may have changed).
    virtual void OnTurnChanged() {}
};

// Shows the field of cards: deals through the rules model (a layout for the
// current player's difficulty, places and pictures shuffled), shows all
// pictures during a three-second count-down, then forwards each press on a
// card to the model and shows what it says. Presses arrive on the main
// thread; the count-down's end on the timer thread.
//
// With others at the screen (SetSeats), players take turns as the rules say;
// on the computer's turn it turns a card every kComputerStepMs on the timer
// thread, and a press (a click, or GameMgr's keys) makes its next move at
// once. The rules are guarded by one lock, never held while observers or
// time objects are called.
class FieldMgr : public IOptionObserver,
                 public ControlLibrary::MouseMessageObserver,
                 public ControlLibrary::DialogMessageObserver,
                 public TimeLibrary::TimeObjectMessageObserver {
public:
    struct Card {
        ControlLibrary::IImageVO* cover = nullptr;
        ControlLibrary::IImageVO* face = nullptr;
        // Behind the card: the glow of a found pair, the soft mark of an
        // unequal one; never shown when motion is reduced.
        ControlLibrary::IRectVO* mark = nullptr;
        ControlLibrary::Size size;  // the pictures' own size
        CardPoint place;
        bool inPlay = true;
        uint16_t pair = 0;
    };

    // The one field, made on first use.
    static FieldMgr* Instance();
    // Deletes it (program exit, tests).
    static void Destroy();

    // How long each of the computer's cards stays before its next move.
    static constexpr int32_t kComputerStepMs = 1000;

    FieldMgr() = default;
    ~FieldMgr() override;
    FieldMgr(const FieldMgr&) = delete;
    FieldMgr& operator=(const FieldMgr&) = delete;

    // Registers for options, keeps `observer` (must outlive the field) and
    // makes the count-down dialog.
    void Init(FieldMgrObserver* observer);
    // Starts the deals' random sequence from `seed` (the application's seed
    // for this run, so that a demo deals again what it dealt).
    void SeedDeals(uint64_t seed) { m_random.Seed(seed); }
    // Deals a new field for the current player's difficulty; nothing shown.
    void BuildField();
    // All pictures up for a count-down of `previewSeconds`, or the whole
    // field hidden. Without a preview (0) the cards are dealt face down and
    // play starts at once.
    void ShowAllFaces(bool show, uint8_t previewSeconds = BestsKey::kUsualPreviewSeconds);
    // Releases every card's controls.
    void ClearField();
    // Who plays the next deals, in turn order; one seat (or none) is the solo game.
    void SetSeats(std::vector<Seat> seats);
    const std::vector<Seat>& GetSeats() const { return m_seats; }
    bool IsSolo() const { return m_seats.size() < 2; }
    // Whether the computer is to move now.
    bool IsComputerTurn();
    // A press during the computer's turn: its next move now. False when it is
    // not the computer's turn.
    bool HurryComputer();
    // Holds the computer's moves (menu, dialogs) or lets them go on.
    void SetPaused(bool on);
    Standing GetStanding();
    void OnTimeObjectTick(int32_t id) override;

    void OnOptionsChanged() override {}
    void OnOptionsReset() override {}
    void OnMouseDown(int32_t id) override;
    void OnMouseMove(int32_t id, int32_t x, int32_t y) override;
    void OnMouseEnter(int32_t id) override;
    void OnDialogShown(int32_t id, bool shown) override;

    const std::vector<std::unique_ptr<Card>>& GetCards() const { return m_cards; }
    uint16_t GetTurnedCount() const { return m_turnedCount; }
    // The rules of the field being played.
    const Rules::PairsGame& GetRules() const { return m_rules; }
    uint16_t GetSelectedCount() const { return m_selectedCount; }
    TimerDlg* GetTimerDialog() const { return m_timerDialog.get(); }
    ControlLibrary::ISound* GetFoundSound() const { return m_foundSound; }
    ControlLibrary::ISound* GetUnequalSound() const { return m_unequalSound; }
    // Brings every running animation to its end at once: called first by
    // every press, which is then handled as if nothing had moved.
    void FinishMotion() { m_motion.FinishAll(); }
    bool IsMoving() { return m_motion.IsMoving(); }

    // How long the field's animations run.
    static constexpr int32_t kTurnMs = 150;
    static constexpr int32_t kGlowMs = 250;
    static constexpr int32_t kCelebrationMs = 950;

private:
    static void TurnDown(Card& card);
    // What a turned card calls for once the lock is given back.
    struct After {
        bool turnChanged = false;
        std::optional<uint16_t> cleared;  // attempts, when the field was cleared
        bool computerStarts = false;      // the turn has just passed to the computer
        bool computerStops = false;       // the turn has just left the computer
        // What the field shows of the turn (turns, glows, marks): started by
        // Tell once the rules' lock is given back, since motion takes the
        // time system's lock, which the timer thread holds before the rules'.
        std::vector<std::function<void()>> shows;
    };
    // Turns card `index` as the current player (lock held); shows what the rules say.
    After TurnCardLocked(size_t index);
    // The computer's next card (lock held).
    After ComputerMoveLocked();
    void Tell(const After& after, bool restartComputer);
    bool IsComputerTurnLocked() const;
    // Turns `card` face up (or down) through its edge, ending with only that
    // side shown, at its own size.
    void Turn(Card& card, bool up);
    // The found pair's glow, staying as a frame behind both cards.
    void Glow(Card& card);
    // Every card lifts in a slow wave from left to right; then the observer hears.
    void Celebrate();
    void ShowMark(Card& card, bool found, int32_t pad);

    CardMotion m_motion;

    FieldMgrObserver* m_observer = nullptr;  // not owned
    std::vector<std::unique_ptr<Card>> m_cards;
    Card* m_firstSelected = nullptr;   // not owned
    Card* m_secondSelected = nullptr;  // not owned
    uint16_t m_selectedCount = 0;
    uint16_t m_cardZOrder = Layer::kCards;
    std::unique_ptr<TimerDlg> m_timerDialog;
    uint16_t m_turnedCount = 0;
    ControlLibrary::ISound* m_clickSound = nullptr;  // released with the next deal
    // Cues that need no sight: a found pair, an unequal pair.
    ControlLibrary::ISound* m_foundSound = nullptr;
    ControlLibrary::ISound* m_unequalSound = nullptr;
    // Turns every card face down and lets play start.
    void EndPreview();
    Rules::DealRandom m_random;
    std::mutex m_rulesLock;  // guards m_rules, m_computers, m_computerRandom, m_memorizing
    Rules::PairsGame m_rules;
    std::vector<Seat> m_seats;
    std::vector<std::optional<Rules::ComputerPlayer>> m_computers;  // by seat
    Rules::DealRandom m_computerRandom;  // seeded from each deal: demos replay its moves
    bool m_memorizing = false;           // the count-down: nobody moves
    TimeLibrary::ITimeObject* m_computerClock = nullptr;  // owned by the time system
};

}  // namespace Gamespace
