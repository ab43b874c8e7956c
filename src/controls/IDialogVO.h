#pragma once

#include <string>

#include "controls/IVisibleObject.h"

namespace ControlLibrary {

// Hears a dialog being shown or hidden. Thread of the SetShown call.
class DialogMessageObserver {
public:
    virtual ~DialogMessageObserver() = default;
    virtual void OnDialogShown(int32_t /*id*/, bool /*shown*/) {}
};

// A panel owning child objects. Showing it puts it above everything, shows
// the children that follow it and, unless modeless, disables whatever was
// usable; hiding gives exactly that back.
class IDialogVO : public IVisibleObject {
public:
    virtual void AddDialogObserver(DialogMessageObserver* observer) = 0;
    // Non-zero: showing disables nothing.
    virtual void SetModeless(int32_t modeless) = 0;
    // False (the previous picture stays) when the path cannot be loaded.
    virtual bool SetBackgroundImage(const std::string& path) = 0;
    virtual void SetSourceRect(const Rect& rect) = 0;
    virtual void SetBackgroundHidden(bool hidden) = 0;
    // Takes a use of `child` and becomes its parent; null is ignored.
    virtual void AddChild(IVisibleObject* child) = 0;
};

}  // namespace ControlLibrary
