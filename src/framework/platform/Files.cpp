#include "framework/platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <random>

namespace Brisk::Platform {
namespace {

// Closes the descriptor when it goes out of scope.
struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    // Closes now and reports whether the close succeeded (it can report a
    // deferred write error).
    bool Close() {
        const int f = fd;
        fd = -1;
        return ::close(f) == 0;
    }
};

bool Fail(std::string* error, const std::string& path, const std::string& reason) {
    if (error != nullptr) {
        *error = path + ": " + reason;
    }
    return false;
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = EIO;
            }
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Copies everything `from` holds after `offset` to `to`.
bool CopyTail(int from, off_t offset, int to) {
    if (::lseek(from, offset, SEEK_SET) != offset) {
        return false;
    }
    uint8_t buffer[16384];
    for (;;) {
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        if (!WriteAll(to, buffer, static_cast<size_t>(n))) {
            return false;
        }
    }
}

std::string ParentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

constexpr const char* kTemporaryEnd = ".tmp";
constexpr size_t kUniqueDigits = 16;

// A name no other writer uses: "<path>.<16 hex digits>.tmp". The digits come
// from a generator seeded once per process from the system's random source,
// so two processes (even in different pid namespaces) do not meet; the
// exclusive create catches the rare collision.
std::string UniqueTemporaryName(const std::string& path) {
    static std::mutex lock;
    static std::mt19937_64 generator{[] {
        std::random_device device;
        return (static_cast<uint64_t>(device()) << 32) ^ device() ^
               static_cast<uint64_t>(::getpid()) ^ static_cast<uint64_t>(std::time(nullptr));
    }()};
    uint64_t draw = 0;
    {
        std::lock_guard guard(lock);
        draw = generator();
    }
    char digits[kUniqueDigits + 1];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(draw));
    return path + "." + digits + kTemporaryEnd;
}

