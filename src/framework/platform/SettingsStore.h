#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Brisk::Platform {

// Value types, numbered as the desktop registry numbers them.
enum class ValueType : uint32_t { String = 1, Binary = 3, Dword = 4 };

struct StoredValue {
    ValueType type = ValueType::Binary;
    std::vector<uint8_t> data;  // a Dword is 4 bytes, little-endian
};

// The per-user settings store that stands in for the desktop registry. A key
// is a path of names separated by '\' ("SOFTWARE\Company\Product\Sub"); each
// key is one small text file under `root`, rewritten whole through a
// temporary file and a rename, so a crash never leaves half a file. A
// missing or unreadable file reads as an empty key. Names that could leave
// `root` ("..", "/", empty parts) are refused.
class SettingsStore {
public:
    // `root` is the folder the keys live under; ConfigHome() by default.
    explicit SettingsStore(std::string root);

    std::optional<StoredValue> Read(const std::string& key, const std::string& name) const;
    bool Write(const std::string& key, const std::string& name, const StoredValue& value);
    // True when the value existed and is gone.
    bool Erase(const std::string& key, const std::string& name);

    // The file that holds `key`, or empty for a key that is refused.
    std::string FileOf(const std::string& key) const;

private:
    std::string m_root;
};

}  // namespace Brisk::Platform
