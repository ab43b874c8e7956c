#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace CommonLibrary {

// A message catalogue: the English texts the game shows, each with its
// translation, read from a compiled catalogue (the ".mo" format).
class Catalogue {
public:
    // Reads a compiled catalogue (either byte order); nullopt with `error`
    // when it is not one or is damaged anywhere (offsets, lengths, texts
    // that are not UTF-8). Untranslated entries and the header are left out.
    static std::optional<Catalogue> Parse(std::span<const uint8_t> bytes, std::string* error);

    // The translation of `english`, or `english` itself when there is none.
    const std::string& Find(const std::string& english) const;
    size_t Size() const { return m_texts.size(); }
    // Every translated text, for the tests that measure them.
    const std::unordered_map<std::string, std::string>& Texts() const { return m_texts; }

private:
    std::unordered_map<std::string, std::string> m_texts;
};

// The catalogue the game's texts are translated through (none: English).
void SetCatalogue(std::optional<Catalogue> catalogue, std::string language = {});
const Catalogue* GetCatalogue();
// The language of the catalogue in use ("de", "fr"...; empty: English).
const std::string& GetLanguage();

// `english` in the language in use.
std::string Tr(const std::string& english);
// Marks a text for the catalogues where it is kept (a table of names); it is
// translated with Tr where it is shown.
constexpr const char* TrLater(const char* english) {
    return english;
}
// `text` with each "{key}" replaced by its value, so a whole sentence stays
// one text to translate whatever the order of its parts in another language.
// Unknown keys and other braces stay; values are inserted as they are.
std::string Format(std::string_view text,
                   std::initializer_list<std::pair<std::string_view, std::string_view>> values);

// The languages to try, best first, from the environment as a desktop
// program reads it: LANGUAGE (a colon-separated list, unless the locale is
// "C" or "POSIX"), else the first of LC_ALL, LC_MESSAGES and LANG that is
// set. Each entry gives its full name and then its language alone
// ("de_AT.UTF-8@euro" gives "de_AT", "de"). `getenv` reads a variable (null:
// unset), so tests need not touch the process's environment.
std::vector<std::string> WantedLanguages(const std::function<const char*(const char*)>& getenv);

// The first of `wanted` that `available` holds; empty (English) when none.
std::string PickLanguage(const std::vector<std::string>& wanted,
                         const std::vector<std::string>& available);

}  // namespace CommonLibrary
