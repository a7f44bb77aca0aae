#include "cli/Commands.h"

#include <algorithm>
#include <iostream>

#include "DataAccess.h"
#include "Exception.h"
#include "cli/Formats.h"
#include "cli/OutputFiles.h"
#include "cli/ProgressBar.h"
#include "cli/TerminalText.h"
#include "demo/DemoDatabase.h"
#include "render/FontMetrics.h"
#include "run/DatabaseSetup.h"
#include "run/Locations.h"
#include "run/ReportRun.h"
#include "run/UsageError.h"

namespace {

std::string YesNo(bool value) {
  return value ? "sim" : "não";
}

std::string ElementKindName(ElementDefinition::Kind kind) {
  switch (kind) {
    case ElementDefinition::Kind::Label:
      return "etiqueta";
    case ElementDefinition::Kind::Image:
      return "imagem";
    case ElementDefinition::Kind::Line:
      return "linha";
    case ElementDefinition::Kind::Frame:
      return "moldura";
  }
  return "";
}

void DescribeSections(const std::vector<SectionDefinition>& sections) {
  for (const SectionDefinition& section : sections) {
    std::cout << "  " << section.Number << "  altura " << section.Height;
    std::string names;
    for (const ElementDefinition& element : section.Elements) {
      if (element.Name.empty()) continue;
      names +=
          (names.empty() ? "" : ", ") + element.Name + " (" + ElementKindName(element.Type) + ")";
    }
    if (!names.empty()) std::cout << "  " << names;
    std::cout << "\n";
  }
}

// Reports only read: their database is opened read-only and never created.
std::unique_ptr<DatabaseEngine> OpenForReading(const std::string& url) {
  if (url == kDefaultDatabaseUrl && !std::filesystem::exists(SqliteFileOf(url))) {
    throw Exception("O banco de dados " + SqliteFileOf(url) +
                    " não existe nesta pasta; crie um de demonstração com: kdr db demo "
                    "(ou indique outro com --db sqlite:ARQUIVO)");
  }
  return OpenDatabase(url, OpenMode::ReadOnly);
}

}  // namespace

int ListReports() {
  const auto folder = ReportsDirectory();
  if (!std::filesystem::is_directory(folder)) {
    throw Exception("Pasta de definições inexistente: " + folder.string());
  }
  std::vector<std::filesystem::path> definitions;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".json") definitions.push_back(entry.path());
  }
  std::sort(definitions.begin(), definitions.end());
  int listed = 0;
  bool broken = false;
  for (const auto& path : definitions) {
    const std::string name = path.stem().string();
    if (!std::filesystem::exists(PluginPath(name))) continue;  // a definition without plug-in
    // One damaged report must not hide the others: it is reported and the listing goes on.
    try {
      const ReportRun report(name);
      std::cout << name << "\t" << report.ReportClass().Versao() << "\t"
                << report.Definition().Title << "\n";
      ++listed;
    } catch (const std::exception& error) {
      std::cerr << TerminalSafe(name + ": " + error.what()) << "\n";
      broken = true;
    }
  }
  if (listed == 0 && !broken) {
    throw Exception("Nenhum relatório encontrado: definições procuradas em " + folder.string() +
                    ", plug-ins em " + PluginDirectory().string() +
                    " (KDR_REPORTS_PATH e KDR_PLUGIN_PATH indicam outras pastas)");
  }
  return broken ? 1 : 0;
}

int DescribeReport(const CommandLine& line) {
  const ReportRun report(line.Report);
  const ReportDefinition& definition = report.Definition();
  const TjfmBaseDllClass& reportClass = report.ReportClass();
  std::cout << definition.Name << " — " << definition.Title << "\n"
            << "classe " << reportClass.ClassName() << ", " << reportClass.Versao() << "\n\n"
            << "parâmetros:\n";
  for (const ParameterDefinition& parameter : definition.Parameters) {
    std::cout << "  " << parameter.Name << "  " << parameter.Caption << "  [" << parameter.Type
              << (parameter.Required ? ", obrigatório" : "")
              << (parameter.Default.empty() ? "" : ", padrão " + parameter.Default) << "]";
    for (const std::string& choice : parameter.Choices) std::cout << "  " << choice;
    std::cout << "\n";
  }
  std::cout << "\noperações publicadas:\n";
  for (const TMethodInfo& method : reportClass.Methods()) {
    std::string parameters;
    for (const TMethodParam& parameter : method.Params) {
      parameters += (parameters.empty() ? "" : "; ") + parameter.Name + ": " + parameter.Type;
    }
    std::cout << "  " << method.Name << "(" << parameters << ")"
              << (method.Result.empty() ? "" : ": " + method.Result)
              << "  virtual: " << YesNo(method.Virtual) << "\n";
  }
  std::cout << "\nseções:\n";
  DescribeSections(definition.Sections);
  for (const LayoutVariant& variant : definition.Variants) {
    std::cout << "\nseções com " << variant.Parameter << " = " << variant.Value << ":\n";
    DescribeSections(variant.Sections);
  }
  return 0;
}

int RunReport(const CommandLine& line) {
  const ReportRun report(line.Report);
  const std::string format = ChooseFormat(line.Format, line.Output);
  const std::string url = DatabaseUrl(line);
  OutputFiles files;
  // The report's database is never an output: checked before anything is opened or written.
  if (const std::string databaseFile = SqliteFileOf(url); !databaseFile.empty()) {
    files.Protect(databaseFile);
    if (line.Output && *line.Output != "-") {
      files.CheckNotProtected(*line.Output);
      if (format == "png") {
        for (const auto& page : PageFilesBeyond(*line.Output, 0)) files.CheckNotProtected(page);
      }
    }
  }
  auto database = OpenForReading(url);
  HostConnection::Set(database.get());
  struct ConnectionReset {
    ~ConnectionReset() { HostConnection::Set(nullptr); }
  } connectionReset;

  const FontMetrics metrics;
  auto sink = MakeSink(format, line.Output, line.Dpi.value_or(96), metrics, files);
  ProgressBar progress(!line.Quiet && ProgressBar::StandardErrorIsTerminal());
  RunResult result;
  try {
    result = report.Run(line.Parameters, *sink, metrics, &progress);
    sink.reset();
  } catch (...) {
    // A sink fails on its stream; the file and the system's reason say more.
    files.ThrowIfWriteFailed();
    throw;
  }
  if (format == "png") {
    // The page files are exactly the report's pages: those of a longer earlier run go too.
    for (const auto& stale : PageFilesBeyond(*line.Output, result.Pages)) {
      files.RemoveOnCommit(stale);
    }
  }
  files.Commit();
  for (const Message& message : result.Messages) {
    std::cerr << "Mensagem: " << TerminalSafe(message.Text) << "\n";
  }
  return 0;
}

int InitDatabase(const CommandLine& line) {
  auto database = OpenDatabase(DatabaseUrl(line), OpenMode::ReadWriteCreate);
  CreateSchema(*database);
  return 0;
}

int DemoDatabase(const CommandLine& line) {
  auto database = OpenDatabase(DatabaseUrl(line), OpenMode::ReadWriteCreate);
  CreateSchema(*database);
  DemoOptions options;
  if (line.Size) options.Protocols = static_cast<int>(*line.Size);
  ProgressBar progress(!line.Quiet && ProgressBar::StandardErrorIsTerminal());
  FillDemoDatabase(*database, options, [&progress](long long done, long long total) {
    progress.Update(static_cast<int>(done), static_cast<int>(total));
  });
  progress.Done();
  return 0;
}
