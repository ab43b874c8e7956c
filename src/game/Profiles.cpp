#include "game/Profiles.h"
#include "common/ProcessWide.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace Gamespace {
namespace fs = std::filesystem;

// --- RecordFile --------------------------------------------------------------

bool RecordFile::Exists() {
    std::FILE* f = std::fopen(m_path.c_str(), "r");
    if (f == nullptr) {
        return false;
    }
    std::fclose(f);
    return true;
}

bool RecordFile::Create() {
    if (m_path.empty()) {
        return false;
    }
    std::FILE* f = std::fopen(m_path.c_str(), "w");
    if (f == nullptr) {
        return false;
    }
    std::fclose(f);
    return true;
}

bool RecordFile::Delete() {
    std::error_code ec;
    return !m_path.empty() && fs::remove(m_path, ec);
}

bool RecordFile::Open(int mode) {
    Close();
    m_mode = mode;
    m_file = std::fopen(m_path.c_str(), mode == 1 ? "r+b" : "a+");
    return m_file != nullptr;
}

void RecordFile::Close() {
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

bool RecordFile::Seek(long position) {
    return position < 0 || std::fseek(m_file, position, SEEK_SET) == 0;
}

bool RecordFile::ReadBool(bool* out, long position) {
    uint8_t byte = 0;
    if (m_file == nullptr || !Seek(position) || std::fread(&byte, 1, 1, m_file) != 1) {
        return false;
    }
    *out = byte != 0;
    return true;
}

bool RecordFile::ReadU16(uint16_t* out, long position) {
    uint8_t bytes[2] = {};
    if (m_file == nullptr || !Seek(position) || std::fread(bytes, 1, 2, m_file) != 2) {
        return false;
    }
    *out = static_cast<uint16_t>(bytes[0] * 256 + bytes[1]);
    return true;
}

bool RecordFile::ReadString(std::string* out, size_t length, long position) {
    if (m_file == nullptr || !Seek(position)) {
        return false;
    }
    std::vector<char> buffer(length + 1, '\0');
    const size_t read = std::fread(buffer.data(), 1, length, m_file);
    *out = std::string(buffer.data());  // up to the first zero byte
    return read == length;
}

bool RecordFile::Write(const void* data, size_t size, long position) {
    if (m_file == nullptr || !Seek(position)) {
        return false;
    }
    // A read may have come before: reposition so the stream may switch to writing.
    if (position < 0) {
        std::fseek(m_file, 0, SEEK_CUR);
    }
    return std::fwrite(data, 1, size, m_file) == size;
}

bool RecordFile::WriteByte(uint8_t value, long position) {
    return Write(&value, 1, position);
}

bool RecordFile::WriteU16(uint16_t value, long position) {
    const uint8_t bytes[2] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    return Write(bytes, 2, position);
}

bool RecordFile::WriteString(const std::string& text, size_t length, long position) {
    std::vector<char> buffer(length, '\0');
    std::copy_n(text.c_str(), std::min(length, text.size() + 1), buffer.begin());
    return Write(buffer.data(), length, position);
}

// --- profiles -----------------------------------------------------------------

namespace {

// Whether `name` can only name a file inside "save/".
bool SafeFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// Writes the fields into a temporary copy of `path` (an empty file unless
// `keepTail`, which keeps what an existing file holds beyond them) and renames
// it into place.
template <class WriteFields>
bool ReplaceFile(const std::string& path, bool keepTail, WriteFields writeFields) {
    std::error_code ec;
    const fs::path target(path);
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), ec);  // a missing folder must not lose data
    }
    const std::string temporary = path + ".tmp";
    fs::remove(temporary, ec);
    if (keepTail && fs::exists(target, ec)) {
        fs::copy_file(target, temporary, ec);
        if (ec) {
            return false;
        }
    } else if (!RecordFile(temporary).Create()) {
        return false;
    }
    RecordFile file(temporary);
    const bool written = file.Open(1) && writeFields(file);
    file.Close();
    if (!written) {
        fs::remove(temporary, ec);
        return false;
    }
    fs::rename(temporary, target, ec);
    return !ec;
}

}  // namespace

