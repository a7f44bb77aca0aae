#include "serve/ReportCatalog.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "Exception.h"
#include "SysUtils.h"
#include "run/Locations.h"

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// pDataInicial -> "data inicial"
std::string NameInWords(const std::string& name) {
  std::string words;
  for (std::size_t i = 1; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (std::isupper(c) && !words.empty()) words += ' ';
    words += static_cast<char>(std::tolower(c));
  }
  return words;
}

}  // namespace

ReportCatalog::ReportCatalog(ChildProcesses& children, OutputStore& store) {
  const ScratchFolder folder = store.NewFolder();
  const ChildOutcome listing = children.Run({"list"}, folder.Path(), "", std::chrono::minutes(1));
  std::istringstream lines(listing.Out);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    ListedReport report;
    if (!std::getline(fields, report.Name, '\t') || !std::getline(fields, report.Version, '\t') ||
        !std::getline(fields, report.Title)) {
      continue;
    }
    report.Definition = LoadReportDefinition(DefinitionPath(report.Name).string());
    FReports.push_back(std::move(report));
  }
  if (FReports.empty()) {
    throw Exception(Trim(listing.Err).empty() ? "Nenhum relatório encontrado." : Trim(listing.Err));
  }
}

const ListedReport* ReportCatalog::Find(const std::string& name) const {
  const auto found = std::find_if(FReports.begin(), FReports.end(),
                                  [&](const ListedReport& report) { return report.Name == name; });
  return found == FReports.end() ? nullptr : &*found;
}

std::string FieldOfMessage(const ReportDefinition& definition, const std::string& message) {
  const std::string lower = Lower(message);
  for (const ParameterDefinition& parameter : definition.Parameters) {
    if (message.find("(" + parameter.Name + ")") != std::string::npos) return parameter.Name;
  }
  for (const ParameterDefinition& parameter : definition.Parameters) {
    const std::string caption = Lower(Trim(parameter.Caption));
    if (!caption.empty() && lower.find(caption) != std::string::npos) return parameter.Name;
  }
  for (const ParameterDefinition& parameter : definition.Parameters) {
    const std::string words = NameInWords(parameter.Name);
    if (words.find(' ') != std::string::npos && lower.find(words) != std::string::npos) {
      return parameter.Name;
    }
  }
  return "";
}
