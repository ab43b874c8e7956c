#include "effects/EffectDescription.h"

#include <cstdlib>

namespace EffectLibrary {
namespace {

constexpr std::string_view kAnimationMarker = "[animation]";
constexpr std::string_view kEffect = "[effect]";
constexpr std::string_view kFrame = "[frame]";

// The value after the first `key` in `block`: from right after the key (one
// character later when `quoted`) up to the first '"', '\r', '\0' or the end.
std::optional<std::string_view> Value(std::string_view block, std::string_view key,
                                      bool quoted = false) {
    const size_t at = block.find(key);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    size_t start = at + key.size() + (quoted ? 1 : 0);
    if (start > block.size()) {
        start = block.size();
    }
    size_t end = start;
    while (end < block.size() && block[end] != '"' && block[end] != '\r' && block[end] != '\0') {
        ++end;
    }
    return block.substr(start, end - start);
}

// The C library's decimal reading: leading blanks and a sign, digits up to
// the first other character; 0 when there are none.
int16_t Number(std::string_view value) {
    const std::string text(value.substr(0, 32));  // longer numbers overflow anyway
    return static_cast<int16_t>(std::strtol(text.c_str(), nullptr, 10));
}

// The blocks of `text` that start at each `marker`, from the first one on.
std::vector<std::string_view> Blocks(std::string_view text, std::string_view marker) {
    std::vector<std::string_view> blocks;
    size_t at = text.find(marker);
    while (at != std::string_view::npos) {
        const size_t next = text.find(marker, at + marker.size());
        blocks.push_back(text.substr(at, next == std::string_view::npos ? next : next - at));
        at = next;
    }
    return blocks;
}

bool ParseFrames(std::string_view block, EffectAnimation* animation) {
    for (std::string_view frameBlock : Blocks(block, kFrame)) {
        EffectFrame& frame = animation->frames.emplace_back();
        const auto index = Value(frameBlock, "index=");
        if (!index) {
            return false;
        }
        frame.index = Number(*index);
        const auto time = Value(frameBlock, "time=");
        frame.time = time ? Number(*time) : animation->defaultTime;
        if (frame.time == -1) {
            return false;
        }
    }
    return true;
}

bool ParseAnimation(std::string_view block, EffectDescription* description) {
    EffectAnimation& animation = description->animations.emplace_back();
    const auto name = Value(block, "[effect]=", true);
    if (!name || name->empty()) {
        return false;
    }
    animation.name = std::string(*name);
    if (const auto autohide = Value(block, "autohide=")) {
        animation.autohide = !autohide->empty() && autohide->front() == '1';
    }
    if (const auto time = Value(block, "time=")) {
        animation.defaultTime = Number(*time);
    }
    if (block.find(kFrame) != std::string_view::npos) {
        return ParseFrames(block, &animation);
    }
    return true;
}

}  // namespace

std::optional<EffectDescription> ParseEffectDescription(std::string_view text) {
    const size_t firstEffect = text.find(kEffect);
    if (text.find(kAnimationMarker) == std::string_view::npos ||
        firstEffect == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view header = text.substr(0, firstEffect);
    EffectDescription description;
    const auto image = Value(header, "image=", true);
    const auto height = Value(header, "frame_h=");
    const auto width = Value(header, "frame_w=");
    if (!image || image->empty() || !height || height->empty() || !width || width->empty()) {
        return std::nullopt;
    }
    description.image = std::string(*image);
    description.frameHeight = static_cast<uint16_t>(Number(*height));
    description.frameWidth = static_cast<uint16_t>(Number(*width));

    const std::vector<std::string_view> blocks = Blocks(text.substr(firstEffect), kEffect);
    for (size_t i = 0; i < blocks.size(); ++i) {
        if (!ParseAnimation(blocks[i], &description)) {
            if (i == 0) {
                return std::nullopt;
            }
            break;  // what came before stays
        }
    }
    return description;
}

}  // namespace EffectLibrary
