#include "game/rules/Computer.h"

#include <algorithm>

namespace Gamespace::Rules {

Memory MemoryOf(Strength strength) {
    switch (strength) {
        case Strength::Forgetful:
            return {35, 4};
        case Strength::Good:
            return {75, 8};
        case Strength::Sharp:
            break;
    }
    return {100, SIZE_MAX};
}

uint64_t SeedFromDeal(const Deal& deal) {
    // FNV-1a over the layout, the places and the faces.
    uint64_t hash = 14695981039346656037ULL;
    auto mix = [&hash](uint64_t value) {
        for (int i = 0; i < 8; ++i) {
            hash ^= (value >> (8 * i)) & 0xFFu;
            hash *= 1099511628211ULL;
        }
    };
    mix(deal.layout);
    for (size_t place : deal.places) {
        mix(place);
    }
    for (size_t face : deal.faces) {
        mix(face);
    }
    return hash;
}

void ComputerPlayer::See(size_t index, uint16_t pair, DealRandom& random) {
    const Memory memory = MemoryOf(m_strength);
    const bool keep = random.Below(100) < memory.keepPercent;
    const auto known = std::find_if(m_memory.begin(), m_memory.end(),
                                    [index](const Seen& s) { return s.index == index; });
    if (known != m_memory.end()) {
        m_memory.erase(known);  // seen again: fresh in mind, or gone
    }
    if (!keep) {
        return;
    }
    m_memory.push_back({index, pair});
    while (m_memory.size() > memory.capacity) {
        m_memory.pop_front();
    }
}

bool ComputerPlayer::Knows(size_t index) const {
    return std::any_of(m_memory.begin(), m_memory.end(),
                       [index](const Seen& s) { return s.index == index; });
}

size_t ComputerPlayer::KnownOfPair(const PairsGame& game, uint16_t pair, size_t except) const {
    for (const Seen& s : m_memory) {
        if (s.pair == pair && s.index != except && game.Cards()[s.index].inPlay) {
            return s.index;
        }
    }
    return SIZE_MAX;
}

size_t ComputerPlayer::Unknown(const PairsGame& game, const ComputerPlayer& self, size_t except,
                               DealRandom& random) {
    std::vector<size_t> unknown;
    std::vector<size_t> any;
    const auto& cards = game.Cards();
    // A card up (the first of this attempt, or a wrong pair waiting to turn
    // back) cannot be pressed.
    for (size_t i = 0; i < cards.size(); ++i) {
        if (!cards[i].inPlay || cards[i].faceUp || i == except) {
            continue;
        }
        any.push_back(i);
        if (!self.Knows(i)) {
            unknown.push_back(i);
        }
    }
    const std::vector<size_t>& from = unknown.empty() ? any : unknown;
    if (from.empty()) {
        return SIZE_MAX;
    }
    return from[random.Below(static_cast<uint32_t>(from.size()))];
}

size_t ComputerPlayer::Choose(const PairsGame& game, DealRandom& random) const {
    const auto& selected = game.Selected();
    if (selected.size() == 1) {
        // The second card: the match when it is known, else one it does not know.
        const size_t first = selected.front();
        const size_t match = KnownOfPair(game, game.Cards()[first].pair, first);
        return match != SIZE_MAX ? match : Unknown(game, *this, first, random);
    }
    // The first card: one of a pair it knows whole, oldest known first.
    for (const Seen& s : m_memory) {
        const CardState& card = game.Cards()[s.index];
        if (card.inPlay && !card.faceUp && KnownOfPair(game, s.pair, s.index) != SIZE_MAX) {
            return s.index;
        }
    }
    return Unknown(game, *this, SIZE_MAX, random);
}

}  // namespace Gamespace::Rules
