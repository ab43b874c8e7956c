// Archive images: the directory parser must reject or accept them without
// reading past the end, and every accepted entry must be readable.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/resources/PakInterface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<Brisk::PakDirRecord> records;
    if (!Brisk::ParsePakDirectory(data, size, &records)) {
        return 0;
    }
    // Every accepted entry lies inside the image: touch its bytes.
    unsigned sum = 0;
    for (const auto& r : records) {
        for (uint32_t i = 0; i < r.size; ++i) {
            sum += data[r.offset + i];
        }
        (void)Brisk::PakInterface::NormalizePakName(r.name);
    }
    return static_cast<int>(sum & 0);
}
