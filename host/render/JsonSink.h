// Writes the JSON document model of a run (report, version, pages with their bands, messages)
// to a stream as pages arrive, so that memory does not grow with the page count.
#pragma once

#include <ostream>
#include <vector>

#include "page/Page.h"

class JsonSink : public PageSink {
 public:
  explicit JsonSink(std::ostream& out);

  void Begin(const DocumentInfo& info) override;
  void AddPage(const Page& page) override;
  void End(const std::vector<Message>& messages) override;

 private:
  void Check() const;

  std::ostream& FOut;
  bool FBegun = false;
  bool FFirstPage = true;
};
