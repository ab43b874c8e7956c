#pragma once

// How well a caption stands out: the contrast ratio of its fill colour
// against what surrounds it, by the relative luminance of sRGB colours
// (1:1 for equal colours up to 21:1 for black on white).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace TestSupport {

// Relative luminance of 0xRRGGBB.
inline double Luminance(uint32_t rgb) {
    auto channel = [](uint32_t c) {
        const double v = c / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(rgb >> 16 & 0xFF) + 0.7152 * channel(rgb >> 8 & 0xFF) +
           0.0722 * channel(rgb & 0xFF);
}

inline double ContrastRatio(double a, double b) {
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

struct CaptionContrast {
    int fillPixels = 0;  // pixels drawn in the caption's own colour
    double vsPlate = 0;  // fill against the ground under the caption's ink
    double vsRing = 0;   // fill against the outline ring around the fill
    int inkTop = 0;      // the topmost row the caption changed
    int inkBottom = -1;  // and the lowest
    // The caption reads against whichever of the two surrounds it better:
    // outlined text reads by its outline on any ground, plain text by its plate.
    double Ratio() const { return std::max(vsPlate, vsRing); }
};

// Compares two pictures of the same screen (`width` pixels wide), one with the
// caption drawn and one without, inside the rectangle (x, y, w, h): the
// caption's ink is what differs, its fill what is within a small distance of
// `fill` (0xRRGGBB).
inline CaptionContrast MeasureCaption(const std::vector<uint32_t>& with,
                                      const std::vector<uint32_t>& without, int width, int x, int y,
                                      int w, int h, uint32_t fill) {
    auto distance = [](uint32_t a, uint32_t b) {
        int d = 0;
        for (int shift : {0, 8, 16}) {
            d = std::max(d, std::abs(static_cast<int>(a >> shift & 0xFF) -
                                     static_cast<int>(b >> shift & 0xFF)));
        }
        return d;
    };
    const int height = static_cast<int>(with.size()) / width;
    auto at = [&](const std::vector<uint32_t>& p, int px, int py) {
        return p[static_cast<size_t>(py * width + px)] & 0xFFFFFFu;
    };
    std::vector<int> kind(static_cast<size_t>(w * h), 0);  // 0 ground, 1 ink, 2 fill
    CaptionContrast result;
    result.inkTop = y + h;
    std::vector<double> plate;
    for (int py = std::max(0, y); py < std::min(height, y + h); ++py) {
        for (int px = std::max(0, x); px < std::min(width, x + w); ++px) {
            const uint32_t a = at(with, px, py);
            const uint32_t b = at(without, px, py);
            if (distance(a, b) <= 24) {
                continue;
            }
            int& k = kind[static_cast<size_t>((py - y) * w + (px - x))];
            k = distance(a, fill) <= 40 ? 2 : 1;
            result.fillPixels += k == 2 ? 1 : 0;
            plate.push_back(Luminance(b));
            result.inkTop = std::min(result.inkTop, py);
            result.inkBottom = std::max(result.inkBottom, py);
        }
    }
    std::vector<double> ring;
    for (int py = 1; py < h - 1; ++py) {
        for (int px = 1; px < w - 1; ++px) {
            if (kind[static_cast<size_t>(py * w + px)] != 1) {
                continue;
            }
            bool touchesFill = false;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    touchesFill |= kind[static_cast<size_t>((py + dy) * w + px + dx)] == 2;
                }
            }
            if (touchesFill) {
                ring.push_back(Luminance(at(with, x + px, y + py)));
            }
        }
    }
    auto median = [](std::vector<double>& v) {
        if (v.empty()) {
            return -1.0;
        }
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    const double lf = Luminance(fill);
    const double lp = median(plate);
    const double lr = median(ring);
    result.vsPlate = lp < 0 ? 0 : ContrastRatio(lf, lp);
    result.vsRing = lr < 0 ? 0 : ContrastRatio(lf, lr);
    return result;
}

}  // namespace TestSupport
