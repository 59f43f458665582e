#include "TextUtils.h"

#include <cstring>

namespace {

// Accented letters of Mac Roman: the byte, its letter without the accent, and its upper-case byte.
struct Accented {
    unsigned char byte;
    char plain;
    unsigned char upper;
};
constexpr Accented kAccented[] = {
    {0x80, 'A', 0x80}, {0x81, 'A', 0x81}, {0x82, 'C', 0x82}, {0x83, 'E', 0x83}, {0x84, 'N', 0x84},
    {0x85, 'O', 0x85}, {0x86, 'U', 0x86}, {0x87, 'a', 0xE7}, {0x88, 'a', 0xCB}, {0x89, 'a', 0xE5},
    {0x8A, 'a', 0x80}, {0x8B, 'a', 0xCC}, {0x8C, 'a', 0x81}, {0x8D, 'c', 0x82}, {0x8E, 'e', 0x83},
    {0x8F, 'e', 0xE9}, {0x90, 'e', 0xE6}, {0x91, 'e', 0xE8}, {0x92, 'i', 0xEA}, {0x93, 'i', 0xED},
    {0x94, 'i', 0xEB}, {0x95, 'i', 0xEC}, {0x96, 'n', 0x84}, {0x97, 'o', 0xEE}, {0x98, 'o', 0xF1},
    {0x99, 'o', 0xEF}, {0x9A, 'o', 0x85}, {0x9B, 'o', 0xCD}, {0x9C, 'u', 0xF2}, {0x9D, 'u', 0xF4},
    {0x9E, 'u', 0xF3}, {0x9F, 'u', 0x86}, {0xAF, 'O', 0xAF}, {0xBF, 'o', 0xAF}, {0xCB, 'A', 0xCB},
    {0xCC, 'A', 0xCC}, {0xCD, 'O', 0xCD}, {0xD8, 'y', 0xD9}, {0xD9, 'Y', 0xD9}, {0xE5, 'A', 0xE5},
    {0xE6, 'E', 0xE6}, {0xE7, 'A', 0xE7}, {0xE8, 'E', 0xE8}, {0xE9, 'E', 0xE9}, {0xEA, 'I', 0xEA},
    {0xEB, 'I', 0xEB}, {0xEC, 'I', 0xEC}, {0xED, 'I', 0xED}, {0xEE, 'O', 0xEE}, {0xEF, 'O', 0xEF},
    {0xF1, 'O', 0xF1}, {0xF2, 'U', 0xF2}, {0xF3, 'U', 0xF3}, {0xF4, 'U', 0xF4},
};

const Accented* accented(unsigned char c) {
    for (const Accented& a : kAccented)
        if (a.byte == c)
            return &a;
    return nullptr;
}

unsigned char fold(unsigned char c, bool caseSens, bool diacSens) {
    if (const Accented* a = accented(c)) {
        if (!diacSens)
            c = static_cast<unsigned char>(a->plain);
        else if (!caseSens)
            return a->upper;
    }
    if (!caseSens && c >= 'a' && c <= 'z')
        c = static_cast<unsigned char>(c - 'a' + 'A');
    return c;
}

} // namespace

void NumToString(long n, Str255 out) {
    char digits[24];
    unsigned long magnitude = n < 0 ? 0UL - static_cast<unsigned long>(n) : static_cast<unsigned long>(n);
    int len = 0;
    do {
        digits[len++] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    int pos = 1;
    if (n < 0)
        out[pos++] = '-';
    while (len)
        out[pos++] = static_cast<unsigned char>(digits[--len]);
    out[0] = static_cast<unsigned char>(pos - 1);
}

void StringToNum(ConstStr255Param s, long* n) {
    unsigned long value = 0;
    bool negative = s[0] > 0 && s[1] == '-';
    for (int i = (s[0] > 0 && (s[1] == '-' || s[1] == '+')) ? 2 : 1; i <= s[0]; ++i)
        value = value * 10 + static_cast<unsigned long>(s[i] - '0');
    *n = static_cast<long>(negative ? 0UL - value : value);
}

Boolean EqualString(ConstStr255Param a, ConstStr255Param b, Boolean caseSens, Boolean diacSens) {
    if (a[0] != b[0])
        return false;
    for (int i = 1; i <= a[0]; ++i)
        if (fold(a[i], caseSens, diacSens) != fold(b[i], caseSens, diacSens))
            return false;
    return true;
}
