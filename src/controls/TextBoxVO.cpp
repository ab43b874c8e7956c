#include "controls/EditBoxVO.h"
#include "controls/Factory_impl.h"
#include "framework/graphics/Utf8.h"

namespace ControlLibrary {

TextBoxVO_impl::TextBoxVO_impl(Factory_impl* factory, int32_t id)
    : VisibleObject_impl(factory, id) {}

TextBoxVO_impl::~TextBoxVO_impl() {
    for (Paragraph& paragraph : m_paragraphs) {
        HoldCounted(paragraph.font, nullptr);
    }
}

void TextBoxVO_impl::SetSize(const Size& size) {
    auto lock = Lock();
    VisibleObject_impl::SetSize(size);
    Layout();
}

void TextBoxVO_impl::Layout() {
    m_lines.clear();
    for (const Paragraph& paragraph : m_paragraphs) {
        LayoutParagraph(paragraph);
    }
}

void TextBoxVO_impl::AddLine(const Paragraph& paragraph, std::string text) {
    const auto boxWidth = static_cast<uint16_t>(m_size.width);
    const auto width = static_cast<uint16_t>(paragraph.font->GetTextWidth(text));
    Line line;
    line.x = paragraph.alignment == 1   ? boxWidth / 2 - width / 2
             : paragraph.alignment == 2 ? boxWidth - width
                                        : 0;
    line.bottom = m_lines.empty() ? paragraph.font->GetHeight()
                                  : m_lines.back().bottom + m_lines.back().font->GetHeight();
    line.text = std::move(text);
    line.font = paragraph.font;
    line.colour = paragraph.colour;
    m_lines.push_back(std::move(line));
}

void TextBoxVO_impl::LayoutParagraph(const Paragraph& paragraph) {
    if (m_size.width == 0 || m_size.height == 0) {
        return;
    }
    const auto boxWidth = static_cast<uint16_t>(m_size.width);
    const std::string& text = paragraph.text;
    size_t start = 0;
    size_t lastSpace = std::string::npos;
    size_t i = 0;
    // Steps a whole character (a UTF-8 sequence) at a time, so a line never
    // ends inside one.
    const auto after = [&](size_t pos) { return pos + Brisk::DecodeTextChar(text, pos).length; };
    while (i < text.size()) {
        const char c = text[i];
        const size_t next = after(i);
        if (c == '\n' || next == text.size()) {
            AddLine(paragraph, text.substr(start, next - start));  // keeps the line feed
            start = next;
            lastSpace = std::string::npos;
            i = next;
        } else if (c == ' ') {
            lastSpace = i;
            i = next;
        } else if (paragraph.font->GetTextWidth(text.substr(start, next - start)) > boxWidth) {
            // The line ends before the last space, or before this character;
            // the next line starts there and scanning resumes right after it.
            const size_t end = lastSpace != std::string::npos ? lastSpace : i;
            AddLine(paragraph, text.substr(start, end - start));
            start = end;
            lastSpace = std::string::npos;
            i = after(start);
        } else {
            i = next;
        }
    }
}

void TextBoxVO_impl::AddParagraph(const std::string& text, IFont* font, int32_t alignment,
                                  const Colour& colour) {
    if (font == nullptr) {
        return;
    }
    auto lock = Lock();
    Paragraph paragraph;
    paragraph.text = text;
    paragraph.alignment = alignment;
    paragraph.colour = colour;
    HoldCounted(paragraph.font, font);
    m_paragraphs.push_back(paragraph);
    LayoutParagraph(m_paragraphs.back());
}

int TextBoxVO_impl::FirstVisibleLine(uint32_t page) const {
    const int64_t top = static_cast<int64_t>(page) * m_size.height;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].bottom > top) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void TextBoxVO_impl::Draw() {
    auto lock = Lock();
    const int first = FirstVisibleLine(m_page);
    if (first < 0) {
        return;
    }
    const Line& top = m_lines[static_cast<size_t>(first)];
    const int64_t pageEnd = (static_cast<int64_t>(m_page) + 1) * m_size.height;
    const int32_t topHeight = top.font->GetHeight();
    const Rect box = GetScreenRect();  // a word longer than a line stays inside
    for (size_t i = static_cast<size_t>(first); i < m_lines.size(); ++i) {
        const Line& line = m_lines[i];
        if (line.bottom > pageEnd) {
            break;
        }
        m_factory->DrawText(line.font, line.text,
                            {m_screenPosition.x + line.x,
                             m_screenPosition.y + topHeight + (line.bottom - top.bottom)},
                            line.colour, 0, 0, &box);
    }
}

void TextBoxVO_impl::SetPage(uint16_t page) {
    auto lock = Lock();
    m_page = page;
}

void TextBoxVO_impl::Clear() {
    auto lock = Lock();
    m_page = 0;
    m_lines.clear();
    for (Paragraph& paragraph : m_paragraphs) {
        HoldCounted(paragraph.font, nullptr);
    }
    m_paragraphs.clear();
}

void TextBoxVO_impl::NextPage() {
    auto lock = Lock();
    if (HasNextPage()) {
        ++m_page;
    }
}

bool TextBoxVO_impl::PrevPage() {
    auto lock = Lock();
    if (m_page == 0) {
        return false;
    }
    --m_page;
    return true;
}

bool TextBoxVO_impl::HasNextPage() {
    auto lock = Lock();
    return FirstVisibleLine(m_page + 1u) >= 0;
}

bool TextBoxVO_impl::HasPrevPage() {
    auto lock = Lock();
    return m_page != 0;
}

std::vector<TextBoxVO_impl::Line> TextBoxVO_impl::GetLines() {
    auto lock = Lock();
    return m_lines;
}

uint16_t TextBoxVO_impl::GetPage() {
    auto lock = Lock();
    return m_page;
}

}  // namespace ControlLibrary
