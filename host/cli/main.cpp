// kdr: lists, describes and runs the protocol reports, prepares their database, and serves
// their parameter form and preview to a browser.
#include <iostream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/InterruptCleanup.h"
#include "cli/TerminalText.h"
#include "render/ImageDecoding.h"
#include "run/UsageError.h"
#include "serve/ServeCommands.h"

int main(int argc, char** argv) {
  // An interrupted run leaves no temporary output behind.
  RemoveTemporaryFilesOnInterrupt();
  InstallImageDecoding();
  try {
    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (line.Command == "help") {
      std::cout << kUsage;
      return 0;
    }
    if (line.Command == "list") return ListReports();
    if (line.Command == "describe") return DescribeReport(line);
    if (line.Command == "run") return RunReport(line);
    if (line.Command == "serve") return ServeReports(line);
    if (line.Command == "form") return PrintFormState(line);
    if (line.Subcommand == "init") return InitDatabase(line);
    return DemoDatabase(line);
  } catch (const UsageError& error) {
    // Messages echo what the user, a file or the database gave: made safe to print first.
    std::cerr << "kdr: " << TerminalSafe(error.what()) << "\n\n" << kUsage;
    return 2;
  } catch (const std::exception& error) {
    // The report's or the host's message alone, as the host would show it.
    std::cerr << TerminalSafe(error.what()) << "\n";
    return 1;
  }
}
