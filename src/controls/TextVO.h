#pragma once

#include <string>

#include "controls/BaseVO_bridge.h"
#include "controls/IStringVO.h"
#include "controls/VisibleObject_impl.h"

namespace ControlLibrary {

// A text in one font whose size always follows the text: the string and
// link kinds.
class FittedTextVO_impl : public VisibleObject_impl {
public:
    FittedTextVO_impl(Factory_impl* factory, int32_t id);
    // Drops its count on the font.
    ~FittedTextVO_impl() override;

    // The size follows the text only.
    void SetSize(const Size& /*size*/) override {}
    // Takes a count on `font` and fits the size to the text.
    void SetFont(IFont* font);
    void SetText(const std::string& text);
    void GetText(std::string& text);

protected:
    // Guarded by the factory lock.
    IFont* m_font = nullptr;  // counted
    std::string m_text;
};

class StringVO_impl : public FittedTextVO_impl {
public:
    // White, 0 x 0 until it has a font and a text.
    using FittedTextVO_impl::FittedTextVO_impl;

    void Draw() override;
    void SetShadow(bool on);
    void SetShadowOffset(uint16_t x, uint16_t y);
    void SetShadowColour(const Colour& colour);

private:
    // Guarded by the factory lock.
    bool m_shadow = false;
    Colour m_shadowColour;
    int32_t m_shadowX = 0;
    int32_t m_shadowY = 0;
};

class LinkVO_impl : public FittedTextVO_impl {
public:
    using FittedTextVO_impl::FittedTextVO_impl;

    void Draw() override;
    // The common handling, then the address is opened (enabled links only).
    void HandleMouseDown(int32_t x, int32_t y, int32_t clickCount) override;
    void SetAddress(const std::string& address);
    void SetHoverColour(const Colour& colour);

private:
    std::string m_address;
    Colour m_hoverColour;
};

class StringVO_Bridge : public BaseVO_bridge<IStringVO, StringVO_impl> {
public:
    using BaseVO_bridge::BaseVO_bridge;
    void SetFont(IFont* font) override { GetKind().SetFont(font); }
    void SetText(const std::string& text) override { GetKind().SetText(text); }
    void GetText(std::string& text) override { GetKind().GetText(text); }
    void SetShadow(bool on) override { GetKind().SetShadow(on); }
    void SetShadowOffset(uint16_t x, uint16_t y) override { GetKind().SetShadowOffset(x, y); }
    void SetShadowColour(const Colour& colour) override { GetKind().SetShadowColour(colour); }
};

class LinkVO_Bridge : public BaseVO_bridge<ILinkVO, LinkVO_impl> {
public:
    using BaseVO_bridge::BaseVO_bridge;
    void SetFont(IFont* font) override { GetKind().SetFont(font); }
    void SetText(const std::string& text) override { GetKind().SetText(text); }
    void GetText(std::string& text) override { GetKind().GetText(text); }
    void SetAddress(const std::string& address) override { GetKind().SetAddress(address); }
    void SetHoverColour(const Colour& colour) override { GetKind().SetHoverColour(colour); }
};

}  // namespace ControlLibrary
