#include "framework/resources/ImageScale.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ImageLib {
namespace {

// One target pixel's source span along one axis: the first source index and
// the weights of the following ones (summing to 1).
struct Taps {
    int first = 0;
    std::vector<float> weights;
};

std::vector<Taps> AxisTaps(int from, int to) {
    std::vector<Taps> taps(static_cast<size_t>(to));
    const double scale = static_cast<double>(from) / to;
    for (int i = 0; i < to; ++i) {
        Taps& t = taps[static_cast<size_t>(i)];
        if (scale >= 1.0) {
            // Shrinking: the exact area [i, i + 1) covers in the source.
            const double lo = i * scale;
            const double hi = std::min<double>((i + 1) * scale, from);
            t.first = static_cast<int>(lo);
            for (int s = t.first; s < from && s < hi; ++s) {
                const double cover = std::min<double>(s + 1, hi) - std::max<double>(s, lo);
                t.weights.push_back(static_cast<float>(cover / scale));
            }
        } else {
            // Growing: a tent between the two nearest source pixels.
            const double centre = (i + 0.5) * scale - 0.5;
            const int left = static_cast<int>(std::floor(centre));
            const double f = centre - left;
            const int a = std::clamp(left, 0, from - 1);
            const int b = std::clamp(left + 1, 0, from - 1);
            t.first = a;
            if (a == b) {
                t.weights = {1.0f};
            } else {
                t.weights = {static_cast<float>(1.0 - f), static_cast<float>(f)};
            }
        }
        float sum = 0;
        for (const float w : t.weights) {
            sum += w;
        }
        for (float& w : t.weights) {
            w /= sum;  // rounding at the edges: the weights still sum to 1
        }
    }
    return taps;
}

struct Premultiplied {
    float a = 0, r = 0, g = 0, b = 0;
};

}  // namespace

void FitSize(int width, int height, int boxWidth, int boxHeight, int* fitWidth, int* fitHeight) {
    if (width <= 0 || height <= 0 || boxWidth <= 0 || boxHeight <= 0) {
        *fitWidth = 0;
        *fitHeight = 0;
        return;
    }
    // Width-limited unless the height then overflows the box.
    const int64_t byWidth = static_cast<int64_t>(height) * boxWidth / width;
    if (byWidth <= boxHeight) {
        *fitWidth = boxWidth;
        *fitHeight = static_cast<int>(std::max<int64_t>(byWidth, 1));
    } else {
        *fitWidth = static_cast<int>(
            std::max<int64_t>(static_cast<int64_t>(width) * boxHeight / height, 1));
        *fitHeight = boxHeight;
    }
}

Image Resample(const Image& source, int width, int height) {
    Image out;
    const int sw = source.GetWidth();
    const int sh = source.GetHeight();
    if (sw <= 0 || sh <= 0 || width <= 0 || height <= 0 || !SizeAllowed(width, height) ||
        source.m_bits.size() < static_cast<size_t>(sw) * static_cast<size_t>(sh)) {
        return out;
    }
    const std::vector<Taps> across = AxisTaps(sw, width);
    const std::vector<Taps> down = AxisTaps(sh, height);
    // Rows first: every source row shrunk (or grown) to the target width.
    std::vector<Premultiplied> rows(static_cast<size_t>(width) * static_cast<size_t>(sh));
    for (int y = 0; y < sh; ++y) {
        const uint32_t* line = source.GetBits() + static_cast<size_t>(y) * sw;
        for (int x = 0; x < width; ++x) {
            const Taps& t = across[static_cast<size_t>(x)];
            Premultiplied sum;
            for (size_t k = 0; k < t.weights.size(); ++k) {
                const uint32_t p = line[t.first + static_cast<int>(k)];
                const float w = t.weights[k];
                const float a = static_cast<float>(p >> 24) * w;
                sum.a += a;
                sum.r += static_cast<float>((p >> 16) & 0xFF) * a;
                sum.g += static_cast<float>((p >> 8) & 0xFF) * a;
                sum.b += static_cast<float>(p & 0xFF) * a;
            }
            rows[static_cast<size_t>(y) * width + x] = sum;
        }
    }
    out.Allocate(width, height);
    for (int y = 0; y < height; ++y) {
        const Taps& t = down[static_cast<size_t>(y)];
        for (int x = 0; x < width; ++x) {
            Premultiplied sum;
            for (size_t k = 0; k < t.weights.size(); ++k) {
                const Premultiplied& p =
                    rows[static_cast<size_t>(t.first + static_cast<int>(k)) * width + x];
                const float w = t.weights[k];
                sum.a += p.a * w;
                sum.r += p.r * w;
                sum.g += p.g * w;
                sum.b += p.b * w;
            }
            uint32_t pixel = 0;
            if (sum.a > 0) {
                auto channel = [&](float v) {
                    return static_cast<uint32_t>(std::clamp(std::lround(v / sum.a), 0L, 255L));
                };
                const auto alpha = static_cast<uint32_t>(std::clamp(std::lround(sum.a), 0L, 255L));
                pixel =
                    (alpha << 24) | (channel(sum.r) << 16) | (channel(sum.g) << 8) | channel(sum.b);
            }
            out.GetBits()[static_cast<size_t>(y) * width + x] = pixel;
        }
    }
    return out;
}

}  // namespace ImageLib
