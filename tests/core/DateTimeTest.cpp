// Date-times as days since 30/12/1899, their formats and the date parser.
#include <gtest/gtest.h>

#include "Exception.h"
#include "SysUtils.h"
#include "TDateTime.h"

namespace {

TDateTime Date(int y, int m, int d) {
  return TDateTime::EncodeDate(y, m, d);
}

TEST(DateArithmetic, ZeroDateIsThirtiethOfDecember1899) {
  int y = 0, m = 0, d = 0;
  TDateTime().DecodeDate(y, m, d);
  EXPECT_EQ(y, 1899);
  EXPECT_EQ(m, 12);
  EXPECT_EQ(d, 30);
  EXPECT_EQ(Date(1899, 12, 30).Value(), 0.0);
  EXPECT_EQ(Date(1900, 1, 1).Value(), 2.0);
  EXPECT_EQ(Date(2026, 3, 1).Value(), 46082.0);
}

TEST(DateArithmetic, EncodeAndDecodeAgreeAcrossLeapYearsAndCenturies) {
  for (const auto& [y, m, d] : {std::tuple{2024, 2, 29},
                                {2000, 2, 29},
                                {1900, 3, 1},
                                {2026, 12, 31},
                                {1, 1, 1},
                                {9999, 12, 31},
                                {1899, 1, 15}}) {
    int year = 0, month = 0, day = 0;
    Date(y, m, d).DecodeDate(year, month, day);
    EXPECT_EQ(std::tuple(year, month, day), std::tuple(y, m, d));
  }
  EXPECT_EQ(Date(2024, 3, 1).Value() - Date(2024, 2, 28).Value(), 2.0);
  EXPECT_EQ(Date(2023, 3, 1).Value() - Date(2023, 2, 28).Value(), 1.0);
}

TEST(DateArithmetic, ImpossibleDatesAndTimesAreRefused) {
  EXPECT_THROW(Date(2026, 2, 31), Exception);
  EXPECT_THROW(Date(2025, 2, 29), Exception);
  EXPECT_THROW(Date(1900, 2, 29), Exception);
  EXPECT_THROW(Date(2026, 13, 1), Exception);
  EXPECT_THROW(Date(2026, 0, 1), Exception);
  EXPECT_THROW(TDateTime::EncodeDateTime(2026, 3, 1, 24, 0, 0), Exception);
  EXPECT_THROW(TDateTime::EncodeDateTime(2026, 3, 1, 10, 60, 0), Exception);
}

TEST(DateArithmetic, TimeOfDaySurvivesTheRoundTrip) {
  const TDateTime value = TDateTime::EncodeDateTime(2026, 3, 1, 23, 59, 59);
  int h = 0, n = 0, s = 0;
  value.DecodeTime(h, n, s);
  EXPECT_EQ(std::tuple(h, n, s), std::tuple(23, 59, 59));
  EXPECT_TRUE(value.HasTime());
  EXPECT_FALSE(Date(2026, 3, 1).HasTime());
  EXPECT_EQ(value.DateOnly(), Date(2026, 3, 1));
  // Just below midnight by less than a millisecond is the next day at 00:00:00.
  const TDateTime almost(Date(2026, 3, 2).Value() - 1e-10);
  EXPECT_FALSE(almost.HasTime());
  EXPECT_EQ(almost.DateOnly(), Date(2026, 3, 2));
}

TEST(DateFormats, CompetenceOfTheZeroDateIsDecember1899) {
  EXPECT_EQ(FormatDateTime("mm/yyyy", TDateTime()), "12/1899");
  EXPECT_EQ(DateToStr(TDateTime()), "30/12/1899");
}

TEST(DateFormats, DateToStrIsItsPatternInEveryYear) {
  for (int year : {1, 7, 99, 999, 1899, 2026, 9999}) {
    const TDateTime value = TDateTime::EncodeDate(year, 1, 2);
    EXPECT_EQ(DateToStr(value), FormatDateTime("dd/mm/yyyy", value)) << year;
  }
  EXPECT_EQ(DateToStr(TDateTime::EncodeDate(7, 1, 2)), "02/01/0007");
  EXPECT_EQ(DateToStr(TDateTime::EncodeDate(2026, 12, 31)), "31/12/2026");
}

TEST(DateFormats, PatternsOfTheReports) {
  const TDateTime value = TDateTime::EncodeDateTime(2026, 3, 7, 9, 5, 4);
  EXPECT_EQ(FormatDateTime("dd/MM/yyyy", value), "07/03/2026");
  EXPECT_EQ(FormatDateTime("mm/yyyy", value), "03/2026");
  EXPECT_EQ(FormatDateTime("dd/mm/yy", value), "07/03/26");
  EXPECT_EQ(FormatDateTime("hh:nn:ss", value), "09:05:04");
  EXPECT_EQ(FormatDateTime("hh:mm", value), "09:05");  // m after h is the minute
  EXPECT_EQ(FormatDateTime("d/m/yyyy", value), "7/3/2026");
  EXPECT_EQ(FormatDateTime("'Data:' dd", value), "Data: 07");
  EXPECT_EQ(FormatDateTime("dd 'de' mmmm", value), "07 de março");
}

TEST(DateFormats, DateTimeTextOmitsMidnight) {
  EXPECT_EQ(DateTimeToStr(Date(2026, 3, 1)), "01/03/2026");
  EXPECT_EQ(DateTimeToStr(TDateTime::EncodeDateTime(2026, 3, 1, 14, 30, 0)), "01/03/2026 14:30:00");
}

TEST(DateParsing, AcceptsBrazilianAndIsoDates) {
  const TDateTime none;
  EXPECT_EQ(StrToDateDef("01/03/2026", none), Date(2026, 3, 1));
  EXPECT_EQ(StrToDateDef(" 1/3/2026 ", none), Date(2026, 3, 1));
  EXPECT_EQ(StrToDateDef("2026-03-01", none), Date(2026, 3, 1));
  EXPECT_EQ(StrToDateDef("01/03/26", none), Date(2026, 3, 1));
  EXPECT_EQ(StrToDateDef("29/02/2024", none), Date(2024, 2, 29));
}

TEST(DateParsing, RejectsImpossibleOrMalformedDates) {
  const TDateTime fallback = Date(2000, 1, 1);
  for (const char* text :
       {"31/02/2026", "29/02/2025", "00/01/2026", "01/13/2026", "2026-02-30", "", "   ", "abc",
        "01/03", "01-03-2026", "01/03/2026 10:00", "1/3/202", "2026/03/01", "01/03/2026x"}) {
    EXPECT_EQ(StrToDateDef(text, fallback), fallback) << text;
  }
}

}  // namespace
