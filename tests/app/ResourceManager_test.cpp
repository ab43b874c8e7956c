// Resource sections: parsing, error texts, loading through the application's
// image cache, sound manager and image fonts, and lookups by id.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>

#include "framework/app/ResourceManager.h"
#include "framework/graphics/DDImage.h"
#include "framework/platform/Audio.h"
#include "framework/resources/ImageFont.h"
#include "framework/resources/ImageLib.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundManager.h"
#include "support/SoundFiles.h"
#include "support/TempDir.h"
#include "support/TestApp.h"

using Brisk::ResourceManager;
using Brisk::ResourceManagerException;

namespace {

void WriteText(const std::filesystem::path& p, const std::string& text) {
    if (p.has_parent_path()) {
        std::filesystem::create_directories(p.parent_path());
    }
    std::ofstream(p, std::ios::binary) << text;
}

// A w x h picture whose every pixel is `argb`.
void WritePng(const std::filesystem::path& p, int w, int h, uint32_t argb) {
    ImageLib::Image image(w, h);
    std::fill(image.m_bits.begin(), image.m_bits.end(), argb);
    TestSupport::Write(p, ImageLib::EncodePNG(image));
}

// Sections over files in a fresh folder, loaded through a test application
// whose sound manager renders into memory.
class ResourcesTest : public TestSupport::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        auto sounds = std::make_unique<Brisk::DSoundManager>(&mixer, &app.clock);
        soundManager = sounds.get();
        app.UseSoundPlayers(std::move(sounds), nullptr);
        WritePng("res/pic.png", 6, 4, 0xFF336699);
        TestSupport::Write("res/click.wav", TestSupport::Wave(441, 12000));
        WritePng("res/glyphs.png", 20, 10, 0xFFFFFFFF);
        WriteText("res/f.txt",
                  "CreateLayer Main; LayerSetImage Main 'glyphs.png'; LayerSetAscent Main 8;\n"
                  "LayerSetImageMap Main ('a', 'b') ((0,0,10,10), (10,0,10,10));\n"
                  "LayerSetCharWidths Main (a, b) (7, 9);\n"
                  "CreateLayer Bold; LayerRequireTags Bold (bold);\n");
    }
    void TearDown() override {
        manager.reset();
        app.UseSoundPlayers(nullptr, nullptr);
        TempDirTest::TearDown();
    }

    // Parses `body` as the section "Game"; the error text when it fails.
    std::string Parse(const std::string& body) {
        const std::string text = "<ResourceManifest>\n<Resources id=\"Game\">\n" + body +
                                 "\n</Resources>\n</ResourceManifest>\n";
        return manager->ParseResourcesText(text, "game.xml") ? "" : manager->GetErrorText();
    }

    TestSupport::TestApp app;
    Brisk::Platform::Mixer mixer;
    Brisk::DSoundManager* soundManager = nullptr;
    std::unique_ptr<ResourceManager> manager = std::make_unique<ResourceManager>(&app);
};

TEST_F(ResourcesTest, ASectionsImageSoundAndFontLoadAndAreFoundById) {
    ASSERT_EQ(Parse("<SetDefaults path=\"res\\\" idprefix=\"G_/\"/>\n"
                    "<Image id=\"PIC\" path=\"pic.png\" cols=\"3\" rows=\"2\"/>\n"
                    "<Sound id=\"CLICK\" path=\"click\" volume=\"0.5\"/>\n"
                    "<Font id=\"TEXT\" path=\"f.txt\" tags=\"bold,\n italic\"/>"),
              "");
    EXPECT_EQ(manager->GetNumResources("Game"), 3);
    EXPECT_FALSE(manager->IsGroupLoaded("Game"));
    // Defined but not loaded yet: not found.
    EXPECT_THROW(manager->GetImageThrow("G_PIC"), ResourceManagerException);

    ASSERT_TRUE(manager->LoadResources("Game")) << manager->GetErrorText();
    EXPECT_TRUE(manager->IsGroupLoaded("Game"));

    Brisk::DDImage* pic = manager->GetImageThrow("G_PIC");
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->GetWidth(), 6);
    EXPECT_EQ(pic->GetCelWidth(), 2);   // three columns
    EXPECT_EQ(pic->GetCelHeight(), 2);  // two rows
    EXPECT_EQ(pic->GetBits()[0], 0xFF336699u);

    const int click = manager->GetSoundThrow("G_CLICK");
    ASSERT_GE(click, 0);
    // Its volume of 0.5 is the sound's default: it plays quieter than the file.
    TestSupport::Write("res/plain.wav", TestSupport::Wave(441, 12000));
    const int plain = soundManager->LoadSoundFile("res/plain");
    auto peak = [&](int id) {
        Brisk::SoundInstance* instance = soundManager->NewInstance(id);
        instance->Play(false, true);
        return TestSupport::Peak(mixer, 441);
    };
    const int full = peak(plain);
    const int half = peak(click);
    EXPECT_GT(half, full / 3);
    EXPECT_LT(half, full * 2 / 3);
    soundManager->FreeSound(plain);

    auto* font = dynamic_cast<Brisk::ImageFont*>(manager->GetFontThrow("G_TEXT"));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->StringWidth("ab"), 16);
    EXPECT_TRUE(font->HasTag("bold"));
    EXPECT_TRUE(font->HasTag("italic"));
    EXPECT_EQ(font->GetActiveLayers().size(), 2u);  // the tag switched "Bold" on

    // Unloading gives the sound back.
    manager->DeleteResources("Game");
    EXPECT_EQ(manager->GetNumResources("Game"), 0);
    EXPECT_EQ(soundManager->FindFreeSoundId(), click);
    EXPECT_THROW(manager->GetSoundThrow("G_CLICK"), ResourceManagerException);
}

