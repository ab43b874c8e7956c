#include "framework/platform/MessageBox.h"

#include <SDL.h>

#include <cstdio>
#include <vector>

#include "framework/platform/Signals.h"
#include "framework/platform/Video.h"
#include "framework/platform/Window.h"

namespace Brisk::Platform {
namespace {

int DefaultAnswer(MessageBoxButtons buttons) {
    return buttons == MessageBoxButtons::YesNo ? kAnswerYes : kAnswerOk;
}

bool HaveRealDisplay() {
    const std::string driver = VideoDriverName();
    return !driver.empty() && driver != "dummy" && driver != "offscreen";
}

}  // namespace

int ShowMessageBox(const std::string& caption, const std::string& text, MessageBoxIcon icon,
                   MessageBoxButtons buttons, const Window* owner,
                   const MessageBoxCaptions& captions) {
    // Once the game is ending, a box would only hold it up.
    if (HaveRealDisplay() && LastTerminationSignal() == 0) {
        std::vector<SDL_MessageBoxButtonData> data;
        switch (buttons) {
            case MessageBoxButtons::Ok:
                data.push_back({SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT |
                                    SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                                kAnswerOk, captions.ok.c_str()});
                break;
            case MessageBoxButtons::OkCancel:
                data.push_back(
                    {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kAnswerOk, captions.ok.c_str()});
                data.push_back({SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kAnswerCancel,
                                captions.cancel.c_str()});
                break;
            case MessageBoxButtons::YesNo:
                data.push_back(
                    {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, kAnswerYes, captions.yes.c_str()});
                data.push_back(
                    {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, kAnswerNo, captions.no.c_str()});
                break;
        }
        Uint32 flags = 0;
        switch (icon) {
            case MessageBoxIcon::Error:
                flags = SDL_MESSAGEBOX_ERROR;
                break;
            case MessageBoxIcon::Warning:
                flags = SDL_MESSAGEBOX_WARNING;
                break;
            case MessageBoxIcon::Information:
            case MessageBoxIcon::None:
                flags = SDL_MESSAGEBOX_INFORMATION;
                break;
        }
        SDL_MessageBoxData box{};
        box.flags = flags;
        box.window = owner != nullptr ? static_cast<SDL_Window*>(owner->NativeHandle()) : nullptr;
        box.title = caption.c_str();
        box.message = text.c_str();
        box.numbuttons = static_cast<int>(data.size());
        box.buttons = data.data();
        int answer = 0;
        // SDL shows the box from a child process and waits for it; a
        // termination signal ends that child, so the game can end at once.
        const ForkedHelperScope helper;
        if (SDL_ShowMessageBox(&box, &answer) == 0 && answer > 0) {
            return answer;
        }
    }
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    return DefaultAnswer(buttons);
}

}  // namespace Brisk::Platform
