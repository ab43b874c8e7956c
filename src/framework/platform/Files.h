#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace Brisk::Platform {

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
