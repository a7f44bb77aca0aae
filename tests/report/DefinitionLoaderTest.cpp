// Loading report definitions: a complete definition read field by field, and every kind of
// mistake reported with the file and the place in it.
#include <unistd.h>

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>

#include "Exception.h"
#include "report/ReportDefinition.h"

using nlohmann::json;
namespace fs = std::filesystem;

namespace {

class DefinitionFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    FFolder = fs::temp_directory_path() /
              ("kdr-definitions-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(FFolder);
  }
  void TearDown() override { fs::remove_all(FFolder); }

  std::string Write(const std::string& text, const std::string& name = "KdrRotaEntrega.json") {
    const fs::path path = FFolder / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }

  // The message of loading `text`; empty when it loaded.
  std::string LoadError(const std::string& text) {
    const std::string path = Write(text);
    try {
      LoadReportDefinition(path);
    } catch (const Exception& error) {
      EXPECT_EQ(std::string(error.what()).rfind(path + ": ", 0), 0u)
          << "the message must begin with the file: " << error.what();
      return std::string(error.what()).substr(path.size() + 2);
    }
    return "";
  }

  fs::path FFolder;
};

// A small valid definition that the error cases below spoil one way each.
json ValidDefinition() {
  return json::parse(R"({
    "title": "Rotas de entrega",
    "parameters": [
      { "name": "pCodigoRota", "caption": "Rotas", "type": "codes" },
      { "name": "pTipoRel", "caption": "Tipo", "type": "choice", "default": "1",
        "choices": ["Detalhado=1", "Resumido=2"] }
    ],
    "statement": "select CODIGOROTA from PROTOCOLOROTAENTREGA R where 1 = 1 {filters}",
    "filters": [ { "parameter": "pCodigoRota", "column": "R.CODIGOROTA" } ],
    "sections": [
      { "number": 1, "height": 40, "elements": [] },
      { "number": 8, "height": 14, "elements": [
        { "type": "label", "left": 23, "top": 0, "width": 100, "height": 14, "text": "Rota" },
        { "type": "label", "left": 130, "top": 0, "width": 100, "height": 14, "value": "RTexto" }
      ] }
    ],
    "layouts": [ { "parameter": "pTipoRel", "value": "2", "sections": [
      { "number": 8, "height": 20 } ] } ]
  })");
}

struct BrokenDefinition {
  std::string What;
  std::function<void(json&)> Spoil;
  std::string Message;
};

}  // namespace

TEST_F(DefinitionFiles, ReadsEveryPartOfADefinition) {
  const std::string path = Write(R"({
    "title": "Protocolos de entrega",
    "author": "Escritório",
    "page": { "size": "A4", "orientation": "landscape",
              "margins": { "top": 30, "bottom": 31, "left": 23, "right": 17 } },
    "font": { "family": "DejaVu Sans", "size": 8 },
    "parameters": [
      { "name": "pDataInicial", "caption": "Data inicial", "type": "date", "required": true },
      { "name": "pOrigem", "caption": "Origem", "type": "choice", "default": "F",
        "choices": ["Filial=F", "Geral=G"] }
    ],
    "sections": [
      { "number": 1, "height": 40, "elements": [
        { "type": "label", "name": "etiTitulo", "left": 23, "top": 4, "width": 754, "height": 18,
          "text": "Protocolo", "font": { "size": 12, "bold": true }, "align": "center" },
        { "type": "image", "name": "Logo", "left": 23, "top": 2, "width": 120, "height": 36,
          "picture": true, "visible": false },
        { "type": "line", "left": 23, "top": 39, "width": 754, "height": 0, "thickness": 1.5 },
        { "type": "frame", "left": 0, "top": 0, "width": 10, "height": 10 }
      ] },
      { "number": 13, "name": "Item", "height": 14, "elements": [
        { "type": "label", "name": "Etiqueta5", "left": 23, "width": 300, "height": 28,
          "value": "pDesc", "multiline": true, "align": "right" } ] }
    ],
    "layouts": [ { "parameter": "pOrigem", "value": "G", "sections": [
      { "number": 13, "height": 20 } ] } ]
  })",
                                 "KdrProtocolo.json");
  const ReportDefinition definition = LoadReportDefinition(path);

  EXPECT_EQ(definition.Name, "KdrProtocolo");
  EXPECT_EQ(definition.Title, "Protocolos de entrega");
  EXPECT_EQ(definition.Author, "Escritório");
  EXPECT_TRUE(definition.Page.Landscape);
  EXPECT_DOUBLE_EQ(definition.Page.Width, 1123);
  EXPECT_DOUBLE_EQ(definition.Page.Height, 794);
  EXPECT_DOUBLE_EQ(definition.Page.MarginBottom, 31);
  EXPECT_DOUBLE_EQ(definition.Page.MarginRight, 17);

  ASSERT_EQ(definition.Parameters.size(), 2u);
  EXPECT_TRUE(definition.Parameters[0].Required);
  EXPECT_EQ(definition.Parameters[0].Type, "date");
  EXPECT_EQ(definition.Parameters[1].Default, "F");
  EXPECT_EQ(definition.Parameters[1].Choices, (std::vector<std::string>{"Filial=F", "Geral=G"}));
  EXPECT_TRUE(definition.Statement.empty());

  ASSERT_EQ(definition.Sections.size(), 2u);
  EXPECT_EQ(definition.Sections[0].Name, "");
  EXPECT_EQ(definition.Sections[1].Name, "Item");
  const std::vector<ElementDefinition>& header = definition.Sections[0].Elements;
  ASSERT_EQ(header.size(), 4u);
  // A label's font is the definition's font with what the label overrides.
  EXPECT_EQ(header[0].Font, (TFont{"DejaVu Sans", 12, true, false}));
  EXPECT_EQ(header[0].Align, TextAlign::Center);
  EXPECT_EQ(header[1].Type, ElementDefinition::Kind::Image);
  EXPECT_TRUE(header[1].Picture);
  EXPECT_FALSE(header[1].Visible);
  EXPECT_EQ(header[2].Type, ElementDefinition::Kind::Line);
  EXPECT_DOUBLE_EQ(header[2].Thickness, 1.5);
  EXPECT_EQ(header[3].Type, ElementDefinition::Kind::Frame);
  const ElementDefinition& desc = definition.Sections[1].Elements.at(0);
  EXPECT_EQ(desc.Font, (TFont{"DejaVu Sans", 8, false, false}));
  EXPECT_EQ(desc.Value, "pDesc");
  EXPECT_TRUE(desc.Multiline);
  EXPECT_EQ(desc.Align, TextAlign::Right);

  EXPECT_DOUBLE_EQ(definition.SectionsFor({{"pOrigem", "G"}}).at(0).Height, 20);
  EXPECT_DOUBLE_EQ(definition.SectionsFor({{"pOrigem", "F"}}).at(0).Height, 40);
  EXPECT_DOUBLE_EQ(definition.SectionsFor({}).at(0).Height, 40);
}

