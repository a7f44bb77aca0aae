// One report ready to run: its definition and its plug-in, loaded from the build tree. A run
// builds the parameter list, replays the parameter form, opens the main statement, and calls
// the plug-in's Imprimir on a report writer that hands pages to a sink.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "page/Page.h"
#include "render/FontMetrics.h"
#include "report/ProgressReporter.h"
#include "report/ReportDefinition.h"
#include "run/PluginLibrary.h"

// One move of a clerk on the parameter form: entering a field, changing it, leaving it.
struct FormEvent {
  enum class Kind { Enter, Change, Exit };
  Kind What = Kind::Change;
  std::string Field;
};

struct RunResult {
  std::vector<Message> Messages;
  int Pages = 0;
};

class ReportRun {
 public:
  // Raises UsageError when the report has no definition, Exception when it cannot be loaded.
  explicit ReportRun(const std::string& report);

  const ReportDefinition& Definition() const { return FDefinition; }
  const TjfmBaseDllClass& ReportClass() const { return FPlugin->ReportClass(); }

  // Runs on the host connection with the given parameter texts (name -> text). Raises
  // UsageError for a parameter the definition does not have and EjxsError for a value its
  // type does not allow, both before the report starts; an exhausted memory becomes an
  // Exception saying so; whatever else the report raises passes on unchanged.
  RunResult Run(const std::map<std::string, std::string>& given, PageSink& sink,
                const FontMetrics& metrics, ProgressReporter* progress) const;

  // The parameter list as the form shows it once the given values were entered, as a run
  // replays them, and then, last of all, the event: what the plug-in left in values, choices
  // and enabled and required flags. Nothing is checked; what the report raises passes on.
  std::unique_ptr<TjxsPowerParam> FormAfter(const std::map<std::string, std::string>& given,
                                            const std::optional<FormEvent>& last,
                                            const FontMetrics& metrics) const;

 private:
  RunResult RunChecked(const std::map<std::string, std::string>& given, PageSink& sink,
                       const FontMetrics& metrics, ProgressReporter* progress) const;

  ReportDefinition FDefinition;
  std::unique_ptr<PluginLibrary> FPlugin;
};

// The main statement of a definition with its filters applied and its `:name` parameters'
// values taken from the parameter list (dates as dates, integers as integers).
struct MainStatement {
  std::string Text;
  std::vector<Variant> Values;
};
MainStatement BuildMainStatement(const ReportDefinition& definition, TjxsPowerParam& params);
