#pragma once

#include <memory>
#include <string>

#include "framework/graphics/Geometry.h"
#include "framework/widgets/Widget.h"

namespace Brisk {

class ButtonListener;
class Font;
class Image;

// A push button drawn from up to four state pictures (or cels of one
// picture), or bevelled from six colours when it has none. Reports presses,
// clicks, holds and hovering to its listener. Main thread only.
class ButtonWidget : public Widget {
public:
    // Colour rows of SetColors.
    enum ColorIndex {
        COLOR_LABEL = 0,
        COLOR_LABEL_HILITE = 1,
        COLOR_DARK_OUTLINE = 2,
        COLOR_LIGHT_OUTLINE = 3,
        COLOR_MEDIUM_OUTLINE = 4,
        COLOR_BKG = 5,
    };

    // `listener` (may be null) must outlive the button.
    ButtonWidget(int id, ButtonListener* listener);
    ~ButtonWidget() override;

    void Draw(Graphics* g) override;
    void SetDisabled(bool disabled) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y, int button, int clickCount) override;
    void MouseUp(int x, int y, int button, int clickCount) override;
    void Update() override;

    // Draws the cel `srcRect` of the button picture when the rectangle is
    // non-empty, else the whole of `image`.
    virtual void DrawButtonImage(Graphics* g, Image* image, const Rect& srcRect, int x, int y);
    // Keeps a copy of `font` (null: back to the default font).
    virtual void SetFont(Font* font);

    // A state can be drawn when it has its own picture or a cel rectangle.
    static bool HaveButtonImage(const Image* image, const Rect& rect) {
        return image != nullptr || !IsEmpty(rect);
    }
    // Whether the button is drawn pressed: held down, hovered and enabled
    // (the other way round when inverted).
    bool IsButtonDown() const;
    // The label font, made on first use.
    Font* GetFont();
    int GetId() const { return m_id; }

    std::string m_label;
    int m_labelJustify = 0;          // 0 centred, 1 right, -1 left
    Image* m_buttonImage = nullptr;  // not owned: the pictures outlive the button
    Image* m_overImage = nullptr;
    Image* m_downImage = nullptr;
    Image* m_disabledImage = nullptr;
    Rect m_normalRect;
    Rect m_overRect;
    Rect m_downRect;
    Rect m_disabledRect;
    bool m_inverted = false;
    bool m_btnNoDraw = false;
    bool m_frameNoDraw = false;
    double m_overAlpha = 0;             // 0..1
    double m_overAlphaSpeed = 0;        // fade-out step per update (0: at once)
    double m_overAlphaFadeInSpeed = 0;  // fade-in step per update (0: at once)

protected:
    // The font used when none was set: the default font at 10 points.
    virtual std::unique_ptr<Font> MakeDefaultFont();
    // Where the label starts: x by justification, y its baseline.
    Point LabelPosition();
    // The label in colour `colorIndex`: by default the hover colour while
    // hovered, else the plain one.
    void DrawLabel(Graphics* g, int x, int y, int colorIndex);
    void DrawLabel(Graphics* g, int x, int y) {
        DrawLabel(g, x, y, m_isOver ? COLOR_LABEL_HILITE : COLOR_LABEL);
    }

    int m_id;
    ButtonListener* m_buttonListener;  // not owned
    std::unique_ptr<Font> m_font;
};

// A button of a framework dialog: one component picture stretched over the
// button as a box, cut by the state's cel rectangle; white bold label that
// moves by (1, 1) while pressed; hand cursor on hover.
class DialogButton : public ButtonWidget {
public:
    DialogButton(Image* componentImage, int id, ButtonListener* listener);

    void Draw(Graphics* g) override;

    Image* m_componentImage;  // not owned; null draws as a plain button
    Point m_textOffset;       // label offset while not pressed
    Point m_translateOffset{1, 1};

protected:
    std::unique_ptr<Font> MakeDefaultFont() override;
};

}  // namespace Brisk
