// The host's report writer: the TjfmReport a plug-in prints through. It lays printed sections
// out on pages (a section that does not fit starts a new page; section 1, the page header,
// prints at the top of every page when the page's first section prints; a section taller than
// a page prints clipped on a fresh page; a section marked keepWithNext moves to the next page
// with the section printed after it when the two do not fit), fires OnAfterSection after every
// printed section, and hands every finished page to its sink.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "TjfmReport.h"
#include "page/Page.h"
#include "render/FontMetrics.h"
#include "report/ProgressReporter.h"
#include "report/ReportDefinition.h"

class ReportWriter : public TjfmReport {
 public:
  // `params` and `mainDataSet` (may be null) belong to the caller and outlive the writer;
  // `progress` may be null.
  ReportWriter(const ReportDefinition& definition, TjxsPowerParam& params,
               TjClientDataSet* mainDataSet, const FontMetrics& metrics, PageSink& sink,
               ProgressReporter* progress);
  ~ReportWriter() override;

  // Starts the document (DocumentInfo carries the plug-in's version).
  void Begin(const std::string& version);
  // Hands the last page to the sink and ends the document with the run's messages.
  void Finish();

  void RepPrintSection(int section) override;
  bool NativeCanPrintSection(int section) override;
  void RepEndOfPage(bool force) override;
  TjxsLabel* LabelByName(const std::string& name) override;
  TjxsImage* ImageByName(const std::string& name) override;
  void WrapText(TStringList& list, TjxsLabel* label, bool wordWrap, bool keepBreaks) override;
  std::string GetLayoutValue(const std::string& name) const override;
  void SetLayoutValue(const std::string& name, const std::string& value) override;
  void MsgConfigurar(const std::vector<std::string>& headings) override;
  void MsgMensagem(int kind, const std::string& text) override;
  void CSLShowProgress(int position, int total) override;
  TjxsPowerParam& GetParams() override;
  TjClientDataSet* MainDataSet() override;

  const std::vector<Message>& Messages() const;
  int PageCount() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> FImpl;
};
