#include "framework/platform/Files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace Brisk::Platform {

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
