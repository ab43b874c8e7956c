// PNG and JPEG through libpng and libjpeg: decoding from memory, encoding
// to memory and to files.

// jpeglib.h needs size_t and FILE declared first.
#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <unordered_map>

#include "framework/resources/ImageLib.h"

namespace ImageLib {
namespace {

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

void PngRead(png_structp png, png_bytep out, png_size_t length) {
    auto* r = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (r->size - r->pos < length) {
        png_error(png, "truncated PNG data");
    }
    std::memcpy(out, r->data + r->pos, length);
    r->pos += length;
}

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void PngFlush(png_structp) {}

void PngWarning(png_structp, png_const_charp) {}

// A damaged picture is an ordinary outcome here, reported by a null result:
// libpng's own error printing would reach the player's terminal.
[[noreturn]] void PngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

// The most that one byte of deflate data can expand to (runs of 258-byte
// matches), and a generous bound for one byte of baseline or progressive
// JPEG data (every 8 x 8 block needs at least one bit).
constexpr uint64_t kDeflateBytesPerByte = 1032;

// Whether every chunk up to IEND lies inside the data. libpng allocates a
// chunk's declared length before it reads the chunk, so a damaged length
// would cost gigabytes before the read fails.
bool PngChunksFit(const uint8_t* data, size_t size) {
    size_t pos = 8;
    while (size - pos >= 12) {
        const uint32_t length = (uint32_t{data[pos]} << 24) | (uint32_t{data[pos + 1]} << 16) |
                                (uint32_t{data[pos + 2]} << 8) | data[pos + 3];
        if (length > size - pos - 12) {
            return false;
        }
        if (std::memcmp(data + pos + 4, "IEND", 4) == 0) {
            return true;
        }
        pos += 12 + length;
    }
    return false;  // cut short before IEND
}
constexpr uint64_t kJpegPixelsPerByte = 8 * 64;

// Owns a libpng read or write struct pair.
struct PngStruct {
    png_structp png = nullptr;
    png_infop info = nullptr;
    bool writing = false;
    ~PngStruct() {
        if (writing) {
            png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
        } else if (png != nullptr) {
            png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
        }
    }
};

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void JpegErrorExit(j_common_ptr info) {
    auto* error = reinterpret_cast<JpegError*>(info->err);
    std::longjmp(error->jump, 1);
}

void JpegSilence(j_common_ptr, int) {}

}  // namespace

std::unique_ptr<Image> DecodePNG(const uint8_t* data, size_t size) {
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0 || !PngChunksFit(data, size)) {
        return nullptr;
    }
    PngStruct s;
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (s.png == nullptr) {
        return nullptr;
    }
    s.info = png_create_info_struct(s.png);
    if (s.info == nullptr) {
        return nullptr;
    }
    // No ancillary chunk may make libpng allocate more than the file could hold.
    png_set_chunk_malloc_max(s.png, std::max<png_alloc_size_t>(size, 1 << 16));
    MemoryReader reader{data, size, 0};
    // Everything with a destructor exists before the jump point: a longjmp
    // back here skips the destructors of anything made after it.
    auto image = std::make_unique<Image>();
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(s.png)) != 0) {
        return nullptr;
    }
    png_set_read_fn(s.png, &reader, PngRead);
    png_set_user_limits(s.png, kMaxDimension, kMaxDimension);
    png_read_info(s.png, s.info);
    const png_uint_32 width = png_get_image_width(s.png, s.info);
    const png_uint_32 height = png_get_image_height(s.png, s.info);
    // The filtered rows (a filter byte each) must fit what the file's
    // deflate data can expand to.
    const uint64_t rawBytes = (uint64_t{png_get_rowbytes(s.png, s.info)} + 1) * height;
    if (!SizeAllowed(width, height) || !DataCanFill(rawBytes, 1, size, kDeflateBytesPerByte)) {
        return nullptr;
    }
    const int colorType = png_get_color_type(s.png, s.info);
    const int depth = png_get_bit_depth(s.png, s.info);
    // To 8-bit blue, green, red, alpha.
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(s.png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) {
        png_set_expand_gray_1_2_4_to_8(s.png);
    }
    if (png_get_valid(s.png, s.info, PNG_INFO_tRNS) != 0) {
        png_set_tRNS_to_alpha(s.png);
    }
    if (depth == 16) {
        png_set_strip_16(s.png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(s.png);
    }
    png_set_bgr(s.png);
    png_set_filler(s.png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(s.png);
    png_read_update_info(s.png, s.info);
    if (png_get_rowbytes(s.png, s.info) != width * 4) {
        return nullptr;
    }
    image->Allocate(static_cast<int>(width), static_cast<int>(height));
    rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) {
        rows[y] =
            reinterpret_cast<png_bytep>(image->m_bits.data() + static_cast<size_t>(y) * width);
    }
    png_read_image(s.png, rows.data());
    png_read_end(s.png, nullptr);
    return image;
}

