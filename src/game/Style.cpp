#include "game/Style.h"

#include "controls/Factory_impl.h"
#include "controls/Resources.h"

namespace Gamespace {

ControlLibrary::IButtonVO* MakeButton(const ButtonStyle& style, const std::string& text,
                                      const ButtonShape& shape,
                                      ControlLibrary::MouseMessageObserver* observer) {
    ControlLibrary::IButtonVO* button = ControlLibrary::GetFactory()->CreateButtonVO();
    button->SetFonts({style.font, nullptr, nullptr, nullptr});
    button->SetImages({style.image, "", "", ""});
    button->SetSourceRects(style.frames);
    button->SetTextColours(style.captions);
    button->SetSounds({nullptr, style.pressSound, nullptr});
    button->SetText(text);
    button->SetAlignment(kAlignCentre, kAlignCentre);
    button->SetZOrder(shape.zOrder);
    button->SetSize(shape.size.width, shape.size.height);
    button->SetTextOffset({0, shape.captionY});
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
