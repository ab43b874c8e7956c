#pragma once

#include <optional>
#include <string>

namespace Brisk::Platform {

// Absolute path of the running executable; empty if it cannot be read.
std::string ExecutablePath();
// Directory part of a path, with a trailing '/'; "./" when there is none.
std::string DirectoryOf(const std::string& path);
// Changes the process's working directory; false on failure.
bool ChangeDirectory(const std::string& dir);
std::string CurrentDirectory();
// Creates the directory and its parents; true when it exists afterwards.
bool CreateDirectories(const std::string& dir);

// Per-user folders following the XDG base-directory rules, with trailing '/'.
std::string ConfigHome();  // $XDG_CONFIG_HOME or ~/.config/
std::string DataHome();    // $XDG_DATA_HOME or ~/.local/share/
// Per-user runtime folder for sockets and locks: $XDG_RUNTIME_DIR, else
// /tmp/vornique-<uid>/ (created with mode 0700). Empty, with `problem`
// filled, when the fallback folder is not a private folder of this user
// (someone else made it, it is a link, or others may write to it).
std::string RuntimeDir(std::string* problem = nullptr);

}  // namespace Brisk::Platform
