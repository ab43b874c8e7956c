#pragma once

#include <string>

namespace Brisk::Platform {

// Makes `path` an empty private folder of this user for scratch data (a
// demo's playback): made with mode 0700 when missing, else emptied. Nothing
// is followed: a link at `path` is refused, as is anything but a folder this
// user owns, and links inside it are removed as links, never their targets.
// False and `error` (the reason, no path) when the folder cannot be used.
[[nodiscard]] bool MakeEmptyScratchFolder(const std::string& path, std::string* error);

}  // namespace Brisk::Platform
