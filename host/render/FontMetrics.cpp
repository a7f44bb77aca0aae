#include "render/FontMetrics.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>
#include <unordered_map>
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

// The first character boundary at or after `offset` of valid UTF-8 `text` (its size at most).
std::size_t CharacterBoundary(std::string_view text, std::size_t offset) {
  while (offset < text.size() && (static_cast<unsigned char>(text[offset]) & 0xC0) == 0x80) {
    ++offset;
  }
  return std::min(offset, text.size());
}

// Whether Pango would end a line inside `text` whatever the width: control characters (tabs
// and breaks), and the separators of lines and paragraphs.
bool BreaksByItself(std::string_view text) {
  for (std::size_t at = 0; at < text.size(); ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x20 || byte == 0x7f) return true;
    if (text.compare(at, 2, "\xC2\x85") == 0 || text.compare(at, 3, "\xE2\x80\xA8") == 0 ||
        text.compare(at, 3, "\xE2\x80\xA9") == 0) {
      return true;
    }
  }
  return false;
}

// Windows of the paragraph that Pango lays out at a time (see BreakLines), in bytes.
constexpr std::size_t kFirstWindow = 1024;
constexpr std::size_t kSmallestWindow = 64;
constexpr std::size_t kLinesPerWindow = 8;
// The last lines of a window, which its artificial end may have broken differently.
constexpr std::size_t kUnsettledLines = 2;

std::string WrapCacheKey(const std::string& text, const TFont& font, double width) {
  std::string key;
  key.reserve(text.size() + font.Family.size() + 48);
  key.append(text).append(1, '\0').append(font.Family).append(1, '\0');
  // The numbers' own bytes: exact, and no formatting on a path taken for every label.
  const auto appendBytes = [&key](const auto& value) {
    key.append(reinterpret_cast<const char*>(&value), sizeof value);
  };
  appendBytes(font.Size);
  appendBytes(width);
  key += static_cast<char>((font.Bold ? 1 : 0) | (font.Italic ? 2 : 0));
  return key;
}

// Recent answers by key. Two generations keep the memory bounded: when the current one is
// full it becomes the previous one, and what is still in use moves back on its next hit.
template <class Value>
class RecentCache {
 public:
  explicit RecentCache(std::size_t generation) : FGeneration(generation) {}

  const Value* Find(const std::string& key) {
    if (auto hit = FCurrent.find(key); hit != FCurrent.end()) return &hit->second;
    if (auto hit = FPrevious.find(key); hit != FPrevious.end()) {
      Value value = std::move(hit->second);
      FPrevious.erase(hit);
      return &Store(key, std::move(value));
    }
    return nullptr;
  }

  const Value& Store(std::string key, Value value) {
    if (FCurrent.size() >= FGeneration) {
      FPrevious = std::move(FCurrent);
      FCurrent.clear();
    }
    return FCurrent.insert_or_assign(std::move(key), std::move(value)).first->second;
  }

 private:
  std::size_t FGeneration;
  std::unordered_map<std::string, Value> FCurrent, FPrevious;
};

}  // namespace

// What shaping a whole line may change against the sum of its characters' own widths
// (kerning, ligatures): a little of the font size, and a little more on long lines.
constexpr double kShapingSlackEm = 0.5;
constexpr double kShapingSlackShare = 0.03;

struct FontMetrics::Impl {
  // Each generation holds more than the multiline labels of a page, so that a page's labels
  // are still there when the page is drawn, and the item descriptions a long report wraps
  // over and over.
  RecentCache<std::vector<std::string>> Wrapped{2048};
  // Lines shaped whole, by WrapCacheKey with a width of 0: the texts a report's labels show
  // again and again (names, headings), a few bytes each.
  RecentCache<double> ShapedWidths{4096};
  SharedLayout Layout{pango_text::CreateMeasuringContext()};
  std::vector<std::pair<TFont, double>> LineHeights;
  // Each font's characters measured alone, as met; ASCII in a table, as most text is.
  struct CharacterWidths {
    std::array<double, 128> Ascii;
    std::unordered_map<gunichar, double> Others;
    CharacterWidths() { Ascii.fill(kUnmeasured); }
  };
  static constexpr double kUnmeasured = -1;
  std::vector<std::pair<TFont, CharacterWidths>> CharacterWidthsByFont;

