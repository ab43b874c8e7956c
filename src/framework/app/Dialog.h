#pragma once

#include <climits>
#include <memory>
#include <string>

#include "framework/app/ButtonWidget.h"
#include "framework/widgets/ButtonListener.h"
#include "framework/widgets/Widget.h"

namespace Brisk {

class Font;
class Image;

// A message dialog: a box with a header, word-wrapped lines, a footer and
// up to two buttons, draggable by its body. The buttons are widgets of
// their own, kept just above the dialog in the manager, and report to it;
// the dialog reports to its listener (the application). Main thread only.
class Dialog : public Widget, public ButtonListener {
public:
    enum ButtonMode {
        BUTTONS_NONE = 0,
        BUTTONS_YES_NO = 1,
        BUTTONS_OK_CANCEL = 2,
        BUTTONS_FOOTER = 3,  // one button labelled with the footer text
    };
    enum ButtonId { ID_YES = 1000, ID_NO = 1001, ID_OK = 1000, ID_CANCEL = 1001 };
    enum ColorIndex {
        COLOR_HEADER = 0,
        COLOR_LINES = 1,
        COLOR_FOOTER = 2,
        COLOR_BUTTON_TEXT = 3,
        COLOR_BUTTON_TEXT_HILITE = 4,
        COLOR_BKG = 5,
        COLOR_OUTLINE = 6,
    };
    // The result while no button has been clicked.
    static constexpr int kNoResult = INT_MAX;

    // The pictures (may be null) and `listener` (may be null) must outlive
    // the dialog.
    Dialog(Image* componentImage, Image* buttonComponentImage, int id, bool modal,
           const std::string& header, const std::string& lines, const std::string& footer,
           int buttonMode, DialogListener* listener);
    ~Dialog() override;

    void Resize(int x, int y, int width, int height) override;
    void Draw(Graphics* g) override;
    void AddedToManager(WidgetManager* manager) override;
    void RemovedFromManager(WidgetManager* manager) override;
    void OrderInManagerChanged() override;
    void MouseDown(int x, int y, int button, int clickCount) override;
    void MouseDrag(int x, int y) override;
    void MouseUp(int x, int y, int button, int clickCount) override;

    using ButtonListener::OnButtonDown;
    void OnButtonDown(int id) override;
    void OnButtonClick(int id) override;

    // Copies of the fonts are kept.
    virtual void SetButtonFont(Font* font);
    virtual void SetHeaderFont(Font* font);
    virtual void SetLinesFont(Font* font);
    // The height that shows everything at `width`.
    virtual int GetPreferredHeight(int width);
    virtual bool IsModal() { return m_isModal; }
    // Runs the application's main loop until a button is clicked, the
    // dialog leaves the widget manager or the loop stops; with `autoKill`
    // the application then kills the dialog. Returns the result (0 when
    // the dialog went away without one). The dialog may be deleted during
    // the wait: nothing of it is touched afterwards.
    virtual int WaitForResult(bool autoKill);

    int GetId() const { return m_id; }
    int GetResult() const { return m_state->result; }
    void SetResult(int result) { m_state->result = result; }
    bool IsDragging() const { return m_dragging; }
    DialogButton* GetYesButton() const { return m_yesButton.get(); }
    DialogButton* GetNoButton() const { return m_noButton.get(); }
    Font* GetHeaderFont();
    Font* GetLinesFont();

    Image* m_componentImage;        // not owned
    Image* m_buttonComponentImage;  // not owned
    std::string m_header;
    std::string m_lines;
    std::string m_footer;
    int m_buttonMode;
    DialogListener* m_dialogListener;  // not owned
    int m_linesJustify = 0;
    int m_textSpacing = 0;  // extra line spacing of the lines
    Insets m_backgroundInsets;
    Insets m_contentInsets{24, 24, 24, 24};
    int m_spaceAfterHeader = 10;
    int m_buttonHorzSpacing = 8;
    int m_buttonSidePadding = 0;
    int m_buttonHeight;

private:
    // What outlives the dialog for a running WaitForResult.
    struct WaitState {
        int result = kNoResult;
        bool alive = true;
    };
    bool HasButtons() const { return m_buttonMode != BUTTONS_NONE; }
    bool DrawsFooter() const { return m_buttonMode != BUTTONS_FOOTER && !m_footer.empty(); }
    void PlaceButtons();

    int m_id;
    bool m_isModal;
    std::shared_ptr<WaitState> m_state = std::make_shared<WaitState>();
    std::unique_ptr<DialogButton> m_yesButton;
    std::unique_ptr<DialogButton> m_noButton;
    std::unique_ptr<Font> m_headerFont;
    std::unique_ptr<Font> m_linesFont;
    bool m_dragging = false;
    int m_dragMouseX = 0;
    int m_dragMouseY = 0;
};

}  // namespace Brisk