// The file a temporary name of ours stands for: "<target>.<16 hex>.tmp", or
// "<target>.tmp" as earlier versions named it. Empty for any other name.
std::string TargetOfTemporary(const std::string& name) {
    const size_t endSize = std::strlen(kTemporaryEnd);
    if (name.size() <= endSize ||
        name.compare(name.size() - endSize, endSize, kTemporaryEnd) != 0) {
        return {};
    }
    std::string stem = name.substr(0, name.size() - endSize);
    const size_t dot = stem.size() > kUniqueDigits ? stem.size() - kUniqueDigits - 1 : 0;
    if (dot > 0 && stem[dot] == '.' &&
        stem.find_first_not_of("0123456789abcdef", dot + 1) == std::string::npos) {
        stem.resize(dot);
    }
    return stem;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Removes the temporary file `path` when nobody writes it any more: its
// writer holds a lock on it until it is renamed away, and a file younger than
// `minAge` may belong to a writer that has just made it and not yet locked it.
bool RemoveIfStale(int folder, const std::string& name, std::chrono::seconds minAge) {
    Fd file(::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (file.fd < 0 || ::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        std::time(nullptr) - st.st_mtime < minAge.count() ||
        ::flock(file.fd, LOCK_EX | LOCK_NB) != 0) {
        return false;
    }
    // Still the same file under that name (not renamed away meanwhile).
    struct stat now {};
    if (::fstatat(folder, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
        now.st_dev != st.st_dev || now.st_ino != st.st_ino) {
        return false;
    }
    return ::unlinkat(folder, name.c_str(), 0) == 0;
}

}  // namespace

std::optional<std::vector<uint8_t>> ReadRegularFile(const std::string& path, size_t maxBytes,
                                                    std::string* error) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    Fd file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.fd < 0) {
        Fail(error, path, errno == ELOOP ? "is a symbolic link" : std::strerror(errno));
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        Fail(error, path, "not a regular file");
        return std::nullopt;
    }
    std::vector<uint8_t> bytes(std::min<size_t>(maxBytes, static_cast<size_t>(st.st_size)));
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(file.fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            Fail(error, path, std::strerror(errno));
            return std::nullopt;
        }
        if (n == 0) {
            break;  // the file shrank since fstat
        }
        got += static_cast<size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

bool ReplaceFile(const std::string& path, const std::vector<uint8_t>& data, bool keepTail,
                 std::string* error) {
    // What is there now: a regular file gives its mode (and its tail); a link
    // is replaced as it stands; anything else is not ours to replace.
    Fd old(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    bool haveOld = false;
    if (old.fd >= 0) {
        if (::fstat(old.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            return Fail(error, path, S_ISDIR(st.st_mode) ? "is a directory" : "not a regular file");
        }
        haveOld = true;
    } else if (errno != ENOENT && errno != ELOOP && errno != EACCES) {
        return Fail(error, path, std::strerror(errno));  // e.g. a parent that is a file
    }

    // A temporary file of this write alone: another writer of the same file
    // (a second copy of the program on the same folder) has its own, and the
    // lock tells a later clean-up that this one is still being written.
    std::string temporary;
    Fd out(-1);
    const mode_t mode = haveOld ? (st.st_mode & 07777) : 0644;
    for (int attempt = 0; attempt < 8 && out.fd < 0; ++attempt) {
        temporary = UniqueTemporaryName(path);
        out.fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (out.fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (out.fd < 0) {
        return Fail(error, temporary, std::strerror(errno));
    }
    auto abandon = [&](const std::string& reason) {
        ::unlink(temporary.c_str());
        out.Close();
        return Fail(error, temporary, reason);
    };
    if (::flock(out.fd, LOCK_EX) != 0) {
        return abandon(std::strerror(errno));
    }
    if (haveOld && ::fchmod(out.fd, mode) != 0) {
        return abandon(std::strerror(errno));
    }
    if (!WriteAll(out.fd, data.data(), data.size())) {
        return abandon(std::strerror(errno));
    }
    if (keepTail && haveOld && st.st_size > static_cast<off_t>(data.size()) &&
        !CopyTail(old.fd, static_cast<off_t>(data.size()), out.fd)) {
        return abandon(std::strerror(errno));
    }
    if (::fsync(out.fd) != 0) {
        return abandon(std::strerror(errno));
    }
    // Renamed while still locked; the last writer's whole file wins.
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        return abandon(std::strerror(errno));
    }
    out.Close();  // the bytes reached the disk with the fsync above
    // The rename itself reaches the disk with the folder's entry.
    Fd folder(::open(ParentOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.fd >= 0) {
        ::fsync(folder.fd);
    }
    return true;
}

size_t RemoveStaleTemporaries(const std::string& folder, const std::string& targetEnd,
                              std::chrono::seconds minAge) {
    Fd dirFd(::open(folder.empty() ? "." : folder.c_str(),
                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (dirFd.fd < 0) {
        return 0;
    }
    const int listing = ::dup(dirFd.fd);
    DIR* dir = listing >= 0 ? ::fdopendir(listing) : nullptr;
    if (dir == nullptr) {
        if (listing >= 0) {
            ::close(listing);
        }
        return 0;
    }
    std::vector<std::string> candidates;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const std::string target = TargetOfTemporary(name);
        if (!target.empty() && EndsWith(target, targetEnd)) {
            candidates.push_back(name);
        }
    }
    ::closedir(dir);
    size_t removed = 0;
    for (const std::string& name : candidates) {
        removed += RemoveIfStale(dirFd.fd, name, minAge) ? 1 : 0;
    }
    return removed;
}

std::unique_ptr<MappedFile> MappedFile::Open(const std::string& path, std::string* error) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (error != nullptr) {
            *error = std::strerror(errno);
        }
        return nullptr;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error != nullptr) {
            *error = "not a regular file";
        }
        close(fd);
        return nullptr;
    }
    std::unique_ptr<MappedFile> file(new MappedFile());
    file->m_size = static_cast<size_t>(st.st_size);
    if (file->m_size > 0) {
        void* p = mmap(nullptr, file->m_size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (p == MAP_FAILED) {
            if (error != nullptr) {
                *error = std::strerror(errno);
            }
            close(fd);
            return nullptr;
        }
        file->m_data = static_cast<const uint8_t*>(p);
    }
    close(fd);  // the mapping stays valid without the descriptor
    return file;
}

MappedFile::~MappedFile() {
    if (m_data != nullptr) {
        munmap(const_cast<uint8_t*>(m_data), m_size);
    }
}

}  // namespace Brisk::Platform
