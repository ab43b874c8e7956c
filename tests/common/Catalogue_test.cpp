// Message catalogues: the compiled format read safely, the language chosen
// from the environment as a desktop program does, placeholders filled.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "common/Catalogue.h"

namespace {

using Bytes = std::vector<uint8_t>;
using CommonLibrary::Catalogue;

// A compiled catalogue spelled out: magic, revision, count, the two tables'
// offsets, no hash table, then the tables and the texts, each ending in a zero.
Bytes Compiled(const std::vector<std::pair<std::string, std::string>>& entries,
               bool bigEndian = false) {
    Bytes b;
    auto u32 = [&](uint32_t v) {
        for (int k = 0; k < 4; ++k) {
            const int shift = bigEndian ? 24 - 8 * k : 8 * k;
            b.push_back(static_cast<uint8_t>(v >> shift));
        }
    };
    const auto n = static_cast<uint32_t>(entries.size());
    const uint32_t originals = 28;
    const uint32_t translations = originals + 8 * n;
    uint32_t text = translations + 8 * n;
    u32(0x950412de);
    u32(0);
    u32(n);
    u32(originals);
    u32(translations);
    u32(0);
    u32(0);
    std::string blob;
    std::vector<std::pair<uint32_t, uint32_t>> keys, values;
    for (const auto& [key, value] : entries) {
        keys.push_back(
            {static_cast<uint32_t>(key.size()), text + static_cast<uint32_t>(blob.size())});
        blob += key + '\0';
    }
    for (const auto& [key, value] : entries) {
        values.push_back(
            {static_cast<uint32_t>(value.size()), text + static_cast<uint32_t>(blob.size())});
        blob += value + '\0';
    }
    for (const auto& table : {keys, values}) {
        for (const auto& [length, offset] : table) {
            u32(length);
            u32(offset);
        }
    }
    b.insert(b.end(), blob.begin(), blob.end());
    return b;
}

const std::vector<std::pair<std::string, std::string>> kGerman = {
    {"", "Content-Type: text/plain; charset=UTF-8\n"},
    {"Play", "Spielen"},
    {"Player with this name already exist!", "Diesen Namen gibt es schon!"},
    {"Exit", ""},  // not translated yet
    {"Welcom,", "Willkommen,"},
};

TEST(Catalogue, TranslatesWhatItHoldsAndLeavesTheRestEnglishInEitherByteOrder) {
    for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian);
        std::string error;
        const auto catalogue = Catalogue::Parse(Compiled(kGerman, bigEndian), &error);
        ASSERT_TRUE(catalogue) << error;
        EXPECT_EQ(catalogue->Size(), 3u);  // not the header, not the empty one
        EXPECT_EQ(catalogue->Find("Play"), "Spielen");
        EXPECT_EQ(catalogue->Find("Exit"), "Exit");
        EXPECT_EQ(catalogue->Find("Cancel"), "Cancel");
    }
}

TEST(Catalogue, TheOneInUseTranslatesTextsUntilItIsTakenAway) {
    std::string error;
    CommonLibrary::SetCatalogue(Catalogue::Parse(Compiled(kGerman), &error), "de");
    EXPECT_EQ(CommonLibrary::GetLanguage(), "de");
    EXPECT_EQ(CommonLibrary::Tr("Welcom,"), "Willkommen,");
    CommonLibrary::SetCatalogue(std::nullopt, "de");
    EXPECT_EQ(CommonLibrary::GetLanguage(), "");
    EXPECT_EQ(CommonLibrary::Tr("Welcom,"), "Welcom,");
}

