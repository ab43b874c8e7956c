// MemoryImage: pixel buffers, flags and caches.

#include "framework/graphics/MemoryImage.h"

#include <algorithm>
#include <unordered_map>

namespace Brisk {
namespace {

// Run lengths of equal classes along each row, at most 255.
template <typename ClassOf>
void BuildRuns(std::vector<uint8_t>& runs, int width, int height, ClassOf classOf) {
    runs.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 1);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = runs.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int x = width - 2; x >= 0; --x) {
            if (classOf(x, y) == classOf(x + 1, y) && row[x + 1] < 255) {
                row[x] = static_cast<uint8_t>(row[x + 1] + 1);
            }
        }
    }
}

}  // namespace

MemoryImage* AsMemoryImage(Image* image) {
    return dynamic_cast<MemoryImage*>(image);
}

MemoryImage::MemoryImage(const MemoryImage& other)
    : Image(other),
      m_bits(other.m_bits),
      m_palette(other.m_palette),
      m_colorIndices(other.m_colorIndices),
      m_changeCount(0),
      m_hasTransparency(other.m_hasTransparency),
      m_hasAlpha(other.m_hasAlpha),
      m_flagsForced(other.m_flagsForced),
      m_bitsChanged(other.m_bitsChanged),
      m_wasPalettized(other.m_wasPalettized),
      m_wantsDisplayCopy(other.m_wantsDisplayCopy) {}

void MemoryImage::EnsureReadable() {
    if (m_colorIndices.empty()) {
        GetBits();
    }
}

uint32_t* MemoryImage::GetBits() {
    const size_t count = static_cast<size_t>(m_width) * static_cast<size_t>(m_height);
    if (m_bits.size() == count + 1) {
        return m_bits.data();
    }
    m_bits.assign(count + 1, 0);
    m_bits[count] = kGuardWord;
    if (!m_colorIndices.empty()) {
        for (size_t i = 0; i < count; ++i) {
            m_bits[i] = m_palette[m_colorIndices[i]];
        }
        m_colorIndices.clear();
        m_palette.clear();
    } else if (m_nativeData.size() == count && m_nativeFor != nullptr) {
        for (size_t i = 0; i < count; ++i) {
            m_bits[i] = m_nativeFor->FromNative(m_nativeData[i]);
        }
    }
    return m_bits.data();
}

void MemoryImage::BitsChanged() {
    ++m_changeCount;
    m_bitsChanged = true;
    m_nativeData.clear();
    m_runTable.clear();
    m_additiveRunTable.clear();
    m_nativeFor = nullptr;
}

void MemoryImage::CommitBits() {
    if (!m_bitsChanged || m_flagsForced) {
        m_bitsChanged = false;
        return;
    }
    m_bitsChanged = false;
    bool transparent = false;
    bool partial = false;
    auto look = [&](uint32_t p) {
        const uint32_t a = p >> 24;
        transparent = transparent || a == 0;
        partial = partial || (a != 0 && a != 255);
    };
    const size_t count = static_cast<size_t>(m_width) * static_cast<size_t>(m_height);
    if (!m_colorIndices.empty()) {
        for (uint32_t p : m_palette) {
            look(p);
        }
    } else if (m_bits.size() == count + 1) {
        for (size_t i = 0; i < count && !(transparent && partial); ++i) {
            look(m_bits[i]);
        }
    } else {
        transparent = true;  // no pixel data at all
    }
    m_hasTransparency = transparent;
    m_hasAlpha = partial;
}

void MemoryImage::SetImageFlags(bool hasTransparency, bool hasAlpha) {
    m_hasTransparency = hasTransparency;
    m_hasAlpha = hasAlpha;
    m_flagsForced = true;
}

void MemoryImage::DeleteNativeData() {
    EnsureReadable();
    m_nativeData.clear();
    m_runTable.clear();
    m_additiveRunTable.clear();
    m_nativeFor = nullptr;
}

void MemoryImage::DeleteExtraBuffers() {
    DeleteNativeData();
}

void MemoryImage::DeleteAllCaches() {
    DeleteExtraBuffers();
    DeleteDisplayCopy();
}

void MemoryImage::DeleteSoftwareBuffers() {
    m_purgeBits = true;
}

void MemoryImage::ReInit() {
    if (m_wasPalettized) {
        Palettize();
    }
    if (m_purgeBits) {
        DeleteSoftwareBuffers();
    }
}

void MemoryImage::Clear() {
    uint32_t* bits = GetBits();
    std::fill(bits, bits + static_cast<size_t>(m_width) * static_cast<size_t>(m_height), 0u);
    BitsChanged();
}

