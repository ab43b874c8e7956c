// The player's own card sets: which folders make a set, which are refused
// and why, and how a picture of any shape becomes a card.

#include <gtest/gtest.h>

#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/resources/ImageLib.h"
#include "kernel/CardSetReader.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using KernelLibrary::CardSetFile;
using KernelLibrary::kCardPictureSize;

// A picture of one colour, encoded as a PNG (or a JPEG).
Bytes Picture(uint32_t colour, int width = 40, int height = 40, bool jpeg = false) {
    ImageLib::Image image(width, height);
    std::fill(image.m_bits.begin(), image.m_bits.end(), colour);
    return jpeg ? ImageLib::EncodeJPEG(image, 95, true) : ImageLib::EncodePNG(image);
}

std::string FaceName(int i) {
    return (i < 10 ? "0" : "") + std::to_string(i) + ".png";
}

// `count` face pictures, each of its own colour.
std::vector<CardSetFile> Faces(int count) {
    std::vector<CardSetFile> files;
    for (int i = 1; i <= count; ++i) {
        files.push_back(
            {FaceName(i), Picture(0xFF000000u | static_cast<uint32_t>(i * 0x0A0B0C)), {}});
    }
    return files;
}

uint32_t At(const KernelLibrary::CardPicture& card, int x, int y) {
    return card.pixels[static_cast<size_t>(y) * card.width + x];
}

// Whether two colours are within `tolerance` in every channel.
bool Near(uint32_t a, uint32_t b, int tolerance = 3) {
    for (int shift : {0, 8, 16, 24}) {
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) -
                     static_cast<int>((b >> shift) & 0xFF)) > tolerance) {
            return false;
        }
    }
    return true;
}

struct RefusalCase {
    const char* what;
    std::vector<CardSetFile> files;
    std::string problem;  // a part of the reason given
};

class CardSetRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(CardSetRefusal, NamesTheFileAndWhy) {
    const KernelLibrary::CardSetRead read = KernelLibrary::BuildCardSet(GetParam().files, "Mine");
    EXPECT_FALSE(read.set.has_value());
    EXPECT_NE(read.problem.find(GetParam().problem), std::string::npos) << read.problem;
}

