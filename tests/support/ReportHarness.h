// Test support: an in-process run of a report class on the real report writer, recording every
// printed band.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/DatabaseEngine.h"
#include "page/Page.h"
#include "render/FontMetrics.h"
#include "report/ParameterList.h"
#include "report/ReportDefinition.h"
#include "report/ReportWriter.h"

// Keeps every page, for tests (a real run streams them away).
class CapturingSink : public PageSink {
 public:
  void Begin(const DocumentInfo& info) override { Info = info; }
  void AddPage(const Page& page) override { Pages.push_back(page); }
  void End(const std::vector<Message>& messages) override { Messages = messages; }

  DocumentInfo Info;
  std::vector<Page> Pages;
  std::vector<Message> Messages;
};

// A report of reports/NAME.json with the given parameter texts (defaults for the rest),
// printed by the real writer into a capturing sink.
class ReportHarness {
 public:
  explicit ReportHarness(const std::string& report,
                         const std::map<std::string, std::string>& given = {},
                         TjClientDataSet* mainDataSet = nullptr)
      : FDefinition(
            LoadReportDefinition(std::string(KDR_SOURCE_DIR) + "/reports/" + report + ".json")),
        FParams(BuildParameterList(FDefinition, given)),
        FWriter(std::make_unique<ReportWriter>(FDefinition, *FParams, mainDataSet, Metrics(), Sink,
                                               nullptr)) {
    FWriter->Begin("[versao: teste]");
  }

  static const FontMetrics& Metrics() {
    static const FontMetrics metrics;
    return metrics;
  }

  ReportWriter& Writer() { return *FWriter; }
  TjxsPowerParam& Params() { return *FParams; }
  const ReportDefinition& Definition() const { return FDefinition; }

  // Creates an instance of the report class, runs its body and ends the document, as
  // Imprimir would; the instance is freed whatever happens.
  template <class TReport>
  void Run() {
    {
      TReport report(FWriter.get());
      report.ImprimirInterno();
    }
    FWriter->Finish();
  }

  // Section numbers of every printed band, in print order across pages.
  std::vector<int> Sections() const {
    std::vector<int> sections;
    for (const Page& page : Sink.Pages) {
      for (const Band& band : page.Bands) sections.push_back(band.Section);
    }
    return sections;
  }
  // Every printed band, in print order.
  std::vector<const Band*> Bands() const {
    std::vector<const Band*> bands;
    for (const Page& page : Sink.Pages) {
      for (const Band& band : page.Bands) bands.push_back(&band);
    }
    return bands;
  }
  // A layout value as a band showed it ("" when it was empty).
  static std::string Value(const Band& band, const std::string& name) {
    for (const auto& [key, value] : *band.Values) {
      if (key == name) return value;
    }
    return "";
  }

  CapturingSink Sink;

 private:
  ReportDefinition FDefinition;
  std::unique_ptr<TjxsPowerParam> FParams;
  std::unique_ptr<ReportWriter> FWriter;
};
