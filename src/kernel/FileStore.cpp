#include "kernel/FileStore.h"

#include "framework/platform/Files.h"

namespace KernelLibrary {

std::optional<std::vector<uint8_t>> ReadPlayerFile(const std::string& path, size_t maxBytes,
                                                   std::string* error) {
    return Brisk::Platform::ReadRegularFile(path, maxBytes, error);
}

bool WritePlayerFile(const std::string& path, const std::vector<uint8_t>& bytes, bool keepTail,
                     std::string* error) {
    return Brisk::Platform::ReplaceFile(path, bytes, keepTail, error);
}

}  // namespace KernelLibrary
