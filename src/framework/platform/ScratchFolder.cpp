#include "framework/platform/ScratchFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace Brisk::Platform {
namespace {

// Folders nested deeper than this are not ours: a scratch folder is shallow.
constexpr int kMaxDepth = 32;

// Removes everything inside the open folder `dir` (closed here), each entry
// relative to it so that no path is resolved twice and no link is followed.
bool EmptyFolderAt(int dir, int depth, std::string* error) {
    DIR* listing = ::fdopendir(dir);
    if (listing == nullptr) {
        ::close(dir);
        *error = std::strerror(errno);
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    bool ok = true;
    for (const std::string& name : names) {
        struct stat st {};
        if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;  // gone meanwhile
        }
        if (S_ISDIR(st.st_mode)) {
            if (depth >= kMaxDepth) {
                *error = "holds folders nested too deeply";
                ok = false;
            } else if (const int sub = ::openat(dir, name.c_str(),
                                                O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                       sub < 0) {
                *error = std::strerror(errno);
                ok = false;
            } else if (!EmptyFolderAt(sub, depth + 1, error)) {
                ok = false;
            } else if (::unlinkat(dir, name.c_str(), AT_REMOVEDIR) != 0) {
                *error = std::strerror(errno);
                ok = false;
            }
        } else if (::unlinkat(dir, name.c_str(), 0) != 0) {
            *error = std::strerror(errno);
            ok = false;
        }
        if (!ok) {
            break;
        }
    }
    ::closedir(listing);  // closes `dir`
    return ok;
}

}  // namespace

bool MakeEmptyScratchFolder(const std::string& path, std::string* error) {
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();  // a trailing slash would follow a link
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            *error = std::strerror(errno);
            return false;
        }
        if (::mkdir(folder.c_str(), 0700) != 0) {
            *error = std::strerror(errno);
            return false;
        }
        return true;
    }
    if (S_ISLNK(st.st_mode)) {
        *error = "is a link, which is never followed";
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        *error = "is not a folder";
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        *error = "belongs to another user";
        return false;
    }
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat opened {};
    if (dir < 0 || ::fstat(dir, &opened) != 0 || opened.st_dev != st.st_dev ||
        opened.st_ino != st.st_ino) {
        *error = dir < 0 ? std::strerror(errno) : "changed while it was looked at";
        if (dir >= 0) {
            ::close(dir);
        }
        return false;
    }
    return EmptyFolderAt(dir, 0, error);
}

}  // namespace Brisk::Platform
