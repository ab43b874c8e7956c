#pragma once

namespace Brisk {

// Receives the events of framework buttons. All bodies are empty except the
// first, which forwards to the one-argument form.
class ButtonListener {
public:
    virtual ~ButtonListener() = default;
    virtual void OnButtonDown(int id, int /*clickCount*/) { OnButtonDown(id); }
    virtual void OnButtonDown(int /*id*/) {}
    virtual void OnButtonClick(int /*id*/) {}
    virtual void OnButtonHeld(int /*id*/) {}
    virtual void OnButtonEnter(int /*id*/) {}
    virtual void OnButtonLeave(int /*id*/) {}
    virtual void OnButtonMouseMove(int /*id*/, int /*x*/, int /*y*/) {}
};

// Receives the button events of framework dialogs.
class DialogListener {
public:
    virtual ~DialogListener() = default;
    virtual void OnDialogButtonDown(int /*dialogId*/, int /*buttonId*/) {}
    virtual void OnDialogButtonClick(int /*dialogId*/, int /*buttonId*/) {}
};

}  // namespace Brisk
