// One picture decoder per target (chosen at build time): whatever the
// bytes, the decoder returns an image of the size it claims, or none.

#include <cstddef>
#include <cstdint>

#include "framework/resources/ImageLib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto image = VQ_FUZZ_DECODER(data, size);
    if (image != nullptr) {
        const size_t pixels = static_cast<size_t>(image->m_width) * static_cast<size_t>(image->m_height);
        if (image->m_bits.size() != pixels || !ImageLib::SizeAllowed(image->m_width, image->m_height)) {
            __builtin_trap();
        }
        volatile uint32_t sink = image->m_bits[pixels - 1];
        (void)sink;
    }
    return 0;
}
