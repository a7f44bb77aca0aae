#include "serve/ServeCommands.h"

#include <pthread.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <thread>

#include "Exception.h"
#include "cli/InterruptCleanup.h"
#include "data/DatabaseEngine.h"
#include "render/FontMetrics.h"
#include "serve/FormState.h"
#include "serve/ReportServer.h"

namespace {

// Children run in folders of their own: paths the server was given relative to where it
// started are made absolute first.
std::string AbsoluteDatabaseUrl(const std::string& url) {
  const std::string scheme = "sqlite:";
  if (url.rfind(scheme, 0) != 0) return url;
  return scheme + std::filesystem::absolute(url.substr(scheme.size())).string();
}

void MakeSearchPathsAbsolute() {
  for (const char* variable : {"KDR_PLUGIN_PATH", "KDR_REPORTS_PATH"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') continue;
    ::setenv(variable, std::filesystem::absolute(value).c_str(), 1);
  }
}

std::string AddressForUrl(const std::string& bind) {
  if (bind == "0.0.0.0" || bind == "::") return "127.0.0.1";
  return bind.find(':') != std::string::npos ? "[" + bind + "]" : bind;
}

}  // namespace

int ServeReports(const CommandLine& line) {
  MakeSearchPathsAbsolute();
  ServeSettings settings;
  settings.Database = AbsoluteDatabaseUrl(DatabaseUrl(line));
  // Every run would fail on it: said once, before anything is served.
  if (const std::string file = SqliteFileOf(settings.Database);
      !file.empty() && !std::filesystem::exists(file)) {
    throw Exception("O banco de dados " + file +
                    " não existe; crie um de demonstração com: kdr db demo --db sqlite:" + file);
  }
  if (line.Bind) settings.Bind = *line.Bind;
  if (line.Port) settings.Port = *line.Port;
  if (line.TimeLimit) settings.TimeLimit = std::chrono::seconds(*line.TimeLimit);
  if (line.Runs) settings.Runs = *line.Runs;

  // Every thread from here on holds the interrupting signals; this one waits for them and
  // then stops the server in order: no new requests, children killed, output removed.
  const sigset_t interrupts = InterruptSignals();
  pthread_sigmask(SIG_BLOCK, &interrupts, nullptr);

  ReportServer server(settings, std::filesystem::read_symlink("/proc/self/exe"));
  const int port = server.Bind();
  std::cout << "kdr serve: abra http://" << AddressForUrl(settings.Bind) << ":" << port
            << "/ no navegador (banco " << settings.Database << "; Ctrl-C encerra)" << std::endl;
  std::thread listener([&server] {
    // Serving that ends by itself wakes the waiting thread as an interruption would.
    if (!server.Listen()) ::kill(::getpid(), SIGTERM);
  });
  int signal = 0;
  sigwait(&interrupts, &signal);
  std::cout << "kdr serve: encerrando" << std::endl;
  server.Stop();
  listener.join();
  return 128 + signal;
}

int PrintFormState(const CommandLine& line) {
  const std::string request(std::istreambuf_iterator<char>(std::cin), {});
  const FormRequest form = ParseFormRequest(request);
  const ReportRun report(line.Report);
  const FontMetrics metrics;
  const auto params = report.FormAfter(form.Values, form.Event, metrics);
  std::cout << FormStateJson(report.Definition(), *params)
                   .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
            << "\n";
  return 0;
}