bool Load(Player& player, const std::string& path) {
    RecordFile file(path);
    if (!file.Exists()) {
        return false;
    }
    Player read;
    read.name.clear();
    if (file.Open(1)) {
        file.ReadBool(&read.current);
        file.ReadString(&read.name, kNameBytes);
        uint16_t difficulty = 0;
        read.difficulty = file.ReadU16(&difficulty) ? difficulty : 0;
        file.Close();
    }
    if (!SafeFileName(read.name)) {
        return false;  // saving it would write outside "save/"
    }
    player = read;
    return true;
}

bool Save(const Player& player) {
    if (!SafeFileName(player.name)) {
        return false;
    }
    const std::string path = std::string(kSaveFolder) + player.name + ".usr";
    return ReplaceFile(path, true, [&](RecordFile& file) {
        return file.WriteByte(player.current ? 1 : 0) &&
               file.WriteString(player.name, kNameBytes) && file.WriteU16(player.difficulty);
    });
}

// --- player list ----------------------------------------------------------------

namespace {
std::unique_ptr<PlayerList>& g_players = CommonLibrary::ProcessWide<PlayerList>();
}

PlayerList* PlayerList::Instance() {
    if (g_players == nullptr) {
        g_players = std::make_unique<PlayerList>();
    }
    return g_players.get();
}

void PlayerList::Destroy() {
    g_players.reset();
}

bool PlayerList::Add(const Player& player) {
    if (player.name.empty()) {
        return false;
    }
    for (const auto& p : m_players) {
        if (p->name == player.name) {
            return false;
        }
    }
    m_players.push_back(std::make_unique<Player>(player));
    return true;
}

Player& PlayerList::GetCurrent() {
    for (const auto& p : m_players) {
        if (p->current) {
            return *p;
        }
    }
    return m_default;
}

void PlayerList::ClearCurrent() {
    for (const auto& p : m_players) {
        p->current = false;
    }
}

void PlayerList::SetCurrent(Player& player, bool flag) {
    ClearCurrent();
    player.current = flag;
}

void PlayerList::LoadAll() {
    // Sorted, so that which of two profiles naming one player wins does not
    // depend on the file system's order.
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(kSaveFolder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.empty() && name[0] != '.' && it->path().extension() == ".usr") {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    bool anyCurrent = false;
    for (const std::string& name : names) {
        Player record;
        if (Load(record, kSaveFolder + name) && Add(record)) {
            anyCurrent = anyCurrent || record.current;
        }
    }
    if (!anyCurrent && !m_players.empty()) {
        SetCurrent(*m_players.front(), true);
    }
}

void PlayerList::SaveAll() {
    for (const auto& p : m_players) {
        Save(*p);
    }
}

// --- options ---------------------------------------------------------------------

OptionValues& GetOptionValues() {
    static OptionValues values;
    return values;
}

void LoadOptions() {
    RecordFile file(kOptionsFile);
    if (!file.Exists() || !file.Open(1)) {
        return;
    }
    for (uint16_t& value : GetOptionValues().values) {
        file.ReadU16(&value);  // a failed read keeps the value
    }
}

void SaveOptions() {
    ReplaceFile(kOptionsFile, false, [](RecordFile& file) {
        bool ok = true;
        for (uint16_t value : GetOptionValues().values) {
            ok = file.WriteU16(value) && ok;
        }
        return ok;
    });
}

namespace {
std::vector<IOptionObserver*> g_optionObservers;
}

void RegisterOptionObserver(IOptionObserver* observer) {
    if (std::find(g_optionObservers.begin(), g_optionObservers.end(), observer) ==
        g_optionObservers.end()) {
        g_optionObservers.push_back(observer);
    }
}

const std::vector<IOptionObserver*>& GetOptionObservers() {
    return g_optionObservers;
}

void ClearOptionObservers() {
    g_optionObservers.clear();
}

}  // namespace Gamespace
