#pragma once

#include <memory>
#include <string>

#include "framework/resources/ImageFont.h"

namespace Brisk {

class Font;

// What the framework's own fonts load through: pictures come from the
// application's shared-image cache (decoded here when there is no
// application); descriptor errors go to the diagnostics output only, since
// the caller reports or falls back itself. Only used while a font loads.
class QuietFontHost : public FontHost {
public:
    FontImage LoadImage(const std::string& path) override;
    void ReportError(const std::string& text) override;

private:
    DecodingFontHost m_decoder;
};

// Style bits of CreateSystemFont.
inline constexpr int kFontBold = 1;
inline constexpr int kFontItalic = 2;
inline constexpr int kFontUnderline = 4;

// A desktop font by face name, point size (at 96 dots an inch) and style.
// Desktop font files are not part of the game's data, so every face is
// drawn with the generated sans image fonts ("fonts/UiSans13.txt",
// bold "fonts/UiSansBold16.txt") scaled to the size; italic and underline
// are not drawn. Without those files a font that measures and draws
// nothing is returned, never null. Main thread.
std::unique_ptr<Font> CreateSystemFont(const std::string& face, int pointSize, int style);

}  // namespace Brisk
