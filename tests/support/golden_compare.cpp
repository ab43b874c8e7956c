// Compares a picture file with its reference: golden_compare PICTURE REFERENCE.
// Exit code 0 when they match (or VQ_UPDATE_GOLDEN=1 wrote the reference).

#include <cstdio>
#include <vector>

#include "support/GoldenCompare.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: golden_compare PICTURE REFERENCE\n");
        return 2;
    }
    std::vector<uint8_t> bytes;
    if (!Brisk::ReadWholeFile(argv[1], &bytes, ImageLib::kMaxImageFileBytes)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const auto picture = ImageLib::DecodePNG(bytes.data(), bytes.size());
    if (picture == nullptr) {
        std::fprintf(stderr, "%s is no PNG picture\n", argv[1]);
        return 1;
    }
    const std::string problem = TestSupport::CompareWithGolden(*picture, argv[2]);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }
    std::printf("%s matches %s\n", argv[1], argv[2]);
    return 0;
}
