#include "kernel/FileStore.h"

#include <algorithm>
#include <mutex>

#include "framework/platform/Files.h"

namespace KernelLibrary {
namespace {

struct Store {
    std::mutex lock;  // saves may come from the loading thread or a signal's shutdown
    std::string root;
    std::vector<std::string> names;
    bool logging = false;
    std::vector<std::string> written;
};

Store& TheStore() {
    static Store store;
    return store;
}

}  // namespace

void SetPlayerDataRoot(const std::string& root) {
    std::lock_guard lock(TheStore().lock);
    TheStore().root = root;
}

std::string GetPlayerDataRoot() {
    std::lock_guard lock(TheStore().lock);
    return TheStore().root;
}

std::string PlayerDataPath(const std::string& relative) {
    std::lock_guard lock(TheStore().lock);
    return TheStore().root + relative;
}

void SetPlayerFileNames(const std::vector<std::string>& names) {
    std::lock_guard lock(TheStore().lock);
    TheStore().names = names;
}

std::vector<std::string> GetPlayerFileNames() {
    std::lock_guard lock(TheStore().lock);
    return TheStore().names;
}

void LogPlayerWrites(bool on) {
    std::lock_guard lock(TheStore().lock);
    TheStore().logging = on;
    TheStore().written.clear();
}

std::vector<std::string> LoggedPlayerWrites() {
    std::lock_guard lock(TheStore().lock);
    return TheStore().written;
}

std::optional<std::vector<uint8_t>> ReadPlayerFile(const std::string& path, size_t maxBytes,
                                                   std::string* error) {
    return Brisk::Platform::ReadRegularFile(path, maxBytes, error);
}

void RemoveStalePlayerTemporaries(const std::string& folder, const std::string& targetEnd) {
    Brisk::Platform::RemoveStaleTemporaries(folder, targetEnd);
}

bool WritePlayerFile(const std::string& path, const std::vector<uint8_t>& bytes, bool keepTail,
                     std::string* error) {
    if (!Brisk::Platform::ReplaceFile(path, bytes, keepTail, error)) {
        return false;
    }
    std::lock_guard lock(TheStore().lock);
    Store& store = TheStore();
    if (store.logging &&
        std::find(store.written.begin(), store.written.end(), path) == store.written.end()) {
        store.written.push_back(path);
    }
    return true;
}

}  // namespace KernelLibrary
