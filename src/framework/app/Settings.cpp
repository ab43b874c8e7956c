// String table, command line and the registry-backed settings.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "common/Catalogue.h"
#include "framework/app/BriskAppBase.h"
#include "framework/app/Demo.h"
#include "framework/platform/Paths.h"
#include "framework/platform/Process.h"

namespace Brisk {

std::string BriskAppBase::GetString(const std::string& id, const std::string& defaultText) const {
    const auto it = m_stringTable.find(id);
    // A text the application did not set is the framework's own, in the
    // player's language.
    return it != m_stringTable.end() ? it->second : CommonLibrary::Tr(defaultText);
}

void BriskAppBase::SetString(const std::string& id, const std::string& text) {
    m_stringTable[id] = text;
}

void BriskAppBase::ParseCommandLine() {
    m_life.commandLineParsed = true;
    // Each argument is one switch, "name" or "name=value", taken as it came:
    // the program's own path, whatever it holds, is never read as a switch,
    // and quotes or spaces inside an argument belong to it.
    for (const std::string& argument : Platform::CommandLineArguments()) {
        const size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        if (!name.empty()) {
            HandleCommandLineParam(
                name, equals == std::string::npos ? std::string() : argument.substr(equals + 1));
        }
    }
}

void BriskAppBase::ParseCommandLineText(const std::string& text) {
    std::string name;
    std::string value;
    bool inValue = false;
    bool inQuotes = false;
    auto endToken = [&] {
        if (!name.empty()) {
            HandleCommandLineParam(name, value);
        }
        name.clear();
        value.clear();
        inValue = false;
    };
    for (const char c : text) {
        if (c == '"') {
            inQuotes = !inQuotes;
            if (!inQuotes) {
                endToken();
            }
        } else if (c == ' ' && !inQuotes) {
            endToken();
        } else if (c == '=' && !inValue) {
            inValue = true;
        } else {
            (inValue ? value : name).push_back(c);
        }
    }
    endToken();
}

namespace {
bool IsAbsolutePath(const std::string& path) {
    return !path.empty() && path[0] == '/';
}
}  // namespace

void BriskAppBase::HandleCommandLineParam(const std::string& name, const std::string& value) {
    if (name == "-play") {
        // "-play=N" replays N times as fast; "-play=max" as fast as the machine goes.
        if (value == "max") {
            m_commandLine.playFast = true;
        } else if (!value.empty()) {
            const double speed = std::atof(value.c_str());
            m_commandLine.playSpeed = speed > 0 ? speed : 1.0;
        }
        m_commandLine.playingDemo = true;
        m_commandLine.recordingDemo = false;
    } else if (name == "-record") {
        m_commandLine.recordingDemo = true;
        m_commandLine.playingDemo = false;
    } else if (name == "-recnum") {
        // Nothing is deleted here: a copy refused by the one-copy check must
        // leave the running copy's recording alone (see PruneNumberedDemos).
        const int n = std::atoi(value.c_str());
        m_commandLine.recordDemoCount = n <= 0 ? 5 : n;
        const std::vector<int> numbers = NumberedDemoFiles();
        m_commandLine.demoFileName = NumberedDemoFile(numbers.empty() ? 1 : numbers.back() + 1);
        m_commandLine.numberedDemo = true;
        m_commandLine.recordingDemo = true;
        m_commandLine.playingDemo = false;
    } else if (name == "-playnum") {
        // The n-th most recent of the numbered recordings there are.
        const int n = std::max(std::atoi(value.c_str()), 1);
        const std::vector<int> numbers = NumberedDemoFiles();
        const auto count = static_cast<int>(numbers.size());
        m_commandLine.demoFileName = n <= count ? NumberedDemoFile(numbers[count - n])
                                                : m_identity.appDataFolder + "briskapp*.dmo";
        m_commandLine.demoMissing =
            n <= count ? std::string()
                       : "there " + std::string(count == 1 ? "is " : "are ") +
                             std::to_string(count) + " numbered recording" +
                             (count == 1 ? "" : "s") + ", not " + std::to_string(n);
        m_commandLine.playingDemo = true;
        m_commandLine.recordingDemo = false;
    } else if (name == "-demofile") {
        m_commandLine.demoMissing.clear();
        m_commandLine.demoFileName =
            IsAbsolutePath(value) ? value : m_identity.appDataFolder + value;
    } else if (name == "-crash") {
        // Reserved for the crash-report test.
    } else if (name == "-screensaver") {
        m_commandLine.screensaverMode = true;
    } else if (name == "-changedir") {
        m_identity.startDirectory = value;
        if (!m_identity.startDirectory.empty() && m_identity.startDirectory.back() != '/') {
            m_identity.startDirectory.push_back('/');
        }
    } else {
        Popup(GetString("INVALID_COMMANDLINE_PARAM", "Invalid command line parameter: ") + name);
        // A launcher must be able to see that the program did not start.
        DoExit(1);
    }
}

std::vector<int> BriskAppBase::NumberedDemoFiles() const {
    std::vector<int> numbers;
    std::error_code ec;
    const std::string folder = m_identity.appDataFolder.empty() ? "." : m_identity.appDataFolder;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string file = it->path().filename().string();
        if (file.size() > 12 && file.rfind("briskapp", 0) == 0 &&
            file.compare(file.size() - 4, 4, ".dmo") == 0) {
            const std::string digits = file.substr(8, file.size() - 12);
            if (!digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos &&
                digits.size() < 9) {
                numbers.push_back(std::atoi(digits.c_str()));
            }
        }
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

std::string BriskAppBase::NumberedDemoFile(int number) const {
    return m_identity.appDataFolder + "briskapp" + std::to_string(number) + ".dmo";
}

// --- the registry ----------------------------------------------------------------

Platform::SettingsStore& BriskAppBase::Settings() {
    if (m_settingsStore == nullptr) {
        m_settingsStore = std::make_unique<Platform::SettingsStore>(Platform::ConfigHome());
    }
    return *m_settingsStore;
}

void BriskAppBase::SetSettingsRoot(const std::string& root) {
    m_settingsStore = std::make_unique<Platform::SettingsStore>(root);
}

bool BriskAppBase::SplitValueName(const std::string& name, std::string* key,
                                  std::string* value) const {
    if (m_identity.registryKey.empty()) {
        return false;
    }
    *key = "SOFTWARE\\" + m_identity.registryKey;
    const size_t slash = name.find_last_of('\\');
    if (slash == std::string::npos) {
        *value = name;
    } else {
        *key += "\\" + name.substr(0, slash);
        *value = name.substr(slash + 1);
    }
    return true;
}

bool BriskAppBase::RegistryRead(const std::string& name, Platform::StoredValue* out) {
    if (m_demo != nullptr) {
        // A played demo answers with what the recording read, in order.
        const auto& steps = m_demo->steps;
        while (m_demoRegistryNext < steps.size()) {
            const DemoStep& step = steps[m_demoRegistryNext++];
            if (step.kind != DemoRecord::Registry) {
                continue;
            }
            const DemoSetting& setting = m_demo->settings[static_cast<size_t>(step.a)];
            if (setting.name == name) {
                if (step.flag != 0) {
                    *out = setting.value;
                }
                return step.flag != 0;
            }
        }
        return false;
    }
    std::string key;
    std::string value;
    std::optional<Platform::StoredValue> stored;
    if (SplitValueName(name, &key, &value)) {
        stored = Settings().Read(key, value);
    }
    if (m_commandLine.recordingDemo) {
        DemoEvent e;
        e.kind = DemoRecord::Registry;
        e.name = name;
        e.flag = stored.has_value();
        if (stored) {
            e.value = *stored;
        }
        RecordDemoEvent(e);
    }
    if (!stored) {
        return false;
    }
    *out = std::move(*stored);
    return true;
}

bool BriskAppBase::RegistryWrite(const std::string& name, const Platform::StoredValue& value) {
    if (m_demo != nullptr || m_commandLine.playingDemo) {
        return true;  // a run that replays a demo leaves the player's settings alone
    }
    std::string key;
    std::string valueName;
    return SplitValueName(name, &key, &valueName) && Settings().Write(key, valueName, value);
}

bool BriskAppBase::RegistryReadInteger(const std::string& name, int* out) {
    Platform::StoredValue value;
    if (!RegistryRead(name, &value) || value.type != Platform::ValueType::Dword ||
        value.data.size() != 4) {
        return false;
    }
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | value.data[static_cast<size_t>(i)];
    }
    *out = static_cast<int>(v);
    return true;
}

bool BriskAppBase::RegistryReadBoolean(const std::string& name, bool* out) {
    int value = 0;
    if (!RegistryReadInteger(name, &value)) {
        return false;
    }
    *out = value != 0;
    return true;
}

bool BriskAppBase::RegistryWriteInteger(const std::string& name, int value) {
    const auto v = static_cast<uint32_t>(value);
    return RegistryWrite(name, {Platform::ValueType::Dword,
                                {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                                 static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)}});
}

