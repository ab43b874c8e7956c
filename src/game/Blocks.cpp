#include "game/Blocks.h"

#include <algorithm>

namespace Gamespace {

namespace {
bool IsTagCharacter(uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}
}  // namespace

std::vector<TaggedBlock> ParseBlocks(std::span<const uint8_t> bytes, size_t* used) {
    std::vector<TaggedBlock> blocks;
    size_t at = 0;
    while (bytes.size() - at >= kBlockHeaderBytes) {
        const auto header = bytes.subspan(at, kBlockHeaderBytes);
        if (!std::all_of(header.begin(), header.begin() + 4, IsTagCharacter)) {
            break;
        }
        BlockReader reader(header.subspan(5));
        const uint32_t length = reader.U32();
        if (length > kMaxBlockBytes || length > bytes.size() - at - kBlockHeaderBytes) {
            break;
        }
        TaggedBlock block;
        std::copy_n(header.begin(), 4, block.tag.begin());
        block.version = header[4];
        const auto body = bytes.subspan(at + kBlockHeaderBytes, length);
        block.bytes.assign(body.begin(), body.end());
        blocks.push_back(std::move(block));
        at += kBlockHeaderBytes + length;
    }
    if (used != nullptr) {
        *used = at;
    }
    return blocks;
}

void AppendBlock(std::vector<uint8_t>& out, const TaggedBlock& block) {
    out.insert(out.end(), block.tag.begin(), block.tag.end());
    BlockWriter header;
    header.U8(block.version).U32(static_cast<uint32_t>(block.bytes.size()));
    const auto headerBytes = header.Take();
    out.insert(out.end(), headerBytes.begin(), headerBytes.end());
    out.insert(out.end(), block.bytes.begin(), block.bytes.end());
}

TaggedBlock MakeBlock(const char (&tag)[5], uint8_t version, std::vector<uint8_t> bytes) {
    TaggedBlock block;
    std::copy_n(tag, 4, block.tag.begin());
    block.version = version;
    block.bytes = std::move(bytes);
    return block;
}

BlockWriter& BlockWriter::U8(uint8_t v) {
    m_bytes.push_back(v);
    return *this;
}
BlockWriter& BlockWriter::U16(uint16_t v) {
    return U8(static_cast<uint8_t>(v >> 8)).U8(static_cast<uint8_t>(v));
}
BlockWriter& BlockWriter::U32(uint32_t v) {
    return U16(static_cast<uint16_t>(v >> 16)).U16(static_cast<uint16_t>(v));
}
BlockWriter& BlockWriter::U64(uint64_t v) {
    return U32(static_cast<uint32_t>(v >> 32)).U32(static_cast<uint32_t>(v));
}
BlockWriter& BlockWriter::Text(const std::string& text) {
    const size_t n = std::min<size_t>(text.size(), 255);
    U8(static_cast<uint8_t>(n));
    m_bytes.insert(m_bytes.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n));
    return *this;
}

bool BlockReader::Take(size_t n) {
    if (!m_ok || m_bytes.size() - m_at < n) {
        m_ok = false;
        return false;
    }
    return true;
}
uint8_t BlockReader::U8() {
    return Take(1) ? m_bytes[m_at++] : 0;
}
uint16_t BlockReader::U16() {
    const uint16_t high = U8();
    return static_cast<uint16_t>((high << 8) | U8());
}
uint32_t BlockReader::U32() {
    const uint32_t high = U16();
    return (high << 16) | U16();
}
uint64_t BlockReader::U64() {
    const uint64_t high = U32();
    return (high << 32) | U32();
}
std::string BlockReader::Text() {
    const size_t n = U8();
    if (!Take(n)) {
        return {};
    }
    std::string text(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_at),
                     m_bytes.begin() + static_cast<std::ptrdiff_t>(m_at + n));
    m_at += n;
    return text;
}

}  // namespace Gamespace
