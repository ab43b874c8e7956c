#include "game/Profiles.h"
#include "common/ProcessWide.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <unordered_map>

#include "kernel/FileStore.h"

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

std::function<void(const std::string&)> g_saveFailureReporter;
bool g_saveFailureReported = false;

// The player's save folder and options file, below the player's data folder.
std::string SaveFolder() {
    return KernelLibrary::PlayerDataPath(kSaveFolder);
}
std::string OptionsPath() {
    return KernelLibrary::PlayerDataPath(kOptionsFile);
}
std::string ProfilePath(const Player& player) {
    return SaveFolder() + player.name + ".usr";
}

// Writes through the safe replace step; the first failure of a run is reported.
bool WriteReported(const std::string& path, const std::vector<uint8_t>& bytes, bool keepTail) {
    std::string error;
    if (KernelLibrary::WritePlayerFile(path, bytes, keepTail, &error)) {
        return true;
    }
    if (!g_saveFailureReported && g_saveFailureReporter) {
        g_saveFailureReported = true;
        g_saveFailureReporter(error);
    }
    return false;
}

void PutU16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<uint8_t>(value >> 8);
    bytes[at + 1] = static_cast<uint8_t>(value);
}

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    PutU16(bytes, at, static_cast<uint16_t>(value >> 16));
    PutU16(bytes, at + 2, static_cast<uint16_t>(value));
}

uint32_t GetU32(const std::vector<uint8_t>& bytes, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) {
        v = (v << 8) | bytes[at + i];
    }
    return v;
}

// A difficulty's figures no game could make: a finished game took at least
// one attempt; no game, no figures.
bool IsSaneBest(const PersonalBest& best) {
    return best.games > 0 ? best.fewestAttempts > 0
                          : best.bestSeconds == 0 && best.fewestAttempts == 0;
}

// The bests block after the first 18 bytes; all zero when it is missing or
// of another version. A difficulty whose figures no game could have made
// reads as no games there; the other difficulties keep theirs.
std::array<PersonalBest, kDifficultyCount> ReadBests(const std::vector<uint8_t>& bytes) {
    std::array<PersonalBest, kDifficultyCount> bests{};
    if (bytes.size() < kProfileBytes + kBestBlockBytes ||
        !std::equal(std::begin(kBestTag), std::end(kBestTag), bytes.begin() + kProfileBytes) ||
        bytes[kProfileBytes + 4] != kBestVersion) {
        return {};
    }
    size_t at = kProfileBytes + 5;
    for (PersonalBest& best : bests) {
        best.games = GetU32(bytes, at);
        best.bestSeconds = GetU32(bytes, at + 4);
        best.fewestAttempts = static_cast<uint16_t>(bytes[at + 8] * 256 + bytes[at + 9]);
        at += 10;
        if (!IsSaneBest(best)) {
            best = {};
        }
    }
    return bests;
}

}  // namespace

bool Player::HasBests() const {
    return std::any_of(bests.begin(), bests.end(), [](const auto& b) { return b.games > 0; });
}

const DifficultyBests& Player::BestsFor(const BestsKey& key) const {
    static const DifficultyBests none{};
    if (key.IsUsual()) {
        return bests;
    }
    const auto it = otherBests.find(key);
    return it == otherBests.end() ? none : it->second;
}

BestChange RecordFinishedGame(Player& player, uint16_t difficulty, uint32_t seconds,
                              uint16_t attempts) {
    return RecordFinishedGame(player, BestsKey{}, difficulty, seconds, attempts);
}

BestChange RecordFinishedGame(Player& player, const BestsKey& key, uint16_t difficulty,
                              uint32_t seconds, uint16_t attempts) {
    DifficultyBests& bests = key.IsUsual() ? player.bests : player.otherBests[key];
    PersonalBest& best = bests[std::min<uint16_t>(difficulty, kHardest)];
    BestChange change;
    if (best.games == 0) {
        change.first = true;
        best.bestSeconds = seconds;
        best.fewestAttempts = std::max<uint16_t>(attempts, 1);
    } else {
        change.time = seconds < best.bestSeconds;
        change.attempts = attempts < best.fewestAttempts;
        best.bestSeconds = std::min(best.bestSeconds, seconds);
        best.fewestAttempts = std::max<uint16_t>(std::min(best.fewestAttempts, attempts), 1);
    }
    if (best.games < UINT32_MAX) {
        ++best.games;
    }
    return change;
}

