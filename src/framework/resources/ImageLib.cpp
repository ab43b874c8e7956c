// Picture decoding: the format order, alpha images, TGA and GIF.

#include "framework/resources/ImageLib.h"
#include "framework/resources/Ascii.h"

#include <algorithm>
#include <cctype>

#include "framework/resources/PakInterface.h"

namespace ImageLib {

bool gAlphaImageLookup = true;
bool gForceOpaqueJ2K = true;
uint32_t gAlphaFillColor = 0xFFFFFF;

bool SizeAllowed(uint64_t width, uint64_t height) {
    return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension &&
           width * height <= kMaxPixels;
}

bool DataCanFill(uint64_t width, uint64_t height, size_t size, uint64_t pixelsPerByte) {
    return width * height <= static_cast<uint64_t>(size) * pixelsPerByte;
}

namespace {

uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

std::unique_ptr<Image> DecodeFile(const std::string& fileName,
                                  std::unique_ptr<Image> (*decoder)(const uint8_t*, size_t)) {
    std::vector<uint8_t> data;
    if (!Brisk::ReadWholeFile(fileName, &data, kMaxImageFileBytes)) {
        return nullptr;
    }
    return decoder(data.data(), data.size());
}

std::unique_ptr<Image> DecodeJ2K(const uint8_t*, size_t) {
    return nullptr;  // no JPEG 2000 codec on this platform: these formats yield none
}

struct Format {
    const char* extension;
    std::unique_ptr<Image> (*decoder)(const uint8_t*, size_t);
};

constexpr Format kFormats[] = {{".tga", DecodeTGA}, {".jpg", DecodeJPEG}, {".png", DecodePNG},
                               {".gif", DecodeGIF}, {".j2k", DecodeJ2K},  {".jp2", DecodeJ2K}};

std::unique_ptr<Image> DecodeColour(const std::string& name) {
    const size_t sep = name.find_last_of("/\\");
    const size_t dot = name.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (sep == std::string::npos || dot > sep);
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? Brisk::ToLowerAscii(name.substr(dot)) : "";
    for (const Format& f : kFormats) {
        if (hasExtension && extension != f.extension) {
            continue;
        }
        if (auto image = DecodeFile(stem + f.extension, f.decoder)) {
            return image;
        }
    }
    return nullptr;
}

uint32_t BigEndian(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) {
        v = (v << 8) | p[i];
    }
    return v;
}

// A PNG's IHDR chunk comes first, right after the signature.
bool PngSize(const std::vector<uint8_t>& data, uint32_t* width, uint32_t* height) {
    static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (data.size() < 24 || !std::equal(kSignature, kSignature + 8, data.begin()) ||
        std::string(data.begin() + 12, data.begin() + 16) != "IHDR") {
        return false;
    }
    *width = BigEndian(data.data() + 16, 4);
    *height = BigEndian(data.data() + 20, 4);
    return true;
}

// A JPEG's size is in its start-of-frame segment, after any others.
bool JpegSize(const std::vector<uint8_t>& data, uint32_t* width, uint32_t* height) {
    if (data.size() < 4 || data[0] != 0xFF || data[1] != 0xD8) {
        return false;
    }
    size_t at = 2;
    while (at + 4 <= data.size() && data[at] == 0xFF) {
        const uint8_t marker = data[at + 1];
        const size_t length = BigEndian(data.data() + at + 2, 2);
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && length >= 7 && at + 2 + length <= data.size()) {
            *height = BigEndian(data.data() + at + 5, 2);
            *width = BigEndian(data.data() + at + 7, 2);
            return true;
        }
        if (marker == 0xD9 || marker == 0xDA || length < 2) {
            return false;  // the image data (or its end) before any frame
        }
        at += 2 + length;
    }
    return false;
}

}  // namespace

