#include "framework/app/ButtonWidget.h"

#include <algorithm>

#include "framework/app/SystemFont.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/WidgetManager.h"

namespace Brisk {

namespace {

constexpr int kButtonColors[][3] = {
    {0, 0, 0},        // label
    {0, 0, 0},        // label when hovered
    {0, 0, 0},        // outline
    {255, 255, 255},  // light bevel
    {132, 132, 132},  // dark bevel
    {212, 212, 212},  // face
};

constexpr int kDialogButtonColors[][3] = {
    {255, 255, 255}, {255, 255, 255}, {0, 0, 0}, {255, 255, 255}, {132, 132, 132}, {212, 212, 212},
};

}  // namespace

ButtonWidget::ButtonWidget(int id, ButtonListener* listener)
    : m_id(id), m_buttonListener(listener) {
    m_hasTransparency = true;
    SetColors(kButtonColors, 6);
}

ButtonWidget::~ButtonWidget() = default;

std::unique_ptr<Font> ButtonWidget::MakeDefaultFont() {
    return CreateSystemFont("Arial Unicode MS", 10, 0);
}

Font* ButtonWidget::GetFont() {
    if (m_font == nullptr) {
        m_font = MakeDefaultFont();
    }
    return m_font.get();
}

void ButtonWidget::SetFont(Font* font) {
    m_font = font != nullptr ? font->Duplicate() : nullptr;
    MarkSelfDirty();
}

bool ButtonWidget::IsButtonDown() const {
    const bool down = m_isDown && m_isOver && !m_disabled;
    return down != m_inverted;
}

Point ButtonWidget::LabelPosition() {
    Font* font = GetFont();
    const int textWidth = font->StringWidth(m_label);
    const int ascent = font->GetAscent();
    int x = 0;
    if (m_labelJustify == 0) {
        x = (m_width - textWidth) / 2;
    } else if (m_labelJustify == 1) {
        x = m_width - textWidth;
    }
    return {x, (ascent + m_height - ascent / 6 - 1) / 2};
}

void ButtonWidget::DrawLabel(Graphics* g, int x, int y, int colorIndex) {
    if (m_label.empty()) {
        return;
    }
    g->SetFont(GetFont());
    g->SetColor(GetColor(colorIndex));
    g->DrawString(m_label, x, y);
}

void ButtonWidget::DrawButtonImage(Graphics* g, Image* image, const Rect& srcRect, int x, int y) {
    if (!Brisk::IsEmpty(srcRect)) {
        if (m_buttonImage != nullptr) {
            g->DrawImage(m_buttonImage, x, y, srcRect);
        }
    } else if (image != nullptr) {
        g->DrawImage(image, x, y);
    }
}

void ButtonWidget::Draw(Graphics* g) {
    if (m_btnNoDraw) {
        return;
    }
    const Point label = m_label.empty() ? Point{} : LabelPosition();
    const bool pressed = IsButtonDown();
    const bool haveNormal = HaveButtonImage(m_buttonImage, m_normalRect);
    const bool haveOver = HaveButtonImage(m_overImage, m_overRect);

    if (haveNormal || haveOver || HaveButtonImage(m_downImage, m_downRect)) {
        if (pressed) {
            if (HaveButtonImage(m_downImage, m_downRect)) {
                DrawButtonImage(g, m_downImage, m_downRect, 0, 0);
            } else if (haveOver) {
                DrawButtonImage(g, m_overImage, m_overRect, 1, 1);
            } else {
                DrawButtonImage(g, m_buttonImage, m_normalRect, 1, 1);
            }
            DrawLabel(g, label.x + 1, label.y + 1, COLOR_LABEL_HILITE);
            return;
        }
        if (m_disabled && HaveButtonImage(m_disabledImage, m_disabledRect)) {
            DrawButtonImage(g, m_disabledImage, m_disabledRect, 0, 0);
        } else if (m_overAlpha > 0 && m_overAlpha <= 1 && haveOver) {
            // Fading: the normal look with the hover look over it.
            if (haveNormal) {
                DrawButtonImage(g, m_buttonImage, m_normalRect, 0, 0);
            }
            g->PushState();
            g->SetColorizeImages(true);
            g->SetColor(Color(255, 255, 255, static_cast<int>(m_overAlpha * 255)));
            DrawButtonImage(g, m_overImage, m_overRect, 0, 0);
            g->PopState();
        } else if ((m_isOver || m_isDown) && haveOver) {
            DrawButtonImage(g, m_overImage, m_overRect, 0, 0);
        } else {
            DrawButtonImage(g, m_buttonImage, m_normalRect, 0, 0);
        }
        DrawLabel(g, label.x, label.y);
        return;
    }

    // Bevelled look.
    const int w = m_width;
    const int h = m_height;
    if (!m_frameNoDraw) {
        g->SetColor(GetColor(COLOR_BKG));
        g->FillRect(0, 0, w, h);
    }
    // Pressed, the outline and the light edge swap sides and the dark inner
    // line moves from the bottom right to the top left.
    const Color& dark = GetColor(COLOR_DARK_OUTLINE);
    const Color& light = GetColor(COLOR_LIGHT_OUTLINE);
    g->SetColor(pressed ? dark : light);
    g->FillRect(0, 0, w - 1, 1);
    g->FillRect(0, 0, 1, h - 1);
    g->SetColor(pressed ? light : dark);
    g->FillRect(0, h - 1, w, 1);
    g->FillRect(w - 1, 0, 1, h);
    g->SetColor(GetColor(COLOR_MEDIUM_OUTLINE));
    const int inner = pressed ? 1 : h - 2;
    g->FillRect(1, inner, w - 2, 1);
    g->FillRect(pressed ? 1 : w - 2, 1, 1, h - 2);
    const int shift = pressed ? 1 : 0;
    DrawLabel(g, label.x + shift, label.y + shift);
}

void ButtonWidget::SetDisabled(bool disabled) {
    Widget::SetDisabled(disabled);
    if (HaveButtonImage(m_disabledImage, m_disabledRect)) {
        MarkSelfDirty();
    }
}

void ButtonWidget::MouseEnter() {
    Widget::MouseEnter();
    if (m_overAlphaFadeInSpeed == 0 && m_overAlpha > 0) {
        m_overAlpha = 0;
    }
    if (m_isDown || HaveButtonImage(m_overImage, m_overRect) ||
        GetColor(COLOR_LABEL_HILITE) != GetColor(COLOR_LABEL)) {
        MarkSelfDirty();
    }
    if (m_buttonListener != nullptr) {
        m_buttonListener->OnButtonEnter(m_id);
    }
}

void ButtonWidget::MouseLeave() {
    Widget::MouseLeave();
    if (m_overAlphaSpeed == 0 && m_overAlpha > 0) {
        m_overAlpha = 0;
    } else if (m_overAlphaSpeed > 0 && m_overAlpha == 0) {
        m_overAlpha = 1;  // fade the hover look out from full
    }
    if (m_isDown || HaveButtonImage(m_overImage, m_overRect) ||
        GetColor(COLOR_LABEL_HILITE) != GetColor(COLOR_LABEL)) {
        MarkSelfDirty();
    }
    if (m_buttonListener != nullptr) {
        m_buttonListener->OnButtonLeave(m_id);
    }
}

void ButtonWidget::MouseMove(int x, int y) {
    Widget::MouseMove(x, y);
    if (m_buttonListener != nullptr) {
        m_buttonListener->OnButtonMouseMove(m_id, x, y);
    }
}

void ButtonWidget::MouseDown(int x, int y, int button, int clickCount) {
    Widget::MouseDown(x, y, button, clickCount);
    if (m_buttonListener != nullptr) {
        m_buttonListener->OnButtonDown(m_id, clickCount);
    }
    MarkSelfDirty();
}

void ButtonWidget::MouseUp(int x, int y, int button, int clickCount) {
    Widget::MouseUp(x, y, button, clickCount);
    const bool focused = m_widgetManager == nullptr || m_widgetManager->HasApplicationFocus();
    if (m_isOver && focused && m_buttonListener != nullptr) {
        m_buttonListener->OnButtonClick(m_id);
    }
    MarkSelfDirty();
}

void ButtonWidget::Update() {
    Widget::Update();
    if (m_isDown && m_isOver && m_buttonListener != nullptr) {
        m_buttonListener->OnButtonHeld(m_id);
    }
    if (!m_isDown && !m_isOver && m_overAlpha > 0) {
        m_overAlpha = m_overAlphaSpeed > 0 ? std::max(0.0, m_overAlpha - m_overAlphaSpeed) : 0.0;
        MarkSelfDirty();
    } else if (m_isOver && m_overAlphaFadeInSpeed > 0 && m_overAlpha < 1) {
        m_overAlpha = std::min(1.0, m_overAlpha + m_overAlphaFadeInSpeed);
        MarkSelfDirty();
    }
}

// --- DialogButton ----------------------------------------------------------------

DialogButton::DialogButton(Image* componentImage, int id, ButtonListener* listener)
    : ButtonWidget(id, listener), m_componentImage(componentImage) {
    m_doFinger = true;
    SetColors(kDialogButtonColors, 6);
}

std::unique_ptr<Font> DialogButton::MakeDefaultFont() {
    return CreateSystemFont("Arial Unicode MS", 12, kFontBold);
}

void DialogButton::Draw(Graphics* g) {
    if (m_btnNoDraw) {
        return;
    }
    if (m_componentImage == nullptr) {
        ButtonWidget::Draw(g);
        return;
    }
    const bool pressed = IsButtonDown();
    const Rect area{0, 0, m_width, m_height};
    if (m_disabled && !Brisk::IsEmpty(m_disabledRect)) {
        g->DrawImageBox(m_disabledRect, area, m_componentImage);
    } else if (pressed && !Brisk::IsEmpty(m_downRect)) {
        g->DrawImageBox(m_downRect, area, m_componentImage);
    } else if (m_overAlpha > 0 && m_overAlpha <= 1 && !Brisk::IsEmpty(m_overRect)) {
        g->DrawImageBox(m_normalRect, area, m_componentImage);
        g->PushState();
        g->SetColorizeImages(true);
        g->SetColor(Color(255, 255, 255, static_cast<int>(m_overAlpha * 255)));
        g->DrawImageBox(m_overRect, area, m_componentImage);
        g->PopState();
    } else if ((m_isOver || m_isDown) && !Brisk::IsEmpty(m_overRect)) {
        g->DrawImageBox(m_overRect, area, m_componentImage);
    } else {
        g->DrawImageBox(m_normalRect, area, m_componentImage);
    }
    if (!m_label.empty()) {
        const Point label = LabelPosition();
        const Point offset = pressed ? m_translateOffset : m_textOffset;
        DrawLabel(g, label.x + offset.x, label.y + offset.y);
    }
}

}  // namespace Brisk