std::unique_ptr<Image> DecodeJPEG(const uint8_t* data, size_t size) {
    if (size < 3 || data[0] != 0xFF || data[1] != 0xD8) {
        return nullptr;
    }
    jpeg_decompress_struct cinfo{};
    JpegError error{};
    cinfo.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegErrorExit;
    error.manager.emit_message = JpegSilence;
    auto image = std::make_unique<Image>();
    std::vector<uint8_t> row;
    if (setjmp(error.jump) != 0) {
        jpeg_destroy_decompress(&cinfo);
        return nullptr;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK ||
        !SizeAllowed(cinfo.image_width, cinfo.image_height) ||
        !DataCanFill(cinfo.image_width, cinfo.image_height, size, kJpegPixelsPerByte)) {
        jpeg_destroy_decompress(&cinfo);
        return nullptr;
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const int width = static_cast<int>(cinfo.output_width);
    const int height = static_cast<int>(cinfo.output_height);
    image->Allocate(width, height);
    row.resize(static_cast<size_t>(width) * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        const size_t y = cinfo.output_scanline;
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&cinfo, rows, 1);
        uint32_t* out = image->m_bits.data() + y * static_cast<size_t>(width);
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = row.data() + static_cast<size_t>(x) * 3;
            out[x] = 0xFF000000u | (static_cast<uint32_t>(p[0]) << 16) |
                     (static_cast<uint32_t>(p[1]) << 8) | p[2];
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return image;
}

namespace {

// Writes a PNG: `header` sets the header and any chunks before the
// pixels; `rows` are the rows in the file's pixel layout.
template <typename Header>
std::vector<uint8_t> WritePngRows(Header header, const std::vector<png_bytep>& rows) {
    std::vector<uint8_t> out;
    PngStruct s;
    s.writing = true;
    s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, PngWarning);
    if (s.png == nullptr) {
        return out;
    }
    s.info = png_create_info_struct(s.png);
    if (s.info == nullptr || setjmp(png_jmpbuf(s.png)) != 0) {
        out.clear();
        return out;
    }
    png_set_write_fn(s.png, &out, PngWrite, PngFlush);
    header(s.png, s.info);
    png_write_image(s.png, const_cast<png_bytepp>(rows.data()));
    png_write_end(s.png, nullptr);
    return out;
}

}  // namespace

