#include "Utf8.h"

namespace utf8 {

namespace {

// U+00C0 to U+00FF without their accents; '.' keeps the letter as it is.
constexpr char kPlainLatin1[] = "AAAAAA.CEEEEIIII.NOOOOO.OUUUUY..aaaaaa.ceeeeiiii.nooooo.ouuuuy.y";

// The sequence length a lead byte announces, 0 for a byte that cannot begin one.
int lengthFor(std::uint8_t lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    return lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
}

std::uint32_t withoutAccent(std::uint32_t c) {
    if (c < 0xC0 || c > 0xFF || kPlainLatin1[c - 0xC0] == '.')
        return c;
    return std::uint8_t(kPlainLatin1[c - 0xC0]);
}

// Lower-case letters of the Latin, Greek and Cyrillic blocks to upper case; ß stays as it is.
std::uint32_t upper(std::uint32_t c) {
    const bool latinPairs = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool latinPairsShifted = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
        (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F))
        return c - 32;
    if (latinPairs)
        return c & ~1u;
    if (latinPairsShifted)
        return c % 2 == 0 ? c - 1 : c;
    if (c >= 0x450 && c <= 0x45F)
        return c - 80;
    switch (c) {
    case 0xFF:
        return 0x178;
    case 0x3C2: // final sigma
        return 0x3A3;
    case 0x1E9E: // capital sharp s
        return 0xDF;
    default:
        return c;
    }
}

} // namespace

int sequenceLength(std::uint8_t lead) {
    const int length = lengthFor(lead);
    return length ? length : 1;
}

std::uint32_t next(const std::uint8_t* bytes, int count, int* at) {
    static constexpr std::uint32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    const std::uint8_t lead = bytes[*at];
    const int length = lengthFor(lead);
    if (length == 1 || length == 0 || *at + length > count) {
        ++*at;
        return length == 1 ? lead : kReplacement;
    }
    std::uint32_t c = lead & (0x7Fu >> length);
    for (int k = 1; k < length; ++k) {
        if (!isContinuation(bytes[*at + k])) {
            ++*at;
            return kReplacement;
        }
        c = c << 6 | (bytes[*at + k] & 0x3Fu);
    }
    if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++*at;
        return kReplacement;
    }
    *at += length;
    return c;
}

int previous(const std::uint8_t* bytes, int at) {
    if (at <= 0)
        return 0;
    int start = at - 1;
    while (start > 0 && at - start < 4 && isContinuation(bytes[start]))
        --start;
    int end = start;
    next(bytes, at, &end);
    return end == at ? start : at - 1;
}

int following(const std::uint8_t* bytes, int count, int at) {
    if (at < count)
        next(bytes, count, &at);
    return at;
}

std::uint32_t fold(std::uint32_t c, bool caseSens, bool diacSens) {
    if (!diacSens)
        c = withoutAccent(c);
    return caseSens ? c : upper(c);
}

bool equal(const std::uint8_t* a, int aCount, const std::uint8_t* b, int bCount, bool caseSens,
           bool diacSens) {
    int i = 0, j = 0;
    while (i < aCount && j < bCount)
        if (fold(next(a, aCount, &i), caseSens, diacSens) != fold(next(b, bCount, &j), caseSens, diacSens))
            return false;
    return i == aCount && j == bCount;
}

} // namespace utf8
