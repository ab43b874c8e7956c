#pragma once

// The rules of the pairs game, without pictures, controls or time: what a
// deal is, what turning a card does, attempts, whose turn it is and when the
// field is cleared. The field on screen shows this model and forwards presses.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "game/rules/DealRandom.h"

namespace Gamespace::Rules {

// A dealt field: which of the layout's points each card takes and which face
// each pair shows. Cards 2k and 2k + 1 form pair k.
struct Deal {
    size_t layout = 0;           // which of the difficulty's layouts
    std::vector<size_t> places;  // card k stands on point places[k] of the layout
    std::vector<size_t> faces;   // pair k shows face faces[k], all distinct
};

// Draws a deal: a layout out of `layoutCount`, a random order of its
// `cardCount` points, and cardCount / 2 distinct faces out of `faceCount`
// (which must be at least that many). The draws come in that order.
Deal MakeDeal(DealRandom& random, size_t layoutCount, size_t cardCount, size_t faceCount);

enum class TurnResult : uint8_t {
    Ignored,    // not a card that can be turned: face up, found, or no card
    First,      // the first card of an attempt is up
    PairFound,  // the second card matches the first: both leave play
    Unequal,    // the second card differs: both stay up until the next press
};

struct TurnOutcome {
    TurnResult result = TurnResult::Ignored;
    // An unequal pair that this press turned face down, before it turned its card up.
    std::optional<std::pair<size_t, size_t>> turnedBack;
    bool finished = false;  // this press found the last pair
};

struct CardState {
    uint16_t pair = 0;
    bool faceUp = false;
    bool inPlay = true;
};

// One field being played. A wrong pair stays up until the next press on a
// face-down card, which turns it back and its own card up as the first of a
// new attempt. Every two cards turned count as one attempt. Players take
// turns: an unequal pair passes the turn on, a found pair keeps it.
class PairsGame {
public:
    // A field of `cardCount` cards (even) for `playerCount` players (at least one).
    explicit PairsGame(size_t cardCount = 0, size_t playerCount = 1);

    // The press on card `index`.
    TurnOutcome Turn(size_t index);

    const std::vector<CardState>& Cards() const { return m_cards; }
    // The face-up cards of the attempt in progress (0, 1 or 2 of them).
    const std::vector<size_t>& Selected() const { return m_selected; }
    // Cards turned face up since the deal.
    uint16_t TurnedCount() const { return m_turned; }
    uint16_t Attempts() const { return static_cast<uint16_t>(m_turned / 2); }
    bool Finished() const;
    size_t CurrentPlayer() const { return m_player; }
    // Pairs found by each player.
    const std::vector<uint16_t>& PairsFound() const { return m_pairsFound; }
    // Attempts made by each player (an attempt is the player's who turned its second card).
    const std::vector<uint16_t>& AttemptsBy() const { return m_attemptsBy; }
    size_t PlayerCount() const { return m_pairsFound.size(); }
    // The players with the most pairs: one is the winner, more are a draw.
    std::vector<size_t> Leaders() const;

private:
    std::vector<CardState> m_cards;
    std::vector<size_t> m_selected;
    uint16_t m_turned = 0;
    size_t m_player = 0;
    std::vector<uint16_t> m_pairsFound;
    std::vector<uint16_t> m_attemptsBy;
};

}  // namespace Gamespace::Rules
