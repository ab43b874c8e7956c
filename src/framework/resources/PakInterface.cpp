#include "framework/resources/PakInterface.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "framework/platform/Files.h"

namespace Brisk {
namespace {

namespace fs = std::filesystem;

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

std::string Upper(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return s;
}

bool IsReadMode(const std::string& mode) {
    const std::string m = Upper(mode);
    return m == "R" || m == "RB" || m == "R+B" || m == "RT";
}

// The path a name has on disk: backslashes become slashes, and when the
// exact path does not exist each component is matched without regard to case.
std::string DiskPath(const std::string& name, bool resolveCase) {
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    std::error_code ec;
    if (!resolveCase || path.empty() || fs::exists(path, ec)) {
        return path;
    }
    fs::path resolved = path[0] == '/' ? fs::path("/") : fs::path(".");
    for (const fs::path& part : fs::path(path).relative_path()) {
        const std::string want = Upper(part.string());
        fs::path next = resolved / part;
        if (!fs::exists(next, ec) && fs::is_directory(resolved, ec)) {
            for (const auto& entry : fs::directory_iterator(resolved, ec)) {
                if (Upper(entry.path().filename().string()) == want) {
                    next = entry.path();
                    break;
                }
            }
        }
        resolved = next;
    }
    return resolved.lexically_normal().string();
}

// Wildcard match of an upper-cased name: '*' any run, '?' one character.
bool WildcardMatch(const char* pattern, const char* name) {
    if (*pattern == '\0') {
        return *name == '\0';
    }
    if (*pattern == '*') {
        for (const char* n = name;; ++n) {
            if (WildcardMatch(pattern + 1, n)) {
                return true;
            }
            if (*n == '\0') {
                return false;
            }
        }
    }
    if (*name == '\0') {
        return false;
    }
    return (*pattern == '?' || *pattern == *name) && WildcardMatch(pattern + 1, name + 1);
}

uint64_t ToFileTime(fs::file_time_type t) {
    // 100 ns units since 1601-01-01; the Unix epoch is 11644473600 s later.
    const auto sys =
        std::chrono::time_point_cast<std::chrono::microseconds>(std::chrono::file_clock::to_sys(t));
    const int64_t us = sys.time_since_epoch().count();
    return static_cast<uint64_t>((us + 11644473600LL * 1000000) * 10);
}

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

PakInterface::PakInterface() = default;
PakInterface::~PakInterface() = default;

PakInterface* PakInterface::Get() {
    static PakInterface instance;
    return &instance;
}

std::string PakInterface::NormalizePakName(const std::string& name) {
    std::string in = name;
    if (!in.empty() && in[0] == '/') {
        // A name under the working directory becomes relative.
        std::error_code ec;
        std::string cwd = fs::current_path(ec).string();
        if (!ec) {
            if (cwd.empty() || cwd.back() != '/') {
                cwd.push_back('/');
            }
            if (in.size() >= cwd.size() && Upper(in.substr(0, cwd.size())) == Upper(cwd)) {
                in = in.substr(cwd.size());
            }
        }
    }
    std::string out;
    size_t i = 0;
    while (i < in.size() && out.size() < 255) {
        const char c = in[i];
        if (IsSeparator(c)) {
            if (out.empty() || out.back() != '\\') {
                out.push_back('\\');
            }
            ++i;
            continue;
        }
        const bool dotDot = c == '.' && i + 1 < in.size() && in[i + 1] == '.' &&
                            (i + 2 == in.size() || IsSeparator(in[i + 2]));
        if (dotDot && !out.empty() && out.back() == '\\' && out.size() > 1) {
            // Drop the component before "..", with its separator.
            out.pop_back();
            const size_t prev = out.find_last_of('\\');
            out.erase(prev == std::string::npos ? 0 : prev + 1);
            i += 2;
            while (i < in.size() && IsSeparator(in[i])) {
                ++i;
            }
            continue;
        }
        out.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        ++i;
    }
    return out;
}

bool ParsePakDirectory(const uint8_t* data, size_t fileSize, std::vector<PakDirRecord>* records) {
    records->clear();
    if (fileSize < 8 || fileSize > 0x7FFFFFFF) {
        return false;
    }
    auto byteAt = [&](size_t pos) { return static_cast<uint8_t>(data[pos] ^ kPakScramble); };
    uint8_t header[8];
    for (size_t i = 0; i < 8; ++i) {
        header[i] = byteAt(i);
    }
    if (ReadU32(header) != kPakMagic || ReadU32(header + 4) != 0) {
        return false;
    }
    // Every record is checked against what the file really holds.
    size_t pos = 8;
    bool ended = false;
    while (pos < fileSize) {
        const uint8_t flags = byteAt(pos++);
        if ((flags & 0x80) != 0) {
            ended = true;
            break;
        }
        if (pos >= fileSize) {
            return false;
        }
        const size_t nameLength = byteAt(pos++);
        if (fileSize - pos < nameLength + 12) {
            return false;
        }
        PakDirRecord r;
        r.name.resize(nameLength);
        for (size_t k = 0; k < nameLength; ++k) {
            r.name[k] = static_cast<char>(byteAt(pos + k));
        }
        pos += nameLength;
        uint8_t fields[12];
        for (size_t k = 0; k < 12; ++k) {
            fields[k] = byteAt(pos + k);
        }
        pos += 12;
        r.size = ReadU32(fields);
        r.fileTimeLow = ReadU32(fields + 4);
        r.fileTimeHigh = ReadU32(fields + 8);
        records->push_back(std::move(r));
    }
    if (!ended) {
        return false;  // no end byte: a truncated directory
    }
    uint64_t offset = pos;
    for (PakDirRecord& r : *records) {
        r.offset = static_cast<uint32_t>(offset);
        offset += r.size;
        if (offset > fileSize) {
            return false;  // the directory points past the end of the file
        }
    }
    return true;
}

bool PakInterface::AddArchive(const std::string& fileName) {
    for (const auto& mounted : m_archives) {
        if (mounted->name == fileName) {
            return true;  // already mounted: its entries are there
        }
    }
    std::string error;
    errno = 0;
    auto mapped = Platform::MappedFile::Open(DiskPath(fileName, true), &error);
    if (mapped == nullptr && (errno == EMFILE || errno == ENFILE || errno == ENOMEM)) {
        // A whole archive the system would not open or map is no damage of
        // its: the shortage goes up to be named.
        throw std::system_error(errno, std::generic_category(), fileName);
    }
    std::vector<PakDirRecord> records;
    if (mapped == nullptr || !ParsePakDirectory(mapped->Data(), mapped->Size(), &records)) {
        return false;
    }
    const auto fileSize = static_cast<int32_t>(mapped->Size());
    auto archive = std::make_unique<PakArchive>();
    archive->name = fileName;
    archive->file = std::move(mapped);
    PakArchive* a = archive.get();
    m_archives.push_back(std::move(archive));
    // The archive itself is an entry too, as the whole scrambled file.
    m_entries[NormalizePakName(fileName)] = PakEntry{a, fileName, 0, fileSize, 0, 0};
    for (PakDirRecord& r : records) {
        PakEntry entry{a,
                       r.name,
                       static_cast<int32_t>(r.offset),
                       static_cast<int32_t>(r.size),
                       r.fileTimeLow,
                       r.fileTimeHigh};
        m_entries[Upper(std::move(r.name))] = std::move(entry);  // the last archive wins
    }
    return true;
}

PakFile* PakInterface::OpenFile(const std::string& name, const std::string& mode) {
    const bool read = IsReadMode(mode);
    if (read) {
        auto it = m_entries.find(NormalizePakName(name));
        if (it != m_entries.end()) {
            return new PakFile{&it->second, 0, nullptr};
        }
    }
    // "e": no program the game starts inherits the file.
    std::FILE* stream = std::fopen(DiskPath(name, read).c_str(), (mode + "e").c_str());
    if (stream == nullptr) {
        return nullptr;
    }
    return new PakFile{nullptr, 0, stream};
}

int PakInterface::CloseFile(PakFile* file) {
    if (file == nullptr) {
        return 0;
    }
    if (file->stream != nullptr) {
        std::fclose(file->stream);
    }
    delete file;  // handed out by OpenFile
    return 0;
}

int PakInterface::Seek(PakFile* file, long offset, int origin) {
    if (file->entry == nullptr) {
        return std::fseek(file->stream, offset, origin);
    }
    int64_t pos = file->position;
    switch (origin) {
        case 0:
            pos = offset;
            break;
        case 1:
            pos += offset;
            break;
        case 2:
            pos = static_cast<int64_t>(file->entry->size) + offset;
            break;
        default:
            break;
    }
    file->position = static_cast<int32_t>(std::clamp<int64_t>(pos, 0, file->entry->size));
    return 0;
}

long PakInterface::Tell(PakFile* file) {
    return file->entry == nullptr ? std::ftell(file->stream) : file->position;
}

size_t PakInterface::Read(void* buffer, size_t size, size_t count, PakFile* file) {
    if (file->entry == nullptr) {
        return std::fread(buffer, size, count, file->stream);
    }
    if (size == 0 || count == 0) {
        return 0;
    }
    const PakEntry& e = *file->entry;
    const size_t left = static_cast<size_t>(e.size - file->position);
    const size_t bytes = count > left / size + 1 ? left : std::min(size * count, left);
    const uint8_t* src = e.archive->file->Data() + e.offset + file->position;
    auto* dst = static_cast<uint8_t*>(buffer);
    for (size_t i = 0; i < bytes; ++i) {
        dst[i] = src[i] ^ kPakScramble;
    }
    file->position += static_cast<int32_t>(bytes);
    return bytes / size;
}

int PakInterface::ArchiveByte(PakFile* file) {
    const PakEntry& e = *file->entry;
    if (file->position >= e.size) {
        return -1;
    }
    return e.archive->file->Data()[e.offset + file->position++] ^ kPakScramble;
}

int PakInterface::ReadChar(PakFile* file) {
    for (;;) {
        const int c = file->entry == nullptr ? std::fgetc(file->stream) : ArchiveByte(file);
        if (c != '\r') {
            return c == EOF ? -1 : c;
        }
    }
}

int PakInterface::UnreadChar(int ch, PakFile* file) {
    if (file->entry == nullptr) {
        return std::ungetc(ch, file->stream);
    }
    file->position = std::max(file->position - 1, 0);
    return ch;
}

char* PakInterface::ReadLine(char* buffer, int length, PakFile* file) {
    if (length <= 0) {
        return nullptr;
    }
    int stored = 0;
    while (stored < length - 1) {
        const int c = ReadChar(file);
        if (c < 0) {
            break;
        }
        buffer[stored++] = static_cast<char>(c);
        if (c == '\n') {
            break;
        }
    }
    buffer[stored] = '\0';
    return stored == 0 ? nullptr : buffer;
}

bool PakInterface::AtEnd(PakFile* file) {
    if (file->entry == nullptr) {
        return std::feof(file->stream) != 0;
    }
    return file->position >= file->entry->size;
}

bool PakInterface::MatchArchive(PakSearch* search, PakFindData* found) {
    const std::string& pattern = search->pattern;
    const size_t star = pattern.find('*');
    if (star == std::string::npos) {
        return false;  // patterns without a star never match an archive entry
    }
    const std::string prefix = pattern.substr(0, star);
    const std::string suffix = pattern.substr(star + 1);
    auto it = search->lastKey.empty() ? m_entries.begin() : m_entries.upper_bound(search->lastKey);
    for (; it != m_entries.end(); ++it) {
        const std::string& key = it->first;
        if (key.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const bool any = suffix.empty() || suffix == ".*";
        if (!any && (key.size() < suffix.size() ||
                     key.compare(key.size() - suffix.size(), suffix.size(), suffix) != 0)) {
            continue;
        }
        search->lastKey = key;
        const PakEntry& e = it->second;
        const uint64_t time = (static_cast<uint64_t>(e.fileTimeHigh) << 32) | e.fileTimeLow;
        const std::string tail = key.substr(key.size() - std::min(key.size(), suffix.size()));
        found->attributes =
            !any && tail.find('\\') != std::string::npos ? kFileAttributeDirectory : 0;
        found->creationTime = found->lastAccessTime = found->lastWriteTime = time;
        found->size = static_cast<uint64_t>(e.size);
        const size_t slash = e.name.find_last_of('\\');
        found->fileName = slash == std::string::npos ? e.name : e.name.substr(slash + 1);
        return true;
    }
    return false;
}

bool PakInterface::StartDiskSearch(PakSearch* search) {
    search->onDisk = true;
    search->diskMatches.clear();
    search->nextDisk = 0;
    const size_t slash = search->pattern.find_last_of('\\');
    const std::string dir = slash == std::string::npos ? "." : search->pattern.substr(0, slash);
    const std::string filePattern =
        slash == std::string::npos ? search->pattern : search->pattern.substr(slash + 1);
    std::error_code ec;
    const std::string diskDir = dir.empty() ? "/" : DiskPath(dir, true);
    if (!fs::is_directory(diskDir, ec)) {
        return false;
    }
    for (const auto& entry : fs::directory_iterator(diskDir, ec)) {
        const std::string name = entry.path().filename().string();
        if (!WildcardMatch(filePattern.c_str(), Upper(name).c_str())) {
            continue;
        }
        PakFindData d;
        d.fileName = name;
        d.attributes = entry.is_directory(ec) ? kFileAttributeDirectory : 0;
        d.size = d.attributes == 0 ? static_cast<uint64_t>(entry.file_size(ec)) : 0;
        d.creationTime = d.lastAccessTime = d.lastWriteTime = ToFileTime(entry.last_write_time(ec));
        search->diskMatches.push_back(std::move(d));
    }
    std::sort(search->diskMatches.begin(), search->diskMatches.end(),
              [](const PakFindData& a, const PakFindData& b) { return a.fileName < b.fileName; });
    return !search->diskMatches.empty();
}

PakSearch* PakInterface::FindFirst(const std::string& pattern, PakFindData* found) {
    auto search = std::make_unique<PakSearch>();
    search->pattern = NormalizePakName(pattern);
    if (FindNext(search.get(), found)) {
        return search.release();  // the caller hands it back to FindEnd
    }
    return nullptr;
}

bool PakInterface::FindNext(PakSearch* search, PakFindData* found) {
    if (!search->onDisk) {
        if (MatchArchive(search, found)) {
            return true;
        }
        StartDiskSearch(search);
    }
    if (search->nextDisk < search->diskMatches.size()) {
        *found = search->diskMatches[search->nextDisk++];
        return true;
    }
    return false;
}

bool PakInterface::FindEnd(PakSearch* search) {
    delete search;  // made by FindFirst
    return true;
}

// --- free functions ------------------------------------------------------------

PakFile* pak_open(const char* name, const char* mode) {
    return PakInterface::Get()->OpenFile(name != nullptr ? name : "", mode != nullptr ? mode : "");
}
int pak_close(PakFile* file) {
    return PakInterface::Get()->CloseFile(file);
}
int pak_seek(PakFile* file, long offset, int origin) {
    return PakInterface::Get()->Seek(file, offset, origin);
}
long pak_tell(PakFile* file) {
    return PakInterface::Get()->Tell(file);
}
size_t pak_read(void* buffer, size_t size, size_t count, PakFile* file) {
    return PakInterface::Get()->Read(buffer, size, count, file);
}
int pak_getc(PakFile* file) {
    return PakInterface::Get()->ReadChar(file);
}
int pak_ungetc(int ch, PakFile* file) {
    return PakInterface::Get()->UnreadChar(ch, file);
}
char* pak_gets(char* buffer, int length, PakFile* file) {
    return PakInterface::Get()->ReadLine(buffer, length, file);
}
int pak_eof(PakFile* file) {
    return PakInterface::Get()->AtEnd(file) ? 1 : 0;
}

bool ReadWholeFile(const std::string& name, std::vector<uint8_t>* out, size_t maxBytes) {
    PakFilePtr file(pak_open(name.c_str(), "rb"));
    if (file == nullptr || pak_seek(file.get(), 0, SEEK_END) != 0) {
        return false;
    }
    const long size = pak_tell(file.get());
    if (size < 0 || static_cast<uint64_t>(size) > maxBytes ||
        pak_seek(file.get(), 0, SEEK_SET) != 0) {
        return false;
    }
    out->assign(static_cast<size_t>(size), 0);
    out->resize(pak_read(out->data(), 1, out->size(), file.get()));
    return true;
}

}  // namespace Brisk
