// Pascal strings for tests: a length byte, then the bytes.
#pragma once

#include "Types.h"

#include <string>

struct PString {
    Str255 s;
    explicit PString(const std::string& text) {
        s[0] = static_cast<unsigned char>(text.size());
        text.copy(reinterpret_cast<char*>(s + 1), text.size());
    }
};

inline std::string pstr(ConstStr255Param s) {
    return std::string(reinterpret_cast<const char*>(s + 1), s[0]);
}