TEST_F(DefinitionFiles, DefaultsForWhatADefinitionLeavesOut) {
  const ReportDefinition definition = LoadReportDefinition(Write(R"({"title": "Só o título"})"));
  EXPECT_DOUBLE_EQ(definition.Page.Width, 794);
  EXPECT_DOUBLE_EQ(definition.Page.Height, 1123);
  EXPECT_EQ(definition.DefaultFont, TFont());
  EXPECT_TRUE(definition.Sections.empty());
  EXPECT_TRUE(definition.Parameters.empty());
}

TEST_F(DefinitionFiles, EachMistakeIsNamedWithItsPlace) {
  const std::string longName(129, 'p');
  const std::vector<BrokenDefinition> cases = {
      {"missing title", [](json& d) { d.erase("title"); }, "falta \"title\""},
      {"blank title", [](json& d) { d["title"] = "  "; }, "\"title\" não pode ser vazio"},
      {"unknown element type", [](json& d) { d["sections"][1]["elements"][1]["type"] = "texto"; },
       "seção 8: elemento 2: tipo de elemento desconhecido \"texto\" (use label, image, line ou "
       "frame)"},
      {"width not a number", [](json& d) { d["sections"][1]["elements"][1]["width"] = "100"; },
       "seção 8: elemento 2: \"width\" deve ser um número"},
      {"negative width", [](json& d) { d["sections"][1]["elements"][0]["width"] = -1; },
       "seção 8: elemento 1: \"width\" não pode ser negativo"},
      {"negative section height", [](json& d) { d["sections"][1]["height"] = -14; },
       "seção 8: \"height\" não pode ser negativo"},
      {"duplicate section",
       [](json& d) {
         d["sections"].push_back({{"number", 8}, {"height", 1}});
       },
       "seção 8 repetida"},
      {"duplicate section in a layout",
       [](json& d) {
         d["layouts"][0]["sections"].push_back({{"number", 8}, {"height", 1}});
       },
       "layout 1: seção 8 repetida"},
      {"label with two sources", [](json& d) { d["sections"][1]["elements"][0]["field"] = "X"; },
       "seção 8: elemento 1: use só um de \"text\", \"value\" e \"field\""},
      {"duplicate parameter, other case",
       [](json& d) {
         d["parameters"].push_back({{"name", "PCODIGOROTA"}, {"type", "codes"}});
       },
       "parâmetro \"PCODIGOROTA\" repetido"},
      {"parameter name too long",
       [&](json& d) {
         d["parameters"].push_back({{"name", longName}});
       },
       "parâmetro \"" + longName.substr(0, 40) + "...\": nome com mais de 128 caracteres"},
      {"unknown parameter type", [](json& d) { d["parameters"][0]["type"] = "data"; },
       "parâmetro \"pCodigoRota\": tipo desconhecido \"data\" (use date, integer, text, choice "
       "ou codes)"},
      {"choice without choices", [](json& d) { d["parameters"][1].erase("choices"); },
       "parâmetro \"pTipoRel\": parâmetro de escolha sem \"choices\""},
      {"choice without a value", [](json& d) { d["parameters"][1]["choices"][1] = "Resumido"; },
       "parâmetro \"pTipoRel\": cada item de \"choices\" deve ser um texto \"Legenda=valor\""},
      {"choice default that is no choice", [](json& d) { d["parameters"][1]["default"] = "3"; },
       "parâmetro \"pTipoRel\": \"default\" deve ser um dos valores de \"choices\""},
      {"integer default that is no integer",
       [](json& d) {
         d["parameters"].push_back({{"name", "pCopia"}, {"type", "integer"}, {"default", "um"}});
       },
       "parâmetro \"pCopia\": \"default\" deve ser um número inteiro"},
      {"filter naming no parameter", [](json& d) { d["filters"][0]["parameter"] = "pNada"; },
       "filtro 1: o parâmetro \"pNada\" não existe na definição"},
      {"filters without their place in the statement", [](json& d) { d["statement"] = "select 1"; },
       "\"filters\" exige {filters} em \"statement\""},
      {"layout naming no parameter", [](json& d) { d["layouts"][0]["parameter"] = "pNada"; },
       "layout 1: o parâmetro \"pNada\" não existe na definição"},
      {"unknown alignment", [](json& d) { d["sections"][1]["elements"][0]["align"] = "justify"; },
       "seção 8: elemento 1: alinhamento desconhecido \"justify\" (use left, center ou right)"},
      {"unknown value kind", [](json& d) { d["sections"][1]["elements"][0]["kind"] = "money"; },
       "seção 8: elemento 1: tipo de valor desconhecido \"money\" (use text ou count)"},
      {"page size",
       [](json& d) {
         d["page"] = {{"size", "Letter"}};
       },
       "page: tamanho \"Letter\" não suportado (só A4)"},
      {"margins leaving no room",
       [](json& d) {
         d["page"] = {{"margins", {{"top", 600}, {"bottom", 600}}}};
       },
       "page: margins: as margens não deixam espaço na página"},
      {"section number not an integer", [](json& d) { d["sections"][0]["number"] = 1.5; },
       "seção na posição 1: \"number\" deve ser um número inteiro positivo"},
      {"visible not a flag", [](json& d) { d["sections"][1]["elements"][0]["visible"] = "no"; },
       "seção 8: elemento 1: \"visible\" deve ser true ou false"},
      {"keepWithNext not a flag", [](json& d) { d["sections"][1]["keepWithNext"] = 1; },
       "seção 8: \"keepWithNext\" deve ser true ou false"},
      {"font size zero",
       [](json& d) {
         d["font"] = {{"size", 0}};
       },
       "font: \"size\" deve ser maior que zero"},
      {"not an object", [](json& d) { d = json::array(); }, "o conteúdo deve ser um objeto JSON"},
  };
  ASSERT_EQ(LoadError(ValidDefinition().dump()), "") << "the unspoilt definition must load";
  for (const BrokenDefinition& broken : cases) {
    SCOPED_TRACE(broken.What);
    json definition = ValidDefinition();
    broken.Spoil(definition);
    EXPECT_EQ(LoadError(definition.dump(2)), broken.Message);
  }
}

