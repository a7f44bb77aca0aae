// Writes the report as a spreadsheet (xlsx) with libxlsxwriter in its constant-memory mode: one
// worksheet, a row for each line of every printed section in print order, its labels in the
// columns SheetLayout derives from the definition, typed as CellValue reads them (numbers, dates,
// text), bold where the label is. The page header appears once, as frozen rows at the top;
// later pages' headers are left out where they repeat it. Columns are as wide as their content;
// those the run left empty are hidden. The document's dates come from SOURCE_DATE_EPOCH when it
// is set, and the package's own entries carry a fixed date, so the same run gives the same
// bytes.
#pragma once

#include <memory>
#include <ostream>
#include <vector>

#include "page/Page.h"

class XlsxSink : public PageSink {
 public:
  // The library writes a file by name: the workbook is put together in an unnamed temporary
  // file and copied to `out` when it is finished.
  explicit XlsxSink(std::ostream& out);
  ~XlsxSink() override;

  void Begin(const DocumentInfo& info) override;
  void AddPage(const Page& page) override;
  // Finishes the workbook; raises Exception when it or the stream could not be written.
  void End(const std::vector<Message>& messages) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> FImpl;
};
