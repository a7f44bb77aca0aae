#include "render/TextSink.h"

#include <glib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "Exception.h"

namespace {

// One character cell: a character with the combining marks that follow it, so that text in
// decomposed form takes as many columns as it shows.
using Cell = std::string;

std::string ValidUtf8(std::string_view text) {
  if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
    return std::string(text);
  }
  std::unique_ptr<gchar, decltype(&g_free)> valid(
      g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())), &g_free);
  return std::string(valid.get());
}

// Splits text into cells; blanks of any kind become one space, other control characters
// (which would upset a terminal or the page structure) are dropped.
std::vector<Cell> SplitCells(std::string_view raw) {
  const std::string text = ValidUtf8(raw);
  std::vector<Cell> cells;
  cells.reserve(text.size());
  for (const char* at = text.c_str(); *at;) {
    const auto byte = static_cast<unsigned char>(*at);
    if (byte < 0x80) {
      // ASCII, most of any report: no table lookups.
      if (byte == '\t' || byte == '\n' || byte == '\r') {
        cells.emplace_back(" ");
      } else if (byte >= 0x20 && byte != 0x7f) {
        cells.emplace_back(1, static_cast<char>(byte));
      }
      ++at;
      continue;
    }
    const char* next = g_utf8_next_char(at);
    const gunichar character = g_utf8_get_char(at);
    if (character == '\t' || character == '\n' || character == '\r') {
      cells.emplace_back(" ");
    } else if (g_unichar_iscntrl(character)) {
      // dropped
    } else if (g_unichar_iszerowidth(character) && !cells.empty()) {
      cells.back().append(at, next);
    } else {
      cells.emplace_back(at, next);
    }
    at = next;
  }
  return cells;
}

// Greedy word wrap by cell count; a word longer than the width is cut.
std::vector<std::vector<Cell>> WrapCells(const std::vector<Cell>& cells, int width) {
  std::vector<std::vector<Cell>> lines;
  std::vector<Cell> current;
  std::size_t index = 0;
  auto flush = [&] {
    while (!current.empty() && current.back() == " ") current.pop_back();
    lines.push_back(std::move(current));
    current.clear();
  };
  while (index < cells.size()) {
    if (cells[index] == " ") {
      if (!current.empty()) current.push_back(" ");
      ++index;
      continue;
    }
    std::size_t wordEnd = index;
    while (wordEnd < cells.size() && cells[wordEnd] != " ") ++wordEnd;
    const std::size_t wordLength = wordEnd - index;
    if (current.size() + wordLength > static_cast<std::size_t>(width) && !current.empty()) {
      flush();
    }
    while (index < wordEnd) {
      if (current.size() == static_cast<std::size_t>(width)) flush();
      current.push_back(cells[index++]);
    }
  }
  if (!current.empty() || lines.empty()) flush();
  return lines;
}

enum class CellUse : std::uint8_t { Blank, Line, Text };

int Rows(double height) {
  return static_cast<int>(std::lround(height / TextSink::kRowHeight));
}

// Layout distances this close are one place.
constexpr double kSamePlace = 1e-6;

// Where layout distances land on the page's text columns: one column per 7 units, plus the
// columns a page adds at a label's right edge when the label's text needs more than its box
// gives, so that numbers, dates and words print whole and everything to the right moves along.
class ColumnMap {
 public:
  int Column(double x) const {
    int column = static_cast<int>(std::lround(x / TextSink::kColumnWidth));
    for (const auto& [at, added] : FAdded) {
      if (at > x + kSamePlace) break;
      column += added;
    }
    return column;
  }
  int Columns(double pageWidth) const {
    int columns = static_cast<int>(std::ceil(pageWidth / TextSink::kColumnWidth));
    for (const auto& entry : FAdded) columns += entry.second;
    return std::max(1, columns);
  }
  void Widen(double at, int columns) { FAdded[at] += columns; }

