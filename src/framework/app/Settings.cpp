// String table, command line and the registry-backed settings.

#include <cstdlib>

#include "framework/app/BriskAppBase.h"
#include "framework/platform/Process.h"

namespace Brisk {

std::string BriskAppBase::GetString(const std::string& id, const std::string& defaultText) const {
    const auto it = m_stringTable.find(id);
    return it != m_stringTable.end() ? it->second : defaultText;
}

void BriskAppBase::SetString(const std::string& id, const std::string& text) {
    m_stringTable[id] = text;
}

void BriskAppBase::ParseCommandLine() {
    m_commandLineParsed = true;
    std::string line = Platform::GetCommandLine();
    size_t pos = 0;
    if (!line.empty() && line[0] == '"') {
        const size_t close = line.find('"', 1);
        if (close == std::string::npos) {
            return;
        }
        pos = close + 1;
    }
    const size_t space = line.find(' ', pos);
    if (space == std::string::npos) {
        return;
    }
    ParseCommandLineText(line.substr(space + 1));
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
        m_playingDemo = true;
        m_recordingDemo = false;
    } else if (name == "-record") {
        m_recordingDemo = true;
        m_playingDemo = false;
    } else if (name == "-recnum") {
        const int n = std::atoi(value.c_str());
        m_recordDemoCount = n <= 0 ? 5 : n;
        m_recordingDemo = true;
        m_playingDemo = false;
    } else if (name == "-playnum") {
        m_playingDemo = true;
        m_recordingDemo = false;
    } else if (name == "-demofile") {
        m_demoFileName = IsAbsolutePath(value) ? value : m_appDataFolder + value;
    } else if (name == "-crash") {
        // Reserved for the crash-report test.
    } else if (name == "-screensaver") {
        m_screensaverMode = true;
    } else if (name == "-changedir") {
        m_startDirectory = value;
        if (!m_startDirectory.empty() && m_startDirectory.back() != '/') {
            m_startDirectory.push_back('/');
        }
    } else {
        Popup(GetString("INVALID_COMMANDLINE_PARAM", "Invalid command line parameter: ") + name);
        // A launcher must be able to see that the program did not start.
        DoExit(1);
    }
}

void BriskAppBase::ReadFromRegistry() {
    m_registryRead = true;
    m_registryKey = GetString("RegistryKey", m_registryKey);
    // While the key is empty nothing is read; the defaults stay.
}

void BriskAppBase::WriteToRegistry() {
    // While the key is empty nothing is written.
}

}  // namespace Brisk
