#include "framework/platform/Paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace Brisk::Platform {
namespace {

std::string WithSlash(std::string p) {
    if (!p.empty() && p.back() != '/') {
        p.push_back('/');
    }
    return p;
}

std::string HomeDir() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) {
        return pw->pw_dir;
    }
    return "/tmp";
}

std::string XdgDir(const char* var, const char* fallbackUnderHome) {
    if (const char* v = std::getenv(var); v != nullptr && v[0] == '/') {
        return WithSlash(v);
    }
    return WithSlash(HomeDir() + "/" + fallbackUnderHome);
}

}  // namespace

std::string ExecutablePath() {
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : p.string();
}

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return "./";
    }
    return path.substr(0, slash + 1);
}

bool ChangeDirectory(const std::string& dir) {
    return !dir.empty() && chdir(dir.c_str()) == 0;
}

std::string CurrentDirectory() {
    std::error_code ec;
    auto p = std::filesystem::current_path(ec);
    return ec ? std::string() : WithSlash(p.string());
}

bool CreateDirectories(const std::string& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return std::filesystem::is_directory(dir, ec);
}

std::string ConfigHome() {
    return XdgDir("XDG_CONFIG_HOME", ".config");
}
std::string DataHome() {
    return XdgDir("XDG_DATA_HOME", ".local/share");
}

std::string RuntimeDir(std::string* problem) {
    if (const char* v = std::getenv("XDG_RUNTIME_DIR"); v != nullptr && v[0] == '/') {
        return WithSlash(v);
    }
    const std::string dir = "/tmp/vornique-" + std::to_string(getuid());
    mkdir(dir.c_str(), 0700);
    // /tmp is shared: a folder of that name made by someone else (or a link
    // to one) would let them take or read this user's lock and socket.
    struct stat st {};
    const char* why = nullptr;
    if (lstat(dir.c_str(), &st) != 0) {
        why = "cannot be made";
    } else if (!S_ISDIR(st.st_mode)) {
        why = "is not a folder";
    } else if (st.st_uid != getuid()) {
        why = "belongs to another user";
    } else if ((st.st_mode & 077) != 0) {
        why = "may be written by other users";
    }
    if (why != nullptr) {
        if (problem != nullptr) {
            *problem = dir + " " + why;
        }
        return {};
    }
    return dir + "/";
}

}  // namespace Brisk::Platform
