// Font descriptors and image fonts: the command language, layers, scaling,
// kerning, orders and the glyph queue.

#include <gtest/gtest.h>

#include "support/TempDir.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/ImageFont.h"

using Brisk::Color;
using Brisk::ImageFont;
using Brisk::MemoryImage;
using Brisk::Rect;
namespace fs = std::filesystem;

namespace {

// Serves glyph images by path and keeps the reported errors.
class TestHost : public Brisk::FontHost {
public:
    Brisk::FontImage LoadImage(const std::string& path) override {
        ++loads;
        const auto it = images.find(path);
        if (it == images.end()) {
            return {};
        }
        return {it->second.get(), nullptr, true};
    }
    // With `later`, sheets wait for their first draw; `sizes` overrides the
    // size the header would give.
    bool SizeForLater(const std::string& path, int* width, int* height) override {
        const auto it = images.find(path);
        if (!later || it == images.end()) {
            return false;
        }
        const auto size = sizes.find(path);
        *width = size != sizes.end() ? size->second.width : it->second->GetWidth();
        *height = size != sizes.end() ? size->second.height : it->second->GetHeight();
        return true;
    }

    bool later = false;
    int loads = 0;
    std::map<std::string, Rect> sizes;
    void ReportError(const std::string& text) override { errors.push_back(text); }

    std::map<std::string, std::shared_ptr<MemoryImage>> images;
    std::vector<std::string> errors;
};

// A 40 x 10 glyph strip: four 10 x 10 white cells with alpha 255.
std::shared_ptr<MemoryImage> Strip() {
    auto img = std::make_shared<MemoryImage>();
    std::vector<uint32_t> px(400, 0xFFFFFFFF);
    img->SetBits(px.data(), 40, 10);
    return img;
}

class FontTest : public TestSupport::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        fs::create_directories("fonts");
        host.images["fonts/strip.png"] = Strip();
    }
    std::unique_ptr<ImageFont> Load(const std::string& text) {
        std::ofstream("fonts/test.txt", std::ios::binary) << text;
        return std::make_unique<ImageFont>(&host, "fonts/test.txt");
    }
    // The message part of the last error (after the line header).
    std::string LastError() const { return host.errors.empty() ? "" : host.errors.back(); }

    TestHost host;
};

const char kBasic[] =
    "# a comment line\n"
    "SetDefaultPointSize 16;\n"
    "CreateLayer Main;   # a comment after a command\n"
    "LayerSetImage Main 'strip.png'; LayerSetAscent Main 8;\n"
    "LayerSetImageMap Main ('a', 'b', 'c', 'd')\n"
    "    ((0,0,10,10), (10,0,10,10), (20,0,10,10), (30,0,10,10));\n"
    "LayerSetCharWidths Main (a, b, c, d) (10, 12, 10, 10);\n"
    "LayerSetPointSize Main 16\n";  // the last command needs no ";"

TEST_F(FontTest, CommentsMultiLineCommandsAndTwoCommandsOnALine) {
    auto font = Load(kBasic);
    ASSERT_TRUE(font->IsLoaded()) << LastError();
    EXPECT_EQ(font->GetPointSize(), 16);
    EXPECT_EQ(font->GetAscent(), 8);
    EXPECT_EQ(font->GetHeight(), 10);  // computed from the image map
    EXPECT_EQ(font->StringWidth("ab"), 22);
    EXPECT_EQ(font->CharWidth('z'), 0);
}

TEST_F(FontTest, HashInsideACommandIsText) {
    auto font = Load(std::string(kBasic) + "; Define tag #bold;\nDefine list (1, 2);\n");
    ASSERT_TRUE(font->IsLoaded()) << LastError();
    EXPECT_EQ(font->GetDefine("tag"), "#bold");
    EXPECT_EQ(font->GetDefine("list"), "(1, 2)");
    EXPECT_EQ(font->GetDefine("missing"), "");
}

