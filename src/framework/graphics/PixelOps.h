#pragma once

// Row loops of the hot drawing paths, with SSE2 versions that give results
// identical to the scalar formulas in Blend.h.

#include <cstdint>

namespace Brisk::detail {

// Fills n opaque pixels with colour c of alpha a (1..254).
void FillRowOverOpaque(uint32_t* row, int n, uint32_t c, uint32_t a);
// Blends n source pixels (any alpha) over n opaque destination pixels.
void BlendRowOverOpaque(uint32_t* dst, const uint32_t* src, int n);
// The stretch blend (OverAnyOnOpaque) of n source pixels over n opaque
// destination pixels.
void StretchRowOverOpaque(uint32_t* dst, const uint32_t* src, int n);
// Adds n premultiplied display-format pixels over n opaque destination pixels.
void BlendRowNative(uint32_t* dst, const uint32_t* native, int n);
// The same, faster on rows that are mostly opaque or transparent in groups of four.
void BlendRowNativeGroups(uint32_t* dst, const uint32_t* native, int n);

// Walks n source pixels by their run table (runs of alpha 0, 255, or partial):
// long transparent runs are skipped and long opaque runs copied; everything
// else is handed to `blend` in spans, which must handle every alpha exactly.
// copy(i, count) and blend(i, count) take offsets from the row start.
template <typename CopyFn, typename BlendFn>
inline void WalkRow(const uint32_t* src, const uint8_t* runs, int n, CopyFn copy, BlendFn blend) {
    constexpr int kLongRun = 8;
    int i = 0;
    int pending = -1;
    while (i < n) {
        const int run = runs[i] < n - i ? runs[i] : n - i;
        const uint32_t a = src[i] >> 24;
        if (run >= kLongRun && (a == 0 || a == 255)) {
            if (pending >= 0) {
                blend(pending, i - pending);
                pending = -1;
            }
            if (a == 255) {
                copy(i, run);
            }
        } else if (pending < 0) {
            pending = i;
        }
        i += run;
    }
    if (pending >= 0) {
        blend(pending, n - pending);
    }
}

// The plain scalar loops, kept for tests and benchmarks.
void FillRowOverOpaqueScalar(uint32_t* row, int n, uint32_t c, uint32_t a);
void BlendRowOverOpaqueScalar(uint32_t* dst, const uint32_t* src, int n);
void BlendRowNativeScalar(uint32_t* dst, const uint32_t* native, int n);
void StretchRowOverOpaqueScalar(uint32_t* dst, const uint32_t* src, int n);

}  // namespace Brisk::detail