bool IsValidPlayerName(const std::string& name) {
    if (name.empty() || name.size() > kNameBytes) {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        const auto code = static_cast<uint8_t>(c);
        return code >= kFirstNameCharacter && code <= kLastNameCharacter;
    });
}

void SetSaveFailureReporter(std::function<void(const std::string& error)> reporter) {
    g_saveFailureReporter = std::move(reporter);
    g_saveFailureReported = false;
}

namespace {

// "BSTK": the bests of every key but the usual one. Per key: the set's name
// (a length byte and the bytes), the preview seconds, then per difficulty the
// games (4 bytes), best seconds (4) and fewest attempts (2).
std::optional<std::vector<uint8_t>> WriteKeyedBests(const Player& player) {
    BlockWriter w;
    uint16_t count = 0;
    for (const auto& [key, bests] : player.otherBests) {
        if (!key.IsUsual() && std::any_of(bests.begin(), bests.end(),
                                          [](const PersonalBest& b) { return b.games > 0; })) {
            ++count;
        }
    }
    if (count == 0) {
        return std::nullopt;
    }
    w.U16(count);
    for (const auto& [key, bests] : player.otherBests) {
        if (key.IsUsual() || std::none_of(bests.begin(), bests.end(),
                                          [](const PersonalBest& b) { return b.games > 0; })) {
            continue;
        }
        w.Text(key.cardSet).U8(key.previewSeconds);
        for (const PersonalBest& best : bests) {
            w.U32(best.games).U32(best.bestSeconds).U16(best.fewestAttempts);
        }
    }
    return w.Take();
}

bool ReadKeyedBests(Player& player, std::span<const uint8_t> bytes) {
    BlockReader r(bytes);
    std::map<BestsKey, DifficultyBests> read;
    for (uint16_t count = r.U16(); r.Ok() && count > 0; --count) {
        BestsKey key;
        key.cardSet = r.Text();
        key.previewSeconds = r.U8();
        DifficultyBests bests{};
        for (PersonalBest& best : bests) {
            best.games = r.U32();
            best.bestSeconds = r.U32();
            best.fewestAttempts = r.U16();
            if (!IsSaneBest(best)) {
                best = {};  // that difficulty alone
            }
        }
        if (!key.IsUsual()) {
            read[key] = bests;
        }
    }
    if (!r.AtEnd()) {
        return false;
    }
    player.otherBests = std::move(read);
    return true;
}

// "CARD": the card set the player chose, its id as a length byte and the
// bytes. Nothing while the first built-in set is chosen.
std::optional<std::vector<uint8_t>> WriteCardSet(const Player& player) {
    if (player.cardSet.empty()) {
        return std::nullopt;
    }
    return BlockWriter().Text(player.cardSet).Take();
}

// A block that holds one text and nothing after it; nullopt when damaged.
std::optional<std::string> ReadOnlyText(std::span<const uint8_t> bytes) {
    BlockReader r(bytes);
    std::string text = r.Text();
    if (!r.AtEnd()) {
        return std::nullopt;
    }
    return text;
}

bool ReadCardSet(Player& player, std::span<const uint8_t> bytes) {
    std::optional<std::string> id = ReadOnlyText(bytes);
    if (!id) {
        return false;
    }
    player.cardSet = std::move(*id);
    return true;
}

// "WITH": games played with others and games won, 4 bytes each; nothing
// while no game with others was finished.
std::optional<std::vector<uint8_t>> WriteGamesWithOthers(const Player& player) {
    if (player.gamesWithOthers == 0 && player.winsWithOthers == 0) {
        return std::nullopt;
    }
    BlockWriter w;
    w.U32(player.gamesWithOthers).U32(player.winsWithOthers);
    return w.Take();
}

bool ReadGamesWithOthers(Player& player, std::span<const uint8_t> bytes) {
    BlockReader r(bytes);
    const uint32_t games = r.U32();
    const uint32_t wins = r.U32();
    if (!r.AtEnd() || wins > games) {
        return false;  // no game could make more wins than games
    }
    player.gamesWithOthers = games;
    player.winsWithOthers = wins;
    return true;
}

// "CMFT": the comfort options: the preview seconds, the clock hidden (0 or
// 1) and reduce motion (0 or 1).
std::optional<std::vector<uint8_t>> WriteComfort(const Player& player) {
    if (player.comfort == ComfortOptions{}) {
        return std::nullopt;
    }
    return BlockWriter()
        .U8(player.comfort.previewSeconds)
        .U8(player.comfort.clockHidden ? 1 : 0)
        .U8(player.comfort.reduceMotion ? 1 : 0)
        .Take();
}

bool ReadComfort(Player& player, std::span<const uint8_t> bytes) {
    BlockReader r(bytes);
    const uint8_t preview = r.U8();
    const uint8_t clockHidden = r.U8();
    const uint8_t reduceMotion = r.U8();
    if (!r.AtEnd() || clockHidden > 1 || reduceMotion > 1 ||
        std::find(kPreviewChoices.begin(), kPreviewChoices.end(), preview) ==
            kPreviewChoices.end()) {
        return false;
    }
    player.comfort = {preview, clockHidden == 1, reduceMotion == 1};
    return true;
}

}  // namespace

