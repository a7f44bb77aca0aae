// How a printed text becomes a spreadsheet value: the host's formats are recognised exactly, and
// whatever only looks like them stays text.
#include <gtest/gtest.h>

#include "render/CellValue.h"

namespace {

using Type = CellValue::Type;

TEST(CellValue, AmountsInTheHostFormatBecomeNumbers) {
  for (const auto& [text, number] :
       std::vector<std::pair<std::string, double>>{{"1.234,50", 1234.5},
                                                   {"0,00", 0},
                                                   {"-7,25", -7.25},
                                                   {"1.000.000,01", 1000000.01},
                                                   {"1234,50", 1234.5}}) {
    const CellValue value = ReadCellValue(text, "");
    EXPECT_EQ(value.Kind, Type::Number) << text;
    EXPECT_DOUBLE_EQ(value.Number, number) << text;
    EXPECT_EQ(value.Format, "#,##0.00") << text;
  }
}

TEST(CellValue, CodesBecomeNumbersUnlessTheirZerosMatter) {
  const CellValue code = ReadCellValue("107", "");
  EXPECT_EQ(code.Kind, Type::Number);
  EXPECT_EQ(code.Number, 107);
  EXPECT_EQ(code.Format, "0");
  EXPECT_EQ(ReadCellValue(" 7 ", "").Number, 7) << "blanks around a code do not matter";
  // Leading zeros, more digits than a double keeps, and near misses of the formats stay text.
  for (const char* text : {"00007", "1234567890123456", "1.23,45", "12,5", "1.234", ",50",
                           "12.345.678/0001-90", "(41) 3333-4444", "-", "1e5"}) {
    const CellValue value = ReadCellValue(text, "");
    EXPECT_EQ(value.Kind, Type::Text) << text;
    EXPECT_EQ(value.Text, text);
  }
}

TEST(CellValue, DatesDateTimesAndCompetencesBecomeDates) {
  const CellValue date = ReadCellValue("29/02/2028", "");
  EXPECT_EQ(date.Kind, Type::Date);
  EXPECT_EQ(date.Year * 10000 + date.Month * 100 + date.Day, 20280229);
  EXPECT_EQ(date.Format, "dd/mm/yyyy");

  const CellValue moment = ReadCellValue("05/03/2026 10:07:09", "");
  EXPECT_EQ(moment.Kind, Type::Date);
  EXPECT_EQ(moment.Hour * 10000 + moment.Minute * 100 + moment.Second, 100709);
  EXPECT_EQ(moment.Format, "dd/mm/yyyy hh:mm:ss");

  const CellValue competence = ReadCellValue("02/2026", "");
  EXPECT_EQ(competence.Kind, Type::Date);
  EXPECT_EQ(competence.Year * 100 + competence.Month, 202602);
  EXPECT_EQ(competence.Format, "mm/yyyy");

  // Impossible dates, and the zero date and its competence, which a spreadsheet cannot show.
  for (const char* text : {"29/02/2026", "31/04/2026", "30/12/1899", "12/1899", "13/2026",
                           "05/03/2026 24:00:00", "5/3/2026", "05/03/2026 10"}) {
    EXPECT_EQ(ReadCellValue(text, "").Kind, Type::Text) << text;
  }
}

TEST(CellValue, DeclaredKindsDecideWhatTheShapeCannot) {
  const CellValue count = ReadCellValue("4 Protocolos", "count");
  EXPECT_EQ(count.Kind, Type::Number);
  EXPECT_EQ(count.Number, 4);
  EXPECT_EQ(count.Format, "0\" Protocolos\"");
  EXPECT_EQ(ReadCellValue("4 Protocolos", "").Kind, Type::Text);
  // A noun that would break out of the format's quotes keeps the whole as text.
  EXPECT_EQ(ReadCellValue("4 \"Protocolos\"", "count").Kind, Type::Text);
  EXPECT_EQ(ReadCellValue("quatro", "count").Kind, Type::Text);
  EXPECT_EQ(ReadCellValue("05/03/2026", "text").Kind, Type::Text);
  EXPECT_EQ(ReadCellValue("107", "text").Text, "107");
}

}  // namespace
