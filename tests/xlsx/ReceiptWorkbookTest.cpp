// The company receipt as a spreadsheet through `kdr run`: protocol numbers keep their zeros as
// text, item values, dates and competences are typed, the header is frozen, and the file is the
// same byte for byte from run to run, written whole or not at all.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/ReceiptOffice.h"
#include "xlsx/Workbook.h"

namespace fs = std::filesystem;
using xlsx::ColumnOf;
using xlsx::json;
using xlsx::RowsWith;

namespace {

class ReceiptWorkbookTest : public receipt::ReceiptTest {
 protected:
  void SetUp() override {
    ReceiptTest::SetUp();
    FData.Add(office::Item{.Protocol = 7,
                           .Sequence = 2,
                           .Description = "02/2026",
                           .Value = "10.00",
                           .Due = "2026-03-07",
                           .Competence = std::nullopt,
                           .Launched = "2026-03-02"});
  }

  Outcome Receipt(const std::string& output, const std::vector<std::string>& extra = {}) const {
    std::vector<std::string> arguments = {
        "run", "KdrProtocoloEmpresa",      "--db", FOffice.Url(), "--quiet", "-o", output,
        "-p",  "pEscrit=Escritório Modelo"};
    for (const std::string& parameter : extra) {
      arguments.push_back("-p");
      arguments.push_back(parameter);
    }
    if (extra.empty()) {
      arguments.insert(arguments.end(),
                       {"-p", "pDataInicial=01/03/2026", "-p", "pDataFinal=31/03/2026"});
    }
    return Kdr(arguments);
  }
};

// SOURCE_DATE_EPOCH for the length of a scope.
class SourceDateEpoch {
 public:
  explicit SourceDateEpoch(const char* seconds) { setenv("SOURCE_DATE_EPOCH", seconds, 1); }
  ~SourceDateEpoch() { unsetenv("SOURCE_DATE_EPOCH"); }
  SourceDateEpoch(const SourceDateEpoch&) = delete;
  SourceDateEpoch& operator=(const SourceDateEpoch&) = delete;
};

TEST_F(ReceiptWorkbookTest, CellsAreTypedAndTheHeaderIsFrozen) {
  const fs::path file = FFolder / "recibo.XLSX";  // the extension chooses the format, any case
  const Outcome outcome = Receipt(file.string());
  ASSERT_EQ(outcome.Status, 0) << outcome.Err;
  const json book = xlsx::ReadWorkbook(file);

  // The page header (title and office), frozen above the protocols.
  EXPECT_EQ(book["rows"][0]["A"]["value"], "Protocolo de entrega de documentos");
  EXPECT_EQ(book["rows"][1]["A"]["value"], "Escritório Modelo");
  EXPECT_EQ(book["frozen"], "A3");

  // The protocol's number keeps its zeros, as text, bold as its label.
  const std::vector<json> header = RowsWith(book, "A", "Protocolo: 00007 - Guias de março");
  ASSERT_EQ(header.size(), 2u) << "the protocol's header and its closing";
  EXPECT_EQ(header[0]["A"]["type"], "text");
  EXPECT_TRUE(header[0]["A"]["bold"]);

  const json titles = RowsWith(book, "B", "Descrição").at(0);
  const std::string due = ColumnOf(titles, "Vencimento"),
                    competence = ColumnOf(titles, "Competência"),
                    value = ColumnOf(titles, "Valor (R$)"),
                    launched = ColumnOf(titles, "Lançamento");
  const json first = RowsWith(book, "B", "DAS - Simples Nacional").at(0);
  EXPECT_EQ(first[launched]["value"], "2026-03-02 00:00:00");
  EXPECT_EQ(first[launched]["format"], "dd/mm/yyyy");
  EXPECT_EQ(first[due]["value"], "2026-03-20 00:00:00");
  EXPECT_EQ(first[competence]["value"], "2026-02-01 00:00:00");
  EXPECT_EQ(first[competence]["format"], "mm/yyyy");
  EXPECT_EQ(first[value]["value"], 1234.5);
  EXPECT_EQ(first[value]["format"], "#,##0.00");
  EXPECT_EQ(first[value]["type"], "number");

  // A description that reads as a competence is still a description.
  const json second = RowsWith(book, "B", "02/2026").at(0);
  EXPECT_EQ(second["B"]["type"], "text");
  EXPECT_FALSE(second.contains(competence)) << "the item has no competence";
  EXPECT_EQ(second[value]["value"], 10);
}

TEST_F(ReceiptWorkbookTest, SameRunGivesTheSameBytesOnFileAndStandardOutput) {
  const SourceDateEpoch epoch("1767225600");  // 2026-01-01 00:00:00 UTC
  const fs::path first = FFolder / "a.xlsx", second = FFolder / "b.xlsx";
  ASSERT_EQ(Receipt(first.string()).Status, 0);
  ASSERT_EQ(Receipt(second.string()).Status, 0);
  const std::string bytes = ReadFile(first);
  EXPECT_EQ(bytes, ReadFile(second));
  EXPECT_EQ(xlsx::ReadWorkbook(first)["created"], "2026-01-01T00:00:00");

  const std::vector<std::string> toStandardOutput = {"run",
                                                     "KdrProtocoloEmpresa",
                                                     "--db",
                                                     FOffice.Url(),
                                                     "--quiet",
                                                     "--format",
                                                     "xlsx",
                                                     "-o",
                                                     "-",
                                                     "-p",
                                                     "pEscrit=Escritório Modelo",
                                                     "-p",
                                                     "pDataInicial=01/03/2026",
                                                     "-p",
                                                     "pDataFinal=31/03/2026"};
  const Outcome piped = RunKdr(toStandardOutput, FFolder);
  ASSERT_EQ(piped.Status, 0) << piped.Err;
  EXPECT_EQ(piped.Out, bytes);
}

TEST_F(ReceiptWorkbookTest, FailedRunLeavesTheEarlierFileAsItWas) {
  const fs::path file = FFolder / "recibo.xlsx";
  ASSERT_EQ(Receipt(file.string()).Status, 0);
  const std::string before = ReadFile(file);
  const Outcome failed =
      Receipt(file.string(), {"pDataInicial=99/99/2026", "pDataFinal=31/03/2026"});
  EXPECT_EQ(failed.Status, 1);
  EXPECT_EQ(ReadFile(file), before);
  std::vector<fs::path> left;
  for (const auto& entry : fs::directory_iterator(FFolder)) left.push_back(entry.path());
  EXPECT_EQ(left, std::vector<fs::path>{file}) << "no temporary file stays behind";
}

}  // namespace
