#pragma once

#include <string>

namespace Brisk::Platform {

class Window;

enum class MessageBoxIcon { None, Information, Warning, Error };
enum class MessageBoxButtons { Ok, OkCancel, YesNo };

// Answers, numbered like the classic desktop message box results.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// The buttons' captions, in the player's language.
struct MessageBoxCaptions {
    std::string ok = "OK";
    std::string cancel = "Cancel";
    std::string yes = "Yes";
    std::string no = "No";
};

// Shows a modal message box over `owner` (may be null) and returns the
// answer. Without a display the caption and text go to standard error and
// the answer is Ok (Yes for a yes/no box). Main thread only.
// `caption` and `text` are UTF-8.
int ShowMessageBox(const std::string& caption, const std::string& text, MessageBoxIcon icon,
                   MessageBoxButtons buttons, const Window* owner,
                   const MessageBoxCaptions& captions = {});

}  // namespace Brisk::Platform
