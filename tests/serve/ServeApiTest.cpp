// `kdr serve` through its JSON API, as the page and other callers use it: the form as the
// plug-ins leave it, runs in children with their limits, and what the server refuses.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <future>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "serve/ServerProcess.h"
#include "support/KdrProcess.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const char* const kJsonType = "application/json";

fs::path Scratch(const std::string& name) {
  const fs::path folder =
      fs::temp_directory_path() / ("kdr-serve-test-" + name + "-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

const json* FieldNamed(const json& form, const std::string& name) {
  for (const json& field : form["fields"]) {
    if (field["name"] == name) return &field;
  }
  return nullptr;
}

std::vector<std::string> ChoiceCaptions(const json& field) {
  std::vector<std::string> captions;
  for (const json& choice : field["choices"]) captions.push_back(choice["caption"]);
  return captions;
}

// One demo office and one server for the suite; a second server with tight limits.
class ServeApiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Folder = Scratch("api");
    Database = "sqlite:" + (Folder / "demo.sqlite").string();
    ASSERT_EQ(RunKdr({"db", "demo", "--db", Database, "--quiet"}, Folder).Status, 0);
    Server =
        std::make_unique<ServerProcess>(std::vector<std::string>{"--db", Database}, Folder / "tmp");
    ASSERT_GT(Server->Port, 0) << Server->Banner;
  }
  static void TearDownTestSuite() {
    Server.reset();
    fs::remove_all(Folder);
  }

  static json Form(const std::string& report, const json& values, const std::string& kind,
                   const std::string& field) {
    auto response = Server->Client().Post(
        "/api/reports/" + report + "/form",
        json{{"values", values}, {"event", {{"kind", kind}, {"field", field}}}}.dump(), kJsonType);
    EXPECT_TRUE(response);
    EXPECT_EQ(response->status, 200) << response->body;
    return json::parse(response->body);
  }

  static httplib::Result Run(const std::string& report, const json& params,
                             const std::string& format) {
    return Server->Client().Post("/api/reports/" + report + "/run",
                                 json{{"params", params}, {"format", format}}.dump(), kJsonType);
  }

  static inline fs::path Folder;
  static inline std::string Database;
  static inline std::unique_ptr<ServerProcess> Server;
};

TEST_F(ServeApiTest, ListsTheReportsAndTheFormatsOfTheHost) {
  auto reports = Server->Client().Get("/api/reports");
  ASSERT_TRUE(reports);
  bool found = false;
  for (const json& report : json::parse(reports->body)) {
    found =
        found || (report["name"] == "KdrProtocolo" && !report["title"].get<std::string>().empty() &&
                  report["version"].get<std::string>().find("versao") != std::string::npos);
  }
  EXPECT_TRUE(found) << reports->body;
  const json formats = json::parse(Server->Client().Get("/api/formats")->body);
  EXPECT_NE(std::find(formats.begin(), formats.end(), "pdf"), formats.end());
  EXPECT_NE(std::find(formats.begin(), formats.end(), "png"), formats.end());
}

TEST_F(ServeApiTest, FormShowsWhatTheListingsEventsDid) {
  auto opened = Server->Client().Get("/api/reports/KdrBaixaProtocolo");
  ASSERT_EQ(opened->status, 200);
  const json open = json::parse(opened->body);
  EXPECT_EQ(ChoiceCaptions(*FieldNamed(open, "pOrdenacao")).size(), 5u);
  EXPECT_EQ((*FieldNamed(open, "pDataInicial"))["type"], "date");
  EXPECT_TRUE((*FieldNamed(open, "pDataInicial"))["required"].get<bool>());

  // Grouping by write-off date leaves that date out of the orderings offered.
  const json byDate = Form("KdrBaixaProtocolo", {{"pQuebra", "2"}}, "change", "pQuebra");
  EXPECT_EQ(ChoiceCaptions(*FieldNamed(byDate, "pOrdenacao")),
            (std::vector<std::string>{"Protocolo", "Filial", "Usuário", "Data Lançamento"}));

  const json noItems = Form("KdrBaixaProtocolo", {{"pItensPro", ""}}, "change", "pItensPro");
  EXPECT_FALSE((*FieldNamed(noItems, "pColuna"))["enabled"].get<bool>());
  EXPECT_FALSE((*FieldNamed(noItems, "pColuna"))["required"].get<bool>());
  const json items = Form("KdrBaixaProtocolo", {{"pItensPro", "1"}}, "change", "pItensPro");
  EXPECT_TRUE((*FieldNamed(items, "pColuna"))["enabled"].get<bool>());
  EXPECT_TRUE((*FieldNamed(items, "pColuna"))["required"].get<bool>());

  // An earlier change still counts when a later event is answered.
  const json later =
      Form("KdrBaixaProtocolo", {{"pItensPro", ""}, {"pQuebra", "1"}}, "exit", "pQuebra");
  EXPECT_FALSE((*FieldNamed(later, "pColuna"))["enabled"].get<bool>());

  const json problems =
      Form("KdrBaixaProtocolo", {{"pCodigoEmpresa", "1,,x"}, {"pDataInicial", "31/02/2026"}},
           "change", "pCodigoEmpresa");
  EXPECT_NE((*FieldNamed(problems, "pCodigoEmpresa"))["problem"], "");
  EXPECT_NE((*FieldNamed(problems, "pDataInicial"))["problem"], "");
  EXPECT_EQ((*FieldNamed(problems, "pDataFinal"))["problem"], "");
}