  CharacterWidths& CharacterWidthsOf(const TFont& font) {
    for (auto& [known, widths] : CharacterWidthsByFont) {
      if (known == font) return widths;
    }
    return CharacterWidthsByFont.emplace_back(font, CharacterWidths()).second;
  }

  // The sum of the widths of the characters of `text`, each measured once; none for text that
  // is not valid UTF-8 or holds control characters, whose shaping is another matter.
  std::optional<double> CharacterSum(std::string_view text, const TFont& font) {
    CharacterWidths& widths = CharacterWidthsOf(font);
    double sum = 0;
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    while (at < end) {
      const auto byte = static_cast<unsigned char>(*at);
      if (byte < 0x80) {
        if (byte < 0x20) return std::nullopt;
        double& width = widths.Ascii[byte];
        if (width == kUnmeasured) width = WidthInUnits(std::string_view(at, 1), font);
        sum += width;
        ++at;
        continue;
      }
      const gunichar character = g_utf8_get_char_validated(at, end - at);
      if (character >= 0xFFFFFFFE) return std::nullopt;
      const char* next = g_utf8_next_char(at);
      auto known = widths.Others.find(character);
      if (known == widths.Others.end()) {
        known =
            widths.Others.emplace(character, WidthInUnits(std::string_view(at, next - at), font))
                .first;
      }
      sum += known->second;
      at = next;
    }
    return sum;
  }

  struct BrokenLine {
    std::string_view Text;
    double EstimatedWidth;  // as shaped inside the paragraph
  };

  // Pango's own line breaks. Pango shapes again the rest of a paragraph for every line it
  // breaks, so one long paragraph would cost the square of its length: a description of
  // 100,000 characters took half a minute. A line's break depends only on its own text and on
  // what closely follows it, so the paragraph is laid out a window of a few lines at a time:
  // the lines well inside a window are final, and the next window starts where the first line
  // that may not be final starts.
  std::vector<BrokenLine> BreakLines(std::string_view text, const TFont& font, double width) {
    std::vector<BrokenLine> broken;
    // An unbounded width does not wrap: the whole paragraph is one window.
    std::size_t window = std::isfinite(width) ? kFirstWindow : text.size();
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = CharacterBoundary(text, start + window);
      const bool whole = end == text.size();
      const std::string_view part = text.substr(start, end - start);
      std::vector<BrokenLine> lines = BreakWindow(part, font, width);
      if (whole) {
        broken.insert(broken.end(), lines.begin(), lines.end());
        return broken;
      }
      if (lines.size() <= kUnsettledLines) {
        window *= 2;  // lines longer than the window: widen it until some are settled
        continue;
      }
      const std::size_t settled = lines.size() - kUnsettledLines;
      broken.insert(broken.end(), lines.begin(),
                    lines.begin() + static_cast<std::ptrdiff_t>(settled));
      const std::size_t next = static_cast<std::size_t>(lines[settled].Text.data() - text.data());
      // Room for a few lines of the length just seen keeps every window's cost bounded.
      const std::size_t lineBytes = std::max<std::size_t>(1, (next - start) / settled);
      window = std::max(kSmallestWindow, lineBytes * (kLinesPerWindow + kUnsettledLines));
      start = next;
    }
  }

  // Lays `part` out at `width` and returns its lines, blanks at their ends left out.
  std::vector<BrokenLine> BreakWindow(std::string_view part, const TFont& font, double width) {
    PangoLayout* layout = Layout.Get();
    Layout.SetText(part, font);
    // A box narrower than one Pango unit still gets one character per line, never an endless
    // or empty result.
    if (std::isfinite(width)) {
      const double pangoWidth = std::clamp(std::floor(width * kPointsPerUnit * PANGO_SCALE), 1.0,
                                           static_cast<double>(G_MAXINT / 2));
      pango_layout_set_width(layout, static_cast<int>(pangoWidth));
    }
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    std::vector<BrokenLine> lines;
    for (GSList* item = pango_layout_get_lines_readonly(layout); item; item = item->next) {
      auto* line = static_cast<PangoLayoutLine*>(item->data);
      const std::string_view lineText = TrimTrailingBlanks(part.substr(
          static_cast<std::size_t>(line->start_index), static_cast<std::size_t>(line->length)));
      int end = 0;
      pango_layout_line_index_to_x(line, line->start_index + static_cast<int>(lineText.size()),
                                   FALSE, &end);
      lines.push_back(
          BrokenLine{lineText, static_cast<double>(end) / PANGO_SCALE * kUnitsPerPoint});
    }
    return lines;
  }

  double WidthInUnits(std::string_view text, const TFont& font) {
    Layout.SetText(text, font);
    return Layout.WidthInPoints() * kUnitsPerPoint;
  }

  // Whether the characters' own widths prove that one line of `text` fits `width`. Only the
  // sure answer is taken: kerning may take much more than the slack off a line full of pairs
  // such as "AV", so a sum over the width proves nothing.
  bool SurelyFits(std::string_view text, const TFont& font, double width) {
    const std::optional<double> sum = CharacterSum(text, font);
    if (!sum) return false;
    const double slack = kShapingSlackEm * font.Size * kUnitsPerPoint + kShapingSlackShare * *sum;
    return *sum + slack <= width;
  }

  // The width of a whole line, shaped once: labels show the same texts page after page.
  double LineWidth(const std::string& text, const TFont& font) {
    std::string key = WrapCacheKey(text, font, 0);
    if (const double* known = ShapedWidths.Find(key)) return *known;
    return ShapedWidths.Store(std::move(key), WidthInUnits(text, font));
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
  return FImpl->LineWidth(text, font);
}

