// The written-off listing as a spreadsheet, end to end through `kdr run --format xlsx` and read
// back by openpyxl: every break plan keeps its columns typed under their titles, totals count as
// numbers, and the page header shows once, frozen.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/ListingOffice.h"
#include "xlsx/Workbook.h"

namespace fs = std::filesystem;
using xlsx::ColumnOf;
using xlsx::json;
using xlsx::RowsWith;

namespace {

const std::string kBaixa = "KdrBaixaProtocolo";

class ListingWorkbookTest : public listing::ListingTest {
 protected:
  void SetUp() override {
    ListingTest::SetUp();
    AddMarchWriteOffs();
    AddItem(101, 1, "DAS - Simples Nacional", "1234.5", "2026-03-20");
    AddItem(101, 2, "03/2026", "0.5", "2026-03-07");
    AddItem(101, 3, "FGTS", "1000000", "2026-03-07");
  }

  json Book(const std::vector<std::string>& parameters) const {
    const fs::path file = FFolder / "baixa.xlsx";
    const Outcome outcome = Run(kBaixa, parameters, {"-o", file.string()});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    return xlsx::ReadWorkbook(file);
  }

  // The row of protocol `code`'s detail line.
  static json DetailRow(const json& book, int code) {
    const std::vector<json> rows = RowsWith(book, "A", code);
    EXPECT_EQ(rows.size(), 1u) << "protocol " << code;
    return rows.empty() ? json::object() : rows.front();
  }
};

TEST_F(ListingWorkbookTest, EveryPlanKeepsItsColumnsTypedUnderTheirTitles) {
  const std::vector<int> listed = {101, 102, 103, 104, 107};
  for (const std::string plan : {"0", "1", "2", "3"}) {
    SCOPED_TRACE("pQuebra=" + plan);
    const json book = Book({"pQuebra=" + plan});
    EXPECT_EQ(book["sheets"], 1);
    EXPECT_EQ(book["name"], "Protocolos baixados");

    // The header: the title, the period and the plan's column titles, frozen above the rest.
    const std::vector<json> titles = RowsWith(book, "A", "Protocolo");
    ASSERT_EQ(titles.size(), 1u);
    std::size_t titleRow = 0;
    while (book["rows"][titleRow] != titles.front()) ++titleRow;
    EXPECT_EQ(book["rows"][0]["A"]["value"], "Protocolos baixados");
    EXPECT_TRUE(book["rows"][0]["A"]["bold"]);
    EXPECT_EQ(book["frozen"], "A" + std::to_string(titleRow + 2));

    // Each detail row: the code a number, every column titled as a date holding a date.
    for (int code : listed) {
      const json row = DetailRow(book, code);
      EXPECT_EQ(row["A"]["type"], "number") << code;
      EXPECT_EQ(row["A"]["format"], "0") << code;
      for (const auto& [column, title] : titles.front().items()) {
        const std::string caption = title["value"];
        if (caption.rfind("Data", 0) != 0) continue;
        ASSERT_TRUE(row.contains(column)) << caption << " of " << code;
        EXPECT_EQ(row[column]["type"], "date") << caption << " of " << code;
        EXPECT_EQ(row[column]["format"].get<std::string>().rfind("dd/mm/yyyy", 0), 0u);
      }
    }
    // Group titles and totals bold; a total counts as a number shown with its noun.
    std::vector<json> totals;
    for (const json& row : book["rows"]) {
      if (row.contains("A") && row["A"]["value"].is_string() &&
          row["A"]["value"].get<std::string>().rfind("Total de Baixas por: ", 0) == 0) {
        totals.push_back(row);
      }
    }
    ASSERT_FALSE(totals.empty());
    int counted = 0;
    for (const json& total : totals) {
      EXPECT_TRUE(total["A"]["bold"]);
      ASSERT_EQ(total.size(), 2u) << total.dump();
      const json count = std::next(total.begin()).value();
      EXPECT_EQ(count["type"], "number");
      EXPECT_TRUE(count["bold"]);
      const int n = count["value"];
      EXPECT_EQ(count["format"], n == 1 ? "0\" Protocolo\"" : "0\" Protocolos\"");
      counted += n;
    }
    // Each level of groups counts every protocol once; the other plans nest in the company.
    EXPECT_EQ(counted, plan == "0" ? 5 : 10);
    // Columns nothing was written to are hidden; those in use are as wide as their content.
    for (const auto& [column, info] : book["columns"].items()) {
      bool used = false;
      for (const json& row : book["rows"]) used = used || row.contains(column);
      EXPECT_EQ(info["hidden"].get<bool>(), !used) << column;
    }
  }
}

TEST_F(ListingWorkbookTest, ItemsKeepAmountsAndDueDatesTypedAndDescriptionsAsText) {
  for (const std::string columns : {"0", "1"}) {
    SCOPED_TRACE("pColuna=" + columns);
    const json book = Book({"pQuebra=0", "pItensPro=1", "pColuna=" + columns});
    // In two columns the description prints on a line of its own, below amount and due date.
    EXPECT_FALSE(xlsx::AnyRowWith(book, "DAS - Simples Nacional").is_null());
    const json first = xlsx::AnyRowWith(book, 1234.5);
    const std::string value = ColumnOf(first, 1234.5);
    ASSERT_FALSE(value.empty()) << book.dump();
    EXPECT_EQ(first[value]["format"], "#,##0.00");
    // A description that looks like a competence stays the text it is.
    int described = 0;
    for (const json& row : book["rows"]) {
      for (const auto& [column, cell] : row.items()) {
        if (cell["value"] != "03/2026") continue;
        EXPECT_EQ(cell["type"], "text");
        ++described;
      }
    }
    EXPECT_EQ(described, 1);
    const json last = xlsx::AnyRowWith(book, 1000000);
    ASSERT_FALSE(last.is_null());
    EXPECT_EQ(ColumnOf(last, 1000000), value);
    EXPECT_EQ(last[value]["format"], "#,##0.00");
    bool due = false;
    for (const auto& [column, cell] : last.items()) {
      due = due || (cell["type"] == "date" && cell["value"] == "2026-03-07 00:00:00" &&
                    cell["format"] == "dd/mm/yyyy");
    }
    EXPECT_TRUE(due) << last.dump();
  }
}

TEST_F(ListingWorkbookTest, PageHeaderShowsOnceOverManyPages) {
  for (int code = 200; code < 300; ++code) {
    Add({code, 2, 1, "2026-02-25", "2026-02-25 09:00:00", 7, "2026-03-06 16:00:00", 7, "Paulo", 1});
  }
  const fs::path document = FFolder / "baixa.json";
  ASSERT_EQ(Run(kBaixa, {"pQuebra=0"}, {"-o", document.string()}).Status, 0);
  ASSERT_GE(listing::json::parse(ReadFile(document))["pages"].size(), 2u);

  const auto book = Book({"pQuebra=0"});
  EXPECT_EQ(RowsWith(book, "A", "Protocolos baixados").size(), 1u);
  EXPECT_EQ(RowsWith(book, "A", "Protocolo").size(), 1u);
  EXPECT_EQ(DetailRow(book, 299)["A"]["type"], "number");
}

}  // namespace
