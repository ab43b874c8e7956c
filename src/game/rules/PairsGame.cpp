#include "game/rules/PairsGame.h"

#include <algorithm>
#include <cassert>

namespace Gamespace::Rules {

Deal MakeDeal(DealRandom& random, size_t layoutCount, size_t cardCount, size_t faceCount) {
    assert(faceCount >= cardCount / 2 && "MakeDeal: fewer faces than pairs");
    Deal deal;
    deal.layout = static_cast<size_t>(random.RandomInRange(0, static_cast<int32_t>(layoutCount)));
    std::vector<int32_t> chosen;
    for (size_t k = 0; k < cardCount; ++k) {
        chosen.push_back(random.RandomUnused(0, static_cast<int32_t>(cardCount), chosen));
        deal.places.push_back(static_cast<size_t>(chosen.back()));
    }
    std::vector<int32_t> faces;
    if (cardCount > 1) {
        for (size_t k = 0; k < cardCount / 2; ++k) {
            faces.push_back(random.RandomUnused(0, static_cast<int32_t>(faceCount), faces));
            deal.faces.push_back(static_cast<size_t>(faces.back()));
        }
    }
    return deal;
}

PairsGame::PairsGame(size_t cardCount, size_t playerCount)
    : m_cards(cardCount),
      m_pairsFound(std::max<size_t>(playerCount, 1), 0),
      m_attemptsBy(m_pairsFound.size(), 0) {
    for (size_t i = 0; i < cardCount; ++i) {
        m_cards[i].pair = static_cast<uint16_t>(i / 2);
    }
}

TurnOutcome PairsGame::Turn(size_t index) {
    TurnOutcome outcome;
    if (index >= m_cards.size() || m_cards[index].faceUp || !m_cards[index].inPlay) {
        return outcome;
    }
    CardState& card = m_cards[index];
    card.faceUp = true;
    ++m_turned;
    if (m_selected.size() == 1) {
        m_selected.push_back(index);
        ++m_attemptsBy[m_player];
        CardState& first = m_cards[m_selected.front()];
        if (first.pair == card.pair) {
            first.inPlay = false;
            card.inPlay = false;
            ++m_pairsFound[m_player];
            outcome.result = TurnResult::PairFound;
            outcome.finished = Finished();
        } else {
            outcome.result = TurnResult::Unequal;
            m_player = (m_player + 1) % m_pairsFound.size();
        }
        return outcome;
    }
    if (m_selected.size() == 2) {
        CardState& a = m_cards[m_selected[0]];
        CardState& b = m_cards[m_selected[1]];
        if (a.pair != b.pair) {
            a.faceUp = false;
            b.faceUp = false;
            outcome.turnedBack = std::make_pair(m_selected[0], m_selected[1]);
        }
        m_selected.clear();
    }
    m_selected.push_back(index);
    outcome.result = TurnResult::First;
    return outcome;
}

std::vector<size_t> PairsGame::Leaders() const {
    const uint16_t most = *std::max_element(m_pairsFound.begin(), m_pairsFound.end());
    std::vector<size_t> leaders;
    for (size_t i = 0; i < m_pairsFound.size(); ++i) {
        if (m_pairsFound[i] == most) {
            leaders.push_back(i);
        }
    }
    return leaders;
}

bool PairsGame::Finished() const {
    return !m_cards.empty() && std::none_of(m_cards.begin(), m_cards.end(),
                                            [](const CardState& c) { return c.inPlay; });
}

}  // namespace Gamespace::Rules
