#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "game/Blocks.h"
#include "game/Difficulty.h"
#include "game/History.h"

namespace Gamespace {

// One access to a small binary file: fields read and written at positions,
// numbers big-endian. Every read or write on a closed file returns false.
class RecordFile {
public:
    explicit RecordFile(std::string path) : m_path(std::move(path)) {}
    ~RecordFile() { Close(); }
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    const std::string& GetPath() const { return m_path; }
    // True when the file can be opened for reading.
    bool Exists();
    // Makes the file, or empties it; false for an empty path.
    bool Create();
    bool Delete();
    // Mode 1: reading and writing ("r+b"); any other: reading and appending.
    bool Open(int mode);
    void Close();
    // `position` -1 reads or writes at the current position; 0 or more moves
    // there first (and fails when it cannot).
    bool ReadBool(bool* out, long position = -1);
    bool ReadU16(uint16_t* out, long position = -1);
    // Reads `length` bytes; `out` is the text up to the first zero byte, also
    // after a short read. True only when all bytes were read.
    bool ReadString(std::string* out, size_t length, long position = -1);
    bool WriteByte(uint8_t value, long position = -1);
    bool WriteU16(uint16_t value, long position = -1);
    // Writes exactly `length` bytes: the text and its terminating zero as far
    // as they fit, zeros after.
    bool WriteString(const std::string& text, size_t length, long position = -1);

private:
    bool Seek(long position);
    bool Write(const void* data, size_t size, long position);

    std::string m_path;
    std::FILE* m_file = nullptr;
    int m_mode = 0;
};

// A player's figures for one difficulty.
struct PersonalBest {
    uint32_t games = 0;           // games finished
    uint32_t bestSeconds = 0;     // the fastest of them (when games > 0)
    uint16_t fewestAttempts = 0;  // the fewest attempts of them (when games > 0)
    bool operator==(const PersonalBest&) const = default;
};

using DifficultyBests = std::array<PersonalBest, kDifficultyCount>;

// What a game's bests are kept apart by: the card set (empty for the
// built-in one) and the preview length. The built-in set with the usual
// three seconds is the bests block every version reads.
struct BestsKey {
    std::string cardSet;
    uint8_t previewSeconds = kUsualPreviewSeconds;
    static constexpr uint8_t kUsualPreviewSeconds = 3;
    bool IsUsual() const { return cardSet.empty() && previewSeconds == kUsualPreviewSeconds; }
    auto operator<=>(const BestsKey&) const = default;
};

// The preview lengths a player can choose, in seconds (0: no preview).
inline constexpr std::array<uint8_t, 4> kPreviewChoices{0, 3, 5, 10};

// What a player chose for calm and accessible play; kept in their profile.
struct ComfortOptions {
    uint8_t previewSeconds = BestsKey::kUsualPreviewSeconds;  // one of kPreviewChoices
    bool clockHidden = false;                                 // the clock stays hidden during play
    bool reduceMotion = false;                                // animations finish at once
    bool operator==(const ComfortOptions&) const = default;
};

// One player profile.
struct Player {
    Player() = default;
    Player(bool isCurrent, std::string playerName, uint16_t level)
        : current(isCurrent), name(std::move(playerName)), difficulty(level) {}

