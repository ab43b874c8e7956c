#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Brisk {

namespace Platform {
class MappedFile;
}

inline constexpr uint32_t kPakMagic = 0xBAC04AC0;
inline constexpr uint8_t kPakScramble = 0x9D;

// One mounted archive: the whole file mapped read-only.
struct PakArchive {
    std::unique_ptr<Platform::MappedFile> file;
    std::string name;
};

// One entry of an archive's directory.
struct PakEntry {
    PakArchive* archive = nullptr;  // not owned
    std::string name;               // as stored, backslashes and case kept
    int32_t offset = 0;             // absolute, into the archive file
    int32_t size = 0;
    uint32_t fileTimeLow = 0;
    uint32_t fileTimeHigh = 0;
};

// An open file: an archive entry or a disk stream. Owned by the caller
// from OpenFile to CloseFile.
struct PakFile {
    PakEntry* entry = nullptr;    // none for a disk file
    int32_t position = 0;         // within the entry
    std::FILE* stream = nullptr;  // none for an archive file
};

// What a search reports for one match.
struct PakFindData {
    uint32_t attributes = 0;  // 16: a directory
    uint64_t creationTime = 0;
    uint64_t lastAccessTime = 0;
    uint64_t lastWriteTime = 0;  // 100 ns units since 1 January 1601
    uint64_t size = 0;
    std::string fileName;
};
inline constexpr uint32_t kFileAttributeDirectory = 16;

// A running search: archive matches first, then the matching disk files.
struct PakSearch {
    std::string lastKey;  // the last archive key reported
    std::string pattern;  // normalised
    bool onDisk = false;
    std::vector<PakFindData> diskMatches;
    size_t nextDisk = 0;
};

// The file layer every read of game data goes through: mounted pak archives
// first, loose files on disk otherwise. Main thread only.
class PakInterfaceBase {
public:
    virtual ~PakInterfaceBase() = default;
    virtual PakFile* OpenFile(const std::string& name, const std::string& mode) = 0;
    virtual int CloseFile(PakFile* file) = 0;
    virtual int Seek(PakFile* file, long offset, int origin) = 0;
    virtual long Tell(PakFile* file) = 0;
    virtual size_t Read(void* buffer, size_t size, size_t count, PakFile* file) = 0;
    virtual int ReadChar(PakFile* file) = 0;
    virtual int UnreadChar(int ch, PakFile* file) = 0;
    virtual char* ReadLine(char* buffer, int length, PakFile* file) = 0;
    virtual bool AtEnd(PakFile* file) = 0;
    virtual PakSearch* FindFirst(const std::string& pattern, PakFindData* found) = 0;
    virtual bool FindNext(PakSearch* search, PakFindData* found) = 0;
    virtual bool FindEnd(PakSearch* search) = 0;
};

class PakInterface : public PakInterfaceBase {
public:
    PakInterface();
    ~PakInterface() override;
    PakInterface(const PakInterface&) = delete;
    PakInterface& operator=(const PakInterface&) = delete;

    // The process-wide layer (created on first use, lives until exit).
    static PakInterface* Get();

    // Only the read modes "r", "rb", "r+b" and "rt" consult the archives.
    // Returns null when the file exists nowhere.
    PakFile* OpenFile(const std::string& name, const std::string& mode) override;
    int CloseFile(PakFile* file) override;
    // origin 0 from the start, 1 from the current position, 2 from the end;
    // archive positions are clamped into the entry.
    int Seek(PakFile* file, long offset, int origin) override;
    long Tell(PakFile* file) override;
    // Elements read; a partial trailing element is copied but not counted.
    size_t Read(void* buffer, size_t size, size_t count, PakFile* file) override;
    // The next character, carriage returns skipped; -1 at the end.
    int ReadChar(PakFile* file) override;
    int UnreadChar(int ch, PakFile* file) override;
    // A line up to and including its line feed, carriage returns skipped;
    // null when nothing is left.
    char* ReadLine(char* buffer, int length, PakFile* file) override;
    bool AtEnd(PakFile* file) override;
    // A search with wildcards ('*', '?'); null when nothing matches.
    PakSearch* FindFirst(const std::string& pattern, PakFindData* found) override;
    bool FindNext(PakSearch* search, PakFindData* found) override;
    bool FindEnd(PakSearch* search) override;

    // Mounts an archive; false (and nothing reported) when it is missing,
    // unreadable or malformed. The last mounted archive wins on equal names.
    // An archive already mounted under the same file name is not mounted again.
    // Throws std::system_error when the system has no descriptor or memory
    // left to open it: a shortage, not a missing or damaged archive.
    [[nodiscard]] bool AddArchive(const std::string& fileName);

    // The lookup key of a name: upper case, backslashes, runs of separators
    // folded, ".." resolved, a name under the working directory made relative.
    static std::string NormalizePakName(const std::string& name);

    // Every entry by key, the mounted archives themselves included.
    const std::map<std::string, PakEntry>& Entries() const { return m_entries; }

private:
    bool MatchArchive(PakSearch* search, PakFindData* found);
    bool StartDiskSearch(PakSearch* search);
    int ArchiveByte(PakFile* file);

    std::vector<std::unique_ptr<PakArchive>> m_archives;
    std::map<std::string, PakEntry> m_entries;  // key: normalised name
};

// One directory record of an archive, as read from the file.
struct PakDirRecord {
    std::string name;
    uint32_t size = 0;
    uint32_t fileTimeLow = 0;
    uint32_t fileTimeHigh = 0;
    uint32_t offset = 0;  // absolute, where its data starts
};

// Reads and checks the header and directory of a scrambled archive image:
// false when the magic or version is wrong, the directory is cut short, or
// any entry's data would lie past the end of the file.
bool ParsePakDirectory(const uint8_t* data, size_t size, std::vector<PakDirRecord>* records);

// The C-library-like functions every reader uses.
PakFile* pak_open(const char* name, const char* mode);
int pak_close(PakFile* file);
int pak_seek(PakFile* file, long offset, int origin);
long pak_tell(PakFile* file);
size_t pak_read(void* buffer, size_t size, size_t count, PakFile* file);
int pak_getc(PakFile* file);
int pak_ungetc(int ch, PakFile* file);
char* pak_gets(char* buffer, int length, PakFile* file);
int pak_eof(PakFile* file);

// Closes a PakFile when it goes out of scope.
struct PakFileCloser {
    void operator()(PakFile* file) const { pak_close(file); }
};
using PakFilePtr = std::unique_ptr<PakFile, PakFileCloser>;

// Reads a whole file through the pak layer; false when it cannot be opened
// or holds more than `maxBytes` (checked before anything is read).
[[nodiscard]] bool ReadWholeFile(const std::string& name, std::vector<uint8_t>* out,
                                 size_t maxBytes);

}  // namespace Brisk
