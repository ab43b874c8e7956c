#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "controls/BaseVO_bridge.h"
#include "controls/ITextVO.h"
#include "controls/VisibleObject_impl.h"
#include "time/ITimeSystem.h"

namespace ControlLibrary {

class EditBoxVO_impl : public VisibleObject_impl, public TimeLibrary::TimeObjectMessageObserver {
public:
    // 20 x 20, white parts. Makes its caret timer (500 ms, looped, stopped)
    // when the factory has a time system.
    EditBoxVO_impl(Factory_impl* factory, int32_t id);
    // Destroys the caret timer and gives back pictures and font.
    ~EditBoxVO_impl() override;

    void Draw() override;
    // The common focus handling, then the caret and the edit receivers.
    void SetFocus(bool focus) override;
    void HandleChar(char ch) override;
    void HandleKeyDown(int32_t key) override;
    // The caret blinks on the timer thread.
    void OnTimeObjectTick(int32_t id) override;

    void AddEditObserver(IEditBoxMsgObserver* observer);
    void SetFont(IFont* font);
    void SetText(const std::string& text);
    void GetText(std::string& text);
    void SetTextOffset(int16_t x, int16_t y);
    void SetTextColour(const Colour& colour);
    void SetMaxLength(int16_t length);
    void SetFocusLook(bool on);
    void SetImages(const ThreePartPaths& normal, const ThreePartPaths& focused);
    void SetSourceRects(const Rect& left, const Rect& middle, const Rect& right);
    void SetBackgroundHidden(bool hidden);
    bool IsCaretVisible();
    bool IsCaretRunning();

private:
    void NotifyEdit(void (IEditBoxMsgObserver::*notification)(int32_t));

    // Guarded by the factory lock.
    std::string m_text;
    IFont* m_font = nullptr;  // counted
    Colour m_textColour;
    int32_t m_textX = 0;
    int32_t m_textY = 0;
    int16_t m_maxLength = -1;
    bool m_focusLook = false;
    std::array<int32_t, 3> m_normalImages{-1, -1, -1};
    std::array<int32_t, 3> m_focusedImages{-1, -1, -1};
    std::vector<IEditBoxMsgObserver*> m_editObservers;  // not owned
    std::array<Rect, 3> m_sourceRects{};
    TimeLibrary::ITimeObject* m_caretTimer = nullptr;  // owned by the time system
    bool m_caretVisible = false;                       // flipped on the timer thread
    bool m_backgroundHidden = false;
};

class EditBoxVO_bridge : public BaseVO_bridge<IEditBoxVO, EditBoxVO_impl> {
public:
    using BaseVO_bridge::BaseVO_bridge;
    void AddEditObserver(IEditBoxMsgObserver* observer) override {
        GetKind().AddEditObserver(observer);
    }
    void SetFont(IFont* font) override { GetKind().SetFont(font); }
    void SetText(const std::string& text) override { GetKind().SetText(text); }
    void GetText(std::string& text) override { GetKind().GetText(text); }
    void SetTextOffset(int16_t x, int16_t y) override { GetKind().SetTextOffset(x, y); }
    void SetTextColour(const Colour& colour) override { GetKind().SetTextColour(colour); }
    void SetMaxLength(int16_t length) override { GetKind().SetMaxLength(length); }
    void SetFocusLook(bool on) override { GetKind().SetFocusLook(on); }
    void SetImages(const ThreePartPaths& normal, const ThreePartPaths& focused) override {
        GetKind().SetImages(normal, focused);
    }
    void SetSourceRects(const Rect& left, const Rect& middle, const Rect& right) override {
        GetKind().SetSourceRects(left, middle, right);
    }
    void SetBackgroundHidden(bool hidden) override { GetKind().SetBackgroundHidden(hidden); }
};

class TextBoxVO_impl : public VisibleObject_impl {
public:
    TextBoxVO_impl(Factory_impl* factory, int32_t id);
    // Gives back the paragraphs' fonts.
    ~TextBoxVO_impl() override;

    void Draw() override;
    // The common step, then the lines are laid out again.
    void SetSize(const Size& size) override;
    void AddParagraph(const std::string& text, IFont* font, int32_t alignment,
                      const Colour& colour);
    void SetPage(uint16_t page);
    void Clear();
    void NextPage();
    bool PrevPage();
    bool HasNextPage();
    bool HasPrevPage();

    struct Line {
        std::string text;
        int32_t x = 0;          // from the box's left edge
        int32_t bottom = 0;     // from the top of all text
        IFont* font = nullptr;  // the paragraph's
        Colour colour;
    };
    // The laid-out lines (tests).
    std::vector<Line> GetLines();
    uint16_t GetPage();

private:
    struct Paragraph {
        std::string text;
        int32_t alignment = 0;
        IFont* font = nullptr;  // counted
        Colour colour;
    };
    void Layout();
    void LayoutParagraph(const Paragraph& paragraph);
    void AddLine(const Paragraph& paragraph, std::string text);
    // The index of the first line below the top of `page`, or -1.
    int FirstVisibleLine(uint32_t page) const;

    // Guarded by the factory lock.
    uint16_t m_page = 0;
    std::vector<Line> m_lines;
    std::vector<Paragraph> m_paragraphs;
};

class TextBoxVO_bridge : public BaseVO_bridge<ITextBoxVO, TextBoxVO_impl> {
public:
    using BaseVO_bridge::BaseVO_bridge;
    void AddParagraph(const std::string& text, IFont* font, int32_t alignment,
                      const Colour& colour) override {
        GetKind().AddParagraph(text, font, alignment, colour);
    }
    void SetPage(uint16_t page) override { GetKind().SetPage(page); }
    void Clear() override { GetKind().Clear(); }
    void NextPage() override { GetKind().NextPage(); }
    bool PrevPage() override { return GetKind().PrevPage(); }
    bool HasNextPage() override { return GetKind().HasNextPage(); }
    bool HasPrevPage() override { return GetKind().HasPrevPage(); }
};

}  // namespace ControlLibrary
