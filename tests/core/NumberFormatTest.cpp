// Number patterns, integer parsing and exact decimals.
#include <gtest/gtest.h>

#include "Decimal.h"
#include "Exception.h"
#include "SysUtils.h"

namespace {

TEST(FormatFloat, MoneyGroupsThousandsWithDecimalComma) {
  EXPECT_EQ(FormatFloat("#,##0.00", 1234.5), "1.234,50");
  EXPECT_EQ(FormatFloat("#,##0.00", 0), "0,00");
  EXPECT_EQ(FormatFloat("#,##0.00", 999.999), "1.000,00");
  EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1.234.567,89");
  EXPECT_EQ(FormatFloat("#,##0.00", 100), "100,00");
}

TEST(FormatFloat, RoundsHalfAwayFromZeroAsWritten) {
  // Binary doubles just under the half (2.675 is 2.67499999...) still round as written.
  EXPECT_EQ(FormatFloat("#,##0.00", 0.125), "0,13");
  EXPECT_EQ(FormatFloat("#,##0.00", 1.005), "1,01");
  EXPECT_EQ(FormatFloat("#,##0.00", 2.675), "2,68");
  EXPECT_EQ(FormatFloat("#,##0.00", 0.1 + 0.2), "0,30");
  EXPECT_EQ(FormatFloat("#0", 2.5), "3");
  EXPECT_EQ(FormatFloat("#0", 0.5), "1");
  EXPECT_EQ(FormatFloat("#0", -2.5), "-3");
}

TEST(FormatFloat, NegativeValues) {
  EXPECT_EQ(FormatFloat("#,##0.00", -1234.567), "-1.234,57");
  EXPECT_EQ(FormatFloat("#,##0.00", -0.5), "-0,50");
  EXPECT_EQ(FormatFloat("00000", -7), "-00007");
  // A value that rounds to zero carries no sign.
  EXPECT_EQ(FormatFloat("#,##0.00", -0.001), "0,00");
  EXPECT_EQ(FormatFloat("#,##0.00;(#,##0.00)", -5), "(5,00)");
  EXPECT_EQ(FormatFloat("0.00;-0.00;'zero'", 0), "zero");
}

TEST(FormatFloat, PatternsInTurnEachKeepTheirMeaning) {
  // More patterns than are kept parsed, taken in turn twice over.
  const char* const patterns[] = {"00000", "#,##0.00",      "#0", "0.0", "000", "#,##0",
                                  "0.000", "'R$ '#,##0.00", "00", "#.##"};
  const char* const expected[] = {"01235", "1.234,56", "1235",        "1234,6", "1235",
                                  "1.235", "1234,560", "R$ 1.234,56", "1235",   "1234,56"};
  for (int round = 0; round < 2; ++round) {
    for (std::size_t i = 0; i < std::size(patterns); ++i) {
      EXPECT_EQ(FormatFloat(patterns[i], 1234.56), expected[i]) << patterns[i];
    }
  }
}

TEST(FormatFloat, ZeroFilledCodes) {
  EXPECT_EQ(FormatFloat("00000", 7), "00007");
  EXPECT_EQ(FormatFloat("00000", 123456), "123456");
  EXPECT_EQ(FormatFloat("00000", 0), "00000");
  EXPECT_EQ(FormatFloat("0000", 12), "0012");
  EXPECT_EQ(FormatFloat("#0", 0), "0");
  EXPECT_EQ(FormatFloat("#0", 42), "42");
  EXPECT_EQ(FormatFloat("#0", 1234567), "1234567");
  EXPECT_EQ(FormatFloat("0.##", 1.5), "1,5");
  EXPECT_EQ(FormatFloat("R$ #,##0.00", 10), "R$ 10,00");
}

TEST(IntegerParsing, StrToIntDefTakesOnlyWholeIntegers) {
  EXPECT_EQ(StrToIntDef("42", -1), 42);
  EXPECT_EQ(StrToIntDef(" -7 ", 0), -7);
  EXPECT_EQ(StrToIntDef("+3", 0), 3);
  EXPECT_EQ(StrToIntDef("", 1), 1);
  EXPECT_EQ(StrToIntDef("1,5", 1), 1);
  EXPECT_EQ(StrToIntDef("12a", 1), 1);
  EXPECT_EQ(StrToIntDef("2147483648", 9), 9);
  EXPECT_EQ(StrToIntDef("-2147483648", 9), -2147483647 - 1);
  EXPECT_EQ(StrToInt64Def("9223372036854775807", 0), 9223372036854775807LL);
  EXPECT_EQ(StrToInt64Def("9223372036854775808", 5), 5);
}

TEST(DecimalNumbers, ParseIsExactAndRoundsHalfAwayFromZero) {
  const Decimal a = Decimal::Parse("0.1", 2);
  const Decimal b = Decimal::Parse("0.2", 2);
  EXPECT_EQ(a.Unscaled() + b.Unscaled(), 30);
  EXPECT_EQ(Decimal::Parse("1234.5", 2).Unscaled(), 123450);
  EXPECT_EQ(Decimal::Parse("1.005", 2).Unscaled(), 101);
  EXPECT_EQ(Decimal::Parse("-1.005", 2).Unscaled(), -101);
  EXPECT_EQ(Decimal::Parse("-0.004", 2).Unscaled(), 0);
  EXPECT_EQ(Decimal::Parse("1.0e+15", 2).ToPlainString(), "1000000000000000.00");
  EXPECT_EQ(Decimal::Parse("12", 0).ToPlainString(), "12");
  EXPECT_EQ(Decimal::Parse("9999999999999999.99", 2).ToPlainString(), "9999999999999999.99");
}

TEST(DecimalNumbers, RefusesTextThatIsNoNumberOrDoesNotFit) {
  EXPECT_THROW(Decimal::Parse("abc", 2), Exception);
  EXPECT_THROW(Decimal::Parse("", 2), Exception);
  EXPECT_THROW(Decimal::Parse("1.2.3", 2), Exception);
  EXPECT_THROW(Decimal::Parse("99999999999999999999", 2), Exception);
  EXPECT_THROW(Decimal(1, 2).Rescaled(19), Exception);
}

TEST(DecimalNumbers, PlainTextRescaleAndCompare) {
  EXPECT_EQ(Decimal(-7, 2).ToPlainString(), "-0.07");
  EXPECT_EQ(Decimal(5, 0).Rescaled(2).ToPlainString(), "5.00");
  EXPECT_EQ(Decimal(125, 2).Rescaled(1).ToPlainString(), "1.3");
  EXPECT_EQ(Decimal(-125, 2).Rescaled(1).ToPlainString(), "-1.3");
  EXPECT_EQ(Decimal(INT64_MIN, 2).ToPlainString(), "-92233720368547758.08");
  EXPECT_EQ(Decimal(150, 2), Decimal(15, 1));
  EXPECT_LT(Decimal(149, 2).Compare(Decimal(15, 1)), 0);
  EXPECT_GT(Decimal(1, 0).Compare(Decimal(99, 2)), 0);
  EXPECT_EQ(Decimal::FromDouble(2.675, 2).Unscaled(), 268);
  EXPECT_DOUBLE_EQ(Decimal(123450, 2).ToDouble(), 1234.5);
}

}  // namespace
