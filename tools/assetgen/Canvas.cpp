#include "Canvas.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

namespace AssetGen {

Canvas::Canvas(int width, int height)
    : m_width(width),
      m_height(height),
      m_surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      m_cr(cairo_create(m_surface)) {}

Canvas::~Canvas() {
    cairo_destroy(m_cr);
    cairo_surface_destroy(m_surface);
}

void RoundedRectPath(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void Canvas::RoundedRect(double x, double y, double w, double h, double r) {
    RoundedRectPath(m_cr, x, y, w, h, r);
}

void Canvas::VerticalGradient(double x, double y, double w, double h, Rgb top, Rgb bottom,
                              double alpha) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h);
    cairo_pattern_add_color_stop_rgba(p, 0, top.r, top.g, top.b, alpha);
    cairo_pattern_add_color_stop_rgba(p, 1, bottom.r, bottom.g, bottom.b, alpha);
    cairo_rectangle(m_cr, x, y, w, h);
    cairo_set_source(m_cr, p);
    cairo_fill(m_cr);
    cairo_pattern_destroy(p);
}

void BlurAlpha(cairo_surface_t* surface, int radius) {
    cairo_surface_flush(surface);
    const int w = cairo_image_surface_get_width(surface);
    const int h = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface) / 4;
    auto* px = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface));
    std::vector<int> a(static_cast<size_t>(w * h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            a[static_cast<size_t>(y * w + x)] = static_cast<int>(px[y * stride + x] >> 24);
        }
    }
    std::vector<int> tmp(a.size());
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y) {  // horizontal
            for (int x = 0; x < w; ++x) {
                int sum = 0;
                for (int k = -radius; k <= radius; ++k) {
                    sum += a[static_cast<size_t>(y * w + std::clamp(x + k, 0, w - 1))];
                }
                tmp[static_cast<size_t>(y * w + x)] = sum / (2 * radius + 1);
            }
        }
        for (int y = 0; y < h; ++y) {  // vertical
            for (int x = 0; x < w; ++x) {
                int sum = 0;
                for (int k = -radius; k <= radius; ++k) {
                    sum += tmp[static_cast<size_t>(std::clamp(y + k, 0, h - 1) * w + x)];
                }
                a[static_cast<size_t>(y * w + x)] = sum / (2 * radius + 1);
            }
        }
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            px[y * stride + x] = static_cast<uint32_t>(a[static_cast<size_t>(y * w + x)]) << 24;
        }
    }
    cairo_surface_mark_dirty(surface);
}

void Canvas::Shadow(double x, double y, double w, double h, double r, double blur, double alpha) {
    const int pad = static_cast<int>(blur * 3);
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, m_width, m_height);
    cairo_t* c = cairo_create(s);
    cairo_set_source_rgba(c, 0, 0, 0, alpha);
    RoundedRectPath(c, x, y, w, h, r);
    cairo_fill(c);
    cairo_destroy(c);
    BlurAlpha(s, std::max(1, pad / 3));
    cairo_set_source_surface(m_cr, s, 0, 0);
    cairo_paint(m_cr);
    cairo_surface_destroy(s);
}

void Canvas::Grain(double amount, uint32_t seed) {
    cairo_surface_flush(m_surface);
    std::mt19937 rng(seed);
    const int stride = cairo_image_surface_get_stride(m_surface) / 4;
    auto* px = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(m_surface));
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            uint32_t& p = px[y * stride + x];
            const int a = static_cast<int>(p >> 24);
            if (a == 0) {
                continue;
            }
            const int d =
                static_cast<int>((static_cast<double>(rng() % 1000) / 1000.0 - 0.5) * amount);
            auto ch = [&](int shift) {
                return static_cast<uint32_t>(
                           std::clamp(static_cast<int>((p >> shift) & 0xFF) + d, 0, a))
                       << shift;
            };
            p = (p & 0xFF000000u) | ch(16) | ch(8) | ch(0);
        }
    }
    cairo_surface_mark_dirty(m_surface);
}

ImageLib::Image Canvas::ToImage() {
    cairo_surface_flush(m_surface);
    ImageLib::Image img(m_width, m_height);
    const int stride = cairo_image_surface_get_stride(m_surface) / 4;
    const auto* px = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(m_surface));
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            const uint32_t p = px[y * stride + x];
            const uint32_t a = p >> 24;
            if (a == 0) {
                img.m_bits[static_cast<size_t>(y * m_width + x)] = 0;
                continue;
            }
            auto un = [&](int shift) {
                return std::min<uint32_t>(((p >> shift) & 0xFF) * 255 / a, 255) << shift;
            };
            img.m_bits[static_cast<size_t>(y * m_width + x)] = (a << 24) | un(16) | un(8) | un(0);
        }
    }
    return img;
}

void MakeParent(const std::string& path) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    MakeParent(path);
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(f);
}

bool Canvas::WritePng(const std::string& path) {
    return WriteFile(path, ImageLib::EncodePNG(ToImage()));
}

bool Canvas::WriteJpeg(const std::string& path, int quality, bool fullChroma) {
    ImageLib::Image img = ToImage();
    for (uint32_t& p : img.m_bits) {
        p |= 0xFF000000u;
    }
    return WriteFile(path, ImageLib::EncodeJPEG(img, quality, fullChroma));
}

bool Canvas::WriteJpegWithAlpha(const std::string& path, uint32_t fill, int quality) {
    ImageLib::Image colour = ToImage();
    ImageLib::Image alpha(m_width, m_height);
    for (size_t i = 0; i < colour.m_bits.size(); ++i) {
        const uint32_t a = colour.m_bits[i] >> 24;
        alpha.m_bits[i] = 0xFF000000u | a * 0x010101u;
        colour.m_bits[i] = a == 0 ? (0xFF000000u | fill) : (colour.m_bits[i] | 0xFF000000u);
    }
    const std::filesystem::path p(path);
    const std::string alphaPath = (p.parent_path() / ("_" + p.filename().string())).string();
    return WriteFile(path, ImageLib::EncodeJPEG(colour, quality, true)) &&
           WriteFile(alphaPath, ImageLib::EncodeJPEG(alpha, quality, true));
}

}  // namespace AssetGen