void MemoryImage::SetBits(const uint32_t* pixels, int width, int height, bool commit) {
    m_colorIndices.clear();
    m_palette.clear();
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    const size_t count = static_cast<size_t>(m_width) * static_cast<size_t>(m_height);
    m_bits.resize(count + 1);
    if (pixels != nullptr) {
        std::copy(pixels, pixels + count, m_bits.begin());
    } else {
        std::fill(m_bits.begin(), m_bits.end() - 1, 0u);
    }
    m_bits[count] = kGuardWord;
    BitsChanged();
    if (commit) {
        CommitBits();
    }
}

void MemoryImage::SetBits(std::vector<uint32_t>&& pixels, int width, int height, bool commit) {
    const size_t count =
        static_cast<size_t>(std::max(width, 0)) * static_cast<size_t>(std::max(height, 0));
    if (pixels.size() != count) {
        SetBits(nullptr, width, height, commit);  // not a picture of that size: blank
        return;
    }
    m_colorIndices.clear();
    m_palette.clear();
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    m_bits = std::move(pixels);
    m_bits.push_back(kGuardWord);
    BitsChanged();
    if (commit) {
        CommitBits();
    }
}

void MemoryImage::Create(int width, int height) {
    m_bits.clear();
    m_colorIndices.clear();
    m_palette.clear();
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
    m_hasTransparency = true;
    m_hasAlpha = true;
    BitsChanged();
}

bool MemoryImage::Palettize() {
    CommitBits();
    if (!m_colorIndices.empty()) {
        return true;
    }
    const size_t count = static_cast<size_t>(m_width) * static_cast<size_t>(m_height);
    if (count == 0) {
        return false;
    }
    const uint32_t* bits = GetBits();
    std::unordered_map<uint32_t, uint8_t> index;
    std::vector<uint32_t> palette;
    std::vector<uint8_t> indices(count);
    for (size_t i = 0; i < count; ++i) {
        auto it = index.find(bits[i]);
        if (it == index.end()) {
            if (palette.size() == 256) {
                return false;  // too many colours: the bits stay as they are
            }
            it = index.emplace(bits[i], static_cast<uint8_t>(palette.size())).first;
            palette.push_back(bits[i]);
        }
        indices[i] = it->second;
    }
    palette.resize(256, 0);
    m_palette = std::move(palette);
    m_colorIndices = std::move(indices);
    m_bits.clear();
    m_nativeData.clear();
    m_runTable.clear();
    m_additiveRunTable.clear();
    m_nativeFor = nullptr;
    m_wasPalettized = true;
    return true;
}

const uint32_t* MemoryImage::GetNativeData(const NativeDisplay& display) {
    const size_t count = static_cast<size_t>(m_width) * static_cast<size_t>(m_height);
    if (m_nativeFor == &display && m_nativeData.size() == count) {
        return m_nativeData.data();
    }
    EnsureReadable();
    m_runTable.clear();
    m_additiveRunTable.clear();
    m_nativeData.resize(count);
    for (int y = 0; y < m_height; ++y) {
        for (int x = 0; x < m_width; ++x) {
            m_nativeData[static_cast<size_t>(y) * static_cast<size_t>(m_width) +
                         static_cast<size_t>(x)] = display.ToNative(SourcePixel(x, y));
        }
    }
    m_nativeFor = &display;
    return m_nativeData.data();
}

const uint8_t* MemoryImage::GetRunTable(const NativeDisplay& display) {
    const size_t count = static_cast<size_t>(m_width) * static_cast<size_t>(m_height);
    if (m_nativeFor == &display && m_runTable.size() == count) {
        return m_runTable.data();
    }
    const uint32_t* native = GetNativeData(display);
    const int w = m_width;
    BuildRuns(m_runTable, m_width, m_height, [native, w](int x, int y) {
        const uint32_t a =
            native[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] >> 24;
        return a == 0 ? 0 : (a == 255 ? 2 : 1);
    });
    return m_runTable.data();
}

const uint8_t* MemoryImage::GetAdditiveRunTable(const NativeDisplay& display) {
    const size_t count = static_cast<size_t>(m_width) * static_cast<size_t>(m_height);
    if (m_nativeFor == &display && m_additiveRunTable.size() == count) {
        return m_additiveRunTable.data();
    }
    const uint32_t* native = GetNativeData(display);
    const int w = m_width;
    BuildRuns(m_additiveRunTable, m_width, m_height, [native, w](int x, int y) {
        return (native[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] &
                0x00FFFFFF) != 0;
    });
    return m_additiveRunTable.data();
}

}  // namespace Brisk