std::vector<RefusalCase> RefusalCases() {
    std::vector<RefusalCase> cases;
    cases.push_back({"nine faces", Faces(9), "it holds 9 face pictures; a set needs at least 10"});
    {
        auto files = Faces(10);
        files[6].bytes->resize(files[6].bytes->size() / 2);  // cut off
        cases.push_back({"a cut picture", files, "07.png: it is not a PNG or JPEG picture"});
    }
    {
        auto files = Faces(10);
        files[2].bytes = Bytes{'h', 'e', 'l', 'l', 'o'};
        cases.push_back({"not a picture", files, "03.png: it is not a PNG or JPEG picture"});
    }
    {
        // A header that declares 100000 x 100000 pixels: refused before decoding.
        auto files = Faces(10);
        Bytes& png = *files[4].bytes;
        for (size_t at : {16u, 20u}) {
            png[at] = 0;
            png[at + 1] = 0x01;
            png[at + 2] = 0x86;
            png[at + 3] = 0xA0;
        }
        cases.push_back(
            {"a huge picture", files, "05.png: the picture is too large (100000 x 100000"});
    }
    {
        auto files = Faces(11);
        files.push_back({"back.png", std::nullopt, "is a symbolic link"});
        cases.push_back({"an unreadable back", files, "back.png: is a symbolic link"});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(CardSets, CardSetRefusal, ::testing::ValuesIn(RefusalCases()),
                         [](const auto& info) {
                             std::string name = info.param.what;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name;
                         });

TEST(CardSetReader, FacesInNameOrderTheBackApartAndTheNameFromSetXml) {
    std::vector<CardSetFile> files = Faces(12);
    std::reverse(files.begin(), files.end());
    files.push_back({"Back.JPG", Picture(0xFF204080, 30, 30, true), {}});
    files.push_back({"notes.txt", Bytes{'x'}, {}});
    const std::string xml =
        "<?xml version=\"1.0\"?>\n<cardset name=\"  Holiday at the sea, "
        "summer 2026 \" author=\"Ann &amp; Bo\"/>";
    files.push_back({"set.xml", Bytes(xml.begin(), xml.end()), {}});
    const KernelLibrary::CardSetRead read = KernelLibrary::BuildCardSet(files, "holiday");
    ASSERT_TRUE(read.set.has_value()) << read.problem;
    EXPECT_EQ(read.set->name, "Holiday at the sea, summ");  // trimmed, cut to 24
    EXPECT_EQ(read.set->author, "Ann & Bo");
    ASSERT_EQ(read.set->faces.size(), 12u);  // not the back, not the notes
    for (int i = 0; i < 12; ++i) {
        const auto& face = read.set->faces[static_cast<size_t>(i)];
        EXPECT_TRUE(Near(At(face, 48, 48), 0xFF000000u | static_cast<uint32_t>((i + 1) * 0x0A0B0C)))
            << "face " << i << " is " << std::hex << At(face, 48, 48);
    }
    ASSERT_TRUE(read.set->back.has_value());
    EXPECT_TRUE(Near(At(*read.set->back, 48, 48), 0xFF204080, 8));

    // Without set.xml the folder names the set; past the limit faces are left out.
    const KernelLibrary::CardSetRead many = KernelLibrary::BuildCardSet(Faces(70), "Many");
    ASSERT_TRUE(many.set.has_value());
    EXPECT_EQ(many.set->name, "Many");
    EXPECT_EQ(many.set->faces.size(), KernelLibrary::kMaxCardSetFaces);
}

// A picture keeps its shape: a wide one is letter-boxed on the card's
// colour, and a large one is averaged, not sampled, into its few pixels.
TEST(CardSetReader, APictureIsScaledIntoTheCardKeepingItsShape) {
    std::string why;
    const auto wide = KernelLibrary::MakeCardPicture(Picture(0xFFD02020, 400, 100), &why);
    ASSERT_TRUE(wide.has_value()) << why;
    ASSERT_EQ(wide->width, kCardPictureSize);
    ASSERT_EQ(wide->height, kCardPictureSize);
    EXPECT_TRUE(Near(At(*wide, 48, 48), 0xFFD02020));  // the picture, across the card
    EXPECT_TRUE(Near(At(*wide, 10, 48), 0xFFD02020));
    const uint32_t band = At(*wide, 48, 20);  // above it: the card's colour
    EXPECT_FALSE(Near(band, 0xFFD02020, 40));
    EXPECT_EQ(band >> 24, 0xFFu);
    EXPECT_EQ(At(*wide, 0, 0) >> 24, 0u);  // round corners

    // Fine black and white stripes, one pixel each, shrink ten times to grey
    // (sampling would keep black or white).
    constexpr int kSide = 10 * (kCardPictureSize - 16);  // ten pixels to each of the box's
    ImageLib::Image stripes(kSide, kSide);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            stripes.m_bits[static_cast<size_t>(y) * kSide + x] =
                x % 2 == 0 ? 0xFF000000 : 0xFFFFFFFF;
        }
    }
    const auto grey = KernelLibrary::MakeCardPicture(ImageLib::EncodePNG(stripes), &why);
    ASSERT_TRUE(grey.has_value()) << why;
    for (int x = 20; x < 76; x += 7) {
        EXPECT_TRUE(Near(At(*grey, x, 48), 0xFF808080, 1)) << std::hex << At(*grey, x, 48);
    }
}

class CardSetFolder : public TestSupport::TempDirTest {
protected:
    static void Write(const fs::path& path, const Bytes& bytes) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    static void WriteSet(const fs::path& folder, int faces) {
        for (int i = 1; i <= faces; ++i) {
            Write(folder / FaceName(i), Picture(0xFF102030u + static_cast<uint32_t>(i)));
        }
    }
};

// No link is followed: not to a set's folder, not to a picture in it.
TEST_F(CardSetFolder, LinksAreRefusedAndTheSetsListedByName) {
    WriteSet("cards/b-good", 10);
    WriteSet("cards/a-linked-picture", 9);
    fs::create_symlink(fs::absolute("cards/b-good/01.png"), "cards/a-linked-picture/10.png");
    fs::create_directory_symlink(fs::absolute("cards/b-good"), "cards/c-link");
    Write("cards/loose.png", Picture(0xFF000000));

    EXPECT_EQ(KernelLibrary::ListCardSetFolders({"cards/"}),
              (std::vector<std::string>{"cards/a-linked-picture/", "cards/b-good/"}));
    const auto good = KernelLibrary::ReadCardSetFolder("cards/b-good/");
    ASSERT_TRUE(good.set.has_value()) << good.problem;
    EXPECT_EQ(good.set->name, "b-good");
    const auto linkedPicture = KernelLibrary::ReadCardSetFolder("cards/a-linked-picture");
    EXPECT_FALSE(linkedPicture.set.has_value());
    EXPECT_EQ(linkedPicture.problem, "10.png: is a symbolic link");
    const auto linkedFolder = KernelLibrary::ReadCardSetFolder("cards/c-link/");
    EXPECT_FALSE(linkedFolder.set.has_value());
    EXPECT_EQ(linkedFolder.problem, "the folder is a link, which the game does not follow");
    EXPECT_EQ(KernelLibrary::ReadCardSetFolder("cards/none").problem, "the folder does not exist");
}

}  // namespace
