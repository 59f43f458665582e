#include "TextUtils.h"

#include "Utf8.h"

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
    return utf8::equal(a + 1, a[0], b + 1, b[0], caseSens, diacSens);
}