bool FontMetrics::FitsWidth(const std::string& text, const TFont& font, double width) const {
  return FImpl->SurelyFits(text, font, width) || FImpl->LineWidth(text, font) <= width;
}

std::vector<std::string> FontMetrics::WrapParagraph(const std::string& text, const TFont& font,
                                                    double width) const {
  // The report writer wraps a label to size its band and the renderer wraps it again to draw
  // it: the second time comes from the cache.
  std::string key = WrapCacheKey(text, font, width);
  if (const std::vector<std::string>* known = FImpl->Wrapped.Find(key)) return *known;

  const std::string valid = pango_text::ValidUtf8(text);
  // A paragraph that surely fits its width is its one line, trailing blanks aside, as Pango
  // would leave it: most are met once (a protocol's own title), and laying them out costs a
  // shaping of the whole paragraph. A close call is left to the layout.
  const std::string_view whole = TrimTrailingBlanks(valid);
  if (!BreaksByItself(whole) && FImpl->SurelyFits(whole, font, width)) {
    return FImpl->Wrapped.Store(std::move(key), {std::string(whole)});
  }
  const std::vector<Impl::BrokenLine> broken = FImpl->BreakLines(valid, font, width);

  // A line shaped on its own differs from its shape inside the paragraph only by kerning or
  // ligatures at its ends, a small fraction of the font size; lines with more room to spare
  // than that are known to fit without measuring them again.
  const double safeMargin = 0.5 * font.Size * kUnitsPerPoint;
  std::vector<std::string> lines;
  lines.reserve(broken.size());
  for (const Impl::BrokenLine& line : broken) {
    if (line.Text.empty()) {
      lines.emplace_back();
    } else if (line.EstimatedWidth <= width - safeMargin) {
      lines.emplace_back(line.Text);
    } else {
      FImpl->AppendFitting(line.Text, font, width, lines);
    }
  }
  if (lines.empty()) lines.emplace_back();
  FImpl->Wrapped.Store(std::move(key), lines);
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
