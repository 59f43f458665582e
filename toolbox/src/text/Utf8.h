// Text is UTF-8 throughout the Toolbox: drawn, measured, edited and compared by character.
#pragma once

#include <cstdint>
#include <string>

namespace utf8 {

constexpr std::uint32_t kReplacement = 0xFFFD;

inline bool isContinuation(std::uint8_t byte) {
    return (byte & 0xC0) == 0x80;
}

// The bytes of the character a lead byte begins: 1 for ASCII and for a byte that begins none.
int sequenceLength(std::uint8_t lead);

// The character starting at bytes[*at] (of `count`), *at moved past it. A malformed or cut sequence
// gives one replacement character for its first byte.
std::uint32_t next(const std::uint8_t* bytes, int count, int* at);

// Where the character that ends at byte offset `at` starts (0 at the start).
int previous(const std::uint8_t* bytes, int at);
// Where the character after the one starting at `at` starts (count at the end).
int following(const std::uint8_t* bytes, int count, int at);

// The character as compared: upper case unless caseSens, without its accent unless diacSens.
std::uint32_t fold(std::uint32_t c, bool caseSens, bool diacSens);

// Whether two texts are the same characters once folded.
bool equal(const std::uint8_t* a, int aCount, const std::uint8_t* b, int bCount, bool caseSens,
           bool diacSens);
inline bool equal(const std::string& a, const std::string& b, bool caseSens, bool diacSens) {
    return equal(reinterpret_cast<const std::uint8_t*>(a.data()), int(a.size()),
                 reinterpret_cast<const std::uint8_t*>(b.data()), int(b.size()), caseSens, diacSens);
}

} // namespace utf8