std::vector<uint8_t> EncodePNG(const Image& image) {
    if (image.m_width <= 0 || image.m_height <= 0) {
        return {};
    }
    std::vector<png_bytep> rows(static_cast<size_t>(image.m_height));
    for (int y = 0; y < image.m_height; ++y) {
        rows[static_cast<size_t>(y)] = reinterpret_cast<png_bytep>(
            const_cast<uint32_t*>(image.m_bits.data()) +
            static_cast<size_t>(y) * static_cast<size_t>(image.m_width));
    }
    return WritePngRows(
        [&](png_structp png, png_infop info) {
            png_set_IHDR(png, info, static_cast<png_uint_32>(image.m_width),
                         static_cast<png_uint_32>(image.m_height), 8, PNG_COLOR_TYPE_RGBA,
                         PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
            png_color_8 bits{8, 8, 8, 8, 8};
            png_set_sBIT(png, info, &bits);
            png_write_info(png, info);
            png_set_bgr(png);  // memory order is blue, green, red, alpha
        },
        rows);
}

std::vector<uint8_t> EncodePNGIndexed(const Image& image) {
    if (image.m_width <= 0 || image.m_height <= 0) {
        return {};
    }
    std::unordered_map<uint32_t, uint8_t> index;
    std::vector<uint32_t> colours;
    std::vector<uint8_t> pixels(image.m_bits.size());
    for (size_t i = 0; i < image.m_bits.size(); ++i) {
        const uint32_t c = image.m_bits[i];
        auto [it, added] = index.try_emplace(c, static_cast<uint8_t>(colours.size()));
        if (added) {
            if (colours.size() == 256) {
                return EncodePNG(image);  // too many colours for a palette
            }
            colours.push_back(c);
        }
        pixels[i] = it->second;
    }
    std::vector<png_color> palette(colours.size());
    std::vector<png_byte> alphas(colours.size());
    for (size_t i = 0; i < colours.size(); ++i) {
        palette[i] = {static_cast<png_byte>(colours[i] >> 16),
                      static_cast<png_byte>(colours[i] >> 8), static_cast<png_byte>(colours[i])};
        alphas[i] = static_cast<png_byte>(colours[i] >> 24);
    }
    std::vector<png_bytep> rows(static_cast<size_t>(image.m_height));
    for (int y = 0; y < image.m_height; ++y) {
        rows[static_cast<size_t>(y)] =
            pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(image.m_width);
    }
    return WritePngRows(
        [&](png_structp png, png_infop info) {
            png_set_IHDR(png, info, static_cast<png_uint_32>(image.m_width),
                         static_cast<png_uint_32>(image.m_height), 8, PNG_COLOR_TYPE_PALETTE,
                         PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
            png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
            png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
            png_write_info(png, info);
        },
        rows);
}

std::vector<uint8_t> EncodeJPEG(const Image& image, int quality, bool fullChroma) {
    std::vector<uint8_t> out;
    if (image.m_width <= 0 || image.m_height <= 0) {
        return out;
    }
    jpeg_compress_struct cinfo{};
    JpegError error{};
    cinfo.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegErrorExit;
    std::vector<uint8_t> row(static_cast<size_t>(image.m_width) * 3);
    unsigned char* buffer = nullptr;
    unsigned long bufferSize = 0;
    if (setjmp(error.jump) != 0) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        out.clear();
        return out;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &bufferSize);
    cinfo.image_width = static_cast<JDIMENSION>(image.m_width);
    cinfo.image_height = static_cast<JDIMENSION>(image.m_height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (fullChroma) {
        for (int c = 0; c < cinfo.num_components; ++c) {
            cinfo.comp_info[c].h_samp_factor = 1;
            cinfo.comp_info[c].v_samp_factor = 1;
        }
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uint32_t* src = image.m_bits.data() + static_cast<size_t>(cinfo.next_scanline) *
                                                        static_cast<size_t>(image.m_width);
        for (int x = 0; x < image.m_width; ++x) {
            row[static_cast<size_t>(x) * 3] = static_cast<uint8_t>(src[x] >> 16);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<uint8_t>(src[x] >> 8);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<uint8_t>(src[x]);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    out.assign(buffer, buffer + bufferSize);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

namespace {
bool WriteBytes(const std::string& fileName, const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) {
        return false;
    }
    std::FILE* f = std::fopen(fileName.c_str(), "wbe");
    if (f == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
}  // namespace

bool WritePNG(const std::string& fileName, const Image& image) {
    return WriteBytes(fileName, EncodePNG(image));
}

bool WriteJPEG(const std::string& fileName, const Image& image) {
    return WriteBytes(fileName, EncodeJPEG(image, 80));
}

}  // namespace ImageLib
