// Where a report's labels go on a spreadsheet, worked out from its definition before the first
// row: one column per distinct left position of a label across the sections (so that a column
// holds the same kind of value all the way down, whatever section the row comes from), and for
// each section the lines its labels stand on, a row each (a block section with stacked labels
// gives several rows).
#pragma once

#include <unordered_map>
#include <vector>

#include "page/Page.h"
#include "report/ReportDefinition.h"

class SheetLayout {
 public:
  struct Place {
    int Line = 0;
    int Column = 0;
    const ElementDefinition* Label = nullptr;  // null for text from no definition
  };

  // `sections` may be null: text then goes by its drawn position alone.
  explicit SheetLayout(const std::vector<SectionDefinition>* sections);

  int Columns() const { return static_cast<int>(FLefts.size()); }
  // How many rows a band of `section` may take; at least one.
  int LinesOf(int section) const;
  Place PlaceOf(int section, const TextItem& item) const;

 private:
  struct SectionLines {
    const SectionDefinition* Definition = nullptr;
    std::vector<int> LineOfElement;
    int Lines = 1;
  };
  int ColumnOf(double left) const;

  std::vector<double> FLefts;  // ascending
  std::unordered_map<int, SectionLines> FSections;
};
