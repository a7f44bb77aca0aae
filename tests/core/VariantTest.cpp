// Conversions and display text of values, and their ordering.
#include <gtest/gtest.h>

#include "Exception.h"
#include "Variant.h"

namespace {

TEST(VariantDisplay, FollowsTheBrazilianSettings) {
  EXPECT_EQ(Variant(1234).AsString(), "1234");
  EXPECT_EQ(Variant(std::int64_t{-5}).AsString(), "-5");
  EXPECT_EQ(Variant(Decimal(123450, 2)).AsString(), "1234,50");
  EXPECT_EQ(Variant(Decimal(-7, 2)).AsString(), "-0,07");
  EXPECT_EQ(Variant(0.1).AsString(), "0,1");
  EXPECT_EQ(Variant(1234.5).AsString(), "1234,5");
  EXPECT_EQ(Variant(1e20).AsString(), "1E20");
  EXPECT_EQ(Variant(TDateTime::EncodeDate(2026, 3, 1)).AsString(), "01/03/2026");
  EXPECT_EQ(Variant(TDateTime::EncodeDateTime(2026, 3, 1, 8, 0, 5)).AsString(),
            "01/03/2026 08:00:05");
  EXPECT_EQ(Variant(true).AsString(), "True");
  EXPECT_EQ(Variant(false).AsString(), "False");
  EXPECT_EQ(Variant().AsString(), "");
  EXPECT_EQ(Variant("ação").AsString(), "ação");
}

TEST(VariantConversion, NullReadsAsTheEmptyValueOfEachKind) {
  const Variant null;
  EXPECT_TRUE(null.IsNull());
  EXPECT_EQ(null.AsInteger(), 0);
  EXPECT_EQ(null.AsFloat(), 0.0);
  EXPECT_EQ(null.AsDecimal(2), Decimal(0, 2));
  EXPECT_TRUE(null.AsDateTime().IsZero());
  EXPECT_FALSE(null.AsBoolean());
}

TEST(VariantConversion, TextToNumbersAndDates) {
  EXPECT_EQ(Variant(" 42 ").AsInteger(), 42);
  EXPECT_EQ(Variant("1.234,50").AsDecimal(2).Unscaled(), 123450);
  EXPECT_EQ(Variant("1234.50").AsDecimal(2).Unscaled(), 123450);
  EXPECT_DOUBLE_EQ(Variant("0,25").AsFloat(), 0.25);
  EXPECT_EQ(Variant("2026-03-01").AsDateTime(), TDateTime::EncodeDate(2026, 3, 1));
  EXPECT_EQ(Variant("01/03/2026 10:30").AsDateTime(),
            TDateTime::EncodeDateTime(2026, 3, 1, 10, 30, 0));
  EXPECT_EQ(Variant("2026-03-01 10:30:15").AsDateTime(),
            TDateTime::EncodeDateTime(2026, 3, 1, 10, 30, 15));
  EXPECT_TRUE(Variant("true").AsBoolean());
  EXPECT_FALSE(Variant("0").AsBoolean());
}

TEST(VariantConversion, WhatCannotBeReadRaises) {
  EXPECT_THROW(Variant("abc").AsInteger(), Exception);
  EXPECT_THROW(Variant("").AsInteger(), Exception);
  EXPECT_THROW(Variant("31/02/2026").AsDateTime(), Exception);
  EXPECT_THROW(Variant("1,2,3").AsFloat(), Exception);
  EXPECT_THROW(Variant(std::int64_t{1} << 40).AsInteger(), Exception);
  EXPECT_THROW(Variant(1e300).AsInt64(), Exception);
  EXPECT_THROW(Variant(Blob{"x"}).AsInteger(), Exception);
}

TEST(VariantConversion, NumbersBetweenKinds) {
  EXPECT_EQ(Variant(2.5).AsInteger(), 3);
  EXPECT_EQ(Variant(-2.5).AsInteger(), -3);
  EXPECT_EQ(Variant(Decimal(150, 2)).AsInteger(), 2);
  EXPECT_EQ(Variant(7).AsDecimal(2), Decimal(700, 2));
  EXPECT_EQ(Variant(0.1).AsDecimal(2), Decimal(10, 2));
  EXPECT_DOUBLE_EQ(Variant(Decimal(123450, 2)).AsFloat(), 1234.5);
  EXPECT_EQ(Variant(46082).AsDateTime(), TDateTime::EncodeDate(2026, 3, 1));
  EXPECT_EQ(Variant(Blob{"ab"}).AsBytes(), "ab");
  EXPECT_EQ(Variant(5).AsBytes(), "");
}

TEST(VariantOrdering, NullFirstNumbersByValueTextsByBytes) {
  EXPECT_LT(Variant::Compare(Variant(), Variant(-100)), 0);
  EXPECT_EQ(Variant::Compare(Variant(), Variant()), 0);
  EXPECT_LT(Variant::Compare(Variant(2), Variant(10)), 0);
  EXPECT_EQ(Variant::Compare(Variant(2), Variant(Decimal(200, 2))), 0);
  EXPECT_GT(Variant::Compare(Variant(Decimal(201, 2)), Variant(2)), 0);
  EXPECT_LT(Variant::Compare(Variant(1.5), Variant(2)), 0);
  EXPECT_LT(Variant::Compare(Variant("10"), Variant("9")), 0);
  EXPECT_LT(Variant::Compare(Variant("B"), Variant("a")), 0);
  EXPECT_LT(Variant::Compare(Variant(999), Variant("1")), 0);
  // Large integers stay exact where a double would not.
  EXPECT_LT(Variant::Compare(Variant(std::int64_t{9007199254740992}),
                             Variant(std::int64_t{9007199254740993})),
            0);
  EXPECT_TRUE(Variant(3) == Variant(std::int64_t{3}));
}

}  // namespace
