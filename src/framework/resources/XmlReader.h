#pragma once

#include <string>
#include <utility>
#include <vector>

namespace Brisk {

// One node of a resource XML text.
struct XmlNode {
    enum class Type { None, Element, End, Instruction, Comment };
    Type type = Type::None;
    std::string name;
    // In the order written; entity references already replaced.
    std::vector<std::pair<std::string, std::string>> attributes;

    // The attribute's value, or null.
    const std::string* Find(const std::string& key) const;
};

// Reads a resource XML text node by node: start elements with their
// attributes, end elements (also made for "<Name/>"), processing
// instructions ("<?...?>") and comments ("<!-- ... -->"). Text between
// elements is skipped. The first error stops the reading; its text and the
// line it was found on stay available.
class XmlReader {
public:
    // Reads the whole file through the file layer; false when it cannot be opened.
    bool OpenFile(const std::string& fileName);
    void OpenText(std::string text, std::string fileName = {});

    // The next node; false at the end of the text or at an error.
    bool NextNode(XmlNode* node);
    bool HasFailed() const { return !m_error.empty(); }
    // "Illegal Character", "Unexpected '<'", "Unexpected '>'", "Unexpected End",
    // "Unexpected End of File" or "End 'b' Doesn't Match Start 'a'".
    const std::string& GetErrorText() const { return m_error; }
    // 1 for the first line; 0 before anything was read.
    int GetCurrentLineNum() const { return m_line; }
    const std::string& GetFileName() const { return m_fileName; }

private:
    bool Fail(const std::string& error);
    bool AtEnd() const { return m_pos >= m_text.size(); }
    char Take();
    void SkipBlanks();
    bool ReadTag(XmlNode* node);
    bool ReadSpecial(XmlNode* node, XmlNode::Type type, const std::string& terminator);
    bool ReadName(std::string* name);
    bool ReadValue(std::string* value);

    std::string m_text;
    std::string m_fileName;
    size_t m_pos = 0;
    int m_line = 0;
    std::vector<std::string> m_open;  // elements not yet closed
    bool m_pendingEnd = false;        // a "<Name/>" owes its end node
    std::string m_error;
};

// Replaces &lt; &amp; &gt; &quot; &apos; &nbsp; (a blank) and &cr; (a line
// feed); an unknown entity leaves only its "&".
std::string ReplaceXmlEntities(const std::string& text);

}  // namespace Brisk
