#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace KernelLibrary {

// The player's own small files (profiles, options), read and written safely
// for the game, which does not reach the platform itself.

// At most `maxBytes` of the regular file at `path`; a link, folder, FIFO or
// device is refused without blocking. Nullopt, with `error` filled, on failure.
[[nodiscard]] std::optional<std::vector<uint8_t>> ReadPlayerFile(const std::string& path,
                                                                 size_t maxBytes,
                                                                 std::string* error);

// Replaces `path` by `bytes` through a temporary file of this write alone,
// flushed and renamed into place, so the old file survives any failure (full
// disk, read-only folder, crash) and two copies of the game writing one file
// never spoil each other's write: the last one wins, whole. With `keepTail`, what an existing file
// holds beyond bytes.size() is kept. The file keeps its permissions; a link is replaced, never
// followed. False, with `error` ("<path>: <reason>"), on failure.
[[nodiscard]] bool WritePlayerFile(const std::string& path, const std::vector<uint8_t>& bytes,
                                   bool keepTail, std::string* error);

// Removes from `folder` the temporary files that a write of a file whose
// name ends in `targetEnd` left when its process died before finishing; a
// temporary file another copy of the program is still writing stays.
void RemoveStalePlayerTemporaries(const std::string& folder, const std::string& targetEnd);

// Where the player's files live, with a trailing '/': empty (the working
// folder) until set. A demo's playback sets a scratch folder here.
void SetPlayerDataRoot(const std::string& root);
std::string GetPlayerDataRoot();
// `relative` below the player's data folder.
std::string PlayerDataPath(const std::string& relative);

// The player's files the game keeps below that folder: a name ending in
// '/' stands for every file in that folder. A demo recording takes a copy.
void SetPlayerFileNames(const std::vector<std::string>& names);
std::vector<std::string> GetPlayerFileNames();

// While on, every successful WritePlayerFile is noted (the path as given):
// a playback reports what it would have written.
void LogPlayerWrites(bool on);
std::vector<std::string> LoggedPlayerWrites();

}  // namespace KernelLibrary
