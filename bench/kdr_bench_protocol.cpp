// kdr_bench_protocol [--size N] [--db URL] [--work FOLDER] [--no-reportlab] [--no-others]
//
// Runs whole reports through `kdr` the way a user does and measures each run as a child
// process (wait4: its own CPU time and peak memory, not this program's): the protocol print
// in its large layout over every open item of the demo year to PDF, text and JSON, and in the
// same run the ReportLab script of this folder doing the same work, then the receipt, the
// route sheet and the two listings. Without --db it builds the demo office of N protocols
// afresh in the work folder first (`kdr db demo --size N`).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "data/DatabaseUrl.h"

namespace fs = std::filesystem;

namespace {

const char* const kPython = "/usr/bin/python3";
const char* const kUsage =
    "uso: kdr_bench_protocol [--size N] [--db URL] [--work PASTA] [--no-reportlab] "
    "[--no-others]\n";

struct Options {
  long Size = 100000;
  std::string Url;  // empty: the demo office built in the work folder
  fs::path Work = fs::temp_directory_path() / "kdr-bench";
  bool ReportLab = true;
  bool Others = true;
};

struct Measure {
  double Elapsed = 0;  // seconds
  double Cpu = 0;      // user + system seconds of the child
  double PeakMb = 0;   // its maximum resident set
};

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--size" && hasValue) {
      char* end = nullptr;
      options.Size = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || options.Size <= 0) return std::nullopt;
    } else if (arg == "--db" && hasValue) {
      options.Url = argv[++i];
    } else if (arg == "--work" && hasValue) {
      options.Work = argv[++i];
    } else if (arg == "--no-reportlab") {
      options.ReportLab = false;
    } else if (arg == "--no-others") {
      options.Others = false;
    } else {
      return std::nullopt;
    }
  }
  return options;
}

// Runs `args` with its output (not its errors) discarded and measures it. Exits the benchmark
// when the child fails: a figure of a failed run would mean nothing.
Measure RunChild(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) {
    std::perror("fork");
    std::exit(1);
  }
  if (child == 0) {
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, STDOUT_FILENO);
    execv(argv[0], argv.data());
    std::perror(argv[0]);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) < 0) {
    std::perror("wait4");
    std::exit(1);
  }
  const auto stop = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::cerr << "falhou:";
    for (const std::string& arg : args) std::cerr << ' ' << arg;
    std::cerr << '\n';
    std::exit(1);
  }
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return {std::chrono::duration<double>(stop - start).count(),
          seconds(usage.ru_utime) + seconds(usage.ru_stime),
          static_cast<double>(usage.ru_maxrss) / 1024.0};
}

void PrintRow(const std::string& name, const Measure& m, const Measure* yardstick) {
  std::printf("%-34s %9.2f %9.2f %9.1f", name.c_str(), m.Elapsed, m.Cpu, m.PeakMb);
  if (yardstick != nullptr && m.Cpu > 0 && m.Elapsed > 0) {
    std::printf(" %9.2f %9.2f", yardstick->Elapsed / m.Elapsed, yardstick->Cpu / m.Cpu);
  }
  std::printf("\n");
  std::fflush(stdout);
}

double LoadAverage() {
  double load[1] = {0};
  return getloadavg(load, 1) == 1 ? load[0] : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> parsed = ParseOptions(argc, argv);
  if (!parsed) {
    std::cerr << kUsage;
    return 2;
  }
  const Options& options = *parsed;
  const fs::path bin = fs::canonical("/proc/self/exe").parent_path();
  const std::string kdr = (bin / "kdr").string();
  const std::string script = (fs::path(KDR_BENCH_SOURCE_DIR) / "protocol_reportlab.py").string();
  fs::create_directories(options.Work);
  // Documents carry this date, so that runs compare byte for byte.
  setenv("SOURCE_DATE_EPOCH", "1767225600", 0);

  std::string url = options.Url;
  std::string sqliteFile;
  if (url.empty()) {
    sqliteFile = (options.Work / ("demo-" + std::to_string(options.Size) + ".sqlite")).string();
    fs::remove(sqliteFile);  // the demo is always built afresh: no stale schema or data
    const Measure demo = RunChild({kdr, "db", "demo", "--db", "sqlite:" + sqliteFile, "--size",
                                   std::to_string(options.Size)});
    std::printf("escritório de %ld protocolos criado em %.1f s (CPU %.1f s)\n", options.Size,
                demo.Elapsed, demo.Cpu);
    url = "sqlite:" + sqliteFile;
  } else if (url.rfind("sqlite:", 0) == 0) {
    sqliteFile = url.substr(7);
  }

  const std::vector<std::string> year = {"-p", "pDataInicial=01/01/2026", "-p",
                                         "pDataFinal=31/12/2026"};
  auto kdrRun = [&](const std::string& report, std::vector<std::string> params,
                    const std::string& output) {
    std::vector<std::string> args = {kdr, "run", report, "--db", url, "--quiet"};
    args.insert(args.end(), params.begin(), params.end());
    args.push_back("-o");
    args.push_back((options.Work / output).string());
    return RunChild(args);
  };

  std::printf("banco %s, carga antes: %.1f\n", MaskPasswords(url).c_str(), LoadAverage());
  std::printf("%-34s %9s %9s %9s %9s %9s\n", "medida", "tempo s", "CPU s", "pico MB", "RL/tempo",
              "RL/CPU");

  std::vector<std::string> protocol = year;
  for (const char* extra : {"pOrigem=G", "pCodigoEmpresaLogo=1"}) {
    protocol.push_back("-p");
    protocol.push_back(extra);
  }
  std::optional<Measure> reportLab;
  if (options.ReportLab && !sqliteFile.empty()) {
    reportLab = RunChild({kPython, script, sqliteFile, (options.Work / "reportlab.pdf").string()});
    PrintRow("ReportLab (PDF)", *reportLab, nullptr);
  } else if (options.ReportLab) {
    std::printf("(o script ReportLab lê só SQLite: sem comparação com %s)\n", url.c_str());
  }
  const Measure* yardstick = reportLab ? &*reportLab : nullptr;
  for (const char* format : {"pdf", "txt", "json"}) {
    PrintRow(std::string("KdrProtocolo (") + format + ")",
             kdrRun("KdrProtocolo", protocol, std::string("protocolo.") + format), yardstick);
  }

  if (options.Others) {
    struct Other {
      const char* Name;
      const char* Report;
      std::vector<std::string> Params;
    };
    const std::vector<Other> others = {
        {"KdrProtocoloEmpresa (PDF)", "KdrProtocoloEmpresa", year},
        {"KdrRotaEntrega (PDF)", "KdrRotaEntrega", {"-p", "pTipoRel=1", "-p", "pMostrarEnd=1"}},
        {"KdrBaixaProtocolo (PDF)", "KdrBaixaProtocolo", year},
        {"KdrProtocolosNaoBaixados (PDF)", "KdrProtocolosNaoBaixados", year}};
    for (const Other& other : others) {
      PrintRow(other.Name, kdrRun(other.Report, other.Params, std::string(other.Report) + ".pdf"),
               nullptr);
    }
  }
  std::printf("carga depois: %.1f; documentos em %s\n", LoadAverage(), options.Work.c_str());
  return 0;
}