TEST(Catalogue, DamagedCataloguesAreRefusedWithTheReason) {
    const Bytes good = Compiled(kGerman);
    const struct {
        const char* what;
        void (*damage)(Bytes*);
        const char* says;
    } cases[] = {
        {"empty", [](Bytes* b) { b->clear(); }, "not a compiled message catalogue"},
        {"other magic", [](Bytes* b) { (*b)[0] = 0; }, "not a compiled message catalogue"},
        {"header cut", [](Bytes* b) { b->resize(14); }, "cut off in its header"},
        {"newer revision", [](Bytes* b) { (*b)[6] = 1; }, "revision 1"},
        {"count past the file", [](Bytes* b) { (*b)[11] = 0x7F; }, "more texts than it can hold"},
        {"offset past the end", [](Bytes* b) { (*b)[28 + 8 + 7] = 0x7F; }, "damaged at text 1"},
        {"no closing zero", [](Bytes* b) { b->back() = 'x'; }, "damaged at text 4"},
        {"text cut off", [](Bytes* b) { b->resize(b->size() - 3); }, "damaged at text 4"},
        {"not UTF-8",
         [](Bytes* b) {
             const std::string s(b->begin(), b->end());
             (*b)[s.find("Spielen")] = static_cast<uint8_t>(0xC0);
         },
         "not UTF-8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = good;
        c.damage(&bytes);
        std::string error;
        EXPECT_FALSE(Catalogue::Parse(bytes, &error));
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
}

TEST(Languages, TheEnvironmentIsReadAsADesktopProgramReadsIt) {
    const struct {
        std::map<std::string, std::string> env;
        std::vector<std::string> wanted;
    } cases[] = {
        {{}, {}},
        {{{"LANG", "de_DE.UTF-8"}}, {"de_DE", "de"}},
        {{{"LANG", "de_DE.UTF-8"}, {"LC_MESSAGES", "fr_CA.UTF-8"}}, {"fr_CA", "fr"}},
        {{{"LC_ALL", "it_IT@euro"}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "de_DE"}}, {"it_IT", "it"}},
        {{{"LANGUAGE", "es:fr_FR:de"}, {"LANG", "de_DE.UTF-8"}}, {"es", "fr_FR", "fr", "de"}},
        {{{"LANGUAGE", "es"}, {"LANG", "C"}}, {}},  // the C locale speaks English
        {{{"LANGUAGE", "es"}, {"LC_ALL", "C.UTF-8"}}, {}},
        {{{"LANGUAGE", ""}, {"LANG", "pt_BR.UTF-8"}}, {"pt_BR", "pt"}},
        {{{"LANG", "POSIX"}}, {}},
    };
    for (const auto& c : cases) {
        const auto wanted = CommonLibrary::WantedLanguages([&](const char* name) -> const char* {
            const auto it = c.env.find(name);
            return it == c.env.end() ? nullptr : it->second.c_str();
        });
        EXPECT_EQ(wanted, c.wanted);
    }
    const std::vector<std::string> available = {"de", "es", "fr", "it"};
    EXPECT_EQ(CommonLibrary::PickLanguage({"fr_CA", "fr"}, available), "fr");
    EXPECT_EQ(CommonLibrary::PickLanguage({"pt_BR", "pt", "es"}, available), "es");
    EXPECT_EQ(CommonLibrary::PickLanguage({"en_GB", "en", "de"}, available), "");  // English first
    EXPECT_EQ(CommonLibrary::PickLanguage({"ja"}, available), "");
}

TEST(Languages, PlaceholdersTakeTheirValuesAndOtherBracesStay) {
    struct Case {
        const char* text;
        std::string expected;
    };
    const Case cases[] = {
        {"if you not {name} click here", "if you not Ann click here"},
        {"{pairs} Paare: {name}", "3 Paare: Ann"},  // any order, a key twice
        {"{name} {name}", "Ann Ann"},
        {"{other} {x {} {", "{other} {x {} {"},  // unknown keys and stray braces stay
        {"{", "{"},
        {"{name", "{name"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CommonLibrary::Format(c.text, {{"name", "Ann"}, {"pairs", "3"}}), c.expected)
            << c.text;
    }
    // A value holding a placeholder is not filled again.
    EXPECT_EQ(CommonLibrary::Format("{name}: {pairs}", {{"name", "{pairs}"}, {"pairs", "2"}}),
              "{pairs}: 2");
}

}  // namespace
