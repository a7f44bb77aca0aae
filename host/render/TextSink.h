// Renders pages as monospaced text for a terminal. Elements are placed by position on a grid
// of 7 x 14 layout units (an A4 page is 113 columns by 80 rows); text keeps its alignment
// inside its box and may run on into blank room beside it that no other label claims;
// horizontal lines become runs of '-'; frames, vertical lines and images are left out.
// Pages are separated by a form feed.
#pragma once

#include <ostream>
#include <vector>

#include "render/Page.h"

class TextSink : public PageSink {
 public:
  static constexpr double kColumnWidth = 7;
  static constexpr double kRowHeight = 14;

  explicit TextSink(std::ostream& out);

  void Begin(const DocumentInfo& info) override;
  void AddPage(const Page& page) override;
  void End(const std::vector<Message>& messages) override;

 private:
  std::ostream& FOut;
  int FPagesWritten = 0;
};