bool ReadImageSize(const std::string& name, int* width, int* height) {
    const size_t sep = name.find_last_of("/\\");
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) {
        return false;
    }
    const std::string extension = Brisk::ToLowerAscii(name.substr(dot));
    std::vector<uint8_t> data;
    if ((extension != ".png" && extension != ".jpg") ||
        !Brisk::ReadWholeFile(name, &data, kMaxImageFileBytes)) {
        return false;
    }
    uint32_t w = 0;
    uint32_t h = 0;
    if (!(extension == ".png" ? PngSize(data, &w, &h) : JpegSize(data, &w, &h)) ||
        !SizeAllowed(w, h)) {
        return false;
    }
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
}

std::unique_ptr<Image> DecodeImageFile(const std::string& name, bool lookForAlpha) {
    std::unique_ptr<Image> colour = DecodeColour(name);
    if (!lookForAlpha || !gAlphaImageLookup) {
        return colour;
    }
    const size_t sep = name.find_last_of("/\\");
    const std::string alphaName = sep == std::string::npos
                                      ? "_" + name
                                      : name.substr(0, sep + 1) + "_" + name.substr(sep + 1);
    std::unique_ptr<Image> alpha = DecodeImageFile(alphaName, false);
    if (alpha == nullptr) {
        alpha = DecodeImageFile(name + "_", false);
    }
    if (alpha == nullptr) {
        return colour;
    }
    if (colour == nullptr) {
        // A lone alpha image: its blue channel over the fill colour.
        for (uint32_t& p : alpha->m_bits) {
            p = ((p & 0xFF) << 24) | (gAlphaFillColor & 0x00FFFFFF);
        }
        return alpha;
    }
    if (colour->m_width == alpha->m_width && colour->m_height == alpha->m_height) {
        for (size_t i = 0; i < colour->m_bits.size(); ++i) {
            colour->m_bits[i] =
                (colour->m_bits[i] & 0x00FFFFFF) | ((alpha->m_bits[i] & 0xFF) << 24);
        }
    }
    return colour;
}

