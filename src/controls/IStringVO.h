#pragma once

#include <string>

#include "controls/IVisibleObject.h"

namespace ControlLibrary {

class IFont;

// A line of text; its size always follows the text (SetSize is ignored).
class IStringVO : public IVisibleObject {
public:
    // Takes a count on `font` (may be null) and fits the size to the text.
    virtual void SetFont(IFont* font) = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual void GetText(std::string& text) = 0;
    virtual void SetShadow(bool on) = 0;
    // The shadow lies right of and below the text.
    virtual void SetShadowOffset(uint16_t x, uint16_t y) = 0;
    virtual void SetShadowColour(const Colour& colour) = 0;
};

// A text that asks the desktop to open its address when pressed.
class ILinkVO : public IVisibleObject {
public:
    virtual void SetFont(IFont* font) = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual void GetText(std::string& text) = 0;
    virtual void SetAddress(const std::string& address) = 0;
    // The colour while the mouse is over the link.
    virtual void SetHoverColour(const Colour& colour) = 0;
};

}  // namespace ControlLibrary
