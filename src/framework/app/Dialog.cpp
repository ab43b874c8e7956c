#include "framework/app/Dialog.h"

#include <algorithm>

#include "framework/app/BriskAppBase.h"
#include "framework/app/SystemFont.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/WidgetManager.h"

namespace Brisk {

namespace {

constexpr int kDialogColors[][3] = {
    {255, 255, 255},  // header
    {255, 255, 0},    // lines
    {255, 255, 255},  // footer
    {255, 255, 255},  // button label
    {255, 255, 255},  // button label when hovered
    {80, 80, 80},     // face
    {255, 255, 255},  // outline
};

constexpr int kDragMargin = 8;  // how far a dialog may be dragged past the edges

}  // namespace

Dialog::Dialog(Image* componentImage, Image* buttonComponentImage, int id, bool modal,
               const std::string& header, const std::string& lines, const std::string& footer,
               int buttonMode, DialogListener* listener)
    : m_componentImage(componentImage),
      m_buttonComponentImage(buttonComponentImage),
      m_header(header),
      m_lines(lines),
      m_footer(footer),
      m_buttonMode(buttonMode),
      m_dialogListener(listener),
      m_buttonHeight(buttonComponentImage != nullptr ? buttonComponentImage->GetHeight() : 24),
      m_id(id),
      m_isModal(modal) {
    m_hasTransparency = true;
    m_hasAlpha = true;
    m_priority = 1;
    SetColors(kDialogColors, 7);

    auto makeButton = [&](int buttonId, const std::string& label) {
        auto button = std::make_unique<DialogButton>(buttonComponentImage, buttonId, this);
        button->m_label = label;
        button->SetColor(ButtonWidget::COLOR_LABEL, GetColor(COLOR_BUTTON_TEXT));
        button->SetColor(ButtonWidget::COLOR_LABEL_HILITE, GetColor(COLOR_BUTTON_TEXT_HILITE));
        return button;
    };
    if (buttonMode == BUTTONS_YES_NO) {
        m_yesButton = makeButton(ID_YES, "YES");
        m_noButton = makeButton(ID_NO, "NO");
    } else if (buttonMode == BUTTONS_OK_CANCEL) {
        m_yesButton = makeButton(ID_OK, "OK");
        m_noButton = makeButton(ID_CANCEL, "CANCEL");
    } else if (buttonMode == BUTTONS_FOOTER) {
        m_yesButton = makeButton(ID_OK, footer);
    }
}

Dialog::~Dialog() {
    m_state->alive = false;
    // Leaving the tree here (not in ~Widget) takes the buttons out with it.
    if (m_parent != nullptr) {
        m_parent->RemoveWidget(this);
    }
}

Font* Dialog::GetHeaderFont() {
    if (m_headerFont == nullptr) {
        m_headerFont = CreateSystemFont("Arial Unicode MS", 12, kFontBold);
    }
    return m_headerFont.get();
}

Font* Dialog::GetLinesFont() {
    if (m_linesFont == nullptr) {
        m_linesFont = CreateSystemFont("Arial Unicode MS", 10, 0);
    }
    return m_linesFont.get();
}

void Dialog::SetButtonFont(Font* font) {
    for (DialogButton* button : {m_yesButton.get(), m_noButton.get()}) {
        if (button != nullptr) {
            button->SetFont(font);
        }
    }
}

void Dialog::SetHeaderFont(Font* font) {
    m_headerFont = font != nullptr ? font->Duplicate() : nullptr;
    MarkSelfDirty();
}

void Dialog::SetLinesFont(Font* font) {
    m_linesFont = font != nullptr ? font->Duplicate() : nullptr;
    MarkSelfDirty();
}

int Dialog::GetPreferredHeight(int width) {
    int height = m_contentInsets.top + m_contentInsets.bottom + m_backgroundInsets.top +
                 m_backgroundInsets.bottom;
    if (!m_header.empty()) {
        height += GetHeaderFont()->GetHeight() + m_spaceAfterHeader;
    }
    Font* linesFont = GetLinesFont();
    Graphics g;
    g.SetFont(linesFont);
    height += GetWordWrappedHeight(&g,
                                   width - m_contentInsets.left - m_contentInsets.right -
                                       m_backgroundInsets.left - m_backgroundInsets.right - 4,
                                   m_lines, linesFont->GetLineSpacing() + m_textSpacing);
    if (DrawsFooter()) {
        height += 8 + GetHeaderFont()->GetHeight();
    }
    if (HasButtons()) {
        height += 8 + m_buttonHeight + 8;
    }
    return height;
}

void Dialog::PlaceButtons() {
    if (m_yesButton == nullptr) {
        return;
    }
    const int left = m_x + m_backgroundInsets.left + m_contentInsets.left + m_buttonSidePadding;
    const int inner = m_width - m_backgroundInsets.left - m_backgroundInsets.right -
                      m_contentInsets.left - m_contentInsets.right - 2 * m_buttonSidePadding;
    const int top =
        m_y + m_height - m_backgroundInsets.bottom - m_contentInsets.bottom - m_buttonHeight;
    if (m_noButton != nullptr) {
        const int each = (inner - m_buttonHorzSpacing) / 2;
        m_yesButton->Resize(left, top, each, m_buttonHeight);
        m_noButton->Resize(left + each + m_buttonHorzSpacing, top, each, m_buttonHeight);
    } else {
        m_yesButton->Resize(left, top, inner, m_buttonHeight);
    }
}

void Dialog::Resize(int x, int y, int width, int height) {
    Widget::Resize(x, y, width, height);
    PlaceButtons();
}

void Dialog::Draw(Graphics* g) {
    const Insets& bg = m_backgroundInsets;
    if (m_componentImage != nullptr) {
        g->DrawImageBox(
            {bg.left, bg.top, m_width - bg.left - bg.right, m_height - bg.top - bg.bottom},
            m_componentImage);
    } else {
        g->SetColor(GetColor(COLOR_OUTLINE));
        g->DrawRect(12, 12, m_width - 25, m_height - 25);
        g->SetColor(GetColor(COLOR_BKG));
        g->FillRect(13, 13, m_width - 26, m_height - 26);
        g->SetColor(Color(0, 0, 0, 128));
        g->FillRect(m_width - 12, 24, 12, m_height - 36);
        g->FillRect(24, m_height - 12, m_width - 24, 12);
    }

    int y = bg.top + m_contentInsets.top;
    if (!m_header.empty()) {
        Font* font = GetHeaderFont();
        g->SetFont(font);
        g->SetColor(GetColor(COLOR_HEADER));
        WriteCenteredLine(g, y + font->GetAscent(), m_header);
        y += font->GetHeight() + m_spaceAfterHeader;
    }
    Font* linesFont = GetLinesFont();
    g->SetFont(linesFont);
    g->SetColor(GetColor(COLOR_LINES));
    const int left = bg.left + m_contentInsets.left + 2;
    const int width =
        m_width - m_contentInsets.left - m_contentInsets.right - bg.left - bg.right - 4;
    y += WriteWordWrapped(g, {left, y, width, 0}, m_lines,
                          linesFont->GetLineSpacing() + m_textSpacing, m_linesJustify);
    if (DrawsFooter()) {
        Font* font = GetHeaderFont();
        g->SetFont(font);
        g->SetColor(GetColor(COLOR_FOOTER));
        WriteCenteredLine(g, y + 8 + font->GetAscent(), m_footer);
    }
}

void Dialog::AddedToManager(WidgetManager* manager) {
    Widget::AddedToManager(manager);
    for (DialogButton* button : {m_yesButton.get(), m_noButton.get()}) {
        if (button != nullptr) {
            manager->AddWidget(button);
        }
    }
    OrderInManagerChanged();
}

void Dialog::RemovedFromManager(WidgetManager* manager) {
    Widget::RemovedFromManager(manager);
    m_dragging = false;
    for (DialogButton* button : {m_yesButton.get(), m_noButton.get()}) {
        if (button != nullptr) {
            manager->RemoveWidget(button);
        }
    }
}

void Dialog::OrderInManagerChanged() {
    if (m_widgetManager == nullptr) {
        return;
    }
    // The second button first, so that the first ends up directly above.
    for (DialogButton* button : {m_noButton.get(), m_yesButton.get()}) {
        if (button != nullptr) {
            m_widgetManager->PutInFront(button, this);
        }
    }
}

void Dialog::MouseDown(int x, int y, int button, int clickCount) {
    Widget::MouseDown(x, y, button, clickCount);
    if (button == 0 && clickCount == 1) {
        m_dragging = true;
        m_dragMouseX = x;
        m_dragMouseY = y;
        if (m_widgetManager != nullptr) {
            m_widgetManager->SetCursor(CursorNumber::Dragging);
        }
    }
}

void Dialog::MouseDrag(int x, int y) {
    if (!m_dragging || m_widgetManager == nullptr) {
        return;
    }
    const int managerWidth = m_widgetManager->m_width;
    const int managerHeight = m_widgetManager->m_height;
    // Where the grab point would take the dialog, kept on the screen but
    // for a margin.
    int newX = std::clamp(m_x + x - m_dragMouseX, -kDragMargin,
                          std::max(-kDragMargin, managerWidth + kDragMargin - m_width));
    int newY = std::clamp(m_y + y - m_dragMouseY, -kDragMargin,
                          std::max(-kDragMargin, managerHeight + kDragMargin - m_height));
    // The grab point follows the pointer inside the dialog's margins.
    m_dragMouseX =
        std::clamp(m_x + x - newX, kDragMargin, std::max(kDragMargin, m_width - kDragMargin - 1));
    m_dragMouseY =
        std::clamp(m_y + y - newY, kDragMargin, std::max(kDragMargin, m_height - kDragMargin - 1));
    Move(newX, newY);
}

void Dialog::MouseUp(int x, int y, int button, int clickCount) {
    Widget::MouseUp(x, y, button, clickCount);
    if (m_dragging) {
        m_dragging = false;
        if (m_widgetManager != nullptr) {
            m_widgetManager->SetCursor(CursorNumber::Arrow);
        }
    }
}

void Dialog::OnButtonDown(int id) {
    if (m_dialogListener != nullptr) {
        m_dialogListener->OnDialogButtonDown(m_id, id);
    }
}

void Dialog::OnButtonClick(int id) {
    m_state->result = id;
    if (m_dialogListener != nullptr) {
        m_dialogListener->OnDialogButtonClick(m_id, id);
    }
}

int Dialog::WaitForResult(bool autoKill) {
    BriskAppBase* app = BriskAppBase::Get();
    // The state outlives the dialog: a handler may kill and delete it
    // while the loop below runs.
    const std::shared_ptr<WaitState> state = m_state;
    const int id = m_id;
    if (app != nullptr) {
        bool updated = false;
        while (state->alive && m_widgetManager != nullptr && state->result == kNoResult &&
               app->UpdateAppStep(&updated)) {
        }
        if (autoKill && state->alive && app->GetDialog(id) == this) {
            app->KillDialog(id);
        }
    }
    return state->result == kNoResult ? 0 : state->result;
}

}  // namespace Brisk