bool BriskAppBase::RegistryWriteBoolean(const std::string& name, bool value) {
    return RegistryWriteInteger(name, value ? 1 : 0);
}

bool BriskAppBase::RegistryWriteString(const std::string& name, const std::string& text) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);  // stored with its terminating zero, as strings are
    return RegistryWrite(name, {Platform::ValueType::String, std::move(bytes)});
}

bool BriskAppBase::RegistryEraseValue(const std::string& name) {
    std::string key;
    std::string value;
    if (m_demo != nullptr || m_commandLine.playingDemo) {
        return true;  // as for writes: the player's settings stay as they are
    }
    return SplitValueName(name, &key, &value) && Settings().Erase(key, value);
}

void BriskAppBase::ReadFromRegistry() {
    m_life.registryRead = true;
    m_identity.registryKey = GetString("RegistryKey", m_identity.registryKey);
    if (m_identity.registryKey.empty()) {
        return;  // the defaults stay
    }
    int value = 0;
    if (RegistryReadInteger("MusicVolume", &value)) {
        m_volumes.music = value / 100.0;
    }
    if (RegistryReadInteger("SfxVolume", &value)) {
        m_volumes.sfx = value / 100.0;
    }
    if (RegistryReadInteger("Muted", &value)) {
        m_volumes.muteCount = value;
    }
    if (RegistryReadInteger("ScreenMode", &value)) {
        m_windowSettings.isWindowed = value == 0;
    }
    if (RegistryReadInteger("PreferredX", &value)) {
        m_windowSettings.preferredX = value;
    }
    if (RegistryReadInteger("PreferredY", &value)) {
        m_windowSettings.preferredY = value;
    }
    if (RegistryReadInteger("CustomCursors", &value)) {
        m_cursor.custom = value != 0;
        ApplyCursor();
    }
    bool flag = false;
    if (RegistryReadBoolean("WaitForVSync", &flag)) {
        m_timing.waitForVSync = flag;
    }
    if (RegistryReadInteger("InProgress", &value)) {
        m_life.lastRunClean = value == 0;
    }
    if (!m_commandLine.screensaverMode) {
        RegistryWriteInteger("InProgress", 1);
    }
}

void BriskAppBase::WriteToRegistry() {
    RegistryWriteInteger("MusicVolume", static_cast<int>(m_volumes.music * 100));
    RegistryWriteInteger("SfxVolume", static_cast<int>(m_volumes.sfx * 100));
    // Only the player's own mutes are remembered, not those of focus loss.
    RegistryWriteInteger("Muted", m_volumes.muteCount - m_volumes.autoMuteCount > 0 ? 1 : 0);
    RegistryWriteInteger("ScreenMode", m_windowSettings.isWindowed ? 0 : 1);
    RegistryWriteInteger("PreferredX", m_windowSettings.preferredX);
    RegistryWriteInteger("PreferredY", m_windowSettings.preferredY);
    RegistryWriteInteger("CustomCursors", m_cursor.custom ? 1 : 0);
    RegistryWriteInteger("InProgress", 0);
    RegistryWriteBoolean("WaitForVSync", m_timing.waitForVSync);
}

}  // namespace Brisk
