#include "render/JsonSink.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

#include "Exception.h"
#include "render/RenderSupport.h"

namespace {

using nlohmann::json;

Band HeaderBand() {
  Band band;
  band.Section = 1;
  band.Values = std::make_shared<const NamedTexts>(
      NamedTexts{{"pDescrProtocolo", "Protocolo: 00007 - Guias de março"}, {"pCompet", "03/2026"}});
  ElementState phone;
  phone.Name = "etiTelefone";
  phone.VisibleChanged = true;
  phone.Visible = false;
  ElementState title;
  title.Name = "etiTitulo";
  title.LeftChanged = true;
  title.Left = 202;
  title.WidthChanged = true;
  title.Width = 575;
  ElementState untouched;
  untouched.Name = "etiCNPJ";
  band.Elements =
      std::make_shared<const std::vector<ElementState>>(std::vector{phone, title, untouched});
  return band;
}

Band DetailBand() {
  Band band;
  band.Section = 10;
  band.Values =
      std::make_shared<const NamedTexts>(NamedTexts{{"pTotal", "1.234,56"}, {"pVazio", ""}});
  band.HasFields = true;
  band.Fields = {{"CODIGOROTA", "3"}, {"NOMEESTAB", "Padaria São João"}};
  band.Items.push_back(render_test::Text(23, 0, 100, 14, "ignored by the document model"));
  return band;
}

std::string Render(const std::vector<Page>& pages, const std::vector<Message>& messages) {
  std::ostringstream out;
  JsonSink sink(out);
  sink.Begin(DocumentInfo{"KdrProtocolo", "[versao: 1.1.28.0]", "Protocolos", "Escritório"});
  for (const Page& page : pages) sink.AddPage(page);
  sink.End(messages);
  return out.str();
}

TEST(JsonSinkTest, WritesTheDocumentModelExactly) {
  Page first;
  first.Number = 1;
  first.Bands = {HeaderBand(), DetailBand()};
  Page second;
  second.Number = 2;
  second.Bands = {HeaderBand()};
  const std::string text = Render({first, second}, {{1, "Nenhum protocolo encontrado."}});

  const json expected = json::parse(R"({
    "report": "KdrProtocolo",
    "version": "[versao: 1.1.28.0]",
    "pages": [
      { "number": 1, "bands": [
        { "section": 1,
          "values": { "pDescrProtocolo": "Protocolo: 00007 - Guias de março", "pCompet": "03/2026" },
          "labels": { "etiTelefone": { "visible": false },
                      "etiTitulo": { "left": 202, "width": 575 } } },
        { "section": 10,
          "values": { "pTotal": "1.234,56" },
          "fields": { "CODIGOROTA": "3", "NOMEESTAB": "Padaria São João" } } ] },
      { "number": 2, "bands": [
        { "section": 1,
          "values": { "pDescrProtocolo": "Protocolo: 00007 - Guias de março", "pCompet": "03/2026" },
          "labels": { "etiTelefone": { "visible": false },
                      "etiTitulo": { "left": 202, "width": 575 } } } ] }
    ],
    "messages": [ { "kind": 1, "text": "Nenhum protocolo encontrado." } ]
  })");
  EXPECT_EQ(json::parse(text), expected);
}

TEST(JsonSinkTest, StreamedTextReadsLikeOneDocumentInTheDocumentedKeyOrder) {
  Page page;
  page.Number = 1;
  page.Bands = {HeaderBand(), DetailBand()};
  const std::string text = Render({page}, {{2, "Atenção"}});
  // Pretty-printed with two spaces, keys in the documented order, UTF-8 kept as is.
  EXPECT_EQ(text, nlohmann::ordered_json::parse(text).dump(2, ' ', false) + "\n");
  EXPECT_LT(text.find("\"report\""), text.find("\"version\""));
  EXPECT_LT(text.find("\"number\""), text.find("\"bands\""));
  EXPECT_LT(text.find("\"section\""), text.find("\"values\""));
  EXPECT_LT(text.find("\"values\""), text.find("\"labels\""));
  EXPECT_NE(text.find("Guias de março"), std::string::npos);
  EXPECT_NE(text.find("\"pages\": [\n    {\n      \"number\": 1,"), std::string::npos) << text;
}