 private:
  std::map<double, int> FAdded;
};

bool IsHorizontalRule(const LineItem& line) {
  return std::abs(line.Y2 - line.Y1) < TextSink::kRowHeight / 2 && line.Thickness > 0;
}

// Where a band's items go. Rows are counted from the band's own top, so that a band prints the
// same way wherever it falls on the page, its rules included.
struct BandRows {
  double Top = 0;
  int First = 0;
  int Count = 1;
  // Rows added below a multiline label whose text needs more rows than its box: what the band
  // shows under the label moves down by them.
  std::vector<std::pair<double, int>> Added;
  int Row(double y) const {
    int row = First + Rows(y - Top);
    for (const auto& [below, rows] : Added) {
      if (y >= below - kSamePlace) row += rows;
    }
    return row;
  }
};

int BoxStart(const TextItem& item, const ColumnMap& map) {
  return map.Column(item.Left);
}
int BoxColumns(const TextItem& item, const ColumnMap& map) {
  return std::max(1, map.Column(item.Left + item.Width) - BoxStart(item, map));
}

// Each label's text in cells, and a multiline label's lines at its current width, made once
// per page: the layout reads them again in every round.
class TextCells {
 public:
  const std::vector<Cell>& Of(const TextItem& item) {
    auto [entry, added] = FCells.try_emplace(&item);
    if (added) entry->second = SplitCells(item.Text);
    return entry->second;
  }
  // Valid until the label's width in columns changes.
  const std::vector<std::vector<Cell>>& Lines(const TextItem& item, int columns) {
    auto [entry, added] = FLines.try_emplace(&item);
    if (added || entry->second.first != columns) {
      entry->second = {columns, WrapCells(Of(item), columns)};
    }
    return entry->second.second;
  }

 private:
  std::unordered_map<const TextItem*, std::vector<Cell>> FCells;
  std::unordered_map<const TextItem*, std::pair<int, std::vector<std::vector<Cell>>>> FLines;
};

// A multiline label takes the rows of its box, or more when its text needs them: the text
// format shows every line rather than drop the last ones.
int RowsOf(const TextItem& item, const ColumnMap& map, TextCells& texts) {
  if (!item.Multiline) return 1;
  const int lines = static_cast<int>(texts.Lines(item, BoxColumns(item, map)).size());
  return std::max({1, Rows(item.Height), lines});
}

// The longest word of a text, in cells: a multiline label must be at least that wide.
int LongestWord(const std::vector<Cell>& cells) {
  int longest = 0, current = 0;
  for (const Cell& cell : cells) {
    current = cell == " " ? 0 : current + 1;
    longest = std::max(longest, current);
  }
  return longest;
}

class TextGrid {
 public:
  TextGrid(const ColumnMap& map, TextCells& texts, double width, int rows)
      : FMap(map),
        FTexts(texts),
        FColumns(map.Columns(width)),
        FRows(std::max(1, rows)),
        FCells(static_cast<std::size_t>(FColumns * FRows)),
        FUse(FCells.size(), CellUse::Blank),
        FClaimed(FCells.size(), false) {}

  // Marks where every label of the page will show before any is placed, so that a long text
  // only runs on into room that no other label needs.
  void Claim(const TextItem& item, const BandRows& band) {
    const int boxStart = BoxStart(item, FMap);
    const int boxColumns = BoxColumns(item, FMap);
    int first = boxStart, last = boxStart + boxColumns;
    if (!item.Multiline) {
      const int length = static_cast<int>(FTexts.Of(item).size());
      if (length == 0) return;
      if (length < boxColumns) {
        first = AlignedStart(boxStart, boxColumns, length, item.Align);
        last = first + length;
      }
    }
    const int firstRow = band.Row(item.Top);
    for (int row = firstRow; row < firstRow + RowsOf(item, FMap, FTexts); ++row) {
      for (int column = first; column < last; ++column) {
        if (Inside(row, column)) FClaimed[Index(row, column)] = true;
      }
    }
  }

