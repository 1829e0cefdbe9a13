#pragma once

#include <string_view>

// Reads the number at the start of a typed text, the way every number the
// user types is read: blanks, tabs and line feeds anywhere in the text are
// skipped; then an optional sign, digits with at most one "." as the decimal
// point and an optional exponent (E or D in either case, optional sign,
// digits) are taken, and reading stops at the first character that does not
// fit. Text without a leading number gives 0; the parse never fails.
// "3dB" -> 3, " 1 2" -> 12, "1.5.3" -> 1.5, "1D2" -> 100, "1e" -> 1.
//
// The locale is never used. The result is always finite: a number too large
// for a double gives 0, and one too small to be told from 0 gives 0.
// Time is linear in the length of the text, however long.
double LeadingNumber(std::string_view text);