void RecordGameWithOthers(Player& player, bool won) {
    if (player.gamesWithOthers == UINT32_MAX) {
        return;  // full: the counts stay as they are, wins never past games
    }
    ++player.gamesWithOthers;
    if (won) {
        ++player.winsWithOthers;
    }
}

bool ReduceMotion() {
    return PlayerList::Instance()->GetCurrent().comfort.reduceMotion;
}

std::span<const BlockCodec<Player>> PlayerBlockCodecs() {
    static const std::vector<BlockCodec<Player>> codecs = {
        {"BSTK", 1, WriteKeyedBests, ReadKeyedBests},
        {"HIST", 1, WriteHistory, ReadHistory},
        {"CARD", 1, WriteCardSet, ReadCardSet},
        {"WITH", 1, WriteGamesWithOthers, ReadGamesWithOthers},
        {"CMFT", 1, WriteComfort, ReadComfort},
    };
    return codecs;
}

bool Load(Player& player, const std::string& path, std::vector<uint8_t>* fileBytes) {
    std::string error;
    const auto bytes = KernelLibrary::ReadPlayerFile(path, kMaxProfileBytes, &error);
    if (!bytes) {
        return false;  // missing, or not a regular file: never a profile
    }
    Player read;
    read.current = !bytes->empty() && (*bytes)[0] != 0;
    read.name.clear();
    for (size_t i = 1; i < std::min(bytes->size(), 1 + kNameBytes) && (*bytes)[i] != 0; ++i) {
        read.name.push_back(static_cast<char>((*bytes)[i]));
    }
    // A short file misses its difficulty: 0. Values past Hard deal Hard.
    const uint16_t difficulty = bytes->size() >= kProfileBytes
                                    ? static_cast<uint16_t>((*bytes)[16] * 256 + (*bytes)[17])
                                    : 0;
    read.difficulty = std::min<uint16_t>(difficulty, kHardest);
    read.bests = ReadBests(*bytes);
    if (bytes->size() > kProfileBytes + kBestBlockBytes) {
        const auto after = std::span(*bytes).subspan(kProfileBytes + kBestBlockBytes);
        size_t used = 0;
        read.otherBlocks = ReadBlocksInto<Player>(read, after, PlayerBlockCodecs(), &used);
        read.unreadTail.assign(after.begin() + static_cast<std::ptrdiff_t>(used), after.end());
    }
    if (!IsValidPlayerName(read.name)) {
        return false;  // not a profile the game wrote; the file stays as it is
    }
    player = read;
    if (fileBytes != nullptr) {
        *fileBytes = *bytes;
    }
    return true;
}

namespace {

// The bytes Save writes for `player`.
std::vector<uint8_t> ProfileBytes(const Player& player) {
    std::vector<uint8_t> bytes(kProfileBytes + kBestBlockBytes, 0);
    bytes[0] = player.current ? 1 : 0;
    std::copy(player.name.begin(), player.name.end(), bytes.begin() + 1);
    PutU16(bytes, 16, player.difficulty);
    std::copy(std::begin(kBestTag), std::end(kBestTag), bytes.begin() + kProfileBytes);
    bytes[kProfileBytes + 4] = kBestVersion;
    size_t at = kProfileBytes + 5;
    for (const PersonalBest& best : player.bests) {
        PutU32(bytes, at, best.games);
        PutU32(bytes, at + 4, best.bestSeconds);
        PutU16(bytes, at + 8, best.fewestAttempts);
        at += 10;
    }
    AppendBlocksOf<Player>(bytes, player, PlayerBlockCodecs(), player.otherBlocks);
    bytes.insert(bytes.end(), player.unreadTail.begin(), player.unreadTail.end());
    return bytes;
}

}  // namespace

