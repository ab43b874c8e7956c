#include "framework/graphics/PixelOps.h"

#include <emmintrin.h>

#include <utility>

#include "framework/graphics/Blend.h"

namespace Brisk::detail {

void FillRowOverOpaqueScalar(uint32_t* row, int n, uint32_t c, uint32_t a) {
    const uint32_t w = a * 256 / 255;
    for (int i = 0; i < n; ++i) {
        row[i] = MixSum(row[i], c, w, 255);
    }
}

void BlendRowOverOpaqueScalar(uint32_t* dst, const uint32_t* src, int n) {
    for (int i = 0; i < n; ++i) {
        const uint32_t a = src[i] >> 24;
        if (a == 255) {
            dst[i] = src[i];
        } else if (a != 0) {
            dst[i] = OverOpaque(dst[i], src[i]);
        }
    }
}

void BlendRowNativeScalar(uint32_t* dst, const uint32_t* native, int n) {
    for (int i = 0; i < n; ++i) {
        dst[i] = OverNative(dst[i], native[i]);
    }
}

void StretchRowOverOpaqueScalar(uint32_t* dst, const uint32_t* src, int n) {
    for (int i = 0; i < n; ++i) {
        dst[i] = OverAnyOnOpaque(dst[i], src[i]);
    }
}

namespace {

const __m128i kZero = _mm_setzero_si128();

// Broadcasts each pixel's alpha lane (3 and 7) over its four 16-bit lanes.
inline __m128i AlphaLanes(__m128i px16) {
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(px16, 0xFF), 0xFF);
}

// Four source pixels all opaque (copied as they are), all transparent
// (nothing to do) or mixed (blended).
enum class Group { Opaque, Transparent, Mixed };
inline Group GroupOf(__m128i s) {
    const __m128i alphas = _mm_srli_epi32(s, 24);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(alphas, _mm_set1_epi32(255))) == 0xFFFF) {
        return Group::Opaque;
    }
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(alphas, kZero)) == 0xFFFF) {
        return Group::Transparent;
    }
    return Group::Mixed;
}

// Four premultiplied native pixels over four destination pixels:
// S + (D (256 - a)) >> 8 per channel, destination alpha dropped.
inline __m128i BlendNativeFour(__m128i s, __m128i dst) {
    const __m128i v256 = _mm_set1_epi16(256);
    const __m128i d = _mm_and_si128(dst, _mm_set1_epi32(0x00FFFFFF));
    const __m128i iaLo = _mm_sub_epi16(v256, AlphaLanes(_mm_unpacklo_epi8(s, kZero)));
    const __m128i iaHi = _mm_sub_epi16(v256, AlphaLanes(_mm_unpackhi_epi8(s, kZero)));
    const __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, kZero), iaLo), 8);
    const __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, kZero), iaHi), 8);
    return _mm_add_epi32(s, _mm_packus_epi16(lo, hi));
}

}  // namespace

// Per channel (C w + D iw) >> 8, computed in 16 bits as ((D iw + L) >> 8) + H
// with C w = 256 H + L, which never overflows and equals the scalar result.
void FillRowOverOpaque(uint32_t* row, int n, uint32_t c, uint32_t a) {
    const uint32_t w = a * 256 / 255;
    const auto iw = static_cast<int16_t>(256 - w);
    auto part = [&](int shift) {
        const uint32_t cw = ((c >> shift) & 0xFF) * w;
        return std::pair<int, int>(static_cast<int>(cw & 0xFF), static_cast<int>(cw >> 8));
    };
    const auto [lb, hb] = part(0);
    const auto [lg, hg] = part(8);
    const auto [lr, hr] = part(16);
    const __m128i vIw = _mm_set1_epi16(iw);
    const __m128i vL = _mm_setr_epi16(static_cast<int16_t>(lb), static_cast<int16_t>(lg),
                                      static_cast<int16_t>(lr), 0, static_cast<int16_t>(lb),
                                      static_cast<int16_t>(lg), static_cast<int16_t>(lr), 0);
    const __m128i vH = _mm_setr_epi16(static_cast<int16_t>(hb), static_cast<int16_t>(hg),
                                      static_cast<int16_t>(hr), 0, static_cast<int16_t>(hb),
                                      static_cast<int16_t>(hg), static_cast<int16_t>(hr), 0);
    const __m128i vAlpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
        __m128i lo = _mm_unpacklo_epi8(d, kZero);
        __m128i hi = _mm_unpackhi_epi8(d, kZero);
        lo = _mm_add_epi16(_mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(lo, vIw), vL), 8), vH);
        hi = _mm_add_epi16(_mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(hi, vIw), vL), 8), vH);
        const __m128i out = _mm_or_si128(_mm_packus_epi16(lo, hi), vAlpha);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), out);
    }
    FillRowOverOpaqueScalar(row + i, n - i, c, a);
}

