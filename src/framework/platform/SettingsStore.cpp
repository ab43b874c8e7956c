#include "framework/platform/SettingsStore.h"

#include "framework/platform/Files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>

namespace Brisk::Platform {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFileName = "settings.conf";
constexpr const char* kHeader =
    "# per-user settings; one value a line: name<TAB>type<TAB>hex bytes";

using Values = std::map<std::string, StoredValue>;

std::string Hex(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (uint8_t b : bytes) {
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 15]);
    }
    return out;
}

std::optional<std::vector<uint8_t>> Unhex(const std::string& text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<uint8_t> out;
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        return -1;
    };
    for (size_t i = 0; i < text.size(); i += 2) {
        const int hi = nibble(text[i]);
        const int lo = nibble(text[i + 1]);
        if (hi < 0 || lo < 0) {
            return std::nullopt;
        }
        out.push_back(static_cast<uint8_t>(hi * 16 + lo));
    }
    return out;
}

// Names are stored as hex too, so that any byte (even a tab or a line feed)
// survives.
Values Load(const std::string& file) {
    Values values;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string name, type, data;
        if (!std::getline(fields, name, '\t') || !std::getline(fields, type, '\t')) {
            continue;
        }
        std::getline(fields, data);
        const auto nameBytes = Unhex(name);
        const auto bytes = Unhex(data);
        StoredValue value;
        if (type == "1") {
            value.type = ValueType::String;
        } else if (type == "3") {
            value.type = ValueType::Binary;
        } else if (type == "4") {
            value.type = ValueType::Dword;
        } else {
            continue;  // a line this program did not write
        }
        if (!nameBytes || !bytes) {
            continue;
        }
        value.data = *bytes;
        values[std::string(nameBytes->begin(), nameBytes->end())] = std::move(value);
    }
    return values;
}

bool Save(const std::string& file, const Values& values) {
    std::error_code ec;
    const std::string folder = fs::path(file).parent_path().string();
    fs::create_directories(folder, ec);
    std::ostringstream text;
    text << kHeader << '\n';
    for (const auto& [name, value] : values) {
        text << Hex(std::vector<uint8_t>(name.begin(), name.end())) << '\t'
             << static_cast<uint32_t>(value.type) << '\t' << Hex(value.data) << '\n';
    }
    const std::string bytes = text.str();
    // Through a temporary file of this write alone: a second copy of the
    // program writing the same settings never meets it.
    RemoveStaleTemporaries(folder, kFileName);
    std::string error;
    return ReplaceFile(file, std::vector<uint8_t>(bytes.begin(), bytes.end()), false, &error);
}

}  // namespace

SettingsStore::SettingsStore(std::string root) : m_root(std::move(root)) {
    if (!m_root.empty() && m_root.back() != '/') {
        m_root.push_back('/');
    }
}

std::string SettingsStore::FileOf(const std::string& key) const {
    std::string path = m_root;
    std::string part;
    auto take = [&]() {
        if (part.empty() || part == "." || part == ".." || part.find('/') != std::string::npos) {
            return false;
        }
        path += part + "/";
        part.clear();
        return true;
    };
    for (char c : key) {
        if (c == '\\') {
            if (!take()) {
                return {};
            }
        } else {
            part.push_back(c);
        }
    }
    if (!take()) {
        return {};
    }
    return path + kFileName;
}

std::optional<StoredValue> SettingsStore::Read(const std::string& key,
                                               const std::string& name) const {
    const std::string file = FileOf(key);
    if (file.empty()) {
        return std::nullopt;
    }
    Values values = Load(file);
    const auto it = values.find(name);
    if (it == values.end()) {
        return std::nullopt;
    }
    return it->second;
}

bool SettingsStore::Write(const std::string& key, const std::string& name,
                          const StoredValue& value) {
    const std::string file = FileOf(key);
    if (file.empty()) {
        return false;
    }
    Values values = Load(file);
    const auto it = values.find(name);
    if (it != values.end() && it->second.type == value.type && it->second.data == value.data) {
        return true;  // already stored: the file is not touched
    }
    values[name] = value;
    return Save(file, values);
}

bool SettingsStore::Erase(const std::string& key, const std::string& name) {
    const std::string file = FileOf(key);
    if (file.empty()) {
        return false;
    }
    Values values = Load(file);
    if (values.erase(name) == 0) {
        return false;
    }
    return Save(file, values);
}

}  // namespace Brisk::Platform
