#include "common/Catalogue.h"

#include <algorithm>

namespace CommonLibrary {

namespace {

constexpr uint32_t kMagic = 0x950412de;

// Whether `text` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<uint8_t>(text[i]);
        size_t more = 0;
        uint32_t code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            more = 1;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            more = 2;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            more = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (text.size() - i <= more) {
            return false;
        }
        for (size_t k = 1; k <= more; ++k) {
            const auto next = static_cast<uint8_t>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        const uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (code < least[more] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += more + 1;
    }
    return true;
}

struct Reader {
    std::span<const uint8_t> bytes;
    bool swap = false;
    bool U32(size_t at, uint32_t* out) const {
        if (at > bytes.size() || bytes.size() - at < 4) {
            return false;
        }
        uint32_t v = 0;
        for (size_t k = 0; k < 4; ++k) {
            const size_t from = swap ? at + k : at + 3 - k;
            v = (v << 8) | bytes[from];
        }
        *out = v;
        return true;
    }
    // The string of entry `index` of the table at `table`.
    bool Text(uint32_t table, uint32_t index, std::string* out) const {
        uint32_t length = 0;
        uint32_t offset = 0;
        const size_t at = size_t{table} + size_t{index} * 8;
        if (!U32(at, &length) || !U32(at + 4, &offset) || offset > bytes.size() ||
            bytes.size() - offset <= length || bytes[offset + length] != 0) {
            return false;
        }
        out->assign(reinterpret_cast<const char*>(bytes.data()) + offset, length);
        return true;
    }
};

std::optional<Catalogue>& Current() {
    static std::optional<Catalogue> catalogue;
    return catalogue;
}

std::string& CurrentLanguage() {
    static std::string language;
    return language;
}

}  // namespace

std::optional<Catalogue> Catalogue::Parse(std::span<const uint8_t> bytes, std::string* error) {
    Reader reader{bytes};
    uint32_t magic = 0;
    if (!reader.U32(0, &magic) || (magic != kMagic && __builtin_bswap32(magic) != kMagic)) {
        *error = "is not a compiled message catalogue";
        return std::nullopt;
    }
    reader.swap = magic != kMagic;
    uint32_t revision = 0;
    uint32_t count = 0;
    uint32_t originals = 0;
    uint32_t translations = 0;
    if (!reader.U32(4, &revision) || !reader.U32(8, &count) || !reader.U32(12, &originals) ||
        !reader.U32(16, &translations)) {
        *error = "is cut off in its header";
        return std::nullopt;
    }
    if (revision >> 16 != 0) {
        *error = "has catalogue revision " + std::to_string(revision >> 16);
        return std::nullopt;
    }
    if (count > bytes.size() / 16) {  // two 8-byte table entries per text at least
        *error = "claims more texts than it can hold";
        return std::nullopt;
    }
    Catalogue catalogue;
    for (uint32_t i = 0; i < count; ++i) {
        std::string english;
        std::string translated;
        if (!reader.Text(originals, i, &english) || !reader.Text(translations, i, &translated)) {
            *error = "is damaged at text " + std::to_string(i);
            return std::nullopt;
        }
        if (!IsUtf8(english) || !IsUtf8(translated)) {
            *error = "holds a text that is not UTF-8 (text " + std::to_string(i) + ")";
            return std::nullopt;
        }
        // The header (an empty key), plural and context entries are not ours.
        if (english.empty() || translated.empty() || english.find('\0') != std::string::npos ||
            english.find('\x04') != std::string::npos) {
            continue;
        }
        catalogue.m_texts.emplace(std::move(english), std::move(translated));
    }
    return catalogue;
}

const std::string& Catalogue::Find(const std::string& english) const {
    const auto it = m_texts.find(english);
    return it == m_texts.end() ? english : it->second;
}

void SetCatalogue(std::optional<Catalogue> catalogue, std::string language) {
    Current() = std::move(catalogue);
    CurrentLanguage() = Current() ? std::move(language) : std::string();
}

const Catalogue* GetCatalogue() {
    return Current() ? &*Current() : nullptr;
}

const std::string& GetLanguage() {
    return CurrentLanguage();
}

std::string Tr(const std::string& english) {
    return Current() ? Current()->Find(english) : english;
}

std::string Format(std::string_view text,
                   std::initializer_list<std::pair<std::string_view, std::string_view>> values) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        bool replaced = false;
        if (text[i] == '{') {
            const size_t close = text.find('}', i + 1);
            const std::string_view key = close == std::string_view::npos
                                             ? std::string_view()
                                             : text.substr(i + 1, close - i - 1);
            for (const auto& [name, value] : values) {
                if (!key.empty() && key == name) {
                    out += value;  // values are not searched again: a name may hold braces
                    i = close;
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string> WantedLanguages(const std::function<const char*(const char*)>& getenv) {
    auto value = [&](const char* name) {
        const char* v = getenv(name);
        return std::string(v != nullptr ? v : "");
    };
    std::string locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        locale = value(name);
        if (!locale.empty()) {
            break;
        }
    }
    std::vector<std::string> entries;
    const std::string list = value("LANGUAGE");
    if (!list.empty() && locale != "C" && locale != "POSIX" && locale.rfind("C.", 0) != 0) {
        for (size_t from = 0; from <= list.size();) {
            const size_t colon = std::min(list.find(':', from), list.size());
            entries.push_back(list.substr(from, colon - from));
            from = colon + 1;
        }
    } else {
        entries.push_back(locale);
    }
    std::vector<std::string> wanted;
    auto add = [&](const std::string& name) {
        if (!name.empty() && name != "C" && name != "POSIX" &&
            std::find(wanted.begin(), wanted.end(), name) == wanted.end()) {
            wanted.push_back(name);
        }
    };
    for (const std::string& entry : entries) {
        const std::string full = entry.substr(0, entry.find_first_of(".@"));
        add(full);
        add(full.substr(0, full.find('_')));
    }
    return wanted;
}

std::string PickLanguage(const std::vector<std::string>& wanted,
                         const std::vector<std::string>& available) {
    for (const std::string& language : wanted) {
        if (language == "en" || language.rfind("en_", 0) == 0) {
            return {};  // English: the texts themselves
        }
        if (std::find(available.begin(), available.end(), language) != available.end()) {
            return language;
        }
    }
    return {};
}

}  // namespace CommonLibrary
