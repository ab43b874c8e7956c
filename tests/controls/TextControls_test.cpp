// Strings, links, edit boxes and text boxes.

#include "controls/ControlsFixture.h"

#include "controls/EditBoxVO.h"
#include "controls/IStringVO.h"
#include "controls/ITextVO.h"
#include "time/TimeSystem_impl.h"

using ControlLibrary::IEditBoxVO;
using ControlLibrary::IFont;
using ControlLibrary::ILinkVO;
using ControlLibrary::IStringVO;
using ControlLibrary::ITextBoxVO;
using ControlLibrary::Point;
using ControlLibrary::Size;
using TestSupport::ControlsTest;

namespace {

TEST_F(ControlsTest, ACentredStringStaysCentredWhenItsTextChanges) {
    IFont* font = MonoFont();
    IStringVO* s = factory->CreateStringVO();
    s->SetAlignment(1, 1);
    s->SetPosition(100, 100);
    s->SetText("abcd");
    EXPECT_EQ(s->GetSize(), (Size{0, 0}));  // no font yet: no fitting
    s->SetFont(font);
    EXPECT_EQ(s->GetSize(), (Size{40, 20}));
    EXPECT_EQ(s->GetScreenPosition(), (Point{80, 90}));
    s->SetText("ab");
    EXPECT_EQ(s->GetScreenPosition(), (Point{90, 90}));
    s->SetSize(300, 300);  // ignored: the size follows the text
    EXPECT_EQ(s->GetSize(), (Size{20, 20}));

    s->SetShown(true);
    s->SetShadow(true);
    s->SetShadowOffset(3, 0);
    s->SetShadowColour({255, 0, 0});
    Draw();
    EXPECT_EQ(InkColumns(), (std::pair{90, 112}));
    EXPECT_TRUE(PixelNear(91, 100, 0xFFFFFFu));   // the text over its shadow
    EXPECT_TRUE(PixelNear(111, 100, 0xFF0000u));  // the shadow beyond the text's end
    factory->ReleaseFont(font);
}

TEST_F(ControlsTest, ALinkOpensItsAddressOnThePressOnlyWhileEnabled) {
    std::vector<std::string> opened;
    factory->SetAddressOpener([&](const std::string& a) { opened.push_back(a); });
    IFont* font = MonoFont();
    ILinkVO* link = factory->CreateLinkVO();
    link->SetFont(font);
    link->SetText("home");
    link->SetAddress("https://example.org/vornique");
    link->SetHoverColour({0, 255, 0});
    link->SetShown(true);

    factory->MouseMove(5, 5);
    Draw();
    EXPECT_TRUE(PixelNear(15, 10, 0x00FF00u));  // hover colour
    factory->MouseDown(5, 5, 1);
    EXPECT_EQ(opened, (std::vector<std::string>{"https://example.org/vornique"}));
    factory->MouseUp(5, 5, 1);
    EXPECT_EQ(opened.size(), 1u);  // not again on the release

    link->SetEnabled(false);
    factory->MouseDown(5, 5, 1);
    EXPECT_EQ(opened.size(), 1u);
    link->SetEnabled(true);
    link->SetAddress("");
    factory->MouseDown(5, 5, 1);
    EXPECT_EQ(opened.size(), 1u);
    factory->MouseMove(150, 150);
    Draw();
    EXPECT_TRUE(PixelNear(15, 10, 0xFFFFFFu));
    factory->ReleaseFont(font);
}

// Records what an edit box tells its receivers.
class EditRecorder : public ControlLibrary::IEditBoxMsgObserver {
public:
    void OnTextChanged(int32_t) override { events += "T"; }
    void OnFocusGained(int32_t) override { events += "G"; }
    void OnFocusLost(int32_t) override { events += "L"; }
    std::string events;
};

class EditBoxTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        factory = std::make_unique<ControlLibrary::Factory_impl>(&app, &time);
        box = factory->CreateEditBoxVO();
        box->AddEditObserver(&recorder);
        box->AddEditObserver(&recorder);  // once only
        box->SetSize(200, 30);
        box->SetShown(true);
    }
    void TearDown() override {
        factory.reset();
        ControlsTest::TearDown();
    }
    void Type(const std::string& text) {
        for (char c : text) {
            factory->KeyChar(c);
        }
    }
    std::string Text() {
        std::string t;
        box->GetText(t);
        return t;
    }
    ControlLibrary::EditBoxVO_impl* Impl() {
        return static_cast<ControlLibrary::EditBoxVO_impl*>(factory->GetFocus());
    }

    Brisk::Platform::ManualClock clock;
    TimeLibrary::TimeSystem_impl time{clock};
    IEditBoxVO* box = nullptr;
    EditRecorder recorder;
};

