// `kdr serve`: the parameter form and preview page and the JSON API it uses, over HTTP. The
// server loads no plug-in: forms and runs happen in `kdr` children (ChildProcesses), runs a
// few at a time (RunQueue), their output in a private folder (OutputStore).
#pragma once

#include <httplib.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "serve/ChildProcess.h"
#include "serve/OutputStore.h"
#include "serve/ReportCatalog.h"
#include "serve/RunQueue.h"

struct ServeSettings {
  std::string Database;  // the --db URL the children get
  std::string Bind = "127.0.0.1";
  int Port = 8080;  // 0: any free port
  std::chrono::seconds TimeLimit{120};
  int Runs = 2;
};

class ReportServer {
 public:
  // Lists the reports; raises Exception when there are none.
  ReportServer(ServeSettings settings, const std::filesystem::path& executable);
  ~ReportServer();
  ReportServer(const ReportServer&) = delete;
  ReportServer& operator=(const ReportServer&) = delete;

  // Binds the address; raises Exception saying why it cannot (a port already in use). Returns
  // the port, the one the system chose for port 0.
  int Bind();
  // Serves until Stop; returns false when serving failed.
  bool Listen();
  // Stops listening, turns away waiting runs and kills running children.
  void Stop();

 private:
  struct Failure {
    int Status;
    std::string Message;
    std::string Field;  // the parameter the message is about, when it is about one
  };

  void Routes();
  bool Refused(const httplib::Request& request, httplib::Response& response) const;
  void SendForm(const ListedReport& report, const std::string& request,
                httplib::Response& response);
  // Runs `kdr run` for the report in `format` with the --params document, writing
  // documento.FORMAT (PNG: documento-N.png) into `folder`, in its turn of the queue.
  std::optional<Failure> RunReport(const ListedReport& report, const std::string& parameters,
                                   const std::string& format, const std::filesystem::path& folder,
                                   std::vector<std::string>& messages);
  // Answers with the document, or for PNG with the kept preview: {"run", "pages", "messages"}.
  void SendRun(const ListedReport& report, const std::string& parameters, const std::string& format,
               httplib::Response& response);

  ServeSettings FSettings;
  ChildProcesses FChildren;
  OutputStore FStore;
  ReportCatalog FCatalog;
  RunQueue FRuns;
  RunQueue FForms;
  httplib::Server FHttp;
  int FPort = 0;
};
