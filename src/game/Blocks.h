#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Gamespace {

// The tagged blocks that follow a profile's bests and the options' six
// bytes: a four-letter tag, a version byte, a big-endian 32-bit length, then
// that many bytes. Newer data comes as new blocks, so an older version reads
// what it knows and keeps the rest.
struct TaggedBlock {
    std::array<char, 4> tag{};
    uint8_t version = 0;
    std::vector<uint8_t> bytes;
    bool operator==(const TaggedBlock&) const = default;
    bool Is(const char (&name)[5], uint8_t v) const {
        return std::equal(tag.begin(), tag.end(), name) && version == v;
    }
};

inline constexpr size_t kBlockHeaderBytes = 4 + 1 + 4;
// No block of ours comes near this; a longer one is damage.
inline constexpr size_t kMaxBlockBytes = 1u << 20;

// The whole blocks of `bytes`, in order. Reading stops at the first one that
// is not whole (a tag that is not four letters, a length past the end or past
// kMaxBlockBytes): it and what follows are damage, not read. With `used`, the
// length of the whole blocks goes there.
std::vector<TaggedBlock> ParseBlocks(std::span<const uint8_t> bytes, size_t* used = nullptr);
void AppendBlock(std::vector<uint8_t>& out, const TaggedBlock& block);
TaggedBlock MakeBlock(const char (&tag)[5], uint8_t version, std::vector<uint8_t> bytes);

// Big-endian fields into a block's bytes.
class BlockWriter {
public:
    BlockWriter& U8(uint8_t v);
    BlockWriter& U16(uint16_t v);
    BlockWriter& U32(uint32_t v);
    BlockWriter& U64(uint64_t v);
    // A length byte, then the text's first 255 bytes.
    BlockWriter& Text(const std::string& text);
    std::vector<uint8_t> Take() { return std::move(m_bytes); }

private:
    std::vector<uint8_t> m_bytes;
};

// Big-endian fields out of a block's bytes. A read past the end yields zero
// and leaves the reader failed; check Ok() (or AtEnd()) once at the end.
class BlockReader {
public:
    explicit BlockReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    uint64_t U64();
    std::string Text();
    bool Ok() const { return m_ok; }
    size_t Left() const { return m_ok ? m_bytes.size() - m_at : 0; }
    // Every byte read and none missing.
    bool AtEnd() const { return m_ok && m_at == m_bytes.size(); }

private:
    bool Take(size_t n);
    std::span<const uint8_t> m_bytes;
    size_t m_at = 0;
    bool m_ok = true;
};

// How one kind of block is read into and written from a `T` (a player, the
// options).
template <class T>
struct BlockCodec {
    char tag[5];
    uint8_t version;
    // The block's bytes; nothing while the data is at its default, so a file
    // changes only once there is something to keep.
    std::optional<std::vector<uint8_t>> (*write)(const T&);
    // False when the block is damaged: `target` is left as it was (its
    // default) and the block is dropped alone.
    bool (*read)(T&, std::span<const uint8_t>);
};

// Reads the blocks of `bytes` that `codecs` know into `target`; returns the
// others (unknown tags or versions), to be carried byte for byte. With `used`,
// the length of the whole blocks goes there.
template <class T>
std::vector<TaggedBlock> ReadBlocksInto(T& target, std::span<const uint8_t> bytes,
                                        std::span<const BlockCodec<T>> codecs,
                                        size_t* used = nullptr) {
    std::vector<TaggedBlock> others;
    for (TaggedBlock& block : ParseBlocks(bytes, used)) {
        const auto codec = std::find_if(codecs.begin(), codecs.end(), [&](const BlockCodec<T>& c) {
            return block.Is(c.tag, c.version);
        });
        if (codec == codecs.end()) {
            others.push_back(std::move(block));
        } else {
            codec->read(target, block.bytes);  // a damaged block is dropped alone
        }
    }
    return others;
}

// Appends the blocks `codecs` write for `source`, then `others`.
template <class T>
void AppendBlocksOf(std::vector<uint8_t>& out, const T& source,
                    std::span<const BlockCodec<T>> codecs, const std::vector<TaggedBlock>& others) {
    for (const BlockCodec<T>& codec : codecs) {
        if (auto bytes = codec.write(source)) {
            AppendBlock(out, MakeBlock(codec.tag, codec.version, std::move(*bytes)));
        }
    }
    for (const TaggedBlock& block : others) {
        AppendBlock(out, block);
    }
}

}  // namespace Gamespace
