// The archive tool: writes a pak archive from a folder, lists one, extracts one.
//   pak create ARCHIVE FOLDER   names stored relative to FOLDER, with backslashes
//   pak list ARCHIVE
//   pak extract ARCHIVE FOLDER

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/platform/Files.h"
#include "framework/resources/PakInterface.h"

namespace fs = std::filesystem;

namespace {

void PutU32(std::vector<uint8_t>* out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out->push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

uint64_t FileTimeOf(const fs::path& p) {
    std::error_code ec;
    const auto t = fs::last_write_time(p, ec);
    if (ec) {
        return 0;
    }
    const auto us =
        std::chrono::time_point_cast<std::chrono::microseconds>(std::chrono::file_clock::to_sys(t))
            .time_since_epoch()
            .count();
    return static_cast<uint64_t>((us + 11644473600LL * 1000000) * 10);
}

int Create(const fs::path& archive, const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(folder, ec)) {
        if (e.is_regular_file()) {
            files.push_back(e.path());
        }
    }
    if (ec) {
        std::fprintf(stderr, "pak: cannot read %s: %s\n", folder.c_str(), ec.message().c_str());
        return 1;
    }
    std::sort(files.begin(), files.end());
    std::vector<uint8_t> out;
    PutU32(&out, Brisk::kPakMagic);
    PutU32(&out, 0);
    std::vector<std::vector<uint8_t>> contents;
    for (const fs::path& f : files) {
        std::string name = fs::relative(f, folder).generic_string();
        std::replace(name.begin(), name.end(), '/', '\\');
        if (name.size() > 255) {
            std::fprintf(stderr, "pak: name longer than 255 bytes: %s\n", name.c_str());
            return 1;
        }
        std::ifstream in(f, std::ios::binary);
        std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) {
            std::fprintf(stderr, "pak: cannot read %s\n", f.c_str());
            return 1;
        }
        out.push_back(0);  // flags
        out.push_back(static_cast<uint8_t>(name.size()));
        out.insert(out.end(), name.begin(), name.end());
        PutU32(&out, static_cast<uint32_t>(data.size()));
        const uint64_t time = FileTimeOf(f);
        PutU32(&out, static_cast<uint32_t>(time));
        PutU32(&out, static_cast<uint32_t>(time >> 32));
        contents.push_back(std::move(data));
    }
    out.push_back(0x80);  // end of the directory
    for (const auto& data : contents) {
        out.insert(out.end(), data.begin(), data.end());
    }
    for (uint8_t& b : out) {
        b ^= Brisk::kPakScramble;
    }
    const fs::path temp = archive.string() + ".tmp";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(out.data()),
                   static_cast<std::streamsize>(out.size()));
        if (!file) {
            std::fprintf(stderr, "pak: cannot write %s\n", temp.c_str());
            return 1;
        }
    }
    fs::rename(temp, archive, ec);
    if (ec) {
        std::fprintf(stderr, "pak: cannot write %s: %s\n", archive.c_str(), ec.message().c_str());
        return 1;
    }
    std::printf("%s: %zu files\n", archive.c_str(), files.size());
    return 0;
}

bool Mount(Brisk::PakInterface* pak, const std::string& archive) {
    if (!pak->AddArchive(archive)) {
        std::fprintf(stderr, "pak: %s is missing or not a valid archive\n", archive.c_str());
        return false;
    }
    return true;
}

int List(const std::string& archive) {
    Brisk::PakInterface pak;
    if (!Mount(&pak, archive)) {
        return 1;
    }
    for (const auto& [key, entry] : pak.Entries()) {
        if (entry.offset != 0) {
            std::printf("%10d  %s\n", entry.size, entry.name.c_str());
        }
    }
    return 0;
}

int Extract(const std::string& archive, const fs::path& folder) {
    Brisk::PakInterface pak;
    if (!Mount(&pak, archive)) {
        return 1;
    }
    int failures = 0;
    for (const auto& [key, entry] : pak.Entries()) {
        if (entry.offset == 0) {
            continue;  // the archive itself
        }
        // Both separators name folders, as the lookup treats them.
        std::string name = entry.name;
        std::replace(name.begin(), name.end(), '\\', '/');
        const fs::path target = (folder / name).lexically_normal();
        const std::string inside = target.lexically_relative(folder).string();
        if (inside.empty() || inside == "." || inside.rfind("..", 0) == 0 ||
            !target.has_filename()) {
            std::fprintf(stderr, "pak: skipping %s: not a file inside the target folder\n",
                         entry.name.c_str());
            ++failures;
            continue;
        }
        // The bytes straight from the mapped archive: no second lookup by name.
        const Brisk::Platform::MappedFile& mapped = *entry.archive->file;
        const auto offset = static_cast<size_t>(entry.offset);
        const auto size = static_cast<size_t>(entry.size);
        if (offset > mapped.Size() || size > mapped.Size() - offset) {
            std::fprintf(stderr, "pak: skipping %s: its data lies outside the archive\n",
                         entry.name.c_str());
            ++failures;
            continue;
        }
        std::vector<char> data(size);
        for (size_t i = 0; i < size; ++i) {
            data[i] = static_cast<char>(mapped.Data()[offset + i] ^ Brisk::kPakScramble);
        }
        std::error_code ec;
        fs::create_directories(target.parent_path(), ec);
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
        if (ec || !out) {
            std::fprintf(stderr, "pak: cannot write %s\n", target.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "create" && argc == 4) {
        return Create(argv[2], argv[3]);
    }
    if (command == "list" && argc == 3) {
        return List(argv[2]);
    }
    if (command == "extract" && argc == 4) {
        return Extract(argv[2], argv[3]);
    }
    std::fprintf(stderr,
                 "usage: pak create ARCHIVE FOLDER\n"
                 "       pak list ARCHIVE\n"
                 "       pak extract ARCHIVE FOLDER\n");
    return 2;
}
