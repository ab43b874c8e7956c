#include "framework/resources/XmlReader.h"

#include "framework/resources/PakInterface.h"

namespace Brisk {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 32 && !IsBlank(c);
}

bool IsNameChar(char c) {
    return !IsBlank(c) && c != '<' && c != '>' && c != '/' && c != '=' && c != '"' && c != '\'' &&
           !IsControl(c);
}

}  // namespace

const std::string* XmlNode::Find(const std::string& key) const {
    for (const auto& [name, value] : attributes) {
        if (name == key) {
            return &value;
        }
    }
    return nullptr;
}

std::string ReplaceXmlEntities(const std::string& text) {
    static const std::pair<const char*, const char*> kEntities[] = {
        {"lt", "<"},   {"amp", "&"},  {"gt", ">"}, {"quot", "\""},
        {"apos", "'"}, {"nbsp", " "}, {"cr", "\n"}};
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out.push_back(text[i]);
            continue;
        }
        const size_t semicolon = text.find(';', i + 1);
        bool replaced = false;
        if (semicolon != std::string::npos) {
            const std::string name = text.substr(i + 1, semicolon - i - 1);
            for (const auto& [entity, replacement] : kEntities) {
                if (name == entity) {
                    out += replacement;
                    i = semicolon;
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) {
            out.push_back('&');  // only the "&" of an unknown entity stays
            if (semicolon != std::string::npos) {
                i = semicolon;
            }
        }
    }
    return out;
}

bool XmlReader::OpenFile(const std::string& fileName) {
    PakInterface* pak = PakInterface::Get();
    PakFile* file = pak->OpenFile(fileName, "rb");
    if (file == nullptr) {
        return false;
    }
    std::string text;
    char chunk[4096];
    size_t got = 0;
    while ((got = pak->Read(chunk, 1, sizeof chunk, file)) > 0) {
        text.append(chunk, got);
    }
    pak->CloseFile(file);
    OpenText(std::move(text), fileName);
    return true;
}

void XmlReader::OpenText(std::string text, std::string fileName) {
    m_text = std::move(text);
    m_fileName = std::move(fileName);
    m_pos = 0;
    m_line = 1;
    m_open.clear();
    m_pendingEnd = false;
    m_error.clear();
}

bool XmlReader::Fail(const std::string& error) {
    if (m_error.empty()) {
        m_error = error;
    }
    return false;
}

char XmlReader::Take() {
    const char c = m_text[m_pos++];
    if (c == '\n') {
        ++m_line;
    }
    return c;
}

void XmlReader::SkipBlanks() {
    while (!AtEnd() && IsBlank(m_text[m_pos])) {
        Take();
    }
}

bool XmlReader::NextNode(XmlNode* node) {
    if (HasFailed()) {
        return false;
    }
    *node = XmlNode{};
    if (m_pendingEnd) {
        m_pendingEnd = false;
        node->type = XmlNode::Type::End;
        node->name = m_open.back();
        m_open.pop_back();
        return true;
    }
    // Text between elements is skipped, but a stray '>' is an error.
    while (!AtEnd() && m_text[m_pos] != '<') {
        if (Take() == '>') {
            return Fail("Unexpected '>'");
        }
    }
    if (AtEnd()) {
        return m_open.empty() ? false : Fail("Unexpected End of File");
    }
    Take();  // '<'
    return ReadTag(node);
}

bool XmlReader::ReadSpecial(XmlNode* node, XmlNode::Type type, const std::string& terminator) {
    node->type = type;
    const size_t end = m_text.find(terminator, m_pos);
    if (end == std::string::npos) {
        return Fail("Unexpected End");
    }
    node->name = m_text.substr(m_pos, end - m_pos);
    while (m_pos < end + terminator.size()) {
        Take();
    }
    return true;
}

bool XmlReader::ReadName(std::string* name) {
    while (!AtEnd() && IsNameChar(m_text[m_pos])) {
        name->push_back(Take());
    }
    if (AtEnd()) {
        return Fail("Unexpected End");
    }
    if (IsControl(m_text[m_pos])) {
        return Fail("Illegal Character");
    }
    return true;
}

bool XmlReader::ReadValue(std::string* value) {
    SkipBlanks();
    if (AtEnd()) {
        return Fail("Unexpected End");
    }
    const char quote = m_text[m_pos];
    std::string raw;
    if (quote == '"' || quote == '\'') {
        Take();
        while (!AtEnd() && m_text[m_pos] != quote) {
            const char c = Take();
            if (IsControl(c)) {
                return Fail("Illegal Character");
            }
            if (c == '<') {
                return Fail("Unexpected '<'");
            }
            raw.push_back(c);
        }
        if (AtEnd()) {
            return Fail("Unexpected End");
        }
        Take();
    } else {
        while (!AtEnd() && IsNameChar(m_text[m_pos])) {
            raw.push_back(Take());
        }
    }
    *value = ReplaceXmlEntities(raw);
    return true;
}

bool XmlReader::ReadTag(XmlNode* node) {
    if (m_text.compare(m_pos, 4, "!-- ") == 0 || m_text.compare(m_pos, 4, "!--\t") == 0 ||
        m_text.compare(m_pos, 4, "!--\n") == 0 || m_text.compare(m_pos, 4, "!--\r") == 0) {
        return ReadSpecial(node, XmlNode::Type::Comment, "-->");
    }
    if (!AtEnd() && m_text[m_pos] == '?') {
        Take();
        return ReadSpecial(node, XmlNode::Type::Instruction, "?>");
    }
    const bool closing = !AtEnd() && m_text[m_pos] == '/';
    if (closing) {
        Take();
    }
    if (!ReadName(&node->name)) {
        return false;
    }
    if (node->name.empty()) {
        return Fail(m_text[m_pos] == '<' ? "Unexpected '<'" : "Illegal Character");
    }
    for (;;) {
        SkipBlanks();
        if (AtEnd()) {
            return Fail("Unexpected End");
        }
        const char c = m_text[m_pos];
        if (c == '>') {
            Take();
            break;
        }
        if (c == '/' && !closing) {
            Take();
            if (AtEnd() || m_text[m_pos] != '>') {
                return AtEnd() ? Fail("Unexpected End") : Fail("Illegal Character");
            }
            Take();
            m_pendingEnd = true;
            break;
        }
        if (c == '<') {
            return Fail("Unexpected '<'");
        }
        if (IsControl(c) || closing) {
            return Fail("Illegal Character");
        }
        std::string key;
        if (!ReadName(&key) || key.empty()) {
            return key.empty() ? Fail("Illegal Character") : false;
        }
        SkipBlanks();
        std::string value;
        if (!AtEnd() && m_text[m_pos] == '=') {
            Take();
            if (!ReadValue(&value)) {
                return false;
            }
        }
        node->attributes.emplace_back(std::move(key), std::move(value));
    }
    if (closing) {
        node->type = XmlNode::Type::End;
        if (m_open.empty()) {
            return Fail("End '" + node->name + "' Doesn't Match Start ''");
        }
        if (m_open.back() != node->name) {
            return Fail("End '" + node->name + "' Doesn't Match Start '" + m_open.back() + "'");
        }
        m_open.pop_back();
        return true;
    }
    node->type = XmlNode::Type::Element;
    m_open.push_back(node->name);
    return true;
}

}  // namespace Brisk