TEST_F(ServeApiTest, RunsAnswerWithTheDocumentOrAPreviewOfPages) {
  const json params{{"pDataInicial", "01/01/2026"}, {"pDataFinal", "31/01/2026"}};
  auto pdf = Run("KdrProtocolo", params, "pdf");
  ASSERT_EQ(pdf->status, 200) << pdf->body;
  EXPECT_EQ(pdf->get_header_value("Content-Type"), "application/pdf");
  EXPECT_EQ(pdf->body.rfind("%PDF", 0), 0u);

  auto png = Run("KdrProtocolo", params, "png");
  ASSERT_EQ(png->status, 200) << png->body;
  const json preview = json::parse(png->body);
  const std::string run = preview["run"];
  ASSERT_GE(preview["pages"].get<int>(), 1);
  auto client = Server->Client();
  auto page = client.Get("/api/runs/" + run + "/pages/1");
  EXPECT_EQ(page->status, 200);
  EXPECT_EQ(page->body.substr(1, 3), "PNG");
  EXPECT_EQ(
      client.Get("/api/runs/" + run + "/pages/" + std::to_string(preview["pages"].get<int>() + 1))
          ->status,
      404);
  auto text = client.Get("/api/runs/" + run + "/document/txt");
  EXPECT_EQ(text->status, 200);
  EXPECT_NE(text->body.find("PROTOCOLO"), std::string::npos);

  // Let go, the preview and its files are gone.
  EXPECT_EQ(client.Delete("/api/runs/" + run)->status, 204);
  EXPECT_EQ(client.Get("/api/runs/" + run + "/pages/1")->status, 404);
}

TEST_F(ServeApiTest, RefusedParametersAnswerWithTheMessageAndTheField) {
  auto badDate =
      Run("KdrProtocolo", {{"pDataInicial", "31/02/2026"}, {"pDataFinal", "31/01/2026"}}, "pdf");
  EXPECT_EQ(badDate->status, 422);
  EXPECT_EQ(json::parse(badDate->body),
            (json{{"message", "Data inicial invalida!"}, {"field", "pDataInicial"}}));

  auto badChoice =
      Run("KdrBaixaProtocolo",
          {{"pDataInicial", "01/03/2026"}, {"pDataFinal", "31/03/2026"}, {"pQuebra", "9"}}, "pdf");
  EXPECT_EQ(badChoice->status, 422);
  EXPECT_EQ(json::parse(badChoice->body)["field"], "pQuebra");

  auto unknown = Run("KdrProtocolo", {{"pNada", "1"}}, "pdf");
  EXPECT_EQ(unknown->status, 400);
  EXPECT_NE(json::parse(unknown->body)["message"].get<std::string>().find("pNada"),
            std::string::npos);
  auto notText = Run("KdrProtocolo", {{"pCopia", json::array()}}, "pdf");
  EXPECT_EQ(notText->status, 400);

  EXPECT_EQ(Run("KdrProtocolo", json::object(), "exe")->status, 400);
  EXPECT_EQ(Run("NaoExiste", json::object(), "pdf")->status, 404);
}