  // Places a label's text; returns how many more columns its box needs for the text to show
  // whole: a single line beside the texts already placed, every word of a multiline label on a
  // line of its own.
  int PlaceText(const TextItem& item, const BandRows& band) {
    const int boxStart = BoxStart(item, FMap);
    const int boxColumns = BoxColumns(item, FMap);
    const int firstRow = band.Row(item.Top);
    const std::vector<Cell>& cells = FTexts.Of(item);
    if (!item.Multiline) {
      const int length = static_cast<int>(cells.size());
      const Span span = LineSpan(firstRow, boxStart, boxColumns, length, item.Align);
      PlaceLine(firstRow, span, cells);
      return cells.empty() ? 0 : std::max(0, length - (span.second - span.first));
    }
    const auto& lines = FTexts.Lines(item, boxColumns);
    for (std::size_t line = 0; line < lines.size(); ++line) {
      const std::vector<Cell>& text = lines[line];
      const int length = static_cast<int>(text.size());
      const int start =
          AlignedStart(boxStart, boxColumns, std::min(length, boxColumns), item.Align);
      PlaceLine(firstRow + static_cast<int>(line), {start, start + length}, text);
    }
    return std::max(0, LongestWord(cells) - boxColumns);
  }

  void PlaceRule(const LineItem& item, const BandRows& band) {
    const int firstColumn = std::max(0, FMap.Column(std::min(item.X1, item.X2)));
    const int lastColumn = std::min(FColumns, FMap.Column(std::max(item.X1, item.X2)));
    if (firstColumn >= lastColumn) return;
    const double y = (item.Y1 + item.Y2) / 2;
    // A rule goes on a row of its band where it crosses no text and no other rule: its own
    // row, else the neighbour on the side it leans to, else the other. Dashes woven between
    // words would only garble them.
    const int lastRow = band.First + band.Count - 1;
    const int nearest = std::clamp(band.Row(y), band.First, lastRow);
    const bool leansUp = (y - band.Top) / TextSink::kRowHeight < nearest - band.First;
    const int first = leansUp ? nearest - 1 : nearest + 1;
    const int second = leansUp ? nearest + 1 : nearest - 1;
    for (int row : {nearest, first, second}) {
      if (row < band.First || row > lastRow || !RowInside(row) ||
          Taken(row, firstColumn, lastColumn)) {
        continue;
      }
      for (int column = firstColumn; column < lastColumn; ++column) {
        FCells[Index(row, column)] = kRule;
        FUse[Index(row, column)] = CellUse::Line;
      }
      return;
    }
  }

  void Write(std::ostream& out) const {
    int lastRow = FRows - 1;
    while (lastRow >= 0 && RowBlank(lastRow)) --lastRow;
    for (int row = 0; row <= lastRow; ++row) {
      int end = FColumns;
      while (end > 0 && FUse[Index(row, end - 1)] == CellUse::Blank) --end;
      std::string line;
      for (int column = 0; column < end; ++column) {
        const std::size_t index = Index(row, column);
        if (FUse[index] == CellUse::Blank) {
          line += ' ';
        } else {
          line += FCells[index];
        }
      }
      while (!line.empty() && line.back() == ' ') line.pop_back();
      out << line << '\n';
    }
  }

 private:
  using Span = std::pair<int, int>;  // first column, one past the last