TEST_F(EditBoxTest, TypingKeepsToTheCharacterRangeAndTheMaximumLength) {
    factory->MouseMove(5, 5);
    factory->MouseDown(5, 5, 1);
    recorder.events.clear();
    box->SetMaxLength(8);
    Type("ab 1!~Z{[`zq");  // space, '!', '~' and '{' are refused
    EXPECT_EQ(Text(), "ab1Z[`zq");
    EXPECT_EQ(recorder.events, "TTTTTTTT");
    Type("x");  // a ninth character
    EXPECT_EQ(Text(), "ab1Z[`zq");
    EXPECT_EQ(recorder.events, "TTTTTTTT");
    factory->KeyDown(8);
    EXPECT_EQ(Text(), "ab1Z[`z");
    EXPECT_EQ(recorder.events, "TTTTTTTTT");
    box->SetText("");
    factory->KeyDown(8);  // nothing to delete: no notification
    EXPECT_EQ(recorder.events, "TTTTTTTTT");
    box->SetMaxLength(-1);
    Type(std::string(300, 'a'));
    EXPECT_EQ(Text().size(), 300u);
}

TEST_F(EditBoxTest, FocusStartsTheCaretAndTellsTheReceiversEveryTime) {
    IEditBoxVO* other = factory->CreateEditBoxVO();
    other->SetPosition(0, 100);
    other->SetShown(true);
    factory->MouseMove(5, 5);
    factory->MouseDown(5, 5, 1);  // the handler and the routing both focus it
    EXPECT_EQ(recorder.events, "G");
    auto* impl = Impl();
    ASSERT_NE(impl, nullptr);
    EXPECT_TRUE(impl->IsCaretRunning());
    box->SetFocus(true);  // again: told again, the caret keeps running
    EXPECT_EQ(recorder.events, "GG");
    for (int i = 0; i < 100; ++i) {
        time.Step();  // 500 ms: one blink
    }
    EXPECT_TRUE(impl->IsCaretVisible());
    IFont* font = MonoFont();
    box->SetFont(font);
    box->SetText("ab");
    Draw();  // a black caret one pixel right of the centred text, 2 short of each edge
    EXPECT_EQ(Pixel(111, 15), 0u);
    EXPECT_EQ(Pixel(111, 2), 0u);
    EXPECT_EQ(Pixel(111, 1), 0xFFFFFFu);
    EXPECT_EQ(Pixel(112, 15), 0xFFFFFFu);
    factory->ReleaseFont(font);

    factory->MouseMove(5, 105);
    factory->MouseDown(5, 105, 1);
    EXPECT_EQ(recorder.events, "GGL");
    EXPECT_FALSE(impl->IsCaretRunning());
    EXPECT_FALSE(impl->IsCaretVisible());
}

TEST_F(EditBoxTest, TheBackgroundIsThreePartsAroundCentredText) {
    WritePicture("left.png", 10, 30, [](int, int) { return 0xFF0000u; });
    WritePicture("middle.png", 10, 30, [](int, int) { return 0x00FF00u; });
    WritePicture("right.png", 10, 30, [](int, int) { return 0x0000FFu; });
    Draw();  // no pictures yet: three white parts
    EXPECT_EQ(InkColumns(), (std::pair{0, 199}));
    EXPECT_EQ(Pixel(100, 15), 0xFFFFFFu);

    box->SetImages({"left.png", "middle.png", "right.png"}, {"", "", ""});
    box->SetSourceRects({0, 0, 10, 30}, {0, 0, 10, 30}, {0, 0, 10, 30});
    Draw();
    EXPECT_EQ(Pixel(9, 15), 0xFF0000u);
    EXPECT_EQ(Pixel(10, 15), 0x00FF00u);
    EXPECT_EQ(Pixel(189, 15), 0x00FF00u);
    EXPECT_EQ(Pixel(190, 15), 0x0000FFu);
    EXPECT_EQ(Pixel(199, 15), 0x0000FFu);

    IFont* font = MonoFont();
    box->SetFont(font);
    box->SetBackgroundHidden(true);
    box->SetTextColour({255, 255, 255});
    box->SetText("abc");
    Draw();
    EXPECT_EQ(InkColumns(), (std::pair{85, 114}));  // 30 wide, centred on 100
    factory->ReleaseFont(font);
}