// Pages are written straight as text: every escape, empty object and array must read as the
// library's own pretty form of the same document.
TEST(JsonSinkTest, EscapesAndEmptyPartsAreWrittenAsTheLibraryWould) {
  Band band = DetailBand();
  band.Values = std::make_shared<const NamedTexts>(
      NamedTexts{{"pAspas", "\"citado\" \\ barra\ttab\nlinha\r\b\f"},
                 {"pControle", std::string("nulo\0\x01\x1f\x7f fim", 13)},
                 {"pAcento", "Ação – ✓"}});
  band.Fields = {{"VAZIO", ""}, {"MESMO", "1"}, {"MESMO", "2"}};
  band.Clipped = {"pAspas", "rótulo \"x\""};
  Page withBands;
  withBands.Number = 1;
  withBands.Bands = {band, Band{}};
  Page empty;
  empty.Number = 2;
  const std::string text = Render({withBands, empty}, {});
  EXPECT_EQ(text, nlohmann::ordered_json::parse(text).dump(2, ' ', false) + "\n");
  const json document = json::parse(text);
  EXPECT_EQ(document["pages"][0]["bands"][0]["values"]["pControle"],
            std::string("nulo\0\x01\x1f\x7f fim", 13));
  EXPECT_EQ(document["pages"][0]["bands"][0]["fields"]["MESMO"], "2");
  EXPECT_EQ(document["pages"][1]["bands"], json::array());
}

TEST(JsonSinkTest, EmptyRunIsStillAValidDocument) {
  const std::string text = Render({}, {});
  const json document = json::parse(text);
  EXPECT_EQ(document["pages"], json::array());
  EXPECT_EQ(document["messages"], json::array());
  EXPECT_EQ(text, nlohmann::ordered_json::parse(text).dump(2) + "\n");
}

TEST(JsonSinkTest, BandsWithoutFieldsOrChangesOmitThoseKeys) {
  Page page;
  page.Number = 1;
  Band band;
  band.Section = 3;
  page.Bands = {band};
  const json document = json::parse(Render({page}, {}));
  const json& only = document["pages"][0]["bands"][0];
  EXPECT_EQ(only, json::parse(R"({"section": 3, "values": {}})"));
}

TEST(JsonSinkTest, ClippedLabelsAreListedAfterTheFields) {
  Page page;
  page.Number = 1;
  Band band = DetailBand();
  band.Clipped = {"etiDescricao", "NOMEESTAB"};
  page.Bands = {band};
  const std::string text = Render({page}, {});
  const json only = json::parse(text)["pages"][0]["bands"][0];
  EXPECT_EQ(only["clipped"], json::parse(R"(["etiDescricao", "NOMEESTAB"])"));
  EXPECT_LT(text.find("\"fields\""), text.find("\"clipped\""));
}

TEST(JsonSinkTest, TextThatIsNotUtf8IsReplacedNotFatal) {
  Page page;
  page.Number = 1;
  Band band;
  band.Section = 1;
  band.Values = std::make_shared<const NamedTexts>(NamedTexts{{"pNome", "S\xe3o Jos\xe9"}});
  page.Bands = {band};
  const json document = json::parse(Render({page}, {}));
  EXPECT_EQ(document["pages"][0]["bands"][0]["values"]["pNome"], "S\uFFFDo Jos\uFFFD");
}

TEST(JsonSinkTest, AFailingStreamIsReported) {
  std::ostringstream out;
  out.setstate(std::ios::badbit);
  JsonSink sink(out);
  EXPECT_THROW(sink.Begin(DocumentInfo{}), Exception);
}

}  // namespace
