#include "render/TextSink.h"

#include <glib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

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
  for (const char* at = text.c_str(); *at;) {
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

class TextGrid {
 public:
  TextGrid(double width, double height)
      : FColumns(std::max(1, static_cast<int>(std::ceil(width / TextSink::kColumnWidth)))),
        FRows(std::max(1, static_cast<int>(std::ceil(height / TextSink::kRowHeight)))),
        FCells(static_cast<std::size_t>(FColumns * FRows)),
        FUse(FCells.size(), CellUse::Blank),
        FClaimed(FCells.size(), false) {}

  static int Column(double x) { return static_cast<int>(std::lround(x / TextSink::kColumnWidth)); }
  static int Row(double y) { return static_cast<int>(std::lround(y / TextSink::kRowHeight)); }

  // Marks the boxes of all labels first, so that a long text only runs on into room that no
  // other label of the page will use.
  void Claim(const TextItem& item) {
    const int first = Column(item.Left), last = Column(item.Left + item.Width);
    for (int row = Row(item.Top); row < Row(item.Top) + RowsOf(item); ++row) {
      for (int column = first; column < last; ++column) {
        if (Inside(row, column)) FClaimed[Index(row, column)] = true;
      }
    }
  }

  void PlaceText(const TextItem& item) {
    const int boxStart = Column(item.Left);
    const int boxColumns = std::max(1, Column(item.Left + item.Width) - boxStart);
    const int firstRow = Row(item.Top);
    const std::vector<Cell> cells = SplitCells(item.Text);
    if (!item.Multiline) {
      PlaceLine(firstRow, boxStart, boxColumns, cells, item.Align, true);
      return;
    }
    const auto lines = WrapCells(cells, boxColumns);
    const int rows = std::min(RowsOf(item), static_cast<int>(lines.size()));
    for (int line = 0; line < rows; ++line) {
      PlaceLine(firstRow + line, boxStart, boxColumns, lines[static_cast<std::size_t>(line)],
                item.Align, false);
    }
  }

  void PlaceLine(const LineItem& item) {
    if (std::abs(item.Y2 - item.Y1) >= TextSink::kRowHeight / 2 || item.Thickness <= 0) return;
    const double y = (item.Y1 + item.Y2) / 2;
    const int first = std::max(0, Column(std::min(item.X1, item.X2)));
    const int last = std::min(FColumns, Column(std::max(item.X1, item.X2)));
    if (first >= last) return;
    // A rule sits between rows of text: take the nearer row unless text is there already and
    // the other neighbouring row is free.
    int row = Row(y);
    const int other = (y / TextSink::kRowHeight < row) ? row - 1 : row + 1;
    if (HasText(row, first, last) && !HasText(other, first, last) && RowInside(other)) {
      row = other;
    }
    if (!RowInside(row)) return;
    for (int column = first; column < last; ++column) {
      const std::size_t index = Index(row, column);
      if (FUse[index] == CellUse::Blank) {
        FCells[index] = "-";
        FUse[index] = CellUse::Line;
      }
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
        const Cell& cell = FCells[Index(row, column)];
        if (FUse[Index(row, column)] == CellUse::Blank) {
          line += ' ';
        } else {
          line += cell;
        }
      }
      while (!line.empty() && line.back() == ' ') line.pop_back();
      out << line << '\n';
    }
  }

 private:
  static int RowsOf(const TextItem& item) {
    return item.Multiline ? std::max(1, Row(item.Top + item.Height) - Row(item.Top)) : 1;
  }
  bool RowInside(int row) const { return row >= 0 && row < FRows; }
  bool Inside(int row, int column) const {
    return RowInside(row) && column >= 0 && column < FColumns;
  }
  std::size_t Index(int row, int column) const {
    return static_cast<std::size_t>(row * FColumns + column);
  }
  bool Free(int row, int column) const {
    return Inside(row, column) && !FClaimed[Index(row, column)] &&
           FUse[Index(row, column)] != CellUse::Text;
  }
  bool HasText(int row, int first, int last) const {
    if (!RowInside(row)) return false;
    for (int column = first; column < last; ++column) {
      if (FUse[Index(row, column)] == CellUse::Text) return true;
    }
    return false;
  }
  bool RowBlank(int row) const {
    for (int column = 0; column < FColumns; ++column) {
      if (FUse[Index(row, column)] != CellUse::Blank) return false;
    }
    return true;
  }

  // Places one line of cells aligned in its box. When it does not fit, a single-line label
  // runs on past its box edge (rightwards when left-aligned, leftwards when right-aligned,
  // both ways when centred) as far as the room is free; what still does not fit is cut at
  // the end, so that the start of a text, the significant part of a number, always shows.
  void PlaceLine(int row, int boxStart, int boxColumns, const std::vector<Cell>& cells,
                 TextAlign align, bool mayRunOn) {
    if (!RowInside(row)) return;
    const int length = static_cast<int>(cells.size());
    const int boxEnd = boxStart + boxColumns;
    int start = boxStart;
    if (align == TextAlign::Right) start = boxEnd - length;
    if (align == TextAlign::Center) start = boxStart + (boxColumns - length) / 2;
    int end = start + length;
    if (length > boxColumns) {
      if (!mayRunOn) {
        start = boxStart;
        end = boxEnd;
      } else {
        int low = boxStart;
        while (low > start && Free(row, low - 1)) --low;
        int high = boxEnd;
        while (high < end && Free(row, high)) ++high;
        start = low;
        end = high;
      }
    }
    for (int column = start, index = 0; column < end && index < length; ++column, ++index) {
      if (!Inside(row, column)) continue;
      const std::size_t at = Index(row, column);
      FCells[at] = cells[static_cast<std::size_t>(index)];
      FUse[at] = CellUse::Text;
    }
  }

  int FColumns, FRows;
  std::vector<Cell> FCells;
  std::vector<CellUse> FUse;
  std::vector<bool> FClaimed;
};

}  // namespace

TextSink::TextSink(std::ostream& out) : FOut(out) {}

void TextSink::Begin(const DocumentInfo&) {
  FPagesWritten = 0;
}

void TextSink::AddPage(const Page& page) {
  TextGrid grid(page.Width, page.Height);
  for (const Band& band : page.Bands) {
    for (const DrawItem& item : band.Items) {
      if (const auto* text = std::get_if<TextItem>(&item)) grid.Claim(*text);
    }
  }
  for (const Band& band : page.Bands) {
    for (const DrawItem& item : band.Items) {
      if (const auto* text = std::get_if<TextItem>(&item)) grid.PlaceText(*text);
    }
  }
  // Rules go in last: they fill only the room that text left.
  for (const Band& band : page.Bands) {
    for (const DrawItem& item : band.Items) {
      if (const auto* line = std::get_if<LineItem>(&item)) grid.PlaceLine(*line);
    }
  }
  if (FPagesWritten > 0) FOut << '\f';
  grid.Write(FOut);
  ++FPagesWritten;
  if (!FOut) throw Exception("Falha ao gravar o texto do relatório.");
}

void TextSink::End(const std::vector<Message>&) {
  FOut.flush();
  if (!FOut) throw Exception("Falha ao gravar o texto do relatório.");
}
