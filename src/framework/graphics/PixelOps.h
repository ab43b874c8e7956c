#pragma once

// Row loops of the hot drawing paths, with SSE2 versions that give results
// identical to the scalar formulas in Blend.h.

#include <cstdint>

namespace Brisk::detail {

// Fills n opaque pixels with colour c of alpha a (1..254).
void FillRowOverOpaque(uint32_t* row, int n, uint32_t c, uint32_t a);
// Blends n source pixels (any alpha) over n opaque destination pixels.
void BlendRowOverOpaque(uint32_t* dst, const uint32_t* src, int n);
// Adds n premultiplied display-format pixels over n opaque destination pixels.
void BlendRowNative(uint32_t* dst, const uint32_t* native, int n);

// The plain scalar loops, kept for tests and benchmarks.
void FillRowOverOpaqueScalar(uint32_t* row, int n, uint32_t c, uint32_t a);
void BlendRowOverOpaqueScalar(uint32_t* dst, const uint32_t* src, int n);
void BlendRowNativeScalar(uint32_t* dst, const uint32_t* native, int n);

}  // namespace Brisk::detail
