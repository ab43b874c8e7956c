// The drawing context: translation, clipping, outlines, nine-slice boxes and
// strings with colour escapes.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "support/Canvas.h"

using Brisk::Color;
using Brisk::Graphics;
using Brisk::MemoryImage;
using Brisk::Rect;
using TestSupport::Canvas;

namespace {

// The canvas as rows of characters: '.' for the background, '#' otherwise.
std::vector<std::string> Picture(MemoryImage& img, uint32_t background = 0xFF000000) {
    std::vector<std::string> rows;
    for (int y = 0; y < img.GetHeight(); ++y) {
        std::string row;
        for (int x = 0; x < img.GetWidth(); ++x) {
            row += img.GetBits()[y * img.GetWidth() + x] == background ? '.' : '#';
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(Graphics, DrawRectCoversTheOutlineOfAOneLargerBox) {
    MemoryImage img = Canvas(6, 5);
    Graphics g(&img);
    g.SetColor(Color::White);
    g.DrawRect(1, 1, 3, 2);
    EXPECT_EQ(Picture(img),
              (std::vector<std::string>{"......", ".####.", ".#..#.", ".####.", "......"}));
}

TEST(Graphics, DrawRectPartlyOutsideTheClipIsClipped) {
    MemoryImage img = Canvas(6, 5);
    Graphics g(&img);
    g.SetColor(Color::White);
    g.ClipRect(0, 0, 3, 5);
    g.DrawRect(1, 1, 3, 2);
    EXPECT_EQ(Picture(img),
              (std::vector<std::string>{"......", ".##...", ".#....", ".##...", "......"}));
}

TEST(Graphics, TranslationAndClipApplyToEveryCall) {
    MemoryImage img = Canvas(8, 4);
    MemoryImage white = Canvas(3, 3, 0xFFFFFFFF);
    Graphics g(&img);
    g.Translate(2, 1);
    g.ClipRect(0, 0, 4, 2);  // (2, 1)-(6, 3) on the canvas
    g.DrawImage(&white, -1, -1);
    g.SetColor(Color::White);
    g.FillRect(3, 0, 10, 10);
    EXPECT_EQ(Picture(img),
              (std::vector<std::string>{"........", "..##.#..", "..##.#..", "........"}));
}

TEST(Graphics, PushAndPopRestoreTheWholeState) {
    MemoryImage img = Canvas(4, 4);
    Graphics g(&img);
    g.SetColor(Color(1, 2, 3));
    g.PushState();
    g.Translate(5, 5);
    g.ClipRect(0, 0, 1, 1);
    g.SetColor(Color(9, 9, 9));
    g.PopState();
    g.PopState();  // nothing left: no effect
    EXPECT_EQ(g.GetColor(), Color(1, 2, 3));
    EXPECT_EQ(g.GetTransX(), 0.0f);
    EXPECT_EQ(g.GetClipRect(), (Rect{0, 0, 4, 4}));
}

TEST(Graphics, LinesAreClippedAlongTheirDirection) {
    MemoryImage img = Canvas(5, 5);
    Graphics g(&img);
    g.SetColor(Color::White);
    g.ClipRect(1, 1, 3, 3);
    g.DrawLine(-10, -10, 10, 10);
    g.DrawLine(0, 4, 4, 4);  // outside the clip entirely
    EXPECT_EQ(Picture(img),
              (std::vector<std::string>{".....", ".#...", "..#..", "...#.", "....."}));
}

TEST(Graphics, ScaledImagesAreStretched) {
    MemoryImage img = Canvas(6, 6);
    MemoryImage white = Canvas(2, 2, 0xFFFFFFFF);
    Graphics g(&img);
    g.SetScale(2, 2, 0, 0);
    g.SetFastStretch(true);
    g.DrawImage(&white, 1, 1);
    EXPECT_EQ(Picture(img), (std::vector<std::string>{"......", "......", "..####", "..####",
                                                      "..####", "..####"}));
}

TEST(Graphics, ImageBoxKeepsCornersAndRepeatsTheMiddle) {
    // A 6 x 6 source: 2-pixel corners with distinct colours, edges and centre.
    const uint32_t corner = 0xFFFF0000, edge = 0xFF00FF00, centre = 0xFF0000FF;
    std::vector<uint32_t> px(36);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool cx = x < 2 || x >= 4;
            const bool cy = y < 2 || y >= 4;
            px[static_cast<size_t>(y * 6 + x)] = cx && cy ? corner : (cx || cy ? edge : centre);
        }
    }
    MemoryImage box;
    box.SetBits(px.data(), 6, 6);
    MemoryImage img = Canvas(11, 7);
    Graphics g(&img);
    g.DrawImageBox({0, 0, 6, 6}, {0, 0, 11, 7}, &box);
    auto at = [&](int x, int y) { return img.GetBits()[y * 11 + x]; };
    EXPECT_EQ(at(0, 0), corner);
    EXPECT_EQ(at(10, 6), corner);
    EXPECT_EQ(at(9, 0), corner);
    EXPECT_EQ(at(5, 0), edge);
    EXPECT_EQ(at(8, 1), edge);  // top edge repeated up to the right corner
    EXPECT_EQ(at(0, 3), edge);
    EXPECT_EQ(at(5, 3), centre);
    EXPECT_EQ(at(8, 4), centre);  // centre repeated, clipped to the inner box
    EXPECT_EQ(at(8, 5), edge);    // bottom edge, clipped before the right corner
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 11; ++x) {
            ASSERT_NE(at(x, y), 0xFF000000u) << x << "," << y;  // no gaps
        }
    }
    // An empty source rectangle draws nothing.
    MemoryImage other = Canvas(4, 4);
    Graphics g2(&other);
    g2.DrawImageBox({0, 0, 0, 0}, {0, 0, 4, 4}, &box);
    EXPECT_EQ(Picture(other), std::vector<std::string>(4, "...."));
}

