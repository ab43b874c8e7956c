// Demo files: any bytes are either refused with a reason or give a demo
// whose timed records never go back in time, whose end is not before its
// last record, and whose saved files stay below the player's folder.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "framework/app/Demo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The rules version the file claims, so that the fuzzer gets past that check.
    uint32_t rules = 0;
    for (size_t i = 0; i < 4 && 10 + i < size; ++i) {
        rules |= static_cast<uint32_t>(data[10 + i]) << (8 * i);
    }
    std::string error;
    const auto demo = Brisk::ParseDemo(std::span<const uint8_t>(data, size), rules, &error);
    if (!demo) {
        if (error.empty()) {
            __builtin_trap();  // a refusal always says why
        }
        return 0;
    }
    uint32_t last = 0;
    for (const Brisk::DemoStep& e : demo->steps) {
        if (e.update < last) {
            __builtin_trap();
        }
        last = e.update;
    }
    if (demo->endUpdate < last || !demo->seed) {
        __builtin_trap();
    }
    for (const Brisk::DemoFile& file : demo->files) {
        if (file.path.empty() || file.path[0] == '/' || file.path.find("..") != std::string::npos) {
            __builtin_trap();
        }
    }
    return 0;
}
