// Rewriting `:name` parameters to an engine's placeholders.
#include <gtest/gtest.h>

#include "Exception.h"
#include "data/StatementParameters.h"

namespace {

TEST(ParameterRewriting, NumberedPlaceholdersOnePerName) {
  const NamedParameters p = RewriteNamedParameters(
      "select * from P where A between :pDataInicial and :pDataFinal or B = :PDATAINICIAL",
      PlaceholderStyle::NumberedQuestionMark);
  EXPECT_EQ(p.Statement, "select * from P where A between ?1 and ?2 or B = ?1");
  EXPECT_EQ(p.Names, (std::vector<std::string>{"pDataInicial", "pDataFinal"}));
  EXPECT_EQ(p.Occurrences, (std::vector<std::size_t>{0, 1, 0}));
}

TEST(ParameterRewriting, DollarPlaceholdersTakeOneValuePerOccurrence) {
  const NamedParameters p =
      RewriteNamedParameters("x = :a and y = :b or z = :A", PlaceholderStyle::NumberedDollar);
  EXPECT_EQ(p.Statement, "x = $1 and y = $2 or z = $3");
  EXPECT_EQ(ValuesPerOccurrence(p, {1, 2}), (std::vector<Variant>{1, 2, 1}));
}

TEST(ParameterRewriting, PositionalPlaceholdersTakeOneValuePerOccurrence) {
  const NamedParameters p = RewriteNamedParameters("x = :a union y = :b union z = :a",
                                                   PlaceholderStyle::PlainQuestionMark);
  EXPECT_EQ(p.Statement, "x = ? union y = ? union z = ?");
  const std::vector<Variant> values = ValuesPerOccurrence(p, {1, 2});
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(values[2], Variant(1));
}

TEST(ParameterRewriting, LiteralsCommentsAndCastsAreLeftAlone) {
  const auto rewrite = [](const std::string& statement) {
    return RewriteNamedParameters(statement, PlaceholderStyle::NumberedQuestionMark).Statement;
  };
  EXPECT_EQ(rewrite("select ':nao', 'it''s :nao' from T where X = :sim"),
            "select ':nao', 'it''s :nao' from T where X = ?1");
  EXPECT_EQ(rewrite("select \"col:nao\" from T -- :nao\nwhere X = :sim"),
            "select \"col:nao\" from T -- :nao\nwhere X = ?1");
  EXPECT_EQ(rewrite("select /* :nao */ X::integer, '10:30' from T where Y = :sim"),
            "select /* :nao */ X::integer, '10:30' from T where Y = ?1");
  EXPECT_EQ(rewrite("select 'sem fim :nao"), "select 'sem fim :nao");
  EXPECT_EQ(rewrite("select :1, a : b"), "select :1, a : b");
}

TEST(ParameterRewriting, MissingValuesAreNamedAndExtraValuesIgnored) {
  const NamedParameters p = RewriteNamedParameters("a = :um and b = :dois and c = :tres",
                                                   PlaceholderStyle::NumberedDollar);
  try {
    ValuesForNames(p, {1});
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find(":dois, :tres"), std::string::npos) << error.what();
  }
  EXPECT_EQ(ValuesForNames(p, {1, 2, 3, 4}).size(), 3u);
}

}  // namespace
