#include "framework/platform/SingleInstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "framework/platform/Paths.h"
#include "framework/platform/Signals.h"

namespace Brisk::Platform {
namespace {

// A file name made of `name`'s letters and digits only.
std::string Sanitize(const std::string& name) {
    std::string out;
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '-' || c == '_';
        out.push_back(ok ? c : '_');
    }
    return out.empty() ? "_" : out;
}

bool SocketAddress(const std::string& path, sockaddr_un* address) {
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address->sun_path) {
        return false;
    }
    std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
    return true;
}

std::string SocketPath(const std::string& socketName) {
    const std::string dir = RuntimeDir();
    return dir.empty() ? std::string() : dir + Sanitize(socketName) + ".sock";
}

constexpr size_t kMessageBytes = 16;

}  // namespace

std::unique_ptr<SingleInstance> SingleInstance::Acquire(const std::string& name,
                                                        const std::string& socketName,
                                                        Notify onNotify, std::string* unavailable) {
    auto noLock = [&](const std::string& why) -> std::unique_ptr<SingleInstance> {
        if (unavailable != nullptr) {
            *unavailable = why;
        }
        return nullptr;
    };
    std::string problem;
    const std::string dir = RuntimeDir(&problem);
    if (dir.empty()) {
        return noLock(problem);
    }
    const std::string lockPath = dir + Sanitize(name) + ".lock";
    const int lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lockFd < 0) {
        return noLock(lockPath + ": " + std::strerror(errno));
    }
    struct stat st {};
    if (::fstat(lockFd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(lockFd);
        return noLock(lockPath + " belongs to another user");
    }
    if (::flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(lockFd);
        if (error == EWOULDBLOCK) {
            return nullptr;  // a running copy holds it: locks die with their process
        }
        return noLock(lockPath + ": " + std::strerror(error));
    }
    std::unique_ptr<SingleInstance> instance(new SingleInstance());
    instance->m_lockFd = lockFd;
    // A forked helper (a message box) must not keep the lock alive.
    KeepFromForkedChildren(lockFd);
    instance->m_onNotify = std::move(onNotify);
    instance->m_socketPath = SocketPath(socketName);

    // Holding the lock, any socket file left behind is stale.
    ::unlink(instance->m_socketPath.c_str());
    sockaddr_un address{};
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && SocketAddress(instance->m_socketPath, &address) &&
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::listen(fd, 4) == 0 && ::pipe2(instance->m_wakeFds, O_CLOEXEC) == 0) {
        instance->m_listenFd = fd;
        instance->m_listener = std::thread([raw = instance.get()] { raw->Listen(); });
    } else if (fd >= 0) {
        ::close(fd);  // the lock still makes this the only copy; it just cannot be raised
    }
    return instance;
}

void SingleInstance::Listen() {
    for (;;) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wakeFds[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            continue;
        }
        if (fds[1].revents != 0) {
            return;
        }
        const int client = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            continue;
        }
        // A short wait for the sender's 16 bytes; a client that sends nothing
        // cannot hold the listener.
        uint8_t message[kMessageBytes] = {};
        size_t got = 0;
        pollfd in{client, POLLIN, 0};
        while (got<kMessageBytes&& ::poll(&in, 1, 1000)> 0) {
            const ssize_t n = ::read(client, message + got, kMessageBytes - got);
            if (n <= 0) {
                break;
            }
            got += static_cast<size_t>(n);
        }
        ::close(client);
        if (got == kMessageBytes && m_onNotify) {
            int64_t wparam = 0;
            int64_t lparam = 0;
            std::memcpy(&wparam, message, 8);
            std::memcpy(&lparam, message + 8, 8);
            m_onNotify(wparam, lparam);
        }
    }
}

bool SingleInstance::NotifyFirst(const std::string& socketName, int64_t wparam, int64_t lparam) {
    sockaddr_un address{};
    if (!SocketAddress(SocketPath(socketName), &address)) {
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    bool sent = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        uint8_t message[kMessageBytes];
        std::memcpy(message, &wparam, 8);
        std::memcpy(message + 8, &lparam, 8);
        sent = ::write(fd, message, kMessageBytes) == static_cast<ssize_t>(kMessageBytes);
    }
    ::close(fd);
    return sent;
}

SingleInstance::~SingleInstance() {
    if (m_listener.joinable()) {
        const char wake = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wakeFds[1], &wake, 1);
        m_listener.join();
    }
    for (int fd : {m_listenFd, m_wakeFds[0], m_wakeFds[1]}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    if (m_listenFd >= 0) {
        ::unlink(m_socketPath.c_str());
    }
    if (m_lockFd >= 0) {
        KeepFromForkedChildren(-1);
        ::close(m_lockFd);  // gives the lock back
    }
}

}  // namespace Brisk::Platform
