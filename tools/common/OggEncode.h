#pragma once

#include <cstdint>
#include <vector>

namespace ToolSupport {

// Encodes interleaved float samples (-1..1) as Ogg Vorbis at `rate` Hz with
// `channels` channels and a VBR quality of -0.1..1. Used by the asset
// generator and by tests that need real Ogg files.
std::vector<uint8_t> EncodeOggVorbis(const std::vector<float>& samples, int channels, int rate,
                                     float quality);

}  // namespace ToolSupport
