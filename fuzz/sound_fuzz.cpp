// Sound files: the wave reader (with the cache's "dep " and "xor " chunks)
// and the ".au" reader get the same bytes; each returns samples whose size
// matches their format, or none.

#include <cstddef>
#include <cstdint>

#include "framework/sound/SoundManager.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (auto samples : {Brisk::ReadWave(data, size), Brisk::ReadAu(data, size)}) {
        if (samples == nullptr) {
            continue;
        }
        if (samples->data.size() > Brisk::kMaxSoundBytes || samples->format.BlockAlign() <= 0) {
            __builtin_trap();
        }
        if (!samples->data.empty()) {
            volatile uint8_t last = samples->data.back();
            (void)last;
        }
    }
    return 0;
}
