// Renders pages as monospaced text for a terminal. A column is 7 layout units (an A4 page is
// 113 columns wide) and a row 14; each band takes the rows its height, text and rules need, so
// that a band reads the same wherever it falls. Text keeps its alignment inside its box and may
// run on into blank room beside it that no other label needs; where that is not enough, the
// page's columns widen at the box's right edge (everything to its right moves along, rules
// too), so that numbers, dates and words are never cut. A multiline label shows every line of
// its text, taking more rows when it needs them. Texts always keep a blank from the next text;
// horizontal lines become runs of '-' on a row free of text; frames, vertical lines and images
// are left out. Pages are separated by a form feed.
#pragma once

#include <ostream>
#include <vector>

#include "page/Page.h"

class TextSink : public PageSink {
 public:
  static constexpr double kColumnWidth = 7;
  static constexpr double kRowHeight = 14;

  explicit TextSink(std::ostream& out);

  void Begin(const DocumentInfo& info) override;
  void AddPage(const Page& page) override;
  bool WantsBandState() const override { return false; }
  void End(const std::vector<Message>& messages) override;

 private:
  std::ostream& FOut;
  int FPagesWritten = 0;
};