  static int AlignedStart(int boxStart, int boxColumns, int length, TextAlign align) {
    if (align == TextAlign::Right) return boxStart + boxColumns - length;
    if (align == TextAlign::Center) return boxStart + (boxColumns - length) / 2;
    return boxStart;
  }
  bool RowInside(int row) const { return row >= 0 && row < FRows; }
  bool Inside(int row, int column) const {
    return RowInside(row) && column >= 0 && column < FColumns;
  }
  std::size_t Index(int row, int column) const {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(FColumns) +
           static_cast<std::size_t>(column);
  }
  bool Free(int row, int column) const {
    return Inside(row, column) && !FClaimed[Index(row, column)] &&
           FUse[Index(row, column)] != CellUse::Text;
  }
  // Free, or beyond the edge of the page: room that keeps a blank beside a text.
  bool Clear(int row, int column) const {
    return column < 0 || column >= FColumns || Free(row, column);
  }
  bool Taken(int row, int first, int last) const {
    for (int column = first; column < last; ++column) {
      if (FUse[Index(row, column)] != CellUse::Blank) return true;
    }
    return false;
  }
  bool RowBlank(int row) const {
    for (int column = 0; column < FColumns; ++column) {
      if (FUse[Index(row, column)] != CellUse::Blank) return false;
    }
    return true;
  }

  // Where one line of `length` cells shows, aligned in its box. When it does not fit, it runs
  // on past its box edge (rightwards when left-aligned, leftwards when right-aligned, both ways
  // when centred) as far as the room is free. Two texts never touch: a blank is kept between
  // them, as words or numbers run together would read as one; a text that would touch the
  // next moves left inside its box if it can, else loses its last cell (which the page then
  // widens its columns for).
  Span LineSpan(int row, int boxStart, int boxColumns, int length, TextAlign align) const {
    const int boxEnd = boxStart + boxColumns;
    int start = AlignedStart(boxStart, boxColumns, length, align);
    int end = start + length;
    if (length > boxColumns) {
      int low = boxStart, high = boxEnd;
      while (low > start && Free(row, low - 1) && Clear(row, low - 2)) --low;
      while (high < end && Free(row, high) && Clear(row, high + 1)) ++high;
      start = low;
      end = high;
    }
    if (end - start > 1 && end >= boxEnd && !Clear(row, end)) {
      const bool roomBefore = start > boxStart && Free(row, start - 1) && Clear(row, start - 2);
      if (roomBefore && end - start == length) --start;
      --end;
    }
    return {start, end};
  }

  void PlaceLine(int row, Span span, const std::vector<Cell>& cells) {
    if (!RowInside(row) || cells.empty()) return;
    const int length = static_cast<int>(cells.size());
    for (int column = span.first, index = 0; column < span.second && index < length;
         ++column, ++index) {
      if (!Inside(row, column)) continue;
      const std::size_t at = Index(row, column);
      FCells[at] = cells[static_cast<std::size_t>(index)];
      FUse[at] = CellUse::Text;
    }
  }

  static constexpr std::string_view kRule = "-";
  const ColumnMap& FMap;
  TextCells& FTexts;
  int FColumns, FRows;
  // What each cell shows: a view of a label's cell in FTexts, or of kRule.
  std::vector<std::string_view> FCells;
  std::vector<CellUse> FUse;
  std::vector<bool> FClaimed;
};

