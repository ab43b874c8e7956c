// Font descriptors: any text either loads or fails with a message; a font
// made from it measures and draws without touching memory it does not own.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ImageFont.h"

namespace {

// Every image path gives the same 64 x 16 glyph sheet.
class FuzzHost : public Brisk::FontHost {
public:
    FuzzHost() {
        std::vector<uint32_t> px(64 * 16, 0x80FFFFFF);
        sheet.SetBits(px.data(), 64, 16);
    }
    Brisk::FontImage LoadImage(const std::string&) override { return {&sheet, nullptr, false}; }
    void ReportError(const std::string&) override {}
    Brisk::MemoryImage sheet;
};

class FuzzData : public Brisk::FontData {
public:
    using FontData::FontData;
    using DescParser::LoadDescriptorText;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzHost host;
    const std::string text(reinterpret_cast<const char*>(data), size);
    FuzzData fontData(&host);
    fontData.LoadDescriptorText(text);
    // The whole font as the game makes it: loaded from a file, its layers
    // prepared (scaled sheets included) and measured.
    static const std::string path = "/tmp/vq-font-fuzz-" + std::to_string(getpid()) + ".txt";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
        Brisk::ImageFont font(&host, path);
        volatile int measured = font.StringWidth("abc") + font.GetHeight() + font.GetAscent();
        (void)measured;
    }
    // Exercise every layer the text managed to create.
    for (const auto& layer : fontData.GetLayers()) {
        for (int c = 0; c < 256; ++c) {
            volatile int w = layer->charWidths[static_cast<size_t>(c)] + layer->imageRects[static_cast<size_t>(c)].width;
            (void)w;
        }
    }
    return 0;
}