TEST_F(ServeApiTest, OtherOriginsAndOtherHostsAreRefused) {
  auto client = Server->Client();
  const std::string body = json{{"params", json::object()}, {"format", "pdf"}}.dump();
  auto crossOrigin = client.Post("/api/reports/KdrProtocolo/run",
                                 {{"Origin", "http://evil.example"}}, body, kJsonType);
  EXPECT_EQ(crossOrigin->status, 403);
  auto crossSite = client.Post("/api/reports/KdrProtocolo/run", {{"Sec-Fetch-Site", "cross-site"}},
                               body, kJsonType);
  EXPECT_EQ(crossSite->status, 403);
  // A plain form post from another site cannot send JSON.
  auto formPost = client.Post("/api/reports/KdrProtocolo/run", body, "text/plain");
  EXPECT_EQ(formPost->status, 415);
  // A name that only resolves to this machine (DNS rebinding) is not this server.
  auto rebound =
      client.Get("/api/reports", {{"Host", "evil.example:" + std::to_string(Server->Port)}});
  EXPECT_EQ(rebound->status, 421);
  auto sameOrigin =
      client.Post("/api/reports/KdrBaixaProtocolo/form",
                  {{"Origin", "http://" + Server->Host + ":" + std::to_string(Server->Port)}},
                  R"({"event": {"kind": "open"}})", kJsonType);
  EXPECT_EQ(sameOrigin->status, 200);
}

TEST_F(ServeApiTest, NoPathLeavesThePageAndThePreviews) {
  auto client = Server->Client();
  for (const std::string path :
       {"/../../../etc/passwd", "/%2e%2e/%2e%2e/etc/passwd", "/..%2f..%2fetc%2fpasswd",
        "/api/reports/..%2f..%2fetc%2fpasswd", "/api/reports/../../etc/passwd",
        "/api/runs/0123456789abcdef0123456789abcdef/pages/..%2f..%2fetc%2fpasswd",
        "/api/runs/..%2f..%2f..%2fetc/pages/1", "/index.html/../../etc/passwd",
        "/style.css%00.js"}) {
    auto response = client.Get(path);
    ASSERT_TRUE(response) << path;
    EXPECT_GE(response->status, 400) << path;
    EXPECT_EQ(response->body.find("root:"), std::string::npos) << path;
  }
  auto page = client.Get("/");
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("/app.js"), std::string::npos);
}

TEST(ServeLimitsTest, CrashesAndLoopsEndInTheirChildAndRunsBeyondTheCapQueue) {
  const fs::path folder = Scratch("limits");
  const std::string database = "sqlite:" + (folder / "demo.sqlite").string();
  ASSERT_EQ(RunKdr({"db", "demo", "--db", database, "--quiet"}, folder).Status, 0);
  ServerProcess server({"--db", database, "--time-limit", "5", "--runs", "1"}, folder / "tmp");
  ASSERT_GT(server.Port, 0) << server.Banner;
  const auto run = [&server](const std::string& falha) {
    const json body{
        {"params",
         {{"pDataInicial", "01/01/2026"}, {"pDataFinal", "31/01/2026"}, {"pFalhar", falha}}},
        {"format", "json"}};
    return server.Client().Post("/api/reports/KdrTeste/run", body.dump(), kJsonType)->status;
  };

  EXPECT_EQ(run("4"), 500);
  EXPECT_EQ(run(""), 200);

  // One runs, two wait their turn, the fourth is turned away at once; the loops are stopped
  // at the time limit, one after the other.
  const auto started = std::chrono::steady_clock::now();
  std::vector<std::future<int>> loops;
  for (int i = 0; i < 4; ++i) loops.push_back(std::async(std::launch::async, run, "5"));
  std::vector<int> statuses;
  for (auto& loop : loops) statuses.push_back(loop.get());
  std::sort(statuses.begin(), statuses.end());
  EXPECT_EQ(statuses, (std::vector<int>{503, 504, 504, 504}));
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
  EXPECT_EQ(run(""), 200);

  // Ctrl-C stops it in order: the interruption's status, and no temporary output left.
  EXPECT_EQ(server.Stop(), 130);
  EXPECT_TRUE(fs::is_empty(folder / "tmp"));
  fs::remove_all(folder);
}

TEST(ServeLimitsTest, AMissingDatabaseOrAPortInUseIsSaidSo) {
  const fs::path folder = Scratch("port");
  const std::string database = "sqlite:" + (folder / "vazio.sqlite").string();
  ASSERT_EQ(RunKdr({"db", "init", "--db", database}, folder).Status, 0);
  ServerProcess first({"--db", database}, folder / "tmp1");
  ASSERT_GT(first.Port, 0) << first.Banner;
  const Outcome second =
      RunKdr({"serve", "--db", database, "--port", std::to_string(first.Port)}, folder);
  EXPECT_EQ(second.Status, 1);
  EXPECT_NE(second.Err.find("já está em uso"), std::string::npos) << second.Err;

  const Outcome missing =
      RunKdr({"serve", "--db", "sqlite:" + (folder / "nenhum.sqlite").string()}, folder);
  EXPECT_EQ(missing.Status, 1);
  EXPECT_NE(missing.Err.find("não existe"), std::string::npos) << missing.Err;
  fs::remove_all(folder);
}

}  // namespace
