#pragma once

#include <string>

namespace AssetGen {

struct Options {
    std::string out;  // output folder, with a trailing '/'
    std::string emojiFont = "/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf";
    std::string scriptFont = "/usr/share/fonts/opentype/dancingscript/DancingScript-Bold.otf";
    std::string italicFont = "/usr/share/fonts/opentype/lobster/lobster.otf";
    std::string brushFont = "/usr/share/fonts/opentype/kaushanscript/KaushanScript-Regular.otf";
    std::string sansFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
    std::string uiFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
};

// Ends the program with a message (assets are part of the build).
[[noreturn]] void Fail(const std::string& message);
void Check(bool ok, const std::string& what);

void MakePictures(const Options& o);
void MakeFonts(const Options& o);
void MakeSounds(const Options& o);

}  // namespace AssetGen
