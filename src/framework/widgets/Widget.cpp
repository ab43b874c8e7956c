#include "framework/widgets/Widget.h"

#include <string>

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/WidgetManager.h"

namespace Brisk {
namespace {
const Color kDefaultColor;
}  // namespace

Widget::~Widget() {
    if (m_parent != nullptr) {
        m_parent->RemoveWidget(this);
    }
}

void Widget::SetVisible(bool visible) {
    if (visible == m_visible) {
        return;
    }
    m_visible = visible;
    if (visible) {
        MarkSelfDirty();
    } else {
        MarkDirty();
    }
    if (m_widgetManager != nullptr) {
        m_widgetManager->RefreshHover();
    }
}

void Widget::SetColors(const int (*rgba)[4], int count) {
    m_colors.clear();
    for (int i = 0; i < count; ++i) {
        m_colors.emplace_back(rgba[i][0], rgba[i][1], rgba[i][2], rgba[i][3]);
    }
    MarkSelfDirty();
}

void Widget::SetColors(const int (*rgb)[3], int count) {
    m_colors.clear();
    for (int i = 0; i < count; ++i) {
        m_colors.emplace_back(rgb[i][0], rgb[i][1], rgb[i][2], 255);
    }
    MarkSelfDirty();
}

void Widget::SetColor(int index, const Color& color) {
    if (index < 0) {
        return;
    }
    if (static_cast<size_t>(index) >= m_colors.size()) {
        m_colors.resize(static_cast<size_t>(index) + 1, kDefaultColor);
    }
    m_colors[static_cast<size_t>(index)] = color;
    MarkSelfDirty();
}

const Color& Widget::GetColor(int index, const Color& fallback) {
    if (index < 0 || static_cast<size_t>(index) >= m_colors.size()) {
        return fallback;
    }
    return m_colors[static_cast<size_t>(index)];
}

const Color& Widget::GetColor(int index) {
    return GetColor(index, kDefaultColor);
}

void Widget::SetDisabled(bool disabled) {
    if (disabled == m_disabled) {
        return;
    }
    m_disabled = disabled;
    if (disabled && m_widgetManager != nullptr) {
        m_widgetManager->DisableWidget(this);
    }
    MarkSelfDirty();
    if (!disabled && m_widgetManager != nullptr &&
        Contains(m_widgetManager->m_lastMouseX - (GetAbsPos().x - m_x),
                 m_widgetManager->m_lastMouseY - (GetAbsPos().y - m_y))) {
        m_widgetManager->RefreshHover();
    }
}

void Widget::ShowHandCursor(bool on) {
    if (m_widgetManager != nullptr) {
        m_widgetManager->SetCursor(on ? CursorNumber::Hand : CursorNumber::Arrow);
    }
}

void Widget::Resize(int x, int y, int width, int height) {
    if (x == m_x && y == m_y && width == m_width && height == m_height) {
        return;
    }
    MarkDirty();  // the old area
    m_x = x;
    m_y = y;
    m_width = width;
    m_height = height;
    MarkSelfDirty();
    if (m_widgetManager != nullptr) {
        m_widgetManager->RefreshHover();
    }
}

void Widget::KeyDown(int key) {
    if (key != 9 || m_widgetManager == nullptr) {
        return;
    }
    Widget* next = m_widgetManager->IsKeyDown(16) ? m_tabPrev : m_tabNext;
    if (next != nullptr) {
        m_widgetManager->SetFocus(next);
    }
}

void Widget::MouseDown(int x, int y, int clickCount) {
    if (clickCount == 3) {
        MouseDown(x, y, 2, 1);
    } else if (clickCount < 0) {
        MouseDown(x, y, 1, -clickCount);
    } else {
        MouseDown(x, y, 0, clickCount);
    }
}

void Widget::MouseUp(int x, int y, int clickCount) {
    if (clickCount == 3) {
        MouseUp(x, y, 2, 1);
    } else if (clickCount < 0) {
        MouseUp(x, y, 1, -clickCount);
    } else {
        MouseUp(x, y, 0, clickCount);
    }
}

Rect Widget::WriteCenteredLine(Graphics* g, int y, const std::string& text, const Color& color,
                               const Color& shadowColor, const Point& shadowOffset) {
    Font* font = g->GetFont();
    if (font == nullptr) {
        return {};
    }
    const int width = font->StringWidth(text);
    const int x = (m_width - width) / 2;
    g->SetColor(shadowColor);
    g->DrawString(text, x + shadowOffset.x, y + shadowOffset.y);
    g->SetColor(color);
    g->DrawString(text, x, y);
    const int left = std::min(x, x + shadowOffset.x);
    const int top = std::min(y, y + shadowOffset.y) - font->GetAscent();
    return {left, top, width + std::abs(shadowOffset.x),
            font->GetHeight() + std::abs(shadowOffset.y)};
}

Rect Widget::WriteCenteredLine(Graphics* g, int y, const std::string& text) {
    Font* font = g->GetFont();
    if (font == nullptr) {
        return {};
    }
    const int width = font->StringWidth(text);
    const int x = (m_width - width) / 2;
    g->DrawString(text, x, y);
    return {x, y - font->GetAscent(), width, font->GetHeight()};
}

int Widget::WriteString(Graphics* g, const std::string& text, int x, int y, int width,
                        int justification, bool draw, int offset, int length) {
    return g->WriteString(text, x, y, width, justification, draw, offset, length);
}

int Widget::WriteWordWrapped(Graphics* g, const Rect& rect, const std::string& text,
                             int lineSpacing, int justification) {
    return g->WriteWordWrapped(rect, text, lineSpacing, justification, true);
}

int Widget::GetWordWrappedHeight(Graphics* g, int width, const std::string& text, int lineSpacing) {
    return g->WriteWordWrapped({0, 0, width, 0}, text, lineSpacing, -1, false);
}

int Widget::GetNumDigits(int number) {
    int digits = 1;
    long long n = number < 0 ? -static_cast<long long>(number) : number;
    while (n >= 10) {
        n /= 10;
        ++digits;
    }
    return digits;
}

void Widget::WriteNumberFromStrip(Graphics* g, int number, int x, int y, Image* strip,
                                  int spacing) {
    if (strip == nullptr) {
        return;
    }
    const int cell = strip->GetWidth() / 10;
    const std::string digits =
        std::to_string(number < 0 ? -static_cast<long long>(number) : number);
    for (char d : digits) {
        g->DrawImage(strip, x, y, {(d - '0') * cell, 0, cell, strip->GetHeight()});
        x += cell + spacing;
    }
}

Rect Widget::GetInsetRect() {
    return {m_x + m_insets.left, m_y + m_insets.top, m_width - m_insets.left - m_insets.right,
            m_height - m_insets.top - m_insets.bottom};
}

}  // namespace Brisk
