#pragma once

#include <array>
#include <string>

#include "controls/IVisibleObject.h"

namespace ControlLibrary {

class IFont;

// Hears an edit box's text and focus changes. Main thread.
class IEditBoxMsgObserver {
public:
    virtual ~IEditBoxMsgObserver() = default;
    virtual void OnTextChanged(int32_t /*id*/) {}
    virtual void OnFocusGained(int32_t /*id*/) {}
    virtual void OnFocusLost(int32_t /*id*/) {}
};

// Left cap, stretched middle, right cap.
using ThreePartPaths = std::array<std::string, 3>;

// A one-line entry field: characters 48 to 122 up to a maximum length,
// backspace, a blinking caret while it holds the focus.
class IEditBoxVO : public IVisibleObject {
public:
    // Appends unless already present; `observer` must outlive the box.
    virtual void AddEditObserver(IEditBoxMsgObserver* observer) = 0;
    virtual void SetFont(IFont* font) = 0;
    // Stored as given: no check and no notification.
    virtual void SetText(const std::string& text) = 0;
    virtual void GetText(std::string& text) = 0;
    virtual void SetTextOffset(int16_t x, int16_t y) = 0;
    virtual void SetTextColour(const Colour& colour) = 0;
    // -1: no limit.
    virtual void SetMaxLength(int16_t length) = 0;
    // Draws the focused pictures while on.
    virtual void SetFocusLook(bool on) = 0;
    virtual void SetImages(const ThreePartPaths& normal, const ThreePartPaths& focused) = 0;
    virtual void SetSourceRects(const Rect& left, const Rect& middle, const Rect& right) = 0;
    virtual void SetBackgroundHidden(bool hidden) = 0;
};

// Paragraphs wrapped to the box's width and paged by its height. Page
// changes show at the next redraw something else requests.
class ITextBoxVO : public IVisibleObject {
public:
    // Ignored without a font; `alignment` 0 left, 1 centre, 2 right.
    virtual void AddParagraph(const std::string& text, IFont* font, int32_t alignment,
                              const Colour& colour) = 0;
    virtual void SetPage(uint16_t page) = 0;
    // Removes every paragraph and line; back to page 0.
    virtual void Clear() = 0;
    virtual void NextPage() = 0;
    virtual bool PrevPage() = 0;
    virtual bool HasNextPage() = 0;
    virtual bool HasPrevPage() = 0;
};

}  // namespace ControlLibrary
