#pragma once

// The computer opponent: it sees the cards every player sees turned up,
// remembers each with a chance that depends on its strength and forgets the
// oldest when its memory is full; on its turn it takes a pair it knows,
// otherwise turns a card it does not know and then the match when it knows
// it, else another unknown card. Every draw comes from a generator the
// caller owns (seeded from the deal), so a demo replays its choices.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "game/rules/DealRandom.h"
#include "game/rules/PairsGame.h"

namespace Gamespace::Rules {

enum class Strength : uint8_t { Forgetful = 0, Good = 1, Sharp = 2 };
inline constexpr size_t kStrengthCount = 3;

// How well a strength remembers: the chance in percent that a card shown is
// kept, and how many cards it holds at once (the oldest go first).
struct Memory {
    uint32_t keepPercent;
    size_t capacity;
};
Memory MemoryOf(Strength strength);

// A seed for the computer's generator taken from the deal itself, so that
// drawing it costs the deal's own sequence nothing.
uint64_t SeedFromDeal(const Deal& deal);

class ComputerPlayer {
public:
    explicit ComputerPlayer(Strength strength = Strength::Good) : m_strength(strength) {}

    Strength GetStrength() const { return m_strength; }
    // Card `index` showing pair `pair` was turned up, by anyone.
    void See(size_t index, uint16_t pair, DealRandom& random);
    // The card to turn next in `game` (whose turn it must be): the first or the
    // second of an attempt. SIZE_MAX when no card can be turned.
    size_t Choose(const PairsGame& game, DealRandom& random) const;
    // Whether the computer holds card `index` in memory.
    bool Knows(size_t index) const;

private:
    struct Seen {
        size_t index;
        uint16_t pair;
    };
    // The remembered card of `pair` other than `except` that is still in play; SIZE_MAX if none.
    size_t KnownOfPair(const PairsGame& game, uint16_t pair, size_t except) const;
    // A random face-down card in play that is not remembered (any face-down one
    // when all are remembered), other than `except`.
    static size_t Unknown(const PairsGame& game, const ComputerPlayer& self, size_t except,
                          DealRandom& random);

    Strength m_strength;
    std::deque<Seen> m_memory;  // oldest first
};

}  // namespace Gamespace::Rules