    bool current = false;
    std::string name;             // at most 14 characters as typed; 15 bytes stored
    uint16_t difficulty = kHard;  // a Difficulty
    DifficultyBests bests{};      // the usual key's
    ComfortOptions comfort;
    // The bests of every other key a game was finished with.
    std::map<BestsKey, DifficultyBests> otherBests;
    // The bests kept for `key` (nothing finished there reads as all zero).
    const DifficultyBests& BestsFor(const BestsKey& key) const;
    // The latest finished solo games, oldest first (at most kHistoryLength).
    std::deque<GameRecord> history;
    // The card set chosen (a CardSet id; empty: the first built-in set).
    std::string cardSet;
    // Blocks after the bests that this version does not read (written by a
    // newer one), kept byte for byte.
    std::vector<TaggedBlock> otherBlocks;
    // What follows the last whole block (damage, or bytes of an unknown
    // kind): not read, written back after the blocks as it was.
    std::vector<uint8_t> unreadTail;
    // At least one game finished, on any difficulty.
    bool HasBests() const;
    // Games played to the end with others at the same screen, and of those
    // the ones this player won alone (a draw is no win). Solo bests never
    // count them.
    uint32_t gamesWithOthers = 0;
    uint32_t winsWithOthers = 0;
};

// Counts a game played with others to its end: `won` when this player alone
// found the most pairs.
void RecordGameWithOthers(Player& player, bool won);
// Whether the current player asked for less motion: every animation then
// ends at once, and nothing moves behind the screens.
bool ReduceMotion();

// What a finished game did to its difficulty's bests.
struct BestChange {
    bool first = false;     // the first game finished on this difficulty: its first best
    bool time = false;      // faster than the best before
    bool attempts = false;  // fewer attempts than the best before
    bool Beaten() const { return time || attempts; }
};
// Counts a finished game; a shorter time or fewer attempts becomes the best.
BestChange RecordFinishedGame(Player& player, uint16_t difficulty, uint32_t seconds,
                              uint16_t attempts);
// The same for a game played with `key`'s set and preview.
BestChange RecordFinishedGame(Player& player, const BestsKey& key, uint16_t difficulty,
                              uint32_t seconds, uint16_t attempts);

inline constexpr size_t kNameBytes = 15;
// The characters a name may hold: those the name box accepts.
inline constexpr uint8_t kFirstNameCharacter = 48;
inline constexpr uint8_t kLastNameCharacter = 122;
inline constexpr size_t kProfileBytes = 18;
// After those 18 bytes: the personal bests, a block of our own: the tag
// "BEST", a version byte, then for Easy, Medium and Hard the games finished
// (4 bytes), the best time in seconds (4) and the fewest attempts (2), all
// big-endian like the rest of the file.
inline constexpr uint8_t kBestTag[4] = {'B', 'E', 'S', 'T'};
inline constexpr uint8_t kBestVersion = 1;
inline constexpr size_t kBestBlockBytes = 4 + 1 + kDifficultyCount * (4 + 4 + 2);
// Tagged blocks follow the bests; a profile is read up to this size.
inline constexpr size_t kMaxProfileBytes = 4 * 1024 * 1024;
// The tagged blocks this version reads into a player and writes, in the order
// it writes them.
std::span<const BlockCodec<Player>> PlayerBlockCodecs();
inline constexpr const char* kSaveFolder = "save/";
inline constexpr const char* kOptionsFile = "options.opt";

// The players in memory, in the order they were loaded or added.
class PlayerList {
public:
    // The process-wide list, made empty on first use.
    static PlayerList* Instance();
    // Deletes the list; the next Instance makes a new, empty one.
    static void Destroy();

