// What the report tests share: a sink that keeps every page, small layouts built in code, and a
// writer assembled around them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "TjxsPowerParam.h"
#include "page/Page.h"
#include "render/FontMetrics.h"
#include "report/ReportDefinition.h"
#include "report/ReportWriter.h"

// Keeps everything the writer hands over, as a renderer would receive it.
class CapturingSink : public PageSink {
 public:
  void Begin(const DocumentInfo& info) override {
    Info = info;
    ++BeginCount;
  }
  void AddPage(const Page& page) override { Pages.push_back(page); }
  void End(const std::vector<Message>& messages) override {
    Messages = messages;
    ++EndCount;
  }

  // Section numbers of the bands of each page, in print order.
  std::vector<std::vector<int>> SectionsPerPage() const {
    std::vector<std::vector<int>> result;
    for (const Page& page : Pages) {
      std::vector<int>& sections = result.emplace_back();
      for (const Band& band : page.Bands) sections.push_back(band.Section);
    }
    return result;
  }

  DocumentInfo Info;
  std::vector<Page> Pages;
  std::vector<Message> Messages;
  int BeginCount = 0;
  int EndCount = 0;
};

// The metrics are costly to set up and hold no run state, so the tests share one.
inline const FontMetrics& SharedMetrics() {
  static const FontMetrics metrics;
  return metrics;
}

inline SectionDefinition MakeSection(int number, double height,
                                     std::vector<ElementDefinition> elements = {}) {
  SectionDefinition section;
  section.Number = number;
  section.Height = height;
  section.Elements = std::move(elements);
  return section;
}

inline ElementDefinition MakeLabel(std::string name, double left, double top, double width,
                                   double height) {
  ElementDefinition label;
  label.Type = ElementDefinition::Kind::Label;
  label.Name = std::move(name);
  label.Left = left;
  label.Top = top;
  label.Width = width;
  label.Height = height;
  return label;
}

// A page with 200 units of room and no margins, so that the arithmetic of the tests is plain.
inline ReportDefinition MakeDefinition(std::vector<SectionDefinition> sections) {
  ReportDefinition definition;
  definition.Name = "KdrTeste";
  definition.Title = "Relatório de teste";
  definition.Page.Height = 200;
  definition.Page.MarginTop = 0;
  definition.Page.MarginBottom = 0;
  definition.Sections = std::move(sections);
  return definition;
}

// A writer with its parameter list and sink, begun and ready to print.
struct WriterHarness {
  explicit WriterHarness(const ReportDefinition& definition, TjClientDataSet* mainDataSet = nullptr)
      : Writer(std::make_unique<ReportWriter>(definition, Params, mainDataSet, SharedMetrics(),
                                              Sink, nullptr)) {
    Writer->Begin("[versao: 1.0.0.0]");
  }

  // Records every section the after-section event reports, in order.
  void RecordEvents() {
    Writer->OnAfterSection = [this](TObject*, int section) { Events.push_back(section); };
  }

  TjxsPowerParam Params;
  CapturingSink Sink;
  std::unique_ptr<ReportWriter> Writer;
  std::vector<int> Events;
};
