#include "framework/resources/DescParser.h"

#include "framework/resources/PakInterface.h"

namespace Brisk {
namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == ',';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::string DataElement::ToString() const {
    if (!isList) {
        return text;
    }
    std::string s = "(";
    for (size_t i = 0; i < list.size(); ++i) {
        if (i > 0) {
            s += ", ";
        }
        s += list[i].ToString();
    }
    return s + ")";
}

bool DescParser::Error(const std::string&) {
    return false;
}

const DataElement* DescParser::GetDefine(const std::string& name) {
    const auto it = m_defines.find(name);
    return it == m_defines.end() ? nullptr : &it->second;
}

std::string DescParser::Unquote(const std::string& text) {
    if (text.empty() || (text[0] != '"' && text[0] != '\'')) {
        return text;
    }
    const char q = text[0];
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != q) {
            out.push_back(text[i]);
        } else if (i + 1 < text.size() && text[i + 1] == q && i != 0 && i + 2 < text.size()) {
            out.push_back(q);  // two in a row stand for one
            ++i;
        }
    }
    return out;
}

bool DescParser::Tokenize(const std::string& text, DataElement* out, std::string* error) {
    std::vector<DataElement> stack(1);
    stack[0].isList = true;
    std::string token;
    bool haveToken = false;
    auto finish = [&] {
        if (haveToken) {
            stack.back().list.push_back(DataElement::Text(token));
            token.clear();
            haveToken = false;
        }
    };
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"' || c == '\'') {
            // A quoted text is one element; its quotes stay until it is read.
            const size_t start = i++;
            bool closed = false;
            while (i < text.size()) {
                if (text[i] == '\\' && i + 1 < text.size()) {
                    i += 2;
                    continue;
                }
                if (text[i] == c) {
                    if (i + 1 < text.size() && text[i + 1] == c) {
                        i += 2;  // a doubled quote stays inside
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                ++i;
            }
            if (!closed) {
                *error = c == '"' ? "Unterminated Double Quotes" : "Unterminated Single Quotes";
                return false;
            }
            token += text.substr(start, i - start);
            haveToken = true;
            continue;
        }
        if (c == '\\') {
            if (i + 1 < text.size()) {
                token.push_back(text[i + 1]);
                haveToken = true;
            }
            i += 2;
            continue;
        }
        if (c == '(') {
            if (haveToken) {
                *error = "Unexpected List Start";
                return false;
            }
            DataElement list;
            list.isList = true;
            stack.push_back(std::move(list));
            ++i;
            continue;
        }
        if (c == ')') {
            finish();
            if (stack.size() == 1) {
                *error = "Unexpected List End";
                return false;
            }
            DataElement done = std::move(stack.back());
            stack.pop_back();
            stack.back().list.push_back(std::move(done));
            ++i;
            continue;
        }
        if (IsSeparator(c)) {
            finish();
            ++i;
            continue;
        }
        token.push_back(c);
        haveToken = true;
        ++i;
    }
    finish();
    if (stack.size() != 1) {
        *error = "Unterminated List";
        return false;
    }
    *out = std::move(stack[0]);
    return true;
}

bool DescParser::ExecuteCommandText(const std::string& text, int line) {
    DataElement command;
    std::string error;
    m_currentCommandText = text;
    m_currentLine = line;
    m_inCommand = true;
    bool ok = true;
    if (!Tokenize(text, &command, &error)) {
        ok = Error(error);
    } else if (!command.list.empty()) {
        ok = command.list[0].isList ? Error("Missing Command") : HandleCommand(command);
    }
    m_inCommand = false;
    return ok;
}

bool DescParser::LoadDescriptorText(const std::string& text) {
    std::string command;
    int line = 1;
    int commandLine = 1;
    bool atStart = true;  // of a line or of a command
    char quote = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            continue;
        }
        // At the start of every line (also inside a command that goes on over
        // several lines) and of every command, outside quotes.
        if (atStart && quote == 0) {
            if (IsBlank(c)) {
                continue;
            }
            if (c == '#') {
                // A comment to the end of the line.
                while (i + 1 < text.size() && text[i + 1] != '\n') {
                    ++i;
                }
                continue;
            }
        }
        if (c == '\n') {
            ++line;
            atStart = true;
            if (!command.empty()) {
                command.push_back('\n');
            }
            continue;
        }
        if (command.find_first_not_of(" \t\n") == std::string::npos) {
            commandLine = line;
        }
        atStart = false;
        if (quote != 0) {
            if (c == '\\' && i + 1 < text.size()) {
                command.push_back(c);
                command.push_back(text[++i]);
                continue;
            }
            if (c == quote) {
                quote = 0;
            }
            command.push_back(c);
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            command.push_back(c);
            continue;
        }
        if (c == ';') {
            if (command.find_first_not_of(" \t\n") != std::string::npos &&
                !ExecuteCommandText(command, commandLine)) {
                return false;
            }
            command.clear();
            atStart = true;
            continue;
        }
        command.push_back(c);
    }
    if (command.find_first_not_of(" \t\n") != std::string::npos) {
        return ExecuteCommandText(command, commandLine);
    }
    return true;
}

bool DescParser::LoadDescriptor(const std::string& path) {
    PakFilePtr file(pak_open(path.c_str(), "r"));
    if (file == nullptr) {
        return false;
    }
    std::string text;
    for (int c = pak_getc(file.get()); c >= 0; c = pak_getc(file.get())) {
        text.push_back(static_cast<char>(c));
    }
    return LoadDescriptorText(text);
}

}  // namespace Brisk