TEST_F(ResourcesTest, UnknownIdsThrowWithTheKindInTheMessage) {
    ASSERT_EQ(Parse("<Image id=\"PIC\" path=\"res/pic.png\"/>"), "");
    ASSERT_TRUE(manager->LoadResources("Game"));
    struct Case {
        std::function<void()> lookup;
        const char* message;
    };
    for (const Case& c :
         {Case{[&] { manager->GetImageThrow("NOPE"); }, "Image resource not found: NOPE"},
          Case{[&] { manager->GetSoundThrow("PIC"); }, "Sound resource not found: PIC"},
          Case{[&] { manager->GetFontThrow("PIC"); }, "Font resource not found: PIC"}}) {
        manager->ClearError();
        try {
            c.lookup();
            ADD_FAILURE() << "no exception for " << c.message;
        } catch (const ResourceManagerException& e) {
            EXPECT_STREQ(e.what(), c.message);
            EXPECT_EQ(manager->GetErrorText(), c.message);
        }
    }
    // The application's own manager starts empty.
    ResourceManager* own = app.GetResourceManager();
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->GetNumResources("Game"), 0);
    EXPECT_THROW(own->GetFontThrow("G_TEXT"), ResourceManagerException);
}

struct ParseErrorCase {
    const char* name;
    const char* body;
    const char* error;
};

class ResourceParseErrorTest : public ResourcesTest,
                               public ::testing::WithParamInterface<ParseErrorCase> {};

TEST_P(ResourceParseErrorTest, FirstErrorIsKeptWithLineAndFile) {
    EXPECT_EQ(Parse(GetParam().body), GetParam().error);
}

// The section body starts on line 3 of the text.
INSTANTIATE_TEST_SUITE_P(
    Sections, ResourceParseErrorTest,
    ::testing::Values(
        ParseErrorCase{"MismatchedTag", "<Image path=\"a\">\n</Sound>",
                       "End 'Sound' Doesn't Match Start 'Image' on Line 4 in File 'game.xml'"},
        ParseErrorCase{"IllegalCharacter", "<Image\x01 path=\"a\"/>",
                       "Illegal Character on Line 3 in File 'game.xml'"},
        ParseErrorCase{"NoPath", "<Image id=\"x\"/>",
                       "No path specified. on Line 3 in File 'game.xml'"},
        ParseErrorCase{"EmptyPath", "<Sound path=\"\"/>",
                       "No path specified. on Line 3 in File 'game.xml'"},
        ParseErrorCase{"SameIdTwice", "<Image path=\"a.png\"/>\n<Image path=\"b/a.jpg\"/>",
                       "Resource already defined. on Line 4 in File 'game.xml'"},
        ParseErrorCase{"UnknownElement", "<Music path=\"a\"/>",
                       "Invalid Section 'Music' on Line 3 in File 'game.xml'"},
        ParseErrorCase{"ElementInsideAResource", "<Image path=\"a\"><Sound path=\"b\"/></Image>",
                       "Unexpected element found. on Line 3 in File 'game.xml'"},
        ParseErrorCase{"BadAnimation", "<Image path=\"a\" anim=\"bounce\"/>",
                       "Invalid animation type. on Line 3 in File 'game.xml'"},
        ParseErrorCase{"SysFontWithoutSize", "<Font path=\"!sys:Sans\" bold/>",
                       "SysFont needs point size on Line 3 in File 'game.xml'"},
        ParseErrorCase{"SysFontOfSizeZero", "<Font path=\"!sys:Sans\" size=\"0\"/>",
                       "SysFont needs point size on Line 3 in File 'game.xml'"}),
    [](const ::testing::TestParamInfo<ParseErrorCase>& info) { return info.param.name; });

