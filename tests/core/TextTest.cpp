// Text helpers and string lists.
#include <gtest/gtest.h>

#include "SysUtils.h"
#include "TStringList.h"

namespace {

TEST(TextHelpers, TrimCaseAndComparison) {
  EXPECT_EQ(Trim("  a b \t\r\n"), "a b");
  EXPECT_EQ(Trim(""), "");
  EXPECT_EQ(UpperCase("Protocolo ação"), "PROTOCOLO AçãO");
  EXPECT_TRUE(SameText("CodigoRota", "CODIGOROTA"));
  EXPECT_FALSE(SameText("CodigoRota", "CODIGOROT"));
}

TEST(TextHelpers, CharactersAreCountedNotBytes) {
  EXPECT_EQ(CharCount("ação"), 4);
  EXPECT_EQ(LeftChars("ação", 2), "aç");
  EXPECT_EQ(LeftChars("ação", 3), "açã");
  EXPECT_EQ(LeftChars("ação", 10), "ação");
  EXPECT_EQ(LeftChars("ação", 0), "");
  EXPECT_EQ(LeftChars("€uro", 1), "€");
}

TEST(StringList, TextUsesCrLfAndSplitsAnyLineBreak) {
  TStringList list;
  list.SetText("um\r\ndois\ntrês\rquatro\n");
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list[2], "três");
  EXPECT_EQ(list.Text(), "um\r\ndois\r\ntrês\r\nquatro\r\n");
  list.SetText("a\n\nb");
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list[1], "");
  list.SetText("");
  EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, NamesValuesAndSearch) {
  TStringList list;
  list.Add("Filial=1");
  list.Add("Empresa=2=x");
  list.Add("sem igual");
  EXPECT_EQ(list.Names(0), "Filial");
  EXPECT_EQ(list.ValueFromIndex(1), "2=x");
  EXPECT_EQ(list.Names(2), "");
  EXPECT_EQ(list.IndexOf("filial=1"), 0);
  EXPECT_EQ(list.IndexOf("nada"), -1);
}

}  // namespace