// A comment line inside a command that goes on over several lines is still a
// comment: its words are no parameters and its apostrophe opens no quote.
TEST_F(FontTest, CommentLinesInsideAMultiLineCommand) {
    auto font = Load(std::string(kBasic) +
                     ";LayerSetCharWidths Main\n"
                     "    # the widths of a and b, don't change them\n"
                     "    (a, b)\n"
                     "  # and their values\n"
                     "    (11, 13);\n");
    ASSERT_TRUE(font->IsLoaded()) << LastError();
    EXPECT_EQ(font->StringWidth("ab"), 24);
}

// A defined name stands for its value wherever one is expected: layer
// names, image file names, tags, character lists, kerning pairs.
TEST_F(FontTest, DefinesStandForTextParametersToo) {
    auto font = Load(
        "Define L Main; Define Pic 'strip.png'; Define Chars (a, b); Define Pairs (ab);"
        "Define Tag bold; Define A a;"
        "SetDefaultPointSize 16; CreateLayer L; LayerSetImage L Pic;"
        "LayerSetImageMap Main Chars ((0,0,10,10), (10,0,10,10));"
        "LayerSetCharWidths L (A, b) (10, 12);"
        "LayerSetKerningPairs L Pairs (-2);"
        "LayerRequireTags L (Tag);");
    ASSERT_TRUE(font->IsLoaded()) << LastError();
    EXPECT_EQ(font->StringWidth("ab"), 0);  // the layer needs the tag "bold"
    font->AddTag("bold");
    EXPECT_EQ(font->StringWidth("ab"), 10 + 12 - 2);
}

// A layer drawn for point size 1 at the descriptor's default of 1000 would
// need a sheet of gigabytes: the load fails with a clear report instead of
// ending the program.
TEST_F(FontTest, AScaledLayerTooLargeToDrawFailsTheLoadClearly) {
    auto font = Load(std::string(kBasic) + ";SetDefaultPointSize 1000; LayerSetPointSize Main 1;");
    EXPECT_FALSE(font->IsLoaded());
    EXPECT_NE(LastError().find("too large"), std::string::npos) << LastError();
    EXPECT_EQ(font->StringWidth("ab"), 0);
}

// A descriptor that is not there is the caller's business: no report.
TEST_F(FontTest, AMissingDescriptorFailsWithoutAReport) {
    ImageFont font(&host, "fonts/none.txt");
    EXPECT_FALSE(font.IsLoaded());
    EXPECT_TRUE(host.errors.empty());
}

TEST_F(FontTest, KerningIsStoredAsSignedEightBits) {
    auto font = Load(std::string(kBasic) +
                     ";LayerSetKerningPairs Main (ab, ba) (200, -3); LayerSetSpacing Main 1;");
    ASSERT_TRUE(font->IsLoaded()) << LastError();
    // a then b: width of b 12 + kerning(a, b) -56 + spacing 1.
    EXPECT_EQ(font->CharWidthKern('b', 'a'), 12 - 56 + 1);
    EXPECT_EQ(font->CharWidthKern('a', 'b'), 10 - 3 + 1);
}

struct ErrorCase {
    const char* name;
    const char* text;
    const char* message;
};

class FontErrorTest : public FontTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(FontErrorTest, FailingCommandsStopTheLoadWithTheirMessage) {
    auto font = Load(GetParam().text);
    EXPECT_FALSE(font->IsLoaded());
    ASSERT_FALSE(host.errors.empty());
    EXPECT_NE(LastError().find(GetParam().message), std::string::npos) << LastError();
    EXPECT_EQ(LastError().rfind("Font Descriptor Error in fonts/test.txt\r\n", 0), 0u)
        << LastError();
    EXPECT_EQ(font->StringWidth("abc"), 0);  // a font that is not loaded measures 0
}

