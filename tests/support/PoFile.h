#pragma once

// A small reader of gettext ".po" catalogue sources, for the tests that
// check every translated text (glyphs, fit).

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace TestSupport {

struct PoEntry {
    std::string context;
    std::string id;
    std::string idPlural;
    std::vector<std::string> translations;  // msgstr, or msgstr[0], [1]...
};

namespace detail {

// The text of a quoted PO string, its escapes resolved.
inline std::string PoString(const std::string& line) {
    const size_t open = line.find('"');
    const size_t close = line.rfind('"');
    std::string out;
    if (open == std::string::npos || close <= open) {
        return out;
    }
    for (size_t i = open + 1; i < close; ++i) {
        if (line[i] != '\\' || i + 1 >= close) {
            out.push_back(line[i]);
            continue;
        }
        const char e = line[++i];
        out.push_back(e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e);
    }
    return out;
}

}  // namespace detail

// The entries of the catalogue text `text`, the header (empty msgid)
// included; comments and obsolete entries are left out.
inline std::vector<PoEntry> ParsePo(const std::string& text) {
    std::vector<PoEntry> entries;
    std::string* target = nullptr;  // what a continuation line extends
    std::istringstream in(text);
    std::string line;
    bool sawId = true;  // a "msgctxt" or "msgid" starts a new entry after one
    while (std::getline(in, line)) {
        const size_t start = line.find_first_not_of(" \t\r");
        if (start == std::string::npos || line[start] == '#') {
            continue;
        }
        line = line.substr(start);
        const auto keyword = [&](const char* k) { return line.rfind(k, 0) == 0; };
        if (keyword("msgctxt") || (keyword("msgid ") && sawId)) {
            entries.emplace_back();
            sawId = false;
        }
        if (entries.empty()) {
            continue;
        }
        PoEntry& e = entries.back();
        if (line[0] == '"') {
            if (target != nullptr) {
                *target += detail::PoString(line);
            }
        } else if (keyword("msgctxt")) {
            target = &e.context;
        } else if (keyword("msgid_plural")) {
            target = &e.idPlural;
        } else if (keyword("msgid")) {
            target = &e.id;
            sawId = true;
        } else if (keyword("msgstr")) {
            e.translations.emplace_back();
            target = &e.translations.back();
        } else {
            target = nullptr;
            continue;
        }
        if (line[0] != '"') {
            *target += detail::PoString(line);
        }
    }
    return entries;
}

// Every "po/*.po" file under `sourceDir`, sorted by name.
inline std::vector<std::filesystem::path> PoFiles(const std::filesystem::path& sourceDir) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& item : std::filesystem::directory_iterator(sourceDir / "po", ec)) {
        if (item.path().extension() == ".po") {
            files.push_back(item.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

inline std::vector<PoEntry> ReadPoFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return ParsePo(text.str());
}

}  // namespace TestSupport
