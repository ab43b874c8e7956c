#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ImageLib {

// A decoded picture: width x height 0xAARRGGBB pixels, rows from the top.
class Image {
public:
    Image() = default;
    Image(int width, int height) { Allocate(width, height); }
    virtual ~Image() = default;

    // width x height zero pixels, with room for one more word, so that the
    // bits can be handed on to an image that keeps a guard word after them.
    void Allocate(int width, int height) {
        m_width = width;
        m_height = height;
        const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
        m_bits.reserve(count + 1);
        m_bits.assign(count, 0);
    }
    // Hands the pixels over; the image is empty afterwards.
    std::vector<uint32_t> TakeBits() {
        m_width = 0;
        m_height = 0;
        return std::move(m_bits);
    }

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    uint32_t* GetBits() { return m_bits.data(); }
    const uint32_t* GetBits() const { return m_bits.data(); }

    int m_width = 0;
    int m_height = 0;
    std::vector<uint32_t> m_bits;
};

// The largest picture any decoder accepts; larger headers are rejected
// before anything is allocated.
inline constexpr int kMaxDimension = 16384;
inline constexpr uint64_t kMaxPixels = uint64_t{1} << 26;  // 64 M pixels, 256 MiB
bool SizeAllowed(uint64_t width, uint64_t height);
// The largest picture file read at all.
inline constexpr size_t kMaxImageFileBytes = size_t{64} << 20;
// Whether `size` bytes of compressed data can hold a picture of that many
// pixels at all, given the most pixels one byte of the format can expand
// to. A header that declares more is refused before anything is allocated.
bool DataCanFill(uint64_t width, uint64_t height, size_t size, uint64_t pixelsPerByte);

// Settings shared by all decodes (main thread).
extern bool gAlphaImageLookup;    // look for separate "_name" alpha images (on)
extern bool gForceOpaqueJ2K;      // JPEG 2000 results made opaque (on)
extern uint32_t gAlphaFillColor;  // colour of a lone alpha image (0xFFFFFF)

// Decodes a picture through the pak layer. Without an extension the formats
// are tried in the order .tga, .jpg, .png, .gif, .j2k, .jp2; with one only
// that format. With `lookForAlpha` a separate alpha image ("_" + file part,
// or the name + "_") supplies the alpha channel. Null when nothing decodes.
std::unique_ptr<Image> DecodeImageFile(const std::string& name, bool lookForAlpha = true);
// The size of a ".png" or ".jpg" picture read from its header alone, without
// decoding it; false for other names, unreadable headers and sizes a decoder
// would refuse. DecodeImageFile gives a picture of this size or none.
bool ReadImageSize(const std::string& name, int* width, int* height);

// The single-format decoders, from bytes in memory; null on any error.
std::unique_ptr<Image> DecodeTGA(const uint8_t* data, size_t size);
std::unique_ptr<Image> DecodePNG(const uint8_t* data, size_t size);
std::unique_ptr<Image> DecodeJPEG(const uint8_t* data, size_t size);
std::unique_ptr<Image> DecodeGIF(const uint8_t* data, size_t size);

// Writes the image to a file; false when the file cannot be written.
[[nodiscard]] bool WritePNG(const std::string& fileName, const Image& image);
[[nodiscard]] bool WriteJPEG(const std::string& fileName, const Image& image);
// Encodes to memory (used by tests and tools); empty on failure.
std::vector<uint8_t> EncodePNG(const Image& image);
// The same pixels as an indexed PNG (a palette with alpha, a byte a pixel)
// when the image has at most 256 colours, else as EncodePNG does.
std::vector<uint8_t> EncodePNGIndexed(const Image& image);
// `fullChroma` keeps colour at full resolution (4:4:4), for small saturated pictures.
std::vector<uint8_t> EncodeJPEG(const Image& image, int quality = 80, bool fullChroma = false);

}  // namespace ImageLib
