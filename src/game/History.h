#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Gamespace {

struct Player;

// One finished solo game, as the history keeps it.
struct GameRecord {
    int64_t when = 0;  // seconds since 1970-01-01 UTC
    uint8_t difficulty = 0;
    uint8_t previewSeconds = 3;
    uint32_t seconds = 0;
    uint16_t attempts = 0;
    std::string cardSet;  // empty: the built-in set
    bool operator==(const GameRecord&) const = default;
};

// A profile keeps this many of its latest finished solo games.
inline constexpr size_t kHistoryLength = 100;

// Seconds since 1970-01-01 UTC now: the system's clock, or the one a test set
// (null: the system's again).
int64_t HistoryNow();
void SetHistoryClock(std::function<int64_t()> clock);

// Adds `game` as the newest; the oldest goes past kHistoryLength.
void AddToHistory(std::deque<GameRecord>& history, GameRecord game);

// The "HIST" block: a count (2 bytes), then per game a length byte and that
// many bytes: when (8), difficulty (1), preview seconds (1), seconds (4),
// attempts (2), the set's name (a length byte and the bytes). An entry that
// no game could make is dropped alone; reading stops where an entry's length
// runs past the block, keeping the entries before.
std::optional<std::vector<uint8_t>> WriteHistory(const Player& player);
bool ReadHistory(Player& player, std::span<const uint8_t> bytes);

// What the statistics show for one difficulty.
struct DifficultySummary {
    uint32_t gamesPlayed = 0;               // every finished game, also before the history
    std::vector<const GameRecord*> recent;  // this difficulty's games, oldest first
    uint32_t bestSeconds = 0;               // over `recent`; 0 when empty
    uint16_t fewestAttempts = 0;
    uint32_t averageSeconds = 0;  // rounded
    uint32_t averageAttemptsTenths = 0;
    size_t bestIndex = 0;  // in `recent`: the fastest, the earliest of equals
};
DifficultySummary Summarise(const Player& player, uint16_t difficulty);

// The history as comma-separated values, one line per game after a header:
// date (ISO 8601, UTC), difficulty, card set, preview seconds, seconds,
// attempts.
std::string HistoryCsv(const std::deque<GameRecord>& history);
// "2026-12-11T07:42:46Z".
std::string IsoDate(int64_t when);

}  // namespace Gamespace
