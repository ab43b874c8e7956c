#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace Brisk::Platform {

// One running copy per user: a lock file held with flock, and a Unix socket
// beside it on which the first copy listens so that later copies can ask it
// to come to the front. Both live in RuntimeDir().
class SingleInstance {
public:
    using Notify = std::function<void(int64_t wparam, int64_t lparam)>;

    // Takes the lock `name`. Null when another live process of this user
    // holds it (that copy is running); null with `unavailable` filled when no
    // lock can be had at all (no usable runtime folder, a lock file that
    // cannot be made or belongs to another user): then nobody can tell
    // whether another copy runs. The first copy listens on
    // "<socketName>.sock"; `onNotify` runs on the listener thread for each
    // notification and must be safe to call from there.
    static std::unique_ptr<SingleInstance> Acquire(const std::string& name,
                                                   const std::string& socketName, Notify onNotify,
                                                   std::string* unavailable = nullptr);
    // Sends (wparam, lparam) to the copy listening on `socketName`; true
    // when it was delivered.
    static bool NotifyFirst(const std::string& socketName, int64_t wparam, int64_t lparam);

    // Stops listening and gives the lock back.
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

private:
    SingleInstance() = default;
    void Listen();

    int m_lockFd = -1;
    int m_listenFd = -1;
    int m_wakeFds[2] = {-1, -1};  // written by the destructor to end Listen
    std::string m_socketPath;
    Notify m_onNotify;
    std::thread m_listener;
};

}  // namespace Brisk::Platform
