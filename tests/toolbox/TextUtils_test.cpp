#include "TextUtils.h"
#include "UiTestSupport.h"

#include <tuple>

namespace {

TEST(TextUtils, NumToStringAndBack) {
    for (const long n : {0L, 7L, -7L, 100L, 2147483647L, -2147483648L}) {
        Str255 s;
        NumToString(n, s);
        long back = 1;
        StringToNum(s, &back);
        EXPECT_EQ((std::tuple{pstr(s), back}), (std::tuple{std::to_string(n), n}));
    }
}

TEST(TextUtils, EqualStringFoldsCaseAndAccents) {
    // Mac Roman: 0x8E e-acute, 0x83 E-acute, 0x8A a-diaeresis, 0x80 A-diaeresis.
    struct Case {
        const char* a;
        const char* b;
        bool caseSens, diacSens, equal;
    };
    const Case cases[] = {
        {"Default", "default", false, true, true}, {"Default", "default", true, true, false},
        {"caf\x8E", "CAF\x83", false, true, true}, {"caf\x8E", "cafe", false, true, false},
        {"caf\x8E", "cafe", true, false, true},    {"caf\x8E", "CAFE", false, false, true},
        {"\x8A", "\x80", false, true, true},       {"\x8A", "\x80", true, true, false},
        {"abc", "abcd", false, false, false},      {"", "", true, true, true},
        {"a[", "A{", false, true, false}, // only letters fold
    };
    for (const Case& c : cases)
        EXPECT_EQ(bool(EqualString(PString(c.a).s, PString(c.b).s, c.caseSens, c.diacSens)), c.equal)
            << c.a << " vs " << c.b << " case " << c.caseSens << " diac " << c.diacSens;
}

} // namespace