// Lays the page's bands out in rows: each band takes as many rows as its height, its text and
// its rules need.
std::vector<BandRows> LayOutRows(const Page& page, const ColumnMap& map, TextCells& texts) {
  std::vector<BandRows> layout;
  int next = 0;
  double previousBottom = 0;
  for (const Band& band : page.Bands) {
    BandRows rows;
    rows.Top = band.Top;
    // Bands follow one another row after row; only a real gap between them (the top margin,
    // a band placed lower down) shows as blank rows.
    const double gap = band.Top - previousBottom;
    rows.First = next + (gap > 0 ? static_cast<int>(gap / TextSink::kRowHeight) : 0);
    previousBottom = std::max(previousBottom, band.Top + band.Height);
    // A quarter row of slack: a 22-unit band of one line of text stays one row.
    rows.Count = std::max(
        1, static_cast<int>((band.Height + TextSink::kRowHeight / 4) / TextSink::kRowHeight));
    for (const DrawItem& item : band.Items) {
      const auto* text = std::get_if<TextItem>(&item);
      if (text == nullptr || !text->Multiline) continue;
      const int added = RowsOf(*text, map, texts) - std::max(1, Rows(text->Height));
      if (added > 0) rows.Added.emplace_back(text->Top + text->Height, added);
    }
    for (const auto& entry : rows.Added) rows.Count += entry.second;
    for (const DrawItem& item : band.Items) {
      if (const auto* text = std::get_if<TextItem>(&item)) {
        rows.Count =
            std::max(rows.Count, rows.Row(text->Top) - rows.First + RowsOf(*text, map, texts));
      } else if (const auto* line = std::get_if<LineItem>(&item); line && IsHorizontalRule(*line)) {
        rows.Count = std::max(rows.Count, rows.Row((line->Y1 + line->Y2) / 2) - rows.First + 1);
      }
    }
    next = rows.First + rows.Count;
    layout.push_back(rows);
  }
  return layout;
}

// A page laid out on the text grid: its rows, and the columns widened until every label's text
// shows whole (each widening only moves labels apart, so a few rounds settle it; should they
// not, the last round's placement stands).
class PageLayout {
 public:
  explicit PageLayout(const Page& page) : FPage(page) {
    constexpr int kMaxRounds = 8;
    for (int round = 0; round < kMaxRounds; ++round) {
      Lay();
      std::map<double, int> missing;
      ForEachText([&](const TextItem& text, const BandRows& rows) {
        const int columns = FGrid->PlaceText(text, rows);
        if (columns > 0) {
          int& at = missing[text.Left + text.Width];
          at = std::max(at, columns);
        }
      });
      if (missing.empty() || round + 1 == kMaxRounds) break;
      for (const auto& [at, columns] : missing) FMap.Widen(at, columns);
    }
  }

  void Write(std::ostream& out) {
    // Rules go in last: they fill only the room that text left.
    for (std::size_t band = 0; band < FPage.Bands.size(); ++band) {
      for (const DrawItem& item : FPage.Bands[band].Items) {
        const auto* line = std::get_if<LineItem>(&item);
        if (line != nullptr && IsHorizontalRule(*line)) FGrid->PlaceRule(*line, FRows[band]);
      }
    }
    FGrid->Write(out);
  }

 private:
  // The page's rows and a fresh grid under the current columns, every label's place claimed.
  void Lay() {
    FRows = LayOutRows(FPage, FMap, FTexts);
    FGrid.emplace(FMap, FTexts, FPage.Width,
                  FRows.empty() ? 1 : FRows.back().First + FRows.back().Count);
    ForEachText([&](const TextItem& text, const BandRows& rows) { FGrid->Claim(text, rows); });
  }

  template <class Action>
  void ForEachText(Action&& action) const {
    for (std::size_t band = 0; band < FPage.Bands.size(); ++band) {
      for (const DrawItem& item : FPage.Bands[band].Items) {
        if (const auto* text = std::get_if<TextItem>(&item)) action(*text, FRows[band]);
      }
    }
  }

  const Page& FPage;
  ColumnMap FMap;
  TextCells FTexts;
  std::vector<BandRows> FRows;
  std::optional<TextGrid> FGrid;
};

}  // namespace

TextSink::TextSink(std::ostream& out) : FOut(out) {}

void TextSink::Begin(const DocumentInfo&) {
  FPagesWritten = 0;
}

void TextSink::AddPage(const Page& page) {
  PageLayout layout(page);
  if (FPagesWritten > 0) FOut << '\f';
  layout.Write(FOut);
  ++FPagesWritten;
  if (!FOut) throw Exception("Falha ao gravar o texto do relatório.");
}

void TextSink::End(const std::vector<Message>&) {
  FOut.flush();
  if (!FOut) throw Exception("Falha ao gravar o texto do relatório.");
}