TEST_F(ResourcesTest, TextEndingInsideAnElementIsAnUnexpectedEnd) {
    EXPECT_FALSE(
        manager->ParseResourcesText("<Resources id=\"A\">\n<Image path=\"a\" rows=", "end.xml"));
    EXPECT_EQ(manager->GetErrorText(), "Unexpected End on Line 2 in File 'end.xml'");
    // Only the first error of a run is kept.
    EXPECT_FALSE(manager->ParseResourcesText("<Music/>"));
    EXPECT_EQ(manager->GetErrorText(), "Unexpected End on Line 2 in File 'end.xml'");
    // A section left open at the end of the text.
    manager->ClearError();
    EXPECT_FALSE(manager->ParseResourcesText("<Resources id=\"A\">\n<Image path=\"a\"/>\n"));
    EXPECT_EQ(manager->GetErrorText(), "Unexpected End of File on Line 3");
}

TEST_F(ResourcesTest, DefaultsPrefixPathsAndIdsExceptProgramPaths) {
    ASSERT_EQ(Parse("<SetDefaults path=\"res//\" idprefix=\"IMG_\"/>\n"
                    "<Image path=\"pic.png\"/>\n"
                    "<Image id=\"OWN\" path=\"!program\"/>\n"
                    "<Image id=\"ANIM\" path=\"pic.png\" variant=\"v\" cols=\"0\" anim=\"pingpong\""
                    " framedelay=\"5\" perframedelay=\"1, 2 3\" framemap=\"0,2\"/>"),
              "");
    ASSERT_TRUE(manager->LoadResources("Game")) << manager->GetErrorText();
    // The id comes from the file name when none is given.
    ASSERT_NE(manager->GetImageThrow("IMG_pic"), nullptr);
    EXPECT_EQ(manager->GetImageThrow("IMG_ANIM")->GetCelWidth(), 6);  // "0" columns is one
    // Resources the program supplies are not loaded and not found...
    EXPECT_THROW(manager->GetImageThrow("IMG_OWN"), ResourceManagerException);
    // ...unless missing ones are allowed.
    manager->SetAllowMissingProgramImages(true);
    EXPECT_EQ(manager->GetImageThrow("IMG_OWN"), nullptr);
    EXPECT_TRUE(manager->IsGroupLoaded("Game"));
}

TEST_F(ResourcesTest, AlphaImagesReplaceTheAlphaOrFailOnASizeMismatch) {
    WritePng("res/alpha.png", 6, 4, 0xFF000040);  // alpha from the blue channel
    WritePng("res/small.png", 3, 2, 0xFF000080);  // one cel of a 2 x 2 grid
    WritePng("res/other.png", 6, 4, 0xFF123456);
    WritePng("res/gridpic.png", 6, 4, 0xFF336699);
    ASSERT_EQ(Parse("<SetDefaults path=\"res\"/>\n"
                    "<Image id=\"A\" path=\"pic.png\" alphaimage=\"alpha.png\"/>\n"
                    "<Image id=\"G\" path=\"gridpic.png\" alphagrid=\"small.png\" rows=\"2\" "
                    "cols=\"2\"/>"),
              "");
    ASSERT_TRUE(manager->LoadResources("Game")) << manager->GetErrorText();
    EXPECT_EQ(manager->GetImageThrow("A")->GetBits()[0], 0x40336699u);
    const uint32_t* grid = manager->GetImageThrow("G")->GetBits();
    EXPECT_EQ(grid[0], 0x80336699u);
    EXPECT_EQ(grid[23], 0x80336699u);

    ResourceManager second(&app);
    ASSERT_TRUE(second.ParseResourcesText(
        "<Resources id=\"B\"><Image path=\"res/other.png\" alphaimage=\"res/small.png\"/>"
        "</Resources>"));
    EXPECT_FALSE(second.LoadResources("B"));
    EXPECT_EQ(second.GetErrorText(),
              "AlphaImage size mismatch between res/other.png and res/small.png");
}

