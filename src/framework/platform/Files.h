#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Brisk::Platform {

// Reads at most `maxBytes` from the regular file at `path`. A link, a
// directory, a FIFO or a device is refused without blocking and without
// following the link. Nullopt and `error` filled on failure.
[[nodiscard]] std::optional<std::vector<uint8_t>> ReadRegularFile(const std::string& path,
                                                                  size_t maxBytes,
                                                                  std::string* error);

// Replaces the file at `path` by `data` without ever leaving it half written:
// the bytes go to "<path>.tmp", which is flushed to the disk and renamed into
// place only when every write succeeded; on failure the temporary file is
// removed and the old file stays as it was. With `keepTail`, the bytes an
// existing regular file holds beyond data.size() follow the new bytes. An
// existing file keeps its permission bits (new files get 0644 less the
// umask). A link at `path` is replaced, never followed; a directory, FIFO or
// device there is refused. False and `error` ("<path>: <reason>") on failure.
[[nodiscard]] bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& data,
                               bool keepTail, std::string* error);

// Removes, in `folder`, the temporary files ReplaceFile left when its process
// died before the rename (and "<name>.tmp" files of earlier versions), for
// target names ending in `targetEnd`: only those no writer holds any more and
// not changed for `minAge`. Another writer's file is never removed. Returns
// how many were removed.
inline constexpr std::chrono::seconds kStaleTemporaryAge{60};
size_t RemoveStaleTemporaries(const std::string& folder, const std::string& targetEnd,
                              std::chrono::seconds minAge = kStaleTemporaryAge);

// A whole file mapped read-only into memory. Owns the mapping.
class MappedFile {
public:
    // Null and `error` filled when the file cannot be opened or mapped.
    static std::unique_ptr<MappedFile> Open(const std::string& path, std::string* error);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const uint8_t* Data() const { return m_data; }
    size_t Size() const { return m_size; }

private:
    MappedFile() = default;
    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
};

}  // namespace Brisk::Platform
