// Conversions and formats of the host's runtime, under its Brazilian regional settings:
// thousands separator '.', decimal separator ',', short date dd/mm/yyyy.
#pragma once

#include <cstdint>
#include <string>

#include "KdrApi.h"
#include "TDateTime.h"

// Integer of a text (blanks around it allowed), or `fallback` when it is not one.
KDR_API int StrToIntDef(const std::string& text, int fallback);
KDR_API std::int64_t StrToInt64Def(const std::string& text, std::int64_t fallback);
// Date of a text "dd/mm/yyyy" (also "d/m/yy" and ISO "yyyy-mm-dd"), or `fallback`.
KDR_API TDateTime StrToDateDef(const std::string& text, TDateTime fallback);

// Number patterns: '0' a digit always shown, '#' a digit shown when significant, ',' grouping,
// '.' the decimal point; e.g. "#,##0.00" gives 1.234,50 and "00000" gives 00007.
KDR_API std::string FormatFloat(const std::string& pattern, double value);
// Date patterns: dd, mm, yyyy, yy, hh, nn, ss and literal characters; "/" is the date separator.
KDR_API std::string FormatDateTime(const std::string& pattern, TDateTime value);
// dd/mm/yyyy
KDR_API std::string DateToStr(TDateTime value);
// dd/mm/yyyy hh:nn:ss, or the date alone when the time is midnight.
KDR_API std::string DateTimeToStr(TDateTime value);

KDR_API std::string Trim(const std::string& text);
KDR_API std::string UpperCase(const std::string& text);
KDR_API bool SameText(const std::string& a, const std::string& b);
// The first `count` characters (not bytes) of a UTF-8 text.
KDR_API std::string LeftChars(const std::string& text, int count);
KDR_API int CharCount(const std::string& text);
