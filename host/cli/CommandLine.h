// The command line of `kdr`, parsed. Mistakes raise UsageError.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

struct CommandLine {
  std::string Command;     // list, describe, run, db, serve, form, help
  std::string Subcommand;  // init or demo, for db
  std::string Report;      // for describe, run and form
  std::optional<std::string> Database;
  std::map<std::string, std::string> Parameters;  // -p and --params, -p winning
  std::optional<std::string> Output;              // -o; "-" is standard output
  std::optional<std::string> Format;              // pdf, png, txt, json
  std::optional<int> Dpi;
  bool Quiet = false;
  std::optional<long long> Size;  // db demo
  // serve
  std::optional<std::string> Bind;
  std::optional<int> Port;       // 0: any free port
  std::optional<int> TimeLimit;  // seconds a run may take
  std::optional<int> Runs;       // runs at a time
};

CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

extern const char* const kDefaultDatabaseUrl;  // sqlite:kdr.sqlite

// The database URL of a command: --db, else KDR_DB, else kDefaultDatabaseUrl.
std::string DatabaseUrl(const CommandLine& commandLine);

extern const char* const kUsage;
