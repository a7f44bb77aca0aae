// The small pieces of PDF syntax the writer repeats: numbers, names of objects, strings in the
// document information and dates. Numbers are written without printf, which is both slower and
// bound to the locale.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace pdf_syntax {

// A number rounded to three decimals, trailing zeros and a needless point left out.
void AppendNumber(std::string& out, double value);
void AppendInteger(std::string& out, long long value);
// "12 0 R".
void AppendReference(std::string& out, std::uint32_t object);
// Four upper-case hexadecimal digits: a glyph id in a two-byte encoding.
void AppendHex16(std::string& out, std::uint16_t value);
// A glyph id as the two bytes of a literal string in a two-byte encoding, escaped where the
// string's syntax asks. Half the bytes of the same ids in hexadecimal: page contents are
// mostly glyph ids, and compressing them costs by the byte.
void AppendGlyphBytes(std::string& out, std::uint16_t glyph);
// A text string of the document information: a literal string when `utf8` is plain ASCII,
// else UTF-16BE with a byte order mark, as readers expect for other text.
std::string TextString(std::string_view utf8);
// "D:20260101000000Z".
std::string Date(std::time_t time);
// The UTF-16BE code units of `utf8` in hexadecimal, four digits each (invalid bytes count as
// U+FFFD).
std::string Utf16Hex(std::string_view utf8);

}  // namespace pdf_syntax
