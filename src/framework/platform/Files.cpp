#include "framework/platform/Files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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

    const std::string temporary = path + ".tmp";
    ::unlink(temporary.c_str());  // a leftover of an earlier crash; never followed
    const mode_t mode = haveOld ? (st.st_mode & 07777) : 0644;
    Fd out(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (out.fd < 0) {
        return Fail(error, temporary, std::strerror(errno));
    }
    auto abandon = [&](const std::string& reason) {
        out.Close();
        ::unlink(temporary.c_str());
        return Fail(error, temporary, reason);
    };
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
    if (!out.Close()) {
        const int closeError = errno;
        ::unlink(temporary.c_str());
        return Fail(error, temporary, std::strerror(closeError));
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        return Fail(error, path, std::strerror(renameError));
    }
    // The rename itself reaches the disk with the folder's entry.
    Fd folder(::open(ParentOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.fd >= 0) {
        ::fsync(folder.fd);
    }
    return true;
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
