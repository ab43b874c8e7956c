#include "game/History.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "game/Blocks.h"
#include "game/Profiles.h"

namespace Gamespace {

namespace {
// An entry's length is one byte: the set's name is cut to fit.
constexpr size_t kMaxSetNameBytes = 255 - (8 + 1 + 1 + 4 + 2 + 1);

bool IsPossible(const GameRecord& game) {
    return game.difficulty < kDifficultyCount && game.attempts > 0 && game.when > 0;
}
}  // namespace

namespace {
std::function<int64_t()>& HistoryClock() {
    static std::function<int64_t()> clock;
    return clock;
}
}  // namespace

int64_t HistoryNow() {
    if (HistoryClock()) {
        return HistoryClock()();
    }
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::seconds>(now).count();
}

void SetHistoryClock(std::function<int64_t()> clock) {
    HistoryClock() = std::move(clock);
}

void AddToHistory(std::deque<GameRecord>& history, GameRecord game) {
    history.push_back(std::move(game));
    while (history.size() > kHistoryLength) {
        history.pop_front();
    }
}

std::optional<std::vector<uint8_t>> WriteHistory(const Player& player) {
    if (player.history.empty()) {
        return std::nullopt;
    }
    BlockWriter block;
    block.U16(static_cast<uint16_t>(player.history.size()));
    for (const GameRecord& game : player.history) {
        BlockWriter entry;
        entry.U64(static_cast<uint64_t>(game.when))
            .U8(game.difficulty)
            .U8(game.previewSeconds)
            .U32(game.seconds)
            .U16(game.attempts)
            .Text(game.cardSet.substr(0, kMaxSetNameBytes));
        const std::vector<uint8_t> bytes = entry.Take();
        block.U8(static_cast<uint8_t>(bytes.size()));
        for (uint8_t b : bytes) {
            block.U8(b);
        }
    }
    return block.Take();
}

bool ReadHistory(Player& player, std::span<const uint8_t> bytes) {
    if (bytes.size() < 2) {
        return false;
    }
    const size_t count = bytes[0] * 256u + bytes[1];
    std::deque<GameRecord> read;
    size_t at = 2;
    for (size_t i = 0; i < count && at < bytes.size(); ++i) {
        const size_t length = bytes[at];
        if (bytes.size() - at - 1 < length) {
            break;  // the entries after this one cannot be found
        }
        BlockReader entry(bytes.subspan(at + 1, length));
        at += 1 + length;
        GameRecord game;
        game.when = static_cast<int64_t>(entry.U64());
        game.difficulty = entry.U8();
        game.previewSeconds = entry.U8();
        game.seconds = entry.U32();
        game.attempts = entry.U16();
        game.cardSet = entry.Text();
        if (entry.AtEnd() && IsPossible(game)) {
            AddToHistory(read, std::move(game));  // a damaged entry is dropped alone
        }
    }
    if (read.empty()) {
        return false;
    }
    player.history = std::move(read);
    return true;
}

DifficultySummary Summarise(const Player& player, uint16_t difficulty) {
    DifficultySummary summary;
    summary.gamesPlayed = player.bests[difficulty].games;
    for (const auto& [key, bests] : player.otherBests) {
        summary.gamesPlayed += bests[difficulty].games;
    }
    uint64_t totalSeconds = 0;
    uint64_t totalAttempts = 0;
    for (const GameRecord& game : player.history) {
        if (game.difficulty != difficulty) {
            continue;
        }
        if (summary.recent.empty() || game.seconds < summary.bestSeconds) {
            summary.bestSeconds = game.seconds;
            summary.bestIndex = summary.recent.size();
        }
        summary.fewestAttempts = summary.recent.empty()
                                     ? game.attempts
                                     : std::min(summary.fewestAttempts, game.attempts);
        summary.recent.push_back(&game);
        totalSeconds += game.seconds;
        totalAttempts += game.attempts;
    }
    const uint64_t n = summary.recent.size();
    if (n > 0) {
        summary.averageSeconds = static_cast<uint32_t>((totalSeconds + n / 2) / n);
        summary.averageAttemptsTenths = static_cast<uint32_t>((totalAttempts * 10 + n / 2) / n);
    }
    // Games before the history count too.
    summary.gamesPlayed = std::max<uint32_t>(summary.gamesPlayed, static_cast<uint32_t>(n));
    return summary;
}

std::string IsoDate(int64_t when) {
    using namespace std::chrono;
    const sys_seconds time{seconds{when}};
    const auto day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return text;
}

std::string HistoryCsv(const std::deque<GameRecord>& history) {
    std::string csv = "date,difficulty,card set,preview seconds,seconds,attempts\n";
    for (const GameRecord& game : history) {
        // Set names are typed by people: quote them, doubling any quote.
        std::string set = "\"";
        // Sets by name: the built-in first one has none stored, own ones their folder's.
        std::string name = game.cardSet.empty() ? std::string("Pictures") : game.cardSet;
        if (name.rfind("own:", 0) == 0) {
            name.erase(0, 4);
        }
        for (char c : name) {
            set += c == '"' ? std::string("\"\"") : std::string(1, c);
        }
        set += '"';
        csv += IsoDate(game.when) + ',' + kDifficultyNames[std::min<size_t>(game.difficulty, 2)] +
               ',' + set + ',' + std::to_string(game.previewSeconds) + ',' +
               std::to_string(game.seconds) + ',' + std::to_string(game.attempts) + '\n';
    }
    return csv;
}

}  // namespace Gamespace
