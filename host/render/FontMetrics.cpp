#include "render/FontMetrics.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "render/PangoText.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view TrimLeadingBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

// Byte length of the first `count` code points of valid UTF-8 `text`.
std::size_t CodePointBytes(std::string_view text, std::size_t count) {
  const char* end = g_utf8_offset_to_pointer(text.data(), static_cast<glong>(count));
  return static_cast<std::size_t>(end - text.data());
}

}  // namespace

struct FontMetrics::Impl {
  SharedLayout Layout{pango_text::CreateMeasuringContext()};
  std::vector<std::pair<TFont, double>> LineHeights;

  double WidthInUnits(std::string_view text, const TFont& font) {
    Layout.SetText(text, font);
    return Layout.WidthInPoints() * kUnitsPerPoint;
  }

  // Pango decides breaks by its own line widths; a line read back and measured alone can, in
  // rare shaping cases, come out a hair wider. Such a line is split again greedily so that
  // the promise "no line wider than the box" holds for what is drawn.
  void AppendFitting(std::string_view line, const TFont& font, double width,
                     std::vector<std::string>& lines) {
    while (!line.empty() && WidthInUnits(line, font) > width) {
      const std::size_t codePoints =
          static_cast<std::size_t>(g_utf8_strlen(line.data(), static_cast<gssize>(line.size())));
      // Longest prefix that fits, at least one character so that the text always advances.
      std::size_t low = 1, high = codePoints;
      while (low < high) {
        const std::size_t middle = (low + high + 1) / 2;
        if (WidthInUnits(line.substr(0, CodePointBytes(line, middle)), font) <= width) {
          low = middle;
        } else {
          high = middle - 1;
        }
      }
      std::size_t cut = CodePointBytes(line, low);
      const std::size_t lastBlank = line.substr(0, cut).find_last_of(' ');
      if (lastBlank != std::string_view::npos && lastBlank > 0) cut = lastBlank;
      lines.emplace_back(TrimTrailingBlanks(line.substr(0, cut)));
      line = TrimLeadingBlanks(line.substr(cut));
    }
    if (!line.empty() || lines.empty()) lines.emplace_back(line);
  }
};

FontMetrics::FontMetrics() : FImpl(std::make_unique<Impl>()) {}
FontMetrics::~FontMetrics() = default;

double FontMetrics::TextWidth(const std::string& text, const TFont& font) const {
  return FImpl->WidthInUnits(text, font);
}

std::vector<std::string> FontMetrics::WrapParagraph(const std::string& text, const TFont& font,
                                                    double width) const {
  const std::string valid = pango_text::ValidUtf8(text);
  PangoLayout* layout = FImpl->Layout.Get();
  FImpl->Layout.SetText(valid, font);
  // A box narrower than one Pango unit still gets one character per line, never an endless
  // or empty result; an unbounded width does not wrap.
  if (std::isfinite(width)) {
    const double pangoWidth = std::clamp(std::floor(width * kPointsPerUnit * PANGO_SCALE), 1.0,
                                         static_cast<double>(G_MAXINT / 2));
    pango_layout_set_width(layout, static_cast<int>(pangoWidth));
  }
  pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);

  std::vector<std::string_view> broken;
  for (GSList* item = pango_layout_get_lines_readonly(layout); item; item = item->next) {
    const auto* line = static_cast<const PangoLayoutLine*>(item->data);
    broken.push_back(TrimTrailingBlanks(std::string_view(valid).substr(
        static_cast<std::size_t>(line->start_index), static_cast<std::size_t>(line->length))));
  }

  std::vector<std::string> lines;
  lines.reserve(broken.size());
  for (std::string_view line : broken) {
    if (line.empty()) {
      lines.emplace_back();
    } else {
      FImpl->AppendFitting(line, font, width, lines);
    }
  }
  if (lines.empty()) lines.emplace_back();
  return lines;
}

double FontMetrics::LineHeight(const TFont& font) const {
  for (const auto& [known, height] : FImpl->LineHeights) {
    if (known == font) return height;
  }
  FImpl->Layout.SetText("", font);
  PangoRectangle logical;
  pango_layout_get_extents(FImpl->Layout.Get(), nullptr, &logical);
  const double height = static_cast<double>(logical.height) / PANGO_SCALE * kUnitsPerPoint;
  FImpl->LineHeights.emplace_back(font, height);
  return height;
}
