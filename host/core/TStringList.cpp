#include "TStringList.h"

#include "SysUtils.h"

int TStringList::IndexOf(const std::string& line) const {
  // The host's string lists compare without regard to case.
  for (std::size_t i = 0; i < FLines.size(); ++i) {
    if (SameText(FLines[i], line)) return static_cast<int>(i);
  }
  return -1;
}

std::string TStringList::Text() const {
  std::string text;
  for (const std::string& line : FLines) text += line + "\r\n";
  return text;
}

void TStringList::SetText(const std::string& text) {
  FLines.clear();
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      FLines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  // A final line break ends the last line; it does not open an empty one.
  if (!line.empty()) FLines.push_back(line);
}

std::string TStringList::Names(int index) const {
  const std::string& line = (*this)[index];
  const auto equals = line.find('=');
  return equals == std::string::npos ? std::string() : line.substr(0, equals);
}

std::string TStringList::ValueFromIndex(int index) const {
  const std::string& line = (*this)[index];
  const auto equals = line.find('=');
  return equals == std::string::npos ? std::string() : line.substr(equals + 1);
}
