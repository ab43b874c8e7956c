#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "game/Profiles.h"

namespace Gamespace {

// One set of cards: a back and the faces a deal draws its pairs from.
struct CardSet {
    // What profiles and bests keep: empty for the first built-in set, the
    // name of another built-in one, kOwnSetPrefix + the folder's name for the
    // player's own.
    std::string id;
    std::string name;    // as shown
    std::string author;  // may be empty
    std::string back;    // picture paths, for the image cache
    std::vector<std::string> faces;
    bool own = false;
};
inline constexpr const char* kOwnSetPrefix = "own:";

// Every set the game offers: the built-in ones, then the player's own sets,
// read through the kernel's bounded reader, their pictures kept in memory.
// Main thread.
class CardSets {
public:
    // The sets, made with the built-in ones on first use.
    static CardSets* Instance();
    static void Destroy();

    CardSets();
    ~CardSets();
    CardSets(const CardSets&) = delete;
    CardSets& operator=(const CardSets&) = delete;

    // Reads the player's own sets in the folders below `roots` (again,
    // replacing those read before). Returns one line for each set that
    // cannot be used and is not offered: "<folder>: <why>".
    std::vector<std::string> LoadOwnSets(const std::vector<std::string>& roots);
    // The set in `folder` played this run in place of every player's choice
    // (not saved). Its problem, when it cannot be used: then nothing changes.
    std::optional<std::string> UseForThisRun(const std::string& folder);

    const std::vector<CardSet>& All() const { return m_sets; }
    // The set kept as `id`, or null when it is not offered.
    const CardSet* Find(const std::string& id) const;
    // What `player` plays with: this run's set, else the player's choice
    // while it is offered, else the first built-in set.
    const CardSet& ForPlayer(const Player& player) const;
    // The bests key of a game played with `set`.
    static BestsKey KeyOf(const CardSet& set);
    // A small picture of `path` (a face or back of a set) for the choice of
    // sets, made on first use; empty when it cannot be made.
    std::string Thumbnail(const std::string& path);

private:
    // The folder's set made into a CardSet whose pictures are kept, or its problem.
    std::optional<CardSet> Read(const std::string& folder, std::string* problem);

    std::vector<CardSet> m_sets;
    std::unique_ptr<CardSet> m_runSet;
    size_t m_builtIn = 0;                   // the first m_builtIn sets are the game's own
    int m_reads = 0;                        // numbers the kept pictures of each read
    std::vector<std::string> m_thumbnails;  // paths already made
};

}  // namespace Gamespace
