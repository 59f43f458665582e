#include "RezLexer.h"

#include <cctype>
#include <cstdlib>

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = char(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

char escaped(const std::string& s, std::size_t& i, int lineNumber) {
    char c = s[i];
    switch (c) {
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    case '"':
    case '\\':
        return c;
    case 'x':
        if (i + 2 < s.size() && hexDigit(s[i + 1]) >= 0 && hexDigit(s[i + 2]) >= 0) {
            i += 2;
            return char(hexDigit(s[i - 1]) * 16 + hexDigit(s[i]));
        }
        break;
    }
    throw RezError(lineNumber, std::string("bad escape \\") + c);
}

// The bytes of the UTF-8 character at s[i] (1 for ASCII), or 0 when it is not well formed.
std::size_t utf8Length(const std::string& s, std::size_t i) {
    const unsigned char lead = static_cast<unsigned char>(s[i]);
    const std::size_t length = lead < 0x80                    ? 1
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    for (std::size_t k = 1; k < length; ++k)
        if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
            return 0;
    return length;
}

// Reads a quoted string starting after the opening quote; i ends after the closing quote.
std::string quoted(const std::string& s, std::size_t& i, int lineNumber) {
    std::string out;
    while (i < s.size() && s[i] != '"') {
        const std::size_t length = utf8Length(s, i);
        if (length == 0)
            throw RezError(lineNumber, "a string that is not UTF-8");
        if (length > 1) {
            out += s.substr(i, length);
            i += length;
            continue;
        }
        const char c = s[i];
        out += c == '\\' && ++i < s.size() ? escaped(s, i, lineNumber) : c;
        ++i;
    }
    if (i >= s.size())
        throw RezError(lineNumber, "unterminated string");
    ++i;
    return out;
}

RezLine tokenize(const std::string& s, int lineNumber) {
    RezLine line{lineNumber, {}};
    std::size_t i = 0;
    while (i < s.size()) {
        if (std::isspace(static_cast<unsigned char>(s[i]))) {
            ++i;
        } else if (s[i] == '#') {
            break;
        } else if (s[i] == '"') {
            ++i;
            line.tokens.push_back({quoted(s, i, lineNumber), true});
        } else {
            std::size_t start = i;
            while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i])))
                ++i;
            line.tokens.push_back({s.substr(start, i - start), false});
        }
    }
    return line;
}

const RezToken& token(const RezLine& line, std::size_t index, const char* what) {
    if (index >= line.tokens.size())
        throw RezError(line.number, std::string("missing ") + what);
    return line.tokens[index];
}

} // namespace

std::vector<RezLine> RezSplitLines(const std::string& text) {
    std::vector<RezLine> lines;
    std::size_t pos = 0;
    for (int number = 1; pos <= text.size(); ++number) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        RezLine line = tokenize(text.substr(pos, end - pos), number);
        if (!line.tokens.empty())
            lines.push_back(std::move(line));
        pos = end + 1;
    }
    return lines;
}

long RezNumber(const RezLine& line, std::size_t index) {
    const RezToken& t = token(line, index, "number");
    char* end = nullptr;
    long value = t.quoted ? 0 : std::strtol(t.text.c_str(), &end, 0);
    if (t.quoted || t.text.empty() || *end)
        throw RezError(line.number, "expected a number, found '" + t.text + "'");
    return value;
}

std::string RezString(const RezLine& line, std::size_t index) {
    const RezToken& t = token(line, index, "quoted string");
    if (!t.quoted)
        throw RezError(line.number, "expected a quoted string, found '" + t.text + "'");
    return t.text;
}

std::string RezWord(const RezLine& line, std::size_t index) {
    return token(line, index, "word").text;
}

bool RezFlag(const RezLine& line, std::size_t index) {
    std::string w = RezWord(line, index);
    if (w == "yes" || w == "true")
        return true;
    if (w == "no" || w == "false")
        return false;
    throw RezError(line.number, "expected yes or no, found '" + w + "'");
}
