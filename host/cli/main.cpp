// kdr: lists, describes and runs the protocol reports, prepares their database, and serves
// their parameter form and preview to a browser.
#include <iostream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/InterruptCleanup.h"
#include "cli/TerminalText.h"
#include "data/DatabaseUrl.h"
#include "render/ImageDecoding.h"
#include "run/UsageError.h"
#include "serve/ServeCommands.h"

namespace {

// A password given in a --db URL would show in the process list (ps, /proc/PID/cmdline) for as
// long as the run lasts: once the arguments are copied, it is blotted out where it stood.
void HidePasswordsFromProcessList(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    for (const TextSpan& span : PasswordSpans(argument)) {
      for (std::size_t at = span.Begin; at < span.End; ++at) argv[i][at] = '*';
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  // An interrupted run leaves no temporary output behind.
  RemoveTemporaryFilesOnInterrupt();
  InstallImageDecoding();
  try {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    HidePasswordsFromProcessList(argc, argv);
    const CommandLine line = ParseCommandLine(arguments);
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