TEST_F(ControlsTest, TextBoxLinesBreakAtLineFeedsAndSpacesAndPageByHeight) {
    IFont* font = MonoFont();  // 10 wide, 20 high
    ITextBoxVO* box = factory->CreateTextBoxVO();
    box->AddParagraph("abc", font, 0, {255, 255, 255});
    auto lines = [&] {
        auto* impl = static_cast<ControlLibrary::TextBoxVO_impl*>(
            static_cast<ControlLibrary::IBridgeToVO*>(
                static_cast<ControlLibrary::TextBoxVO_bridge*>(box))
                ->GetImpl());
        std::vector<std::string> out;
        for (const auto& l : impl->GetLines()) {
            out.push_back(l.text + "@" + std::to_string(l.x) + "/" + std::to_string(l.bottom));
        }
        return out;
    };
    EXPECT_TRUE(lines().empty());  // no size: no lines

    box->Clear();
    box->SetSize(60, 100);
    box->AddParagraph("abc\ndef", font, 0, {255, 255, 255});
    EXPECT_EQ(lines(), (std::vector<std::string>{"abc\n@0/20", "def@0/40"}));

    // Too wide for 60 pixels: the line ends before the last space and the
    // next begins with it; a word with no space breaks before the character.
    box->Clear();
    box->AddParagraph("ab cdef ghijklmn", font, 2, {255, 255, 255});
    EXPECT_EQ(lines(),
              (std::vector<std::string>{"ab@40/20", " cdef@10/40", " ghijk@0/60", "lmn@30/80"}));

    // After a break for width, scanning resumes right after the new line's
    // start, so a line feed there still ends the line.
    box->Clear();
    box->AddParagraph("abcdefg\nh", font, 0, {255, 255, 255});
    EXPECT_EQ(lines(), (std::vector<std::string>{"abcdef@0/20", "g\n@0/40", "h@0/60"}));

    // Lines end between characters, never inside one's UTF-8 bytes.
    box->Clear();
    box->SetSize(30, 100);
    box->AddParagraph(
        "a\xC3\xA9"
        "b\xE2\x82\xAC\xC3\xA9",
        font, 0, {255, 255, 255});
    EXPECT_EQ(lines(), (std::vector<std::string>{"a\xC3\xA9"
                                                 "b@0/20",
                                                 "\xE2\x82\xAC\xC3\xA9@0/40"}));
    box->SetSize(60, 100);

    box->Clear();
    box->AddParagraph("ab", font, 1, {255, 255, 255});
    for (int i = 0; i < 6; ++i) {
        box->AddParagraph("x", font, 0, {255, 255, 255});
    }
    EXPECT_EQ(lines().front(), "ab@20/20");
    EXPECT_EQ(lines().back(), "x@0/140");
    EXPECT_FALSE(box->HasPrevPage());
    EXPECT_TRUE(box->HasNextPage());
    box->SetShown(true);
    Draw();
    // Bottoms 20 to 100 on page 0. A line is drawn one font height (20) below
    // the box top plus its distance from the first line; its glyphs start at
    // that baseline less the ascent (16), so 4 pixels lower.
    EXPECT_EQ(InkRows(), (std::pair{24, 123}));
    box->NextPage();
    EXPECT_FALSE(box->HasNextPage());
    box->NextPage();  // no further page: stays
    Draw();
    EXPECT_EQ(InkRows(), (std::pair{24, 63}));  // bottoms 120 and 140
    EXPECT_TRUE(box->PrevPage());
    EXPECT_FALSE(box->PrevPage());
    factory->ReleaseFont(font);
}

}  // namespace
