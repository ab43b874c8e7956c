#pragma once

#include <string>

#include "controls/BaseVO_bridge.h"
#include "controls/IStringVO.h"
#include "controls/VisibleObject_impl.h"

namespace ControlLibrary {

class StringVO_impl : public VisibleObject_impl {
public:
    // White, 0 x 0 until it has a font and a text.
    StringVO_impl(Factory_impl* factory, int32_t id);
    ~StringVO_impl() override;

    void Draw() override;
    // The size follows the text only.
    void SetSize(const Size& /*size*/) override {}
    void SetFont(IFont* font);
    void SetText(const std::string& text);
    void GetText(std::string& text);
    void SetShadow(bool on);
    void SetShadowOffset(uint16_t x, uint16_t y);
    void SetShadowColour(const Colour& colour);

private:
    // Guarded by the factory lock.
    IFont* m_font = nullptr;  // counted
    bool m_shadow = false;
    std::string m_text;
    Colour m_shadowColour;
    int32_t m_shadowX = 0;
    int32_t m_shadowY = 0;
};

class LinkVO_impl : public VisibleObject_impl {
public:
    LinkVO_impl(Factory_impl* factory, int32_t id);
    ~LinkVO_impl() override;

    void Draw() override;
    void SetSize(const Size& /*size*/) override {}
    // The common handling, then the address is opened (enabled links only).
    void HandleMouseDown(int32_t x, int32_t y, int32_t clickCount) override;
    void SetFont(IFont* font);
    void SetText(const std::string& text);
    void GetText(std::string& text);
    void SetAddress(const std::string& address);
    void SetHoverColour(const Colour& colour);

private:
    IFont* m_font = nullptr;  // counted
    std::string m_text;
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
