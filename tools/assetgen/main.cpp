// The asset generator: writes every picture, font and sound of the game into
// a folder. Usage: assetgen OUTPUT_FOLDER

#include <cstdio>
#include <cstdlib>
#include <string>

#include "AssetGen.h"

namespace AssetGen {

void Fail(const std::string& message) {
    std::fprintf(stderr, "assetgen: %s\n", message.c_str());
    std::exit(1);
}

void Check(bool ok, const std::string& what) {
    if (!ok) {
        Fail("could not write " + what);
    }
}

}  // namespace AssetGen

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: assetgen OUTPUT_FOLDER\n");
        return 2;
    }
    AssetGen::Options options;
    options.out = argv[1];
    if (options.out.back() != '/') {
        options.out.push_back('/');
    }
    AssetGen::MakePictures(options);
    AssetGen::MakeFonts(options);
    AssetGen::MakeSounds(options);
    return 0;
}
