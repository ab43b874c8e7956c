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

// Replaces `path` by `bytes` through a temporary file that is flushed and
// renamed into place, so the old file survives any failure (full disk,
// read-only folder, crash). With `keepTail`, what an existing file holds
// beyond bytes.size() is kept. The file keeps its permissions; a link is
// replaced, never followed. False, with `error` ("<path>: <reason>"), on failure.
[[nodiscard]] bool WritePlayerFile(const std::string& path, const std::vector<uint8_t>& bytes,
                                   bool keepTail, std::string* error);

}  // namespace KernelLibrary