// Records each piece of text with the colour it was drawn in; 10 pixels a character.
class RecordingFont : public Brisk::Font {
public:
    int CharWidthKern(char32_t, char32_t) override { return 10; }
    void DrawString(Graphics*, int x, int, const std::string& text, const Color& color,
                    const Rect&) override {
        pieces.push_back(std::to_string(x) + ":" + text + ":" +
                         std::to_string(color.ToInt() & 0xFFFFFF));
    }
    std::vector<std::string> pieces;
};

TEST(Graphics, WriteStringSwitchesColoursOnEscapes) {
    MemoryImage img = Canvas(4, 4);
    Graphics g(&img);
    RecordingFont font;
    g.SetFont(&font);
    g.SetColor(Color(0, 0, 255));
    const int width = g.WriteString("^FF0000^red^oldclr^back^^x", 0, 0);
    EXPECT_EQ(font.pieces, (std::vector<std::string>{"0:red:16711680", "30:back^x:255"}));
    EXPECT_EQ(width, 90);
    EXPECT_EQ(g.GetColor(), Color(0, 0, 255));  // the call leaves the colour as it found it
}

TEST(Graphics, WriteStringJustifiesAndStopsAtAShortEscape) {
    MemoryImage img = Canvas(4, 4);
    Graphics g(&img);
    RecordingFont font;
    g.SetFont(&font);
    g.SetColor(Color(1, 1, 1));
    EXPECT_EQ(g.WriteString("ab", 0, 0, 100, 0), 20);  // centred in 100
    EXPECT_EQ(g.WriteString("ab", 0, 0, 100, 1), 20);  // right-aligned
    EXPECT_EQ(g.WriteString("ab^12", 0, 0), 20);       // "^12" is too short: the text ends
    g.SetWriteColoredString(false);
    EXPECT_EQ(g.WriteString("a^FF0000^", 0, 0), 90);  // escapes off: drawn as text
    EXPECT_EQ(font.pieces[0], "40:ab:65793");
    EXPECT_EQ(font.pieces[1], "80:ab:65793");
    EXPECT_EQ(font.pieces[2], "0:ab:65793");
    EXPECT_EQ(font.pieces[3], "0:a^FF0000^:65793");
    font.pieces.clear();
    EXPECT_EQ(g.WriteString("hello", 0, 0, 0, -1, false), 50);  // measuring draws nothing
    EXPECT_TRUE(font.pieces.empty());
}

}  // namespace
