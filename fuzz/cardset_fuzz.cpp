// The card set reader on a folder made of the input: a count byte, then per
// file a byte choosing its name and a two-byte length before its bytes. The
// reader gives a set of whole cards or a reason, never anything between.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "kernel/CardSetReader.h"

namespace {

const char* const kNames[] = {"01.png",   "02.png",   "03.jpg",  "04.jpeg",  "05.png", "06.png",
                              "07.png",   "08.png",   "09.png",  "10.png",   "11.PNG", "12.jpg",
                              "back.png", "back.jpg", "set.xml", "notes.txt"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    size_t at = 1;
    std::vector<KernelLibrary::CardSetFile> files;
    for (int n = data[0] % 24; n > 0 && at + 3 <= size; --n) {
        KernelLibrary::CardSetFile file;
        file.name = kNames[data[at] % std::size(kNames)];
        const size_t length = std::min<size_t>(size - at - 3, data[at + 1] * 256u + data[at + 2]);
        file.bytes.emplace(data + at + 3, data + at + 3 + length);
        at += 3 + length;
        files.push_back(std::move(file));
    }
    const KernelLibrary::CardSetRead read = KernelLibrary::BuildCardSet(files, "fuzz");
    if (read.set.has_value() == !read.problem.empty()) {
        __builtin_trap();  // a set and a reason, or neither
    }
    if (read.set) {
        if (read.set->faces.size() < KernelLibrary::kMinCardSetFaces) {
            __builtin_trap();
        }
        for (const auto& face : read.set->faces) {
            if (face.width != KernelLibrary::kCardPictureSize ||
                face.height != KernelLibrary::kCardPictureSize ||
                face.pixels.size() != static_cast<size_t>(face.width) * face.height) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
