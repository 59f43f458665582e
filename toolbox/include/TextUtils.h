// Number and string utilities on Pascal strings (length byte first, Mac Roman).
#pragma once

#include "Types.h"

// n in decimal, '-' before negatives, no '+' or leading zeros.
void NumToString(long n, Str255 out);
// The inverse of NumToString: optional sign, then digits (not checked, as in the classic call).
void StringToNum(ConstStr255Param s, long* n);
// True when the UTF-8 strings are equal; caseSens false folds letter case (Latin, Greek and
// Cyrillic letters), diacSens false ignores the accents of Latin-1 letters ('é' equals 'e').
Boolean EqualString(ConstStr255Param a, ConstStr255Param b, Boolean caseSens, Boolean diacSens);