bool Save(const Player& player) {
    if (!IsValidPlayerName(player.name)) {
        return false;
    }
    std::error_code ec;
    fs::create_directories(SaveFolder(), ec);  // a missing folder must not lose players
    return WriteReported(ProfilePath(player), ProfileBytes(player), false);
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

Player* PlayerList::Find(const std::string& name) {
    for (const auto& p : m_players) {
        if (p->name == name) {
            return p.get();
        }
    }
    return nullptr;
}

std::vector<Player*> PlayerList::OthersByName() {
    std::vector<Player*> others;
    for (const auto& p : m_players) {
        if (!p->current) {
            others.push_back(p.get());
        }
    }
    auto folded = [](const std::string& name) {
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return lower;
    };
    std::sort(others.begin(), others.end(), [&](const Player* a, const Player* b) {
        const std::string fa = folded(a->name);
        const std::string fb = folded(b->name);
        return fa != fb ? fa < fb : a->name < b->name;
    });
    return others;
}

bool PlayerList::Remove(const std::string& name) {
    const auto it = std::find_if(m_players.begin(), m_players.end(),
                                 [&](const auto& p) { return p->name == name; });
    if (it == m_players.end() || (*it)->current) {
        return false;
    }
    std::error_code ec;
    const std::string path = ProfilePath(**it);
    const auto status = fs::symlink_status(path, ec);
    if (fs::exists(status) && (!fs::is_regular_file(status) || !fs::remove(path, ec))) {
        return false;  // not a file the game wrote, or it cannot go: the player stays
    }
    m_stored.erase(name);
    m_players.erase(it);
    return true;
}

namespace {

bool HasProfileExtension(const std::string& fileName) {
    if (fileName.size() < 4) {
        return false;
    }
    std::string extension = fileName.substr(fileName.size() - 4);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".usr";
}

}  // namespace

void PlayerList::LoadAll() {
    // What a process that died between writing and renaming left behind.
    KernelLibrary::RemoveStalePlayerTemporaries(SaveFolder(), ".usr");
    // Sorted, so that which of two profiles naming one player wins does not
    // depend on the file system's order.
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(SaveFolder(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.empty() && name[0] != '.' && HasProfileExtension(name)) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    // By name, so that thousands of profiles load in linear time.
    std::unordered_map<std::string, size_t> byName;
    for (size_t i = 0; i < m_players.size(); ++i) {
        byName.emplace(m_players[i]->name, i);
    }
    std::vector<bool> fromOwnFile(m_players.size(), false);  // loaded from "<name>.usr"
    for (const std::string& name : names) {
        Player record;
        std::vector<uint8_t> fileBytes;
        if (!Load(record, SaveFolder() + name, &fileBytes)) {
            continue;
        }
        const bool ownFile = name == record.name + ".usr";
        const auto [it, added] = byName.emplace(record.name, m_players.size());
        if (added) {
            m_players.push_back(std::make_unique<Player>(record));
            fromOwnFile.push_back(ownFile);
        } else if (ownFile && !fromOwnFile[it->second]) {
            // Two files name one player: the one it is saved to holds its latest state.
            *m_players[it->second] = record;
            fromOwnFile[it->second] = true;
        }
        if (ownFile) {
            m_stored[record.name] = std::move(fileBytes);  // what its file holds
        }
    }
    const bool anyCurrent =
        std::any_of(m_players.begin(), m_players.end(), [](const auto& p) { return p->current; });
    if (!anyCurrent && !m_players.empty()) {
        SetCurrent(*m_players.front(), true);
    }
}

bool PlayerList::SaveAll() {
    bool all = true;
    for (const auto& p : m_players) {
        const std::vector<uint8_t> bytes = ProfileBytes(*p);
        const auto stored = m_stored.find(p->name);
        std::error_code ec;
        if (stored != m_stored.end() && stored->second == bytes &&
            fs::is_regular_file(fs::symlink_status(ProfilePath(*p), ec))) {
            continue;  // its file already says exactly this
        }
        if (Save(*p)) {
            m_stored[p->name] = bytes;
        } else {
            all = false;
        }
    }
    return all;
}

// --- options ---------------------------------------------------------------------

OptionValues& GetOptionValues() {
    static OptionValues values;
    return values;
}

namespace {

// "SNDS": the music's and the effects' volumes (percent, then muted 0 or 1,
// each) and full screen (0 or 1).
std::optional<std::vector<uint8_t>> WriteMachineOptions(const OptionValues& options) {
    if (options.music == VolumeSetting{} && options.effects == VolumeSetting{} &&
        !options.fullScreen) {
        return std::nullopt;
    }
    BlockWriter w;
    for (const VolumeSetting& volume : {options.music, options.effects}) {
        w.U8(volume.percent).U8(volume.muted ? 1 : 0);
    }
    return w.U8(options.fullScreen ? 1 : 0).Take();
}

bool ReadMachineOptions(OptionValues& options, std::span<const uint8_t> bytes) {
    BlockReader r(bytes);
    VolumeSetting volumes[2];
    uint8_t muted[2] = {};
    for (int i = 0; i < 2; ++i) {
        volumes[i].percent = r.U8();
        muted[i] = r.U8();
    }
    const uint8_t fullScreen = r.U8();
    if (!r.AtEnd() || fullScreen > 1) {
        return false;
    }
    for (int i = 0; i < 2; ++i) {
        if (volumes[i].percent > VolumeSetting::kFull || muted[i] > 1) {
            return false;
        }
        volumes[i].muted = muted[i] == 1;
    }
    options.music = volumes[0];
    options.effects = volumes[1];
    options.fullScreen = fullScreen == 1;
    return true;
}

// "LANG": the language chosen, as a length byte and its name; nothing while
// the environment's language is used.
std::optional<std::vector<uint8_t>> WriteLanguage(const OptionValues& options) {
    if (options.language.empty()) {
        return std::nullopt;
    }
    return BlockWriter().Text(options.language).Take();
}

bool ReadLanguage(OptionValues& options, std::span<const uint8_t> bytes) {
    std::optional<std::string> language = ReadOnlyText(bytes);
    // A language name is letters, '_' and '@' ("de", "pt_BR"): nothing that
    // could reach outside the catalogues' folder.
    if (!language || language->empty() ||
        !std::all_of(language->begin(), language->end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '@';
        })) {
        return false;
    }
    options.language = std::move(*language);
    return true;
}

}  // namespace

std::span<const BlockCodec<OptionValues>> OptionBlockCodecs() {
    static const std::vector<BlockCodec<OptionValues>> codecs = {
        {"SNDS", 1, WriteMachineOptions, ReadMachineOptions},
        {"LANG", 1, WriteLanguage, ReadLanguage},
    };
    return codecs;
}

void LoadOptions() {
    KernelLibrary::RemoveStalePlayerTemporaries(KernelLibrary::GetPlayerDataRoot(), kOptionsFile);
    std::string error;
    OptionValues& options = GetOptionValues();
    const auto bytes = KernelLibrary::ReadPlayerFile(OptionsPath(), kMaxOptionsBytes, &error);
    if (!bytes) {
        return;
    }
    auto& values = options.values;
    for (size_t i = 0; 2 * i + 1 < bytes->size() && i < values.size(); ++i) {
        values[i] = static_cast<uint16_t>((*bytes)[2 * i] * 256 + (*bytes)[2 * i + 1]);
    }  // a value not in the file is kept
    if (bytes->size() > kOptionBytes) {
        options.otherBlocks = ReadBlocksInto<OptionValues>(
            options, std::span(*bytes).subspan(kOptionBytes), OptionBlockCodecs());
    }
}

bool SaveOptions() {
    const OptionValues& options = GetOptionValues();
    std::vector<uint8_t> bytes(kOptionBytes);
    for (size_t i = 0; i < options.values.size(); ++i) {
        PutU16(bytes, 2 * i, options.values[i]);
    }
    AppendBlocksOf<OptionValues>(bytes, options, OptionBlockCodecs(), options.otherBlocks);
    std::string error;
    if (KernelLibrary::ReadPlayerFile(OptionsPath(), bytes.size() + 1, &error) == bytes) {
        return true;  // the file already holds exactly these
    }
    return WriteReported(OptionsPath(), bytes, false);
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
