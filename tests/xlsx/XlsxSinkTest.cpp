// The spreadsheet sink on pages built by hand: how labels find their rows and columns, and text
// no cell could hold as it came.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "render/XlsxSink.h"
#include "report/ReportDefinition.h"
#include "xlsx/Workbook.h"

namespace fs = std::filesystem;
using xlsx::json;

namespace {

// Section 10: a name over an address (two lines) with a code beside the name; section 20, never
// printed here, has a label of its own at 400.
const char* const kDefinition = R"({
  "title": "Cadastro: [estabelecimentos] ativos?",
  "sections": [
    {"number": 10, "height": 40, "elements": [
      {"type": "label", "left": 23, "top": 0, "width": 150, "height": 14, "value": "pNome"},
      {"type": "label", "left": 23, "top": 20, "width": 300, "height": 14, "value": "pEndereco"},
      {"type": "label", "left": 200, "top": 1, "width": 60, "height": 14, "value": "pCodigo"}]},
    {"number": 20, "height": 14, "elements": [
      {"type": "label", "left": 400, "top": 0, "width": 60, "height": 14, "value": "pOutro"}]}
  ]
})";

class XlsxSinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kdr-xlsx-sink-XXXXXX";
    FFolder = mkdtemp(pattern);
  }
  void TearDown() override { fs::remove_all(FFolder); }

  // Writes one page of section-10 bands, each given as its three texts; `left` is where the
  // run drew the code.
  json Write(const std::vector<std::vector<std::string>>& bands, double left = 200) const {
    const ReportDefinition definition = ParseReportDefinition(kDefinition, "Cadastro.json");
    const fs::path file = FFolder / "cadastro.xlsx";
    {
      std::ofstream out(file, std::ios::binary);
      XlsxSink sink(out);
      DocumentInfo info;
      info.Title = definition.Title;
      info.Sections = &definition.Sections;
      sink.Begin(info);
      Page page;
      for (const auto& texts : bands) {
        Band band{.Section = 10};
        for (int element = 0; element < static_cast<int>(texts.size()); ++element) {
          band.Items.emplace_back(TextItem{.Left = element == 2 ? left : 23,
                                           .Text = texts[static_cast<std::size_t>(element)],
                                           .Element = element});
        }
        page.Bands.push_back(std::move(band));
      }
      sink.AddPage(page);
      sink.End({});
    }
    return xlsx::ReadWorkbook(file);
  }

  fs::path FFolder;
};

TEST_F(XlsxSinkTest, LabelsTakeTheRowOfTheirLineAndTheColumnOfTheirDefinedPlace) {
  const json book = Write({{"Matriz", "Rua Nove, 120", "7"}}, 500);  // the run moved the code
  EXPECT_EQ(book["name"], "Cadastro estabelecimentos") << "cut to 31 characters at a blank";
  ASSERT_EQ(book["rows"].size(), 2u);
  EXPECT_EQ(book["rows"][0]["A"]["value"], "Matriz");
  EXPECT_EQ(book["rows"][0]["B"]["value"], 7);
  EXPECT_EQ(book["rows"][1]["A"]["value"], "Rua Nove, 120");
  EXPECT_FALSE(book["columns"]["B"]["hidden"]);
  EXPECT_TRUE(book["columns"]["C"]["hidden"]) << "section 20's column stays empty";
  EXPECT_EQ(book["frozen"], nullptr) << "no page header, nothing frozen";
}

TEST_F(XlsxSinkTest, TextNoCellCouldHoldIsMadeFitNotLost) {
  const std::string longText(40000, 'x');
  const json book = Write({{"Caf\xe9 \x01\x1b[31m", "linha 1\nlinha 2", longText}});
  EXPECT_EQ(book["rows"][0]["A"]["value"], "Caf\xef\xbf\xbd [31m");
  EXPECT_EQ(book["rows"][1]["A"]["value"], "linha 1\nlinha 2");
  EXPECT_EQ(book["rows"][0]["B"]["value"], std::string(32767, 'x'));
}

TEST_F(XlsxSinkTest, WorkbookGivenUpOnKeepsNoFileOpen) {
  const auto openFiles = [] {
    return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
  };
  const auto before = openFiles();
  {
    std::ostringstream out;
    XlsxSink sink(out);
    sink.Begin(DocumentInfo{});
    Page page;
    page.Bands.push_back(Band{.Section = 10});
    page.Bands.back().Items.emplace_back(TextItem{.Text = "Matriz"});
    sink.AddPage(page);
    // A run that fails here drops the sink without End.
  }
  EXPECT_EQ(openFiles(), before);
}

}  // namespace