TEST_F(ResourcesTest, FontsBySystemNameByReferenceAndFromPictureAndWidths) {
    // The widths file: space width, height, then characters and widths.
    WriteText("res/widths.txt", "4 12\na 3\nb 5\nC 2\n");
    ASSERT_EQ(Parse("<SetDefaults path=\"res\"/>\n"
                    "<Font id=\"SYS\" path=\"!sys:Sans\" size=\"12\" bold/>\n"
                    "<Font id=\"TEXT\" path=\"f.txt\"/>\n"
                    "<Font id=\"COPY\" path=\"!ref:TEXT\" tags=\"bold\"/>\n"
                    "<Font id=\"OLD\" path=\"widths.txt\" image=\"glyphs.png\"/>"),
              "");
    ASSERT_TRUE(manager->LoadResources("Game")) << manager->GetErrorText();
    EXPECT_NE(manager->GetFontThrow("SYS"), nullptr);

    // The copy shares the glyphs but has its own tags.
    auto* text = dynamic_cast<Brisk::ImageFont*>(manager->GetFontThrow("TEXT"));
    auto* copy = dynamic_cast<Brisk::ImageFont*>(manager->GetFontThrow("COPY"));
    ASSERT_TRUE(text != nullptr && copy != nullptr);
    EXPECT_NE(text, copy);
    EXPECT_EQ(copy->StringWidth("ab"), 16);
    EXPECT_TRUE(copy->HasTag("bold"));
    EXPECT_FALSE(text->HasTag("bold"));

    // Glyphs side by side; a letter missing in one case uses the other.
    Brisk::Font* old = manager->GetFontThrow("OLD");
    EXPECT_EQ(old->StringWidth("ab"), 8);
    EXPECT_EQ(old->CharWidth('A'), 3);
    EXPECT_EQ(old->CharWidth('c'), 2);
    EXPECT_EQ(old->CharWidth(' '), 4);
    EXPECT_EQ(old->GetHeight(), 12);
    EXPECT_EQ(old->GetAscent(), 0);  // the one layer keeps the default ascent

    struct Case {
        const char* body;
        const char* error;
    };
    WriteText("res/toowide.txt", "4 10\na 15\nb 15\n");  // beyond the 20-pixel picture
    for (const Case& c :
         {Case{"<Font path=\"!ref:NONE\"/>", "Ref font not found: NONE"},
          Case{"<Font path=\"res/missing.txt\"/>", "Failed to load font: res/missing.txt"},
          Case{"<Font path=\"res/widths.txt\" image=\"res/none.png\"/>",
               "Failed to load image: res/none.png"},
          Case{"<Font path=\"res/toowide.txt\" image=\"res/glyphs.png\"/>",
               "Failed to load font: res/toowide.txt"}}) {
        ResourceManager m(&app);
        ASSERT_TRUE(
            m.ParseResourcesText(std::string("<Resources id=\"F\">") + c.body + "</Resources>"))
            << m.GetErrorText();
        EXPECT_FALSE(m.LoadResources("F"));
        EXPECT_EQ(m.GetErrorText(), c.error);
    }
}

TEST_F(ResourcesTest, SectionsAreReadFromFilesThroughTheFileLayer) {
    WriteText("res/manifest.xml",
              "<?xml version=\"1.0\"?>\n<!-- two groups -->\n<ResourceManifest>\n"
              "<Resources id=\"One\"><Image path=\"res/pic.png\"/></Resources>\n"
              "<Resources id=\"Two\"><Sound path=\"res/click\"/></Resources>\n"
              "</ResourceManifest>\n");
    ASSERT_TRUE(manager->ParseResourcesFile("res/manifest.xml")) << manager->GetErrorText();
    EXPECT_EQ(manager->GetNumResources("One"), 1);
    EXPECT_EQ(manager->GetNumResources("Two"), 1);
    ASSERT_TRUE(manager->LoadResources("Two"));
    EXPECT_GE(manager->GetSoundThrow("click"), 0);
    EXPECT_THROW(manager->GetImageThrow("pic"), ResourceManagerException);  // group not loaded

    ResourceManager missing(&app);
    EXPECT_FALSE(missing.ParseResourcesFile("res/none.xml"));
    EXPECT_EQ(missing.GetErrorText(), "Resource file not found: res/none.xml");
}

}  // namespace
