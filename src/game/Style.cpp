#include "game/Style.h"

#include "controls/Factory_impl.h"
#include "controls/Resources.h"

namespace Gamespace {

ControlLibrary::IButtonVO* MakeButton(const ButtonStyle& style, const std::string& text,
                                      uint16_t zOrder, uint32_t width, uint32_t height,
                                      int32_t offsetY,
                                      ControlLibrary::MouseMessageObserver* observer) {
    ControlLibrary::IButtonVO* button = ControlLibrary::GetFactory()->CreateButtonVO();
    button->SetFonts({style.font, nullptr, nullptr, nullptr});
    button->SetImages({style.image, "", "", ""});
    button->SetSourceRects(style.frames);
    button->SetTextColours(style.captions);
    button->SetSounds({nullptr, style.pressSound, nullptr});
    button->SetText(text);
    button->SetAlignment(kAlignCentre, kAlignCentre);
    button->SetZOrder(zOrder);
    button->SetSize(width, height);
    button->SetTextOffset({0, offsetY});
    button->AddMouseObserver(observer);
    return button;
}

ControlLibrary::IFont* LoadFont(const std::string& path) {
    ControlLibrary::IFont* font = ControlLibrary::GetFactory()->CreateFont();
    font->Load(path);
    return font;
}

ControlLibrary::ISound* LoadSound(const std::string& path, double volume) {
    ControlLibrary::ISound* sound = ControlLibrary::GetFactory()->CreateSound();
    sound->Load(path);
    sound->SetVolume(volume);
    return sound;
}

}  // namespace Gamespace
