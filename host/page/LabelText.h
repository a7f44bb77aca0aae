// How a label's text divides into what is shown: the report writer, which checks that a label's
// text fits its box, and the renderers, which draw it, must divide it the same way.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace label_text {

// A single-line label shows its text on one line whatever breaks it holds: each as a blank.
inline std::string OneLine(std::string_view text) {
  std::string line(text);
  std::replace(line.begin(), line.end(), '\n', ' ');
  std::replace(line.begin(), line.end(), '\r', ' ');
  return line;
}

// A multiline label's paragraphs: its text split at line breaks, a carriage return before a
// break dropped.
inline std::vector<std::string_view> Paragraphs(std::string_view text) {
  std::vector<std::string_view> paragraphs;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\n', start);
    std::string_view paragraph =
        text.substr(start, end == std::string_view::npos ? end : end - start);
    if (!paragraph.empty() && paragraph.back() == '\r') paragraph.remove_suffix(1);
    paragraphs.push_back(paragraph);
    if (end == std::string_view::npos) return paragraphs;
    start = end + 1;
  }
}

}  // namespace label_text
