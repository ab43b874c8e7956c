// The resource XML reader: nodes, entities, and error texts with their lines.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/resources/XmlReader.h"

using Brisk::XmlNode;
using Brisk::XmlReader;

namespace {

// Every node as "<name a=v>", "</name>", "?" or "!", until the end or an error.
std::vector<std::string> Nodes(XmlReader& reader) {
    std::vector<std::string> out;
    XmlNode node;
    while (reader.NextNode(&node)) {
        switch (node.type) {
            case XmlNode::Type::Element: {
                std::string s = "<" + node.name;
                for (const auto& [k, v] : node.attributes) {
                    s += " " + k + "=" + v;
                }
                out.push_back(s + ">");
                break;
            }
            case XmlNode::Type::End:
                out.push_back("</" + node.name + ">");
                break;
            case XmlNode::Type::Instruction:
                out.push_back("?");
                break;
            case XmlNode::Type::Comment:
                out.push_back("!");
                break;
            default:
                break;
        }
    }
    return out;
}

TEST(XmlReader, ReadsElementsInstructionsCommentsAndSelfClosingTags) {
    XmlReader reader;
    reader.OpenText(
        "<?xml version=\"1.0\"?>\n"
        "<!-- images of the start screen -->\n"
        "<Resources id='Start'>\n"
        "  <SetDefaults path=\"images/\" idprefix=IMAGE_/>\n"
        "  text between is skipped\n"
        "  <Image path=\"a&amp;b&lt;&gt;&quot;&apos;&nbsp;&cr;&bogus;x\" nopal/>\n"
        "</Resources>\n");
    EXPECT_EQ(Nodes(reader), (std::vector<std::string>{
                                 "?", "!", "<Resources id=Start>",
                                 "<SetDefaults path=images/ idprefix=IMAGE_>", "</SetDefaults>",
                                 "<Image path=a&b<>\"' \n&x nopal=>", "</Image>", "</Resources>"}));
    EXPECT_FALSE(reader.HasFailed());
    EXPECT_EQ(reader.GetCurrentLineNum(), 8);
}

struct ErrorCase {
    const char* what;
    const char* text;
    const char* error;
    int line;
};

class XmlErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(XmlErrorTest, StopsAtTheFirstErrorWithItsLine) {
    XmlReader reader;
    reader.OpenText(GetParam().text, "res.xml");
    Nodes(reader);
    ASSERT_TRUE(reader.HasFailed());
    EXPECT_EQ(reader.GetErrorText(), GetParam().error);
    EXPECT_EQ(reader.GetCurrentLineNum(), GetParam().line);
    XmlNode node;
    EXPECT_FALSE(reader.NextNode(&node));  // stays stopped
}

INSTANTIATE_TEST_SUITE_P(
    Texts, XmlErrorTest,
    ::testing::Values(
        ErrorCase{"MismatchedTag", "<A>\n<B>\n</A>", "End 'A' Doesn't Match Start 'B'", 3},
        ErrorCase{"CloseWithoutOpen", "</A>", "End 'A' Doesn't Match Start ''", 1},
        ErrorCase{"UnexpectedEndInsideATag", "<A>\n<Image path=\"x", "Unexpected End", 2},
        ErrorCase{"UnexpectedEndOfFile", "<A>\n<B>\n</B>\n", "Unexpected End of File", 4},
        ErrorCase{"IllegalCharacter", "<A>\n<B \x01>", "Illegal Character", 2},
        ErrorCase{"IllegalCharacterInAValue", "<A x=\"a\x02\">", "Illegal Character", 1},
        ErrorCase{"LessThanInsideATag", "<A\n<B>", "Unexpected '<'", 2},
        ErrorCase{"StrayGreaterThan", "<A>\n>\n</A>", "Unexpected '>'", 2},
        ErrorCase{"UnfinishedComment", "<!-- never ends", "Unexpected End", 1}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(XmlReader, FindsAttributesByName) {
    XmlReader reader;
    reader.OpenText("<Sound path=\"click\" volume=0.5 />");
    XmlNode node;
    ASSERT_TRUE(reader.NextNode(&node));
    ASSERT_NE(node.Find("volume"), nullptr);
    EXPECT_EQ(*node.Find("volume"), "0.5");
    EXPECT_EQ(node.Find("pan"), nullptr);
    EXPECT_EQ(reader.GetFileName(), "");
    EXPECT_FALSE(reader.OpenFile("no-such-file.xml"));
}

}  // namespace