INSTANTIATE_TEST_SUITE_P(
    Errors, FontErrorTest,
    ::testing::Values(
        ErrorCase{"MapBeforeImage", "CreateLayer L;\nLayerSetImageMap L (a) ((0,0,1,1));",
                  "Layer image not set on Line 2:\r\n\r\nLayerSetImageMap L (a) ((0,0,1,1))"},
        ErrorCase{
            "RectOutside",
            "CreateLayer L; LayerSetImage L strip.png; LayerSetImageMap L (a) ((35,0,10,10));",
            "Image rectangle out of bounds"},
        ErrorCase{"UnknownCommand", "Frobnicate 1;", "Unknown Command"},
        ErrorCase{"WrongCount", "CreateLayer;", "Invalid Number of Parameters"},
        ErrorCase{"NoLayer", "LayerSetAscent Nope 3;", "Undefined Layer"},
        ErrorCase{"Dereference", "CreateLayer L; LayerSetCharWidths L nothing (1);",
                  "Unable to Dereference \"nothing\""},
        ErrorCase{"Mismatch", "CreateLayer L; LayerSetCharWidths L (a, b) (1);",
                  "List Size Mismatch"},
        ErrorCase{"BadType", "SetDefaultPointSize big;", "Invalid Paramater Type"},
        ErrorCase{"BadDrawMode", "CreateLayer L; LayerSetDrawMode L 2;", "Invalid Paramater Type"},
        ErrorCase{"Twice", "CreateLayer L; CreateLayer L;", "Layer Already Exists"},
        ErrorCase{"Quotes", "Define x 'open;", "Unterminated Single Quotes"},
        ErrorCase{"DoubleQuotes", "Define x \"open;", "Unterminated Double Quotes"},
        ErrorCase{"ListEnd", "Define x a);", "Unexpected List End"},
        ErrorCase{"ListStart", "Define x a(b);", "Unexpected List Start"},
        ErrorCase{"OpenList", "Define x (a;", "Unterminated List"},
        ErrorCase{"MissingCommand", "(a b);", "Missing Command"},
        ErrorCase{"MissingImage", "CreateLayer L; LayerSetImage L none.png;",
                  "Failed to Load Image"},
        ErrorCase{"TwoCharactersInOneElement",
                  "CreateLayer L; LayerSetCharWidths L ('\xC3\xA9\xE2\x82\xAC') (1);",
                  "Invalid Paramater Type"},
        ErrorCase{"ThreeCharactersInAPair",
                  "CreateLayer L; LayerSetKerningPairs L ('a\xC3\xA9"
                  "b') (1);",
                  "Invalid Paramater Type"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FontTest, PointRangesAndTagsChooseTheActiveLayers) {
    auto font = Load(
        std::string(kBasic) +
        ";CreateLayerFrom Mid Main; LayerPointRange Mid 12 16; LayerSetPointSize Mid 0;"
        "CreateLayerFrom Bold Main; LayerRequireTags Bold (bold); LayerSetPointSize Bold 0;"
        "CreateLayerFrom Plain Main; LayerExcludeTags Plain (Bold); LayerSetPointSize Plain 0;");
    ASSERT_TRUE(font->IsLoaded()) << LastError();
    auto names = [&] {
        font->EnsurePrepared();
        std::vector<std::string> v;
        for (const auto& a : font->GetActiveLayers()) {
            v.push_back(a->base->name);
        }
        return v;
    };
    EXPECT_EQ(names(), (std::vector<std::string>{"Main", "Mid", "Plain"}));
    font->SetPointSize(17);
    EXPECT_EQ(names(), (std::vector<std::string>{"Main", "Plain"}));
    font->SetPointSize(12);
    EXPECT_TRUE(font->AddTag("bold"));
    EXPECT_FALSE(font->AddTag("BOLD"));
    EXPECT_EQ(names(), (std::vector<std::string>{"Main", "Mid", "Bold"}));
    EXPECT_TRUE(font->RemoveTag("bold"));
    EXPECT_FALSE(font->RemoveTag("bold"));
    EXPECT_EQ(names(), (std::vector<std::string>{"Main", "Mid", "Plain"}));
}

TEST_F(FontTest, PointSizeFourteenOnASixteenPointLayerScalesBySevenEighths) {
    auto font = Load(kBasic);
    ASSERT_TRUE(font->IsLoaded());
    font->SetPointSize(14);
    EXPECT_EQ(font->CharWidth('b'), 10);  // trunc(12 x 0.875)
    EXPECT_EQ(font->GetAscent(), 7);      // trunc(8 x 0.875)
    ASSERT_EQ(font->GetActiveLayers().size(), 1u);
    const auto& layer = *font->GetActiveLayers()[0];
    EXPECT_DOUBLE_EQ(layer.factor, 0.875);
    ASSERT_NE(layer.scaledImage, nullptr);
    EXPECT_EQ(layer.rects['b'], (Rect{8, 0, 8, 8}));  // cells of trunc(0.875 x 10)
    std::vector<Rect> rects;
    int width = 0;
    MemoryImage canvas;
    canvas.Create(100, 20);
    Brisk::Graphics g(&canvas);
    font->DrawStringEx(&g, 5, 10, "ab", Color::White, canvas.GetRect(), &rects, &width);
    EXPECT_EQ(width, 8 + 10);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[1], (Rect{13, 3, 8, 8}));  // pen 5 + 8, baseline 10 - 7
}

TEST_F(FontTest, GlyphsAreDrawnInOrderWithTheLayerColour) {
    auto font = Load(std::string(kBasic) +
                     ";LayerSetColorMult Main (1, 0, 0, 1); LayerSetColorAdd Main (0, 0, 0.2, 0);"
                     "CreateLayerFrom Shadow Main; LayerSetOffset Shadow (1, 0);"
                     "LayerSetColorMult Shadow (0, 0, 0, 1); LayerSetColorAdd Shadow (0, 0, 0, 0);"
                     "LayerSetBaseOrder Shadow -1;");
    ASSERT_TRUE(font->IsLoaded()) << LastError();
    MemoryImage canvas;
    std::vector<uint32_t> bg(30 * 12, 0xFF808080);
    canvas.SetBits(bg.data(), 30, 12);
    Brisk::Graphics g(&canvas);
    g.Translate(1, 0);
    g.SetColor(Color(0, 255, 0));
    g.SetFont(font.get());
    g.DrawString("a", 0, 9);
    // Shadow (order -1) first at x 2..11, then the red main layer at x 1..10.
    const uint32_t* px = canvas.GetBits();
    // Main: multiplier (1, 0, 0) x green gives black, plus 0.2 x 255 blue; the
    // tinted blit of a white glyph gives (255 x 51) >> 8 = 50.
    EXPECT_EQ(px[5 * 30 + 1], 0xFF000032u);
    EXPECT_EQ(px[5 * 30 + 11], 0xFF000000u);  // shadow only
    EXPECT_EQ(px[5 * 30 + 0], 0xFF808080u);
    EXPECT_EQ(g.GetColor(), Color(0, 255, 0));  // restored
    EXPECT_FALSE(g.GetColorizeImages());
}

TEST_F(FontTest, AtMost4096GlyphsAreQueuedPerDraw) {
    auto font = Load(std::string(kBasic) + ";CreateLayerFrom B Main; CreateLayerFrom C Main;");
    ASSERT_TRUE(font->IsLoaded());
    MemoryImage canvas;
    canvas.Create(64, 16);
    Brisk::Graphics g(&canvas);
    std::vector<Rect> rects;
    font->DrawStringEx(&g, 0, 10, std::string(2000, 'a'), Color::White, canvas.GetRect(), &rects,
                       nullptr);
    EXPECT_EQ(rects.size(), 4096u);
}

// A 40 x 10 strip whose every pixel differs, to tell glyph pixels apart.
std::shared_ptr<MemoryImage> PatternStrip() {
    auto img = std::make_shared<MemoryImage>();
    std::vector<uint32_t> px(400);
    for (size_t i = 0; i < px.size(); ++i) {
        px[i] = 0x80000000u | static_cast<uint32_t>(i * 2654435761u & 0x7FFFFFFF);
    }
    img->SetBits(px.data(), 40, 10);
    return img;
}

// A main sheet and an outline sheet, drawn at a point size.
const char kTwoSheets[] =
    "SetDefaultPointSize 16;"
    "CreateLayer Main; LayerSetImage Main 'strip.png'; LayerSetAscent Main 8;"
    "LayerSetImageMap Main ('a', 'b') ((0,0,10,10), (10,0,10,10));"
    "LayerSetCharWidths Main (a, b) (10, 12); LayerSetPointSize Main 16;"
    "CreateLayerFrom Outline Main; LayerSetImage Outline 'outline.png';"
    "LayerSetOffset Outline (1, 1); LayerSetBaseOrder Outline -1;";

class FontSheetTest : public FontTest, public ::testing::WithParamInterface<int> {
protected:
    // Draws "ab" and "ba" at the case's point size, returning the pixels.
    static std::vector<uint32_t> Draw(ImageFont* font) {
        MemoryImage canvas;
        std::vector<uint32_t> bg(60 * 24, 0xFF204060);
        canvas.SetBits(bg.data(), 60, 24);
        Brisk::Graphics g(&canvas);
        font->DrawString(&g, 2, 10, "ab", Color(200, 100, 50), canvas.GetRect());
        font->DrawString(&g, 20, 20, "ba", Color::White, canvas.GetRect());
        const uint32_t* px = canvas.GetBits();
        return {px, px + 60 * 24};
    }
    static void Serve(TestHost* h) {
        h->images["fonts/strip.png"] = PatternStrip();
        h->images["fonts/outline.png"] = PatternStrip();
        h->images["fonts/outline.png"]->GetBits()[5] = 0xFF00FF00u;
        h->images["fonts/outline.png"]->BitsChanged();
    }
};

// A host that decodes later gets a font whose sheets are decoded on its first
// drawn glyph, not by loading or measuring, and drawn exactly as when loaded
// at once.
TEST_P(FontSheetTest, SheetsAreDecodedOnTheFirstDrawnGlyphWithTheSamePixels) {
    TestHost eagerHost;
    Serve(&eagerHost);
    Serve(&host);
    host.later = true;
    std::ofstream("fonts/test.txt", std::ios::binary) << kTwoSheets;
    ImageFont eager(&eagerHost, "fonts/test.txt");
    ImageFont lazy(&host, "fonts/test.txt");
    ASSERT_TRUE(eager.IsLoaded()) << eagerHost.errors.size();
    ASSERT_TRUE(lazy.IsLoaded()) << LastError();
    eager.SetPointSize(GetParam());
    lazy.SetPointSize(GetParam());
    EXPECT_EQ(eagerHost.loads, 2);

    EXPECT_EQ(lazy.CharWidth('b'), eager.CharWidth('b'));
    EXPECT_EQ(lazy.GetHeight(), eager.GetHeight());
    EXPECT_TRUE(lazy.HasGlyph('a'));
    MemoryImage canvas;
    canvas.Create(8, 8);
    Brisk::Graphics g(&canvas);
    lazy.DrawString(&g, 0, 0, "", Color::White, canvas.GetRect());
    EXPECT_EQ(host.loads, 0) << "measuring or drawing nothing decoded a sheet";

    const std::vector<uint32_t> expected = Draw(&eager);
    EXPECT_EQ(Draw(&lazy), expected);
    EXPECT_EQ(host.loads, 2);  // the main and the outline sheet, once each
    auto copy = lazy.Duplicate();
    EXPECT_EQ(Draw(static_cast<ImageFont*>(copy.get())), expected);
    EXPECT_EQ(host.loads, 2);  // copies share the decoded sheets
    EXPECT_TRUE(host.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(PointSizes, FontSheetTest, ::testing::Values(16, 14));

// A sheet that turns out not to be the picture its header described is
// reported once and draws nothing; the font still measures.
TEST_F(FontTest, ASheetThatFailsOnItsFirstDrawIsReportedAndDrawsNothing) {
    host.later = true;
    host.sizes["fonts/strip.png"] = {0, 0, 40, 20};
    auto font = Load(kBasic);
    ASSERT_TRUE(font->IsLoaded()) << LastError();
    MemoryImage canvas;
    std::vector<uint32_t> bg(30 * 12, 0xFF808080);
    canvas.SetBits(bg.data(), 30, 12);
    Brisk::Graphics g(&canvas);
    font->DrawString(&g, 0, 9, "ab", Color::White, canvas.GetRect());
    font->DrawString(&g, 0, 9, "ab", Color::White, canvas.GetRect());
    EXPECT_EQ(std::vector<uint32_t>(canvas.GetBits(), canvas.GetBits() + 30 * 12), bg);
    EXPECT_EQ(host.errors, (std::vector<std::string>{"Failed to Load Image \"fonts/strip.png\""}));
    EXPECT_EQ(font->CharWidth('b'), 12);
}

struct OrderCase {
    int topOrder;
    uint32_t shown;  // the colour left at a covered pixel
};

class FontOrderTest : public FontTest, public ::testing::WithParamInterface<OrderCase> {};

// Main (red) has order 127 for 'a'; the later layer Top (blue) has another
// order. Out-of-range orders are clamped into -128..127; equal orders draw
// in queuing order, so Top comes last at 127 and first at -128.
TEST_P(FontOrderTest, OrdersOutsideTheRangeAreClamped) {
    auto font = Load(std::string(kBasic) +
                     ";LayerSetColorMult Main (1, 0, 0, 1); LayerSetCharOrders Main (a) (127);"
                     "CreateLayerFrom Top Main; LayerSetColorMult Top (0, 0, 1, 1);"
                     "LayerSetCharOrders Top (a) (" +
                     std::to_string(GetParam().topOrder) + ");");
    ASSERT_TRUE(font->IsLoaded()) << LastError();
    MemoryImage canvas;
    std::vector<uint32_t> bg(20 * 12, 0xFF000000);
    canvas.SetBits(bg.data(), 20, 12);
    Brisk::Graphics g(&canvas);
    g.SetFont(font.get());
    g.SetColor(Color::White);
    g.DrawString("a", 0, 9);
    EXPECT_EQ(canvas.GetBits()[5 * 20 + 3], GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Orders, FontOrderTest,
                         // A tinted white glyph comes out at (255 x 255) >> 8 = 254.
                         ::testing::Values(OrderCase{200, 0xFF0000FEu}, OrderCase{127, 0xFF0000FEu},
                                           OrderCase{-200, 0xFFFE0000u},
                                           OrderCase{126, 0xFFFE0000u}));

TEST_F(FontTest, DuplicatesShareTheDataAndALoadedDataCannotLoadAgain) {
    auto font = Load(kBasic);
    auto copy = font->Duplicate();
    EXPECT_EQ(copy->StringWidth("ab"), 22);
    Brisk::FontData data(&host);
    EXPECT_TRUE(data.Load("fonts/test.txt"));
    EXPECT_FALSE(data.Load("fonts/test.txt"));
}

TEST(DescParserTokens, QuotesListsAndEscapes) {
    Brisk::DataElement e;
    std::string error;
    ASSERT_TRUE(Brisk::DescParser::Tokenize("Cmd 'a b' (1, (2 3)) x\\,y \"q\"\"q\"", &e, &error));
    ASSERT_EQ(e.list.size(), 5u);
    EXPECT_EQ(e.list[1].text, "'a b'");
    EXPECT_EQ(Brisk::DescParser::Unquote(e.list[1].text), "a b");
    EXPECT_TRUE(e.list[2].isList);
    EXPECT_EQ(e.list[2].ToString(), "(1, (2, 3))");
    EXPECT_EQ(e.list[3].text, "x,y");
    EXPECT_EQ(Brisk::DescParser::Unquote(e.list[4].text), "q\"q");
}

}  // namespace

// Glyphs named in UTF-8: "é" in cell 1, "€" in cell 2, "Ł" in cell 3.
const char kAccented[] =
    "CreateLayer Main; LayerSetImage Main 'strip.png'; LayerSetAscent Main 8;\n"
    "LayerSetImageMap Main ('a', '\xC3\xA9', '\xE2\x82\xAC', '\xC5\x81')\n"
    "    ((0,0,10,10), (10,0,10,10), (20,0,10,10), (30,0,10,10));\n"
    "LayerSetCharWidths Main ('a', '\xC3\xA9', '\xE2\x82\xAC', '\xC5\x81') (10, 12, 14, 9);\n"
    "LayerSetKerningPairs Main ('a\xC3\xA9', '\xC3\xA9\xE2\x82\xAC') (-2, -3);\n";

struct WidthCase {
    const char* name;
    std::string text;
    int width;
    size_t glyphs;  // rectangles drawn
};

class FontCharacterTest : public FontTest, public ::testing::WithParamInterface<WidthCase> {};

TEST_P(FontCharacterTest, MeasuresAndDrawsEachCharacterOnce) {
    auto font = Load(kAccented);
    ASSERT_TRUE(font->IsLoaded()) << LastError();
    const WidthCase& c = GetParam();
    EXPECT_EQ(font->StringWidth(c.text), c.width);
    MemoryImage canvas;
    canvas.Create(64, 16);
    Brisk::Graphics g(&canvas);
    std::vector<Rect> rects;
    int drawn = -1;
    font->DrawStringEx(&g, 0, 10, c.text, Color::White, canvas.GetRect(), &rects, &drawn);
    EXPECT_EQ(drawn, c.width);
    EXPECT_EQ(rects.size(), c.glyphs);
}

INSTANTIATE_TEST_SUITE_P(Texts, FontCharacterTest,
                         ::testing::Values(WidthCase{"TwoByteLetter", "\xC3\xA9", 12, 1},
                                           WidthCase{"Latin1ByteOfTheSameLetter", "\xE9", 12, 1},
                                           WidthCase{"ThreeByteEuro", "\xE2\x82\xAC", 14, 1},
                                           WidthCase{"Windows1252ByteOfTheEuro", "\x80", 14, 1},
                                           WidthCase{"ExtendedALetter", "\xC5\x81", 9, 1},
                                           WidthCase{"KernedAfterAscii", "a\xC3\xA9", 10 + 12 - 2,
                                                     2},
                                           WidthCase{"KernedBetweenTwoWideCharacters",
                                                     "\xC3\xA9\xE2\x82\xAC", 12 + 14 - 3, 2},
                                           // A cut-off sequence is its lead byte's character (Ã,
                                           // which this font lacks); the text goes on after it.
                                           WidthCase{"TruncatedSequenceThenAscii",
                                                     "\xC3"
                                                     "a",
                                                     10, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FontTest, ANonAsciiLetterIsDrawnAsOneGlyph) {
    auto font = Load(kAccented);
    ASSERT_TRUE(font->IsLoaded()) << LastError();
    EXPECT_TRUE(font->HasGlyph(0xE9));
    EXPECT_TRUE(font->HasGlyph(0x141));
    EXPECT_FALSE(font->HasGlyph(0xC3));
    EXPECT_FALSE(font->HasGlyph(0x142));
    MemoryImage canvas;
    std::vector<uint32_t> bg(30 * 12, 0xFF808080);
    canvas.SetBits(bg.data(), 30, 12);
    Brisk::Graphics g(&canvas);
    g.SetColor(Color(0, 0, 0));
    g.SetFont(font.get());
    g.DrawString("\xC3\xA9", 0, 9);
    // One 10-pixel cell from the pen at 0, nothing after it.
    const uint32_t* px = canvas.GetBits();
    EXPECT_EQ(px[5 * 30 + 0], 0xFF000000u);
    EXPECT_EQ(px[5 * 30 + 9], 0xFF000000u);
    EXPECT_EQ(px[5 * 30 + 10], 0xFF808080u);
}

TEST_F(FontTest, OneByteElementsReadAsTheyAlwaysHave) {
    // A descriptor of the 8-bit days names "é" by its one Latin-1 byte and
    // kerns two bytes as two characters, even where they would form UTF-8.
    auto font = Load(
        "CreateLayer Main; LayerSetImage Main 'strip.png';\n"
        "LayerSetImageMap Main ('\xE9', '\xC3', '\xA9') ((0,0,10,10), (10,0,10,10), "
        "(20,0,10,10));\n"
        "LayerSetCharWidths Main ('\xE9', '\xC3', '\xA9') (11, 5, 6);\n"
        "LayerSetKerningPairs Main ('\xC3\xA9') (-1);\n");
    ASSERT_TRUE(font->IsLoaded()) << LastError();
    EXPECT_EQ(font->StringWidth("\xE9"), 11);
    EXPECT_EQ(font->StringWidth("\xC3\xA9"), 11);  // UTF-8 of the same letter
    EXPECT_EQ(font->CharWidthKern(0xA9, 0xC3), 6 - 1);
}