TEST_F(DefinitionFiles, LongestAllowedParameterName) {
  json definition = ValidDefinition();
  definition["parameters"].push_back({{"name", std::string(127, 'p') + "ç"}});
  EXPECT_EQ(LoadError(definition.dump()), "") << "128 characters, 129 bytes";
}

TEST_F(DefinitionFiles, BadJsonIsPlacedByLineAndColumn) {
  EXPECT_EQ(LoadError("{\n  \"title\": \"Título\",\n  \"sections\": [ ,]\n}"),
            "JSON inválido na linha 3, coluna 17");
  EXPECT_EQ(LoadError(""), "JSON inválido na linha 1, coluna 1");
  // The parser refuses a number too large for a double in a way of its own.
  EXPECT_EQ(LoadError("{\"title\": 7e367}"), "JSON inválido (número fora do intervalo)");
}

TEST_F(DefinitionFiles, UnreadableFiles) {
  const std::string missing = (FFolder / "KdrNada.json").string();
  try {
    LoadReportDefinition(missing);
    FAIL();
  } catch (const Exception& error) {
    EXPECT_EQ(std::string(error.what()), missing + ": arquivo não encontrado");
  }
  try {
    LoadReportDefinition(FFolder.string());
    FAIL();
  } catch (const Exception& error) {
    EXPECT_EQ(std::string(error.what()), FFolder.string() + ": não é um arquivo");
  }
}

TEST(ShippedDefinitions, EveryDefinitionOfTheSourceTreeLoads) {
  int loaded = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(KDR_SOURCE_DIR) / "reports")) {
    if (entry.path().extension() != ".json") continue;
    SCOPED_TRACE(entry.path().string());
    EXPECT_NO_THROW({
      const ReportDefinition definition = LoadReportDefinition(entry.path().string());
      EXPECT_EQ(definition.Name, entry.path().stem().string());
    });
    ++loaded;
  }
  EXPECT_GT(loaded, 0);
}