    // False for an empty name or a name already in the list (exact bytes).
    bool Add(const Player& player);
    // The first current player, else the default record.
    Player& GetCurrent();
    void ClearCurrent();
    // Clears every current flag, then sets `player`'s to `flag`.
    void SetCurrent(Player& player, bool flag);
    // The player called exactly `name`, or null.
    Player* Find(const std::string& name);
    // Every player but the current one, by name without regard to case
    // (names equal but for case in byte order).
    std::vector<Player*> OthersByName();
    // Takes the player called `name` out of the list and deletes their
    // profile file. False when there is no such player, for the current
    // player, or when the file could not be deleted (the player then stays).
    [[nodiscard]] bool Remove(const std::string& name);
    std::vector<std::unique_ptr<Player>>& GetPlayers() { return m_players; }
    // Loads every "save/*.usr" profile; without a current one the first
    // becomes current.
    void LoadAll();
    // Writes the profiles whose bytes differ from what their files hold (as
    // loaded or last saved by this list), or whose file has gone: a new
    // player, the two whose current flag moved, a file the game reads
    // otherwise than it says (a difficulty past Hard, a damaged or missing
    // bests block: written whole once); nothing else is touched. False when one could not be
    // written (reported).
    [[nodiscard]] bool SaveAll();

private:
    std::vector<std::unique_ptr<Player>> m_players;
    Player m_default;
    // By name: the bytes each player's own file holds, as far as Load reads.
    std::unordered_map<std::string, std::vector<uint8_t>> m_stored;
};

// Whether `name` could have been typed into the name box: 1 to 15
// characters, each one the box accepts. Such a name is always a safe file name.
bool IsValidPlayerName(const std::string& name);

// The profile at `path`: false when it is missing, not a regular file (a
// link, folder or FIFO is never opened for reading) or holds a name that
// could not have been typed. A difficulty past Hard reads as Hard. A missing,
// cut or unknown bests block reads as no games finished (the next save
// writes it anew); figures no game could make read as no games on their
// difficulty alone. Neither ever costs the player. The tagged blocks after
// the bests are read as far as they are whole (a known one that is damaged
// is dropped alone); what follows them is kept unread.
// With `fileBytes`, the bytes read (at most kMaxProfileBytes) go there.
[[nodiscard]] bool Load(Player& player, const std::string& path,
                        std::vector<uint8_t>* fileBytes = nullptr);
// Writes "save/<name>.usr" (the 18 bytes, the bests block and the tagged
// blocks: the ones this version knows, then the others it read; the folder
// made when missing) under a temporary name, flushed and renamed into place,
// so a failure or a crash never costs the previous profile. False when it
// could not be written (reported, see below).
[[nodiscard]] bool Save(const Player& player);

// Hears the first failure of this run to write a profile or the options,
// with the path and the reason; later failures are not reported again.
// Setting a reporter starts a new run.
void SetSaveFailureReporter(std::function<void(const std::string& error)> reporter);

// A volume the player set: a share of the full level, and a mute that keeps
// the share for when it is lifted.
struct VolumeSetting {
    static constexpr uint8_t kFull = 100;
    static constexpr uint8_t kStep = 10;
    uint8_t percent = kFull;
    bool muted = false;
    // What is heard, 0.0 to 1.0.
    double Level() const { return muted ? 0.0 : percent / 100.0; }
    bool operator==(const VolumeSetting&) const = default;
};

// What "options.opt" keeps for everybody on this machine. The three values
// of its first six bytes no part of the game reads: they are carried from
// file to file unchanged. The volumes and the screen mode follow in a block.
struct OptionValues {
    std::array<uint16_t, 3> values{20, 40, 3};
    VolumeSetting music;
    VolumeSetting effects;
    bool fullScreen = false;
    // The language chosen in the options ("de"...); empty: the environment's.
    std::string language;
    // Blocks after the six bytes that this version does not read.
    std::vector<TaggedBlock> otherBlocks;
};
inline constexpr size_t kOptionBytes = 6;
inline constexpr size_t kMaxOptionsBytes = 64 * 1024;
std::span<const BlockCodec<OptionValues>> OptionBlockCodecs();
OptionValues& GetOptionValues();
void LoadOptions();
// Written like a profile; false when it could not be written (reported).
[[nodiscard]] bool SaveOptions();

// Receives option changes (nothing sends them yet).
class IOptionObserver {
public:
    virtual ~IOptionObserver() = default;
    virtual void OnOptionsChanged() = 0;
    virtual void OnOptionsReset() = 0;
};
// Appends `observer` unless already registered; it must outlive the list.
void RegisterOptionObserver(IOptionObserver* observer);
const std::vector<IOptionObserver*>& GetOptionObservers();
void ClearOptionObservers();

}  // namespace Gamespace
