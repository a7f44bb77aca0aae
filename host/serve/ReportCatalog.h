// The reports the server offers: those `kdr list` lists when the server starts, with their
// definitions. The browser names a report; only these names are ever run.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "report/ReportDefinition.h"
#include "serve/ChildProcess.h"
#include "serve/OutputStore.h"

struct ListedReport {
  std::string Name;
  std::string Version;
  std::string Title;
  ReportDefinition Definition;
};

class ReportCatalog {
 public:
  // Lists the reports through a `kdr list` child, so that no plug-in is loaded here. Raises
  // Exception with the listing's message when it lists none.
  ReportCatalog(ChildProcesses& children, OutputStore& store);

  const std::vector<ListedReport>& Reports() const { return FReports; }
  // Null when the name is not a listed report.
  const ListedReport* Find(const std::string& name) const;

 private:
  std::vector<ListedReport> FReports;
};

// The field a message is about: the parameter it names "(pNome)", whose caption it quotes, or
// whose name it spells in words (pDataInicial: "data inicial", as in "Data inicial invalida!");
// empty when none.
std::string FieldOfMessage(const ReportDefinition& definition, const std::string& message);
