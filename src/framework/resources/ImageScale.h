#pragma once

#include <cstdint>

#include "framework/resources/ImageLib.h"

namespace ImageLib {

// `source` scaled to width x height with a separable filter: each target
// pixel averages the source pixels its area covers, weighted by how much of
// each it covers (area averaging), so a large photograph shrinks without
// the sparkle of nearest-neighbour sampling; growing uses a tent filter.
// Colours are averaged premultiplied, so transparent pixels leave no dark
// fringe. An empty source or a target size of 0 (or past SizeAllowed) gives
// an empty image.
Image Resample(const Image& source, int width, int height);

// The largest size of `width` x `height`'s shape that fits into `boxWidth`
// x `boxHeight` (at least 1 x 1 for a picture that is not empty).
void FitSize(int width, int height, int boxWidth, int boxHeight, int* fitWidth, int* fitHeight);

}  // namespace ImageLib
