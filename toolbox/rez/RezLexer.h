// Splits resource text into lines of tokens: bare words, numbers and quoted strings.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

struct RezToken {
    std::string text;
    bool quoted = false;
};

struct RezLine {
    int number = 0;
    std::vector<RezToken> tokens;
};

// Thrown with a message that the compiler prefixes with the file and line.
struct RezError : std::runtime_error {
    int line;
    RezError(int lineNumber, const std::string& message) : std::runtime_error(message), line(lineNumber) {}
};

// The non-empty lines of `text`; '#' at the start of a token begins a comment. Quoted strings take
// \" \\ \n \r \t and \xNN; characters outside ASCII must be written as \xNN (Mac Roman bytes).
std::vector<RezLine> RezSplitLines(const std::string& text);

// Token access with errors that name the line.
long RezNumber(const RezLine& line, std::size_t index);
std::string RezString(const RezLine& line, std::size_t index);
std::string RezWord(const RezLine& line, std::size_t index);
bool RezFlag(const RezLine& line, std::size_t index);
