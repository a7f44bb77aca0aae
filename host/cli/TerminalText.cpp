#include "cli/TerminalText.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr const char* kEllipsis = "\xE2\x80\xA6";     // U+2026

// Length of the well-formed UTF-8 sequence starting at `at`, or 0 when it is not one (overlong
// forms, surrogates and code points beyond U+10FFFF included).
std::size_t SequenceLength(const std::string& text, std::size_t at, std::uint32_t& codePoint) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  std::size_t length = 0;
  std::uint32_t minimum = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, codePoint = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, codePoint = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, codePoint = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (byte(at + i) & 0x3F);
  }
  if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
    return 0;
  return length;
}

std::string Escaped(std::uint32_t codePoint) {
  char buffer[16];
  if (codePoint == 0x1B) return "\\e";
  if (codePoint < 0x80) {
    std::snprintf(buffer, sizeof buffer, "\\x%02x", static_cast<unsigned>(codePoint));
  } else {
    std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(codePoint));
  }
  return buffer;
}

bool IsControl(std::uint32_t codePoint) {
  return codePoint < 0x20 || codePoint == 0x7F || (codePoint >= 0x80 && codePoint <= 0x9F) ||
         // Bidirectional overrides and isolates reorder what the reader sees.
         (codePoint >= 0x202A && codePoint <= 0x202E) ||
         (codePoint >= 0x2066 && codePoint <= 0x2069);
}

}  // namespace

std::string TerminalSafe(const std::string& text, std::size_t lineLimit) {
  std::string safe;
  safe.reserve(text.size() < 4096 ? text.size() : 4096);
  std::size_t lineCharacters = 0;
  bool lineCut = false;
  for (std::size_t at = 0; at < text.size();) {
    std::uint32_t codePoint = 0;
    const std::size_t length = SequenceLength(text, at, codePoint);
    if (codePoint == '\n' && length == 1) {
      safe += '\n';
      lineCharacters = 0;
      lineCut = false;
      ++at;
      continue;
    }
    if (lineCut) {
      at += length == 0 ? 1 : length;
      continue;
    }
    if (lineCharacters == lineLimit) {
      safe += kEllipsis;
      lineCut = true;
      continue;
    }
    ++lineCharacters;
    if (length == 0) {
      safe += kReplacement;
      ++at;
    } else if (codePoint != '\t' && IsControl(codePoint)) {
      safe += Escaped(codePoint);
      at += length;
    } else {
      safe.append(text, at, length);
      at += length;
    }
  }
  return safe;
}
