#include "serve/ReportServer.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "Exception.h"
#include "SysUtils.h"
#include "cli/Formats.h"
#include "cli/SystemReason.h"
#include "serve/PageAssets.h"

using nlohmann::json;

namespace {

constexpr auto kFormTimeLimit = std::chrono::seconds(30);
constexpr std::size_t kKeptPreviews = 16;
constexpr std::size_t kMaximumRequest = 1 << 20;
const char* const kJson = "application/json; charset=utf-8";
const char* const kReportName = R"(([A-Za-z][A-Za-z0-9_]{0,63}))";
const char* const kRunId = R"(([0-9a-f]{32}))";

std::string Dump(const json& value) {
  return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

void SendMessage(httplib::Response& response, int status, const std::string& message,
                 const std::string& field = "") {
  json body{{"message", message}};
  if (!field.empty()) body["field"] = field;
  response.status = status;
  response.set_content(Dump(body), kJson);
}

std::string ContentTypeOf(const std::string& format) {
  if (format == "pdf") return "application/pdf";
  if (format == "png") return "image/png";
  if (format == "txt") return "text/plain; charset=utf-8";
  if (format == "json") return kJson;
  if (format == "xlsx") return "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
  return "application/octet-stream";
}

// `kdr: message` followed by a blank line and the usage: the message alone.
std::string UsageMessage(const std::string& err) {
  std::string message = err.substr(0, err.find("\n\n"));
  if (message.rfind("kdr: ", 0) == 0) message.erase(0, 5);
  return Trim(message);
}

std::vector<std::string> RunMessages(const std::string& err) {
  std::vector<std::string> messages;
  std::istringstream lines(err);
  std::string line;
  const std::string prefix = "Mensagem: ";
  while (std::getline(lines, line)) {
    if (line.rfind(prefix, 0) == 0) messages.push_back(line.substr(prefix.size()));
  }
  return messages;
}

// A JSON request body that is an object, or none.
std::optional<json> RequestObject(const httplib::Request& request, httplib::Response& response) {
  json body = json::parse(request.body, nullptr, false);
  if (!body.is_object()) {
    SendMessage(response, 400, "O corpo do pedido deve ser um objeto JSON.");
    return std::nullopt;
  }
  return body;
}

bool IsLoopback(const std::string& address) {
  return address == "localhost" || address == "::1" || address.rfind("127.", 0) == 0;
}

std::string HostPort(const std::string& address, int port) {
  const bool ipv6 = address.find(':') != std::string::npos;
  return (ipv6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
}

}  // namespace

ReportServer::ReportServer(ServeSettings settings, const std::filesystem::path& executable)
    : FSettings(std::move(settings)),
      FChildren(executable),
      FStore(kKeptPreviews),
      FCatalog(FChildren, FStore),
      FRuns(FSettings.Runs, 2 * FSettings.Runs),
      FForms(4, 8) {
  FHttp.set_payload_max_length(kMaximumRequest);
  // The library's default also shares the port (SO_REUSEPORT), with which a second server
  // would bind it silently and take half the requests; only a quick restart is allowed.
  FHttp.set_socket_options([](socket_t socket) {
    const int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  // The page is the server's own: no other site may frame or script it, nor guess types.
  FHttp.set_default_headers({{"X-Content-Type-Options", "nosniff"},
                             {"X-Frame-Options", "DENY"},
                             {"Referrer-Policy", "no-referrer"},
                             {"Cache-Control", "no-store"},
                             {"Content-Security-Policy",
                              "default-src 'self'; img-src 'self' blob:; object-src 'none'; "
                              "base-uri 'none'; frame-ancestors 'none'"}});
  FHttp.set_pre_routing_handler(
      [this](const httplib::Request& request, httplib::Response& response) {
        return Refused(request, response) ? httplib::Server::HandlerResponse::Handled
                                          : httplib::Server::HandlerResponse::Unhandled;
      });
  FHttp.set_error_handler([](const httplib::Request&, httplib::Response& response) {
    if (!response.body.empty()) return;
    SendMessage(response, response.status,
                response.status == 404 ? "Não encontrado." : "Pedido inválido.");
  });
  FHttp.set_exception_handler(
      [](const httplib::Request&, httplib::Response& response, const std::exception_ptr& error) {
        std::string message = "Erro interno do servidor.";
        try {
          std::rethrow_exception(error);
        } catch (const std::exception& thrown) {
          message = thrown.what();
        } catch (...) {
        }
        SendMessage(response, 500, message);
      });
  Routes();
}

ReportServer::~ReportServer() {
  Stop();
}

int ReportServer::Bind() {
  errno = 0;
  const bool bound = FSettings.Port == 0
                         ? (FPort = FHttp.bind_to_any_port(FSettings.Bind)) > 0
                         : FHttp.bind_to_port(FSettings.Bind, FPort = FSettings.Port);
  if (!bound) {
    const int reason = errno;
    const std::string where = HostPort(FSettings.Bind, FSettings.Port);
    if (reason == EADDRINUSE) {
      throw Exception("A porta " + std::to_string(FSettings.Port) + " já está em uso em " +
                      FSettings.Bind + ": escolha outra com --port N (0: qualquer porta livre).");
    }
    throw Exception("Não foi possível escutar em " + where +
                    (reason != 0 ? ": " + SystemReason(reason) : std::string()) +
                    " (confira --bind e --port).");
  }
  return FPort;
}

bool ReportServer::Listen() {
  return FHttp.listen_after_bind();
}

void ReportServer::Stop() {
  FHttp.stop();
  FRuns.Stop();
  FForms.Stop();
  FChildren.StopAll();
}

// Requests from other sites are refused: the server answers only to its own address (a page
// elsewhere cannot rename it through its DNS), and whatever changes something comes from the
// server's own page, as JSON, which another site's form cannot send without asking first.
bool ReportServer::Refused(const httplib::Request& request, httplib::Response& response) const {
  const std::string host = request.get_header_value("Host");
  if (IsLoopback(FSettings.Bind)) {
    bool known = false;
    for (const char* name : {"127.0.0.1", "localhost", "::1"}) {
      known = known || host == HostPort(name, FPort);
    }
    if (!known && host != HostPort(FSettings.Bind, FPort)) {
      SendMessage(response, 421, "Endereço não atendido por este servidor: " + host);
      return true;
    }
  }
  if (request.method == "GET" || request.method == "HEAD") return false;
  const std::string origin = request.get_header_value("Origin");
  const std::string site = request.get_header_value("Sec-Fetch-Site");
  if ((!origin.empty() && origin != "http://" + host) ||
      (!site.empty() && site != "same-origin" && site != "none")) {
    SendMessage(response, 403, "Pedido de outra origem recusado.");
    return true;
  }
  if (request.method == "POST" &&
      request.get_header_value("Content-Type").rfind("application/json", 0) != 0) {
    SendMessage(response, 415, "O pedido deve ser JSON (Content-Type: application/json).");
    return true;
  }
  return false;
}

void ReportServer::Routes() {
  FHttp.Get("/", [](const httplib::Request&, httplib::Response& response) {
    const PageAsset& page = PageAssets().at("/index.html");
    response.set_content(std::string(page.Body), std::string(page.ContentType));
  });
  FHttp.Get(R"(/[A-Za-z0-9_-]+\.(html|js|css))", [](const httplib::Request& request,
                                                    httplib::Response& response) {
    const auto found = PageAssets().find(request.path);
    if (found == PageAssets().end()) return SendMessage(response, 404, "Não encontrado.");
    response.set_content(std::string(found->second.Body), std::string(found->second.ContentType));
  });

  FHttp.Get("/api/reports", [this](const httplib::Request&, httplib::Response& response) {
    json reports = json::array();
    for (const ListedReport& report : FCatalog.Reports()) {
      reports.push_back(
          {{"name", report.Name}, {"version", report.Version}, {"title", report.Title}});
    }
    response.set_content(Dump(reports), kJson);
  });
  FHttp.Get("/api/formats", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(Dump(DocumentFormats()), kJson);
  });

  FHttp.Get(std::string("/api/reports/") + kReportName,
            [this](const httplib::Request& request, httplib::Response& response) {
              const ListedReport* report = FCatalog.Find(request.matches[1]);
              if (report == nullptr) return SendMessage(response, 404, "Relatório desconhecido.");
              SendForm(*report, R"({"event": {"kind": "open"}})", response);
            });
  FHttp.Post(std::string("/api/reports/") + kReportName + "/form",
             [this](const httplib::Request& request, httplib::Response& response) {
               const ListedReport* report = FCatalog.Find(request.matches[1]);
               if (report == nullptr) return SendMessage(response, 404, "Relatório desconhecido.");
               const auto body = RequestObject(request, response);
               if (!body) return;
               // Only what the form needs is passed on.
               const json forwarded{{"values", body->value("values", json::object())},
                                    {"event", body->value("event", json())}};
               SendForm(*report, Dump(forwarded), response);
             });

  FHttp.Post(std::string("/api/reports/") + kReportName + "/run",
             [this](const httplib::Request& request, httplib::Response& response) {
               const ListedReport* report = FCatalog.Find(request.matches[1]);
               if (report == nullptr) return SendMessage(response, 404, "Relatório desconhecido.");
               const auto body = RequestObject(request, response);
               if (!body) return;
               const json params = body->value("params", json::object());
               const json format = body->value("format", json("pdf"));
               if (!params.is_object()) {
                 return SendMessage(response, 400, "params deve ser um objeto de nome para valor.");
               }
               if (!format.is_string() || !IsDocumentFormat(format.get<std::string>())) {
                 return SendMessage(response, 400, "Formato desconhecido.");
               }
               SendRun(*report, Dump(params), format.get<std::string>(), response);
             });

  FHttp.Get(std::string("/api/runs/") + kRunId + R"(/pages/([0-9]{1,6}))",
            [this](const httplib::Request& request, httplib::Response& response) {
              const auto run = FStore.Find(request.matches[1]);
              const int page = std::stoi(request.matches[2]);
              if (!run || page < 1 || page > run->Pages) {
                return SendMessage(response, 404, "Página não encontrada.");
              }
              const std::string png =
                  ReadStoredFile(FStore.FolderOf(request.matches[1]) /
                                 ("documento-" + std::to_string(page) + ".png"));
              if (png.empty()) return SendMessage(response, 404, "Página não encontrada.");
              response.set_content(png, "image/png");
            });
  FHttp.Get(std::string("/api/runs/") + kRunId + R"(/document/([a-z]{1,8}))",
            [this](const httplib::Request& request, httplib::Response& response) {
              const auto run = FStore.Find(request.matches[1]);
              if (!run) {
                return SendMessage(response, 404,
                                   "Esta visualização expirou: execute o relatório de novo.");
              }
              const std::string format = request.matches[2];
              if (!IsDocumentFormat(format) || format == "png") {
                return SendMessage(response, 400, "Formato desconhecido.");
              }
              const ListedReport* report = FCatalog.Find(run->Report);
              SendRun(*report, run->Parameters, format, response);
            });
  FHttp.Delete(std::string("/api/runs/") + kRunId,
               [this](const httplib::Request& request, httplib::Response& response) {
                 if (!FStore.Remove(request.matches[1])) {
                   return SendMessage(response, 404, "Visualização não encontrada.");
                 }
                 response.status = 204;
               });
}

void ReportServer::SendForm(const ListedReport& report, const std::string& request,
                            httplib::Response& response) {
  const auto turn = FForms.Enter();
  if (!turn) return SendMessage(response, 503, "Servidor ocupado; tente de novo em instantes.");
  const ScratchFolder folder = FStore.NewFolder();
  const ChildOutcome form =
      FChildren.Run({"form", report.Name}, folder.Path(), request, kFormTimeLimit);
  if (form.ExitStatus == 0) return response.set_content(form.Out, kJson);
  if (form.ExitStatus == 2) return SendMessage(response, 400, UsageMessage(form.Err));
  if (form.ExitStatus == 1) {
    const std::string message = Trim(form.Err);
    return SendMessage(response, 422, message, FieldOfMessage(report.Definition, message));
  }
  SendMessage(response, 500,
              "O formulário do relatório " + report.Name + " terminou de forma anormal.");
}

std::optional<ReportServer::Failure> ReportServer::RunReport(const ListedReport& report,
                                                             const std::string& parameters,
                                                             const std::string& format,
                                                             const std::filesystem::path& folder,
                                                             std::vector<std::string>& messages) {
  const auto turn = FRuns.Enter();
  if (!turn) {
    return Failure{503, "Há execuções demais em andamento; tente de novo em instantes.", ""};
  }
  std::ofstream(folder / "parametros.json", std::ios::binary) << parameters;
  const ChildOutcome run =
      FChildren.Run({"run", report.Name, "--db", FSettings.Database, "--params", "parametros.json",
                     "--format", format, "-o", "documento." + format, "--quiet"},
                    folder, "", FSettings.TimeLimit);
  if (run.Stopped) return Failure{503, "O servidor está sendo encerrado.", ""};
  if (run.TimedOut) {
    return Failure{504,
                   "O relatório " + report.Name + " passou do tempo limite de " +
                       std::to_string(FSettings.TimeLimit.count()) + " s e foi interrompido.",
                   ""};
  }
  if (run.Signal != 0) {
    return Failure{500,
                   "O relatório " + report.Name + " terminou de forma anormal (sinal " +
                       std::to_string(run.Signal) + ").",
                   ""};
  }
  if (run.ExitStatus == 2) {
    const std::string message = UsageMessage(run.Err);
    return Failure{400, message, FieldOfMessage(report.Definition, message)};
  }
  if (run.ExitStatus != 0) {
    const std::string message = Trim(run.Err);
    return Failure{422, message, FieldOfMessage(report.Definition, message)};
  }
  messages = RunMessages(run.Err);
  return std::nullopt;
}

void ReportServer::SendRun(const ListedReport& report, const std::string& parameters,
                           const std::string& format, httplib::Response& response) {
  ScratchFolder folder = FStore.NewFolder();
  std::vector<std::string> messages;
  if (const auto failure = RunReport(report, parameters, format, folder.Path(), messages)) {
    return SendMessage(response, failure->Status, failure->Message, failure->Field);
  }
  if (format != "png") {
    response.set_header("Content-Disposition",
                        "attachment; filename=\"" + report.Name + "." + format + "\"");
    return response.set_content(ReadStoredFile(folder.Path() / ("documento." + format)),
                                ContentTypeOf(format));
  }
  // Page images are the preview: kept for the page to show until it lets them go.
  int pages = 0;
  while (std::filesystem::exists(folder.Path() /
                                 ("documento-" + std::to_string(pages + 1) + ".png"))) {
    ++pages;
  }
  const std::string id =
      FStore.Keep(std::move(folder), StoredRun{report.Name, parameters, pages, messages});
  response.set_content(Dump({{"run", id}, {"pages", pages}, {"messages", messages}}), kJson);
}
