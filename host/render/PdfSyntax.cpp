#include "render/PdfSyntax.h"

#include <glib.h>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace pdf_syntax {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendUtf16Unit(std::string& out, std::uint32_t unit) {
  for (int shift = 12; shift >= 0; shift -= 4) out += kHexDigits[(unit >> shift) & 0xF];
}

}  // namespace

void AppendInteger(std::string& out, long long value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

void AppendNumber(std::string& out, double value) {
  // Thousandths as an integer: exact, fast, and the same bytes on every run. Nothing on a
  // page comes near the bound, which keeps the integer from overflowing.
  constexpr double kLargest = 1e12;
  if (!std::isfinite(value)) value = 0;
  value = std::clamp(value, -kLargest, kLargest);
  const long long thousandths = std::llround(value * 1000);
  if (thousandths % 1000 == 0) {
    AppendInteger(out, thousandths / 1000);
    return;
  }
  if (thousandths < 0) out += '-';
  const long long magnitude = thousandths < 0 ? -thousandths : thousandths;
  AppendInteger(out, magnitude / 1000);
  char fraction[3] = {static_cast<char>('0' + magnitude / 100 % 10),
                      static_cast<char>('0' + magnitude / 10 % 10),
                      static_cast<char>('0' + magnitude % 10)};
  int digits = 3;
  while (fraction[digits - 1] == '0') --digits;
  out += '.';
  out.append(fraction, static_cast<std::size_t>(digits));
}

void AppendReference(std::string& out, std::uint32_t object) {
  AppendInteger(out, object);
  out += " 0 R";
}

void AppendHex16(std::string& out, std::uint16_t value) {
  AppendUtf16Unit(out, value);
}

void AppendGlyphBytes(std::string& out, std::uint16_t glyph) {
  const unsigned id = glyph;
  for (const unsigned byte : {id >> 8u, id & 0xFFu}) {
    // A bare carriage return would be read as a line end, and parentheses and backslashes
    // delimit and escape.
    if (byte == '(' || byte == ')' || byte == '\\') {
      out += '\\';
    } else if (byte == '\r') {
      out += "\\r";
      continue;
    }
    out += static_cast<char>(byte);
  }
}

std::string Utf16Hex(std::string_view utf8) {
  std::string hex;
  const char* at = utf8.data();
  const char* const end = utf8.data() + utf8.size();
  while (at < end) {
    gunichar character = g_utf8_get_char_validated(at, end - at);
    if (character >= 0xFFFFFFFE) {
      character = 0xFFFD;
      ++at;
    } else {
      at = g_utf8_next_char(at);
    }
    if (character >= 0x10000) {
      const std::uint32_t offset = character - 0x10000;
      AppendUtf16Unit(hex, 0xD800 + (offset >> 10));
      AppendUtf16Unit(hex, 0xDC00 + (offset & 0x3FF));
    } else {
      AppendUtf16Unit(hex, character);
    }
  }
  return hex;
}

std::string TextString(std::string_view utf8) {
  bool ascii = true;
  for (char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 || byte < 0x20) ascii = false;
  }
  if (!ascii) return "<FEFF" + Utf16Hex(utf8) + ">";
  std::string literal = "(";
  for (char c : utf8) {
    if (c == '(' || c == ')' || c == '\\') literal += '\\';
    literal += c;
  }
  return literal + ")";
}

std::string Date(std::time_t time) {
  std::tm utc{};
  gmtime_r(&time, &utc);
  char text[32];
  std::strftime(text, sizeof text, "D:%Y%m%d%H%M%SZ", &utc);
  return text;
}

}  // namespace pdf_syntax
