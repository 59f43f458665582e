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
    struct Case {
        const char* a;
        const char* b;
        bool caseSens, diacSens, equal;
    };
    const Case cases[] = {
        {"Default", "default", false, true, true},
        {"Default", "default", true, true, false},
        {"café", "CAFÉ", false, true, true},
        {"café", "cafe", false, true, false},
        {"café", "cafe", true, false, true},
        {"café", "CAFE", false, false, true},
        {"Grüße ñø", "GRÜßE ÑØ", false, true, true}, // ß has no capital of its own
        {"ä", "Ä", true, true, false},
        {"Ωμεγα", "ΩΜΕΓΑ", false, true, true},
        {"Москва", "МОСКВА", false, true, true},
        {"ŁÓDŹ", "łódź", false, true, true},
        {"光", "光", false, false, true},
        {"abc", "abcd", false, false, false},
        {"", "", true, true, true},
        {"a[", "A{", false, true, false},    // only letters fold
        {"\xC3", "\xC3", false, true, true}, // a stray byte equals itself
    };
    for (const Case& c : cases)
        EXPECT_EQ(bool(EqualString(PString(c.a).s, PString(c.b).s, c.caseSens, c.diacSens)), c.equal)
            << c.a << " vs " << c.b << " case " << c.caseSens << " diac " << c.diacSens;
}

} // namespace
