// Standard SQL's CAST(... AS DATE), which the reports share with the server engines, on SQLite.
#include <gtest/gtest.h>

#include "data/SqliteDialect.h"
#include "support/TestDatabase.h"

namespace {

TEST(SqliteDateCast, GivesTheDayOfAMomentAndComparesAsADate) {
  TestDatabase db(TestDatabase::Tables::None);
  db.Execute("create table T (ID integer, MOMENTO timestamp)");
  db.Execute("insert into T values (1, '2026-03-31 18:45:00'), (2, '2026-04-01 00:00:00')");
  const auto set = db.Engine().Query(
      "select ID, CAST(CAST(MOMENTO AS DATE) AS VARCHAR(10)) as DIA from T "
      "where Cast ( MOMENTO as date ) between :a and :b",
      {Variant("2026-03-01"), Variant("2026-03-31")});
  ASSERT_EQ(set->RecordCount(), 1);
  EXPECT_EQ(set->FieldByName("DIA").AsString(), "2026-03-31");
}

TEST(SqliteDateCast, LeavesOtherCastsLiteralsAndNamesAlone) {
  EXPECT_EQ(
      WithSqliteDateCasts("select CAST(X AS INTEGER), cast(Y as dated), BROADCAST(Z AS DATE)"),
      "select CAST(X AS INTEGER), cast(Y as dated), BROADCAST(Z AS DATE)");
  EXPECT_EQ(WithSqliteDateCasts("select 'CAST(X AS DATE)' -- cast(y as date)\n"),
            "select 'CAST(X AS DATE)' -- cast(y as date)\n");
  EXPECT_EQ(WithSqliteDateCasts("select cast(coalesce(A, (B)) as date), CAST((C) AS DATE)"),
            "select date(coalesce(A, (B))), date((C))");
}

}  // namespace