// Opaque source pixels are copied exactly and transparent ones leave the
// destination untouched, whatever the blend arithmetic rounded them to.
inline __m128i KeepEndpoints(__m128i blended, __m128i s, __m128i d, __m128i aLo, __m128i aHi) {
    const __m128i v255 = _mm_set1_epi16(255);
    const __m128i opaque = _mm_packs_epi16(_mm_cmpeq_epi16(aLo, v255), _mm_cmpeq_epi16(aHi, v255));
    const __m128i clear = _mm_packs_epi16(_mm_cmpeq_epi16(aLo, kZero), _mm_cmpeq_epi16(aHi, kZero));
    const __m128i out = _mm_or_si128(_mm_and_si128(opaque, s), _mm_andnot_si128(opaque, blended));
    return _mm_or_si128(_mm_and_si128(clear, d), _mm_andnot_si128(clear, out));
}

// Four source pixels over four opaque destination pixels; `lanes` blends
// eight 16-bit channels given the source, destination and alpha lanes.
template <typename Lanes>
inline __m128i BlendFour(__m128i s, __m128i d, Lanes lanes) {
    const __m128i vAlpha = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const __m128i sLo = _mm_unpacklo_epi8(s, kZero);
    const __m128i sHi = _mm_unpackhi_epi8(s, kZero);
    const __m128i aLo = AlphaLanes(sLo);
    const __m128i aHi = AlphaLanes(sHi);
    const __m128i lo = lanes(sLo, _mm_unpacklo_epi8(d, kZero), aLo);
    const __m128i hi = lanes(sHi, _mm_unpackhi_epi8(d, kZero), aHi);
    return KeepEndpoints(_mm_or_si128(_mm_packus_epi16(lo, hi), vAlpha), s, d, aLo, aHi);
}

void BlendRowOverOpaque(uint32_t* dst, const uint32_t* src, int n) {
    const __m128i v256 = _mm_set1_epi16(256);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        const __m128i out = BlendFour(s, d, [&](__m128i s16, __m128i d16, __m128i a16) {
            const __m128i dPart = _mm_srli_epi16(_mm_mullo_epi16(d16, _mm_sub_epi16(v256, a16)), 8);
            const __m128i sPart = _mm_srli_epi16(_mm_mullo_epi16(s16, a16), 8);
            return _mm_add_epi16(dPart, sPart);
        });
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), out);
    }
    BlendRowOverOpaqueScalar(dst + i, src + i, n - i);
}

// Red and blue: (D ia) >> 8 + (S a) >> 8; green: (S a + D ia) >> 8, which
// fits 16 bits because the weights add up to 256.
void StretchRowOverOpaque(uint32_t* dst, const uint32_t* src, int n) {
    const __m128i v256 = _mm_set1_epi16(256);
    const __m128i greenLanes = _mm_setr_epi16(0, -1, 0, 0, 0, -1, 0, 0);
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        // Whole groups of opaque or transparent pixels need no arithmetic.
        const Group group = GroupOf(s);
        if (group == Group::Opaque) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), s);
            continue;
        }
        if (group == Group::Transparent) {
            continue;
        }
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        const __m128i out = BlendFour(s, d, [&](__m128i s16, __m128i d16, __m128i a16) {
            const __m128i sa = _mm_mullo_epi16(s16, a16);
            const __m128i dia = _mm_mullo_epi16(d16, _mm_sub_epi16(v256, a16));
            const __m128i separate = _mm_add_epi16(_mm_srli_epi16(dia, 8), _mm_srli_epi16(sa, 8));
            const __m128i summed = _mm_srli_epi16(_mm_add_epi16(dia, sa), 8);
            return _mm_or_si128(_mm_and_si128(greenLanes, summed),
                                _mm_andnot_si128(greenLanes, separate));
        });
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), out);
    }
    StretchRowOverOpaqueScalar(dst + i, src + i, n - i);
}

void BlendRowNative(uint32_t* dst, const uint32_t* native, int n) {
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(native + i));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), BlendNativeFour(s, d));
    }
    BlendRowNativeScalar(dst + i, native + i, n - i);
}

// As BlendRowNative, testing each group of four first: whole rows of small
// pictures are mostly opaque or transparent.
void BlendRowNativeGroups(uint32_t* dst, const uint32_t* native, int n) {
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(native + i));
        const Group group = GroupOf(s);
        if (group == Group::Opaque) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), s);
        } else if (group == Group::Mixed) {
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), BlendNativeFour(s, d));
        }
    }
    BlendRowNativeScalar(dst + i, native + i, n - i);
}

}  // namespace Brisk::detail