std::unique_ptr<Image> DecodeTGA(const uint8_t* data, size_t size) {
    if (size < 18) {
        return nullptr;
    }
    const int width = U16(data + 12);
    const int height = U16(data + 14);
    const uint8_t bitsPerPixel = data[16];
    const uint8_t descriptor = data[17];
    // Only uncompressed 32-bit images with 8 alpha bits, origin top left,
    // and nothing between the header and the pixels.
    if (data[2] != 2 || data[0] != 0 || data[1] != 0 || bitsPerPixel != 32 || descriptor != 0x28 ||
        !SizeAllowed(static_cast<uint64_t>(width), static_cast<uint64_t>(height))) {
        return nullptr;
    }
    const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    if (size - 18 < bytes) {
        return nullptr;
    }
    auto image = std::make_unique<Image>(width, height);
    const uint8_t* p = data + 18;
    for (uint32_t& px : image->m_bits) {
        px = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
             (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
        p += 4;
    }
    return image;
}

// --- GIF -----------------------------------------------------------------------

namespace {

class GifReader {
public:
    GifReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool Byte(uint8_t* out) {
        if (m_pos >= m_size) {
            return false;
        }
        *out = m_data[m_pos++];
        return true;
    }
    bool Word(uint16_t* out) {
        if (m_size - m_pos < 2 || m_pos > m_size) {
            return false;
        }
        *out = U16(m_data + m_pos);
        m_pos += 2;
        return true;
    }
    bool Bytes(uint8_t* out, size_t n) {
        if (m_pos > m_size || m_size - m_pos < n) {
            return false;
        }
        std::copy(m_data + m_pos, m_data + m_pos + n, out);
        m_pos += n;
        return true;
    }
    // Reads a colour table of 2^(bits + 1) entries as opaque colours.
    bool ColourTable(int bits, std::vector<uint32_t>* table) {
        const size_t count = size_t{1} << (bits + 1);
        table->assign(256, 0xFF000000u);
        for (size_t i = 0; i < count; ++i) {
            uint8_t rgb[3];
            if (!Bytes(rgb, 3)) {
                return false;
            }
            (*table)[i] = 0xFF000000u | (static_cast<uint32_t>(rgb[0]) << 16) |
                          (static_cast<uint32_t>(rgb[1]) << 8) | rgb[2];
        }
        return true;
    }
    // Skips data sub-blocks up to and including the terminator.
    bool SkipSubBlocks() {
        uint8_t n = 0;
        do {
            if (!Byte(&n) || m_size - m_pos < n) {
                return false;
            }
            m_pos += n;
        } while (n != 0);
        return true;
    }
    // The data of the sub-blocks, joined.
    bool SubBlocks(std::vector<uint8_t>* out) {
        uint8_t n = 0;
        for (;;) {
            if (!Byte(&n)) {
                return true;  // a file cut short: decode what there is
            }
            if (n == 0) {
                return true;
            }
            const size_t take = std::min<size_t>(n, m_size - m_pos);
            out->insert(out->end(), m_data + m_pos, m_data + m_pos + take);
            m_pos += take;
            if (take < n) {
                return true;
            }
        }
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// LZW decoding into colour indices; stops at the end code, at a code past
// the next free one, or when the table is full without a clear code.
void DecodeLzw(const std::vector<uint8_t>& data, int minCodeSize, size_t pixelCount,
               std::vector<int>* indices) {
    if (minCodeSize < 1 || minCodeSize > 8) {
        return;  // indices must fit the 256-entry colour table
    }
    constexpr int kMaxCodes = 4096;
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    std::vector<uint16_t> prefix(kMaxCodes);
    std::vector<uint8_t> suffix(kMaxCodes);
    std::vector<uint8_t> stack(kMaxCodes + 1);
    for (int i = 0; i < clearCode; ++i) {
        suffix[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    }
    int codeSize = minCodeSize + 1;
    int nextCode = endCode + 1;
    int previous = -1;
    uint8_t firstOfPrevious = 0;
    size_t bitPos = 0;
    const size_t totalBits = data.size() * 8;
    while (indices->size() < pixelCount && bitPos + static_cast<size_t>(codeSize) <= totalBits) {
        int code = 0;
        for (int b = 0; b < codeSize; ++b, ++bitPos) {
            code |= ((data[bitPos >> 3] >> (bitPos & 7)) & 1) << b;
        }
        if (code == clearCode) {
            codeSize = minCodeSize + 1;
            nextCode = endCode + 1;
            previous = -1;
            continue;
        }
        if (code == endCode || code > nextCode) {
            return;
        }
        if (previous < 0) {
            if (code >= clearCode) {
                return;  // the first code after a clear must be a literal
            }
            indices->push_back(code);
            previous = code;
            firstOfPrevious = static_cast<uint8_t>(code);
            continue;
        }
        if (nextCode >= kMaxCodes) {
            return;  // a full table without a clear code
        }
        // Unwind the string of `code` (or of previous + its first byte).
        size_t depth = 0;
        int walk = code;
        if (code == nextCode) {
            stack[depth++] = firstOfPrevious;
            walk = previous;
        }
        while (walk >= clearCode) {
            if (depth >= stack.size()) {
                return;
            }
            stack[depth++] = suffix[static_cast<size_t>(walk)];
            walk = prefix[static_cast<size_t>(walk)];
        }
        stack[depth++] = static_cast<uint8_t>(walk);
        const uint8_t first = static_cast<uint8_t>(walk);
        while (depth > 0 && indices->size() < pixelCount) {
            indices->push_back(stack[--depth]);
        }
        prefix[static_cast<size_t>(nextCode)] = static_cast<uint16_t>(previous);
        suffix[static_cast<size_t>(nextCode)] = first;
        ++nextCode;
        if (nextCode == (1 << codeSize) && codeSize < 12) {
            ++codeSize;
        }
        previous = code;
        firstOfPrevious = first;
    }
}

}  // namespace

std::unique_ptr<Image> DecodeGIF(const uint8_t* data, size_t size) {
    GifReader r(data, size);
    uint8_t signature[6];
    if (!r.Bytes(signature, 6) || (std::string(reinterpret_cast<char*>(signature), 5) != "GIF87" &&
                                   std::string(reinterpret_cast<char*>(signature), 5) != "GIF89")) {
        return nullptr;
    }
    uint16_t screenW = 0, screenH = 0;
    uint8_t packed = 0, background = 0, aspect = 0;
    if (!r.Word(&screenW) || !r.Word(&screenH) || !r.Byte(&packed) || !r.Byte(&background) ||
        !r.Byte(&aspect)) {
        return nullptr;
    }
    std::vector<uint32_t> globalTable;
    if ((packed & 0x80) != 0 && !r.ColourTable(packed & 7, &globalTable)) {
        return nullptr;
    }
    int transparent = -1;
    for (;;) {
        uint8_t block = 0;
        if (!r.Byte(&block) || block == 0x3B) {
            return nullptr;  // no image in the file
        }
        if (block == 0x21) {
            uint8_t label = 0;
            if (!r.Byte(&label)) {
                return nullptr;
            }
            if (label == 0xF9) {
                std::vector<uint8_t> gce;
                r.SubBlocks(&gce);
                if (gce.size() >= 4 && (gce[0] & 1) != 0) {
                    transparent = gce[3];
                }
            } else if (!r.SkipSubBlocks()) {
                return nullptr;
            }
            continue;
        }
        if (block != 0x2C) {
            return nullptr;
        }
        uint16_t left = 0, top = 0, width = 0, height = 0;
        uint8_t imagePacked = 0;
        if (!r.Word(&left) || !r.Word(&top) || !r.Word(&width) || !r.Word(&height) ||
            !r.Byte(&imagePacked) || !SizeAllowed(width, height)) {
            return nullptr;
        }
        std::vector<uint32_t> localTable;
        if ((imagePacked & 0x80) != 0 && !r.ColourTable(imagePacked & 7, &localTable)) {
            return nullptr;
        }
        const std::vector<uint32_t>& table = localTable.empty() ? globalTable : localTable;
        uint8_t minCodeSize = 0;
        if (!r.Byte(&minCodeSize)) {
            return nullptr;
        }
        std::vector<uint8_t> lzw;
        r.SubBlocks(&lzw);
        const size_t pixels = static_cast<size_t>(width) * height;
        // n codes expand to at most 1 + 2 + ... + n pixels (each new table
        // entry is one longer than the longest before it), and no entry is
        // longer than 4096: the data present bounds the picture.
        const uint64_t codes = lzw.size() * 8 / (static_cast<uint64_t>(minCodeSize) + 1);
        if (pixels > codes * std::min<uint64_t>(codes + 1, 4096)) {
            return nullptr;
        }
        std::vector<int> indices;
        indices.reserve(pixels);
        DecodeLzw(lzw, minCodeSize, pixels, &indices);

        auto image = std::make_unique<Image>(width, height);
        const bool interlaced = (imagePacked & 0x40) != 0;
        // Row order: straight, or the four interlace passes.
        std::vector<int> rows;
        rows.reserve(height);
        if (interlaced) {
            const int starts[4] = {0, 4, 2, 1};
            const int steps[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass) {
                for (int y = starts[pass]; y < height; y += steps[pass]) {
                    rows.push_back(y);
                }
            }
        } else {
            for (int y = 0; y < height; ++y) {
                rows.push_back(y);
            }
        }
        for (size_t i = 0; i < indices.size(); ++i) {
            const int index = indices[i];
            const size_t row = static_cast<size_t>(rows[i / width]);
            const size_t col = i % width;
            image->m_bits[row * width + col] =
                index == transparent || table.empty() ? 0u : table[static_cast<size_t>(index)];
        }
        return image;
    }
}

}  // namespace ImageLib
