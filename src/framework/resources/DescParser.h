#pragma once

#include <map>
#include <string>
#include <vector>

namespace Brisk {

// One parsed element of a descriptor command: a text, or a list of elements.
struct DataElement {
    bool isList = false;
    std::string text;
    std::vector<DataElement> list;

    static DataElement Text(std::string t) { return {false, std::move(t), {}}; }
    // The element written back as descriptor text.
    std::string ToString() const;
};

// Reads descriptor files: ";"-terminated commands, "#" comments, quotes,
// nested lists. Each command is tokenised and handed to HandleCommand.
class DescParser {
public:
    DescParser() = default;
    virtual ~DescParser() = default;

    // Reads and executes the file (through the pak layer); false at the
    // first failing command or when the file cannot be opened.
    bool LoadDescriptor(const std::string& path);
    // Executes descriptor text directly (the same rules, no file).
    bool LoadDescriptorText(const std::string& text);

    // Reports a failure; returns false so callers can `return Error(...)`.
    virtual bool Error(const std::string& message);
    // The element bound to `name`, or null.
    virtual const DataElement* GetDefine(const std::string& name);
    virtual bool HandleCommand(const DataElement& command) = 0;

    // Splits one command's text into elements; false and `error` on a syntax error.
    static bool Tokenize(const std::string& text, DataElement* out, std::string* error);
    // A text element's value: a leading quote character removes every quote of
    // that kind, two in a row standing for one.
    static std::string Unquote(const std::string& text);

protected:
    bool ExecuteCommandText(const std::string& text, int line);

    std::string m_currentCommandText;  // while a command runs
    int m_currentLine = 0;
    bool m_inCommand = false;
    std::map<std::string, DataElement> m_defines;
};

}  // namespace Brisk
