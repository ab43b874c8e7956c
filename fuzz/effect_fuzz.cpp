// Effect description files: any text must parse or fail cleanly, reading
// nothing outside it.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "effects/EffectDescription.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto description = EffectLibrary::ParseEffectDescription(text)) {
        // Every animation the parse kept has a name; touch everything it holds.
        size_t frames = 0;
        for (const auto& animation : description->animations) {
            frames += animation.frames.size() + animation.name.size();
        }
        volatile size_t sink = frames + description->image.size();
        (void)sink;
    }
    return 0;
}
