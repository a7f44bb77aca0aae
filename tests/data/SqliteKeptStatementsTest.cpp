// What a read-only run keeps of a statement from one run of it to the next: its compiled form,
// its result columns with one field structure for all its results, its results of at most one
// row, and for lookups, one compiled statement for texts that differ only in integer literals.
// None of it may show in a result.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "Exception.h"
#include "data/LiteralParameters.h"
#include "data/SqlText.h"
#include "support/TestDatabase.h"

namespace {

std::string Walk(TjClientDataSet& set) {
  std::string names;
  for (set.First(); !set.Eof(); set.Next()) names += set.FieldByName("NOME").AsString();
  return names;
}

// Field by field and record by record, values of the same kind.
void ExpectSameResult(TjClientDataSet& kept, TjClientDataSet& fresh, const std::string& what) {
  ASSERT_EQ(kept.FieldCount(), fresh.FieldCount()) << what;
  for (int field = 0; field < kept.FieldCount(); ++field) {
    EXPECT_EQ(kept.Fields(field).FieldName(), fresh.Fields(field).FieldName()) << what;
    EXPECT_EQ(kept.Fields(field).DataType(), fresh.Fields(field).DataType()) << what;
    EXPECT_EQ(kept.Fields(field).Size(), fresh.Fields(field).Size()) << what;
  }
  ASSERT_EQ(kept.RecordCount(), fresh.RecordCount()) << what;
  for (kept.First(), fresh.First(); !kept.Eof(); kept.Next(), fresh.Next()) {
    for (int field = 0; field < kept.FieldCount(); ++field) {
      const Variant a = kept.Fields(field).Value();
      const Variant b = fresh.Fields(field).Value();
      EXPECT_EQ(a.GetKind(), b.GetKind()) << what << " " << field;
      EXPECT_TRUE(a == b) << what << " " << field << ": " << a.AsString() << " " << b.AsString();
    }
  }
}

class KeptStatements : public ::testing::Test {
 protected:
  void SetUp() override {
    db.Engine().ExecuteScript(
        "create table A (CODIGO integer, NOME varchar(5), LIVRE text, SIGLA char(4),"
        " VALOR numeric(9,2), TAXA real, GRANDE bigint, DIA date, MOMENTO timestamp, FOTO blob,"
        " ATIVO boolean);"
        "insert into A values (2, 'b', '02', 'B ', 2, 3, 5000000000, '2026-03-01',"
        " '2026-03-01 10:20:30', x'00ff', 1), (1, 'a', '1', 'A', 1.5, 1, null, null, null, null,"
        " 0), (3000000000, 'maior que cinco', 'x', null, null, -0.0, null, null,"
        " '2026-03-02 00:00:00', null, null);");
    run = OpenDatabase(db.Url(), OpenMode::ReadOnly);
  }
  TestDatabase db{TestDatabase::Tables::None};
  std::unique_ptr<DatabaseEngine> run;
};

// Each result is typed by its own values (a wider type for one result is not kept for the
// next), as a connection that keeps nothing types it.
TEST_F(KeptStatements, EveryResultIsTypedAsAFreshStatementTypesIt) {
  const std::string byCode = "select CODIGO, NOME, SIGLA, VALOR from A where CODIGO = :c";
  const std::string mixed =
      "select case when CODIGO = :c then 7 else LIVRE end X, TAXA, NOME from A order by CODIGO";
  const std::vector<std::pair<std::string, Variant>> runs = {
      {byCode, 1}, {byCode, std::int64_t{3000000000}}, {byCode, 2},
      {mixed, 1},  {mixed, std::int64_t{3000000000}},  {mixed, 1}};
  for (const auto& [statement, code] : runs) {
    const auto kept = run->Query(statement, {code});
    const auto fresh = db.Engine().Query(statement, {code});
    ExpectSameResult(*kept, *fresh, statement + " " + code.AsString());
  }
  EXPECT_EQ(run->Query(byCode, {2})->FieldByName("SIGLA").AsString(), "B");
  EXPECT_EQ(run->Query(byCode, {1})->FieldByName("NOME").Size(), 5);
}

// The results of one statement share their field structure: what a reader does to one of
// them (an index, a range, an edit, emptying it) stays with it.
TEST_F(KeptStatements, ResultsOfOneStatementAreEachTheirOwn) {
  const std::string select = "select CODIGO, NOME from A where CODIGO < :c";
  const auto first = run->Query(select, {10});
  first->AddIndex("ixNome", "NOME", TjClientDataSet::ixDescending);
  first->SetIndexName("ixNome");
  first->SetRange({"b"}, {"a"});
  first->First();
  first->Edit();
  first->FieldByName("NOME").SetAsString("novo");
  first->Post();

  const auto second = run->Query(select, {10});
  EXPECT_THROW(second->SetIndexName("ixNome"), Exception);
  EXPECT_EQ(second->RecordCount(), 2);
  EXPECT_EQ(Walk(*second), "ba");
  EXPECT_EQ(&second->FieldByName("nome").DataSet(), second.get());

  first->EmptyDataSet();
  EXPECT_EQ(Walk(*second), "ba");
  second->Last();
  second->Edit();
  second->FieldByName("NOME").SetAsString("outro");
  second->Post();
  first->AppendRecord({4, "ab"});
  first->AppendRecord({5, "c"});  // outside its range
  EXPECT_EQ(Walk(*first), "ab");
  EXPECT_EQ(Walk(*second), "boutro");
  EXPECT_EQ(Walk(*run->Query(select, {10})), "ba");
}

// What a read-only run may answer from memory: a statement that gives the same rows each time.
// A result of at most one row is remembered by the values it was run with: given again, it is
// the one a fresh run gives, for every kind of value and of binding, and it is its own.
TEST_F(KeptStatements, AResultGivenAgainIsTheOneAFreshRunGives) {
  const std::string byCode = "select * from A where CODIGO = :c";
  const std::string bound = "select :v X, CODIGO Y from A where CODIGO = 1";
  const std::vector<std::pair<std::string, Variant>> runs = {
      {byCode, 1},
      {byCode, 2},
      {byCode, std::int64_t{3000000000}},
      {byCode, 9},
      {bound, 1},
      {bound, "1"},
      {bound, 1.0},
      {bound, true},
      {bound, Decimal(100, 2)},
      {bound, TDateTime::EncodeDate(2026, 3, 1)},
      {bound, Variant()}};
  for (int round = 0; round < 2; ++round) {
    for (const auto& [statement, value] : runs) {
      const auto kept = run->Query(statement, {value});
      const auto fresh = db.Engine().Query(statement, {value});
      ExpectSameResult(*kept, *fresh, statement + " " + value.AsString());
    }
  }
  const auto first = run->Query(byCode, {1});
  first->Edit();
  first->FieldByName("NOME").SetAsString("outro");
  first->Post();
  first->AppendRecord({7});
  const auto again = run->Query(byCode, {1});
  EXPECT_EQ(again->RecordCount(), 1);
  EXPECT_EQ(again->FieldByName("NOME").AsString(), "a");
}

// What names the clock gives another value from one second to the next, however often it runs.
TEST_F(KeptStatements, AStatementNamingTheClockRunsEachTime) {
  const std::string now = "select CURRENT_TIME T from A where CODIGO = 1";
  const std::string queried = run->Query(now, {})->Fields(0).AsString();
  const std::string looked = run->LookupValue(now).AsString();
  bool queryChanged = false;
  bool lookupChanged = false;
  for (int tries = 0; tries < 40 && !(queryChanged && lookupChanged); ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    queryChanged = queryChanged || run->Query(now, {})->Fields(0).AsString() != queried;
    lookupChanged = lookupChanged || run->LookupValue(now).AsString() != looked;
  }
  EXPECT_TRUE(queryChanged);
  EXPECT_TRUE(lookupChanged);
}

TEST(RepeatableStatements, NoFunctionNoSubqueryNoMomentOfTheClock) {
  for (const char* same :
       {"select NOME from A where CODIGO = 1", "select 'now()', \"CURRENT_DATE\" from A",
        "select X from A -- now(), current_timestamp\n", "select MY_CURRENT_DATE from A",
        "select X from A where X = 'today is' or X = 'nowhere'"}) {
    EXPECT_TRUE(IsRepeatable(same)) << same;
  }
  for (const char* changing :
       {"select max(CODIGO) from A", "select X from A where Y in (select Z from B)",
        "select current_timestamp from A", "select X from A where D = CURRENT_DATE",
        "select X from A where D < current_time", "select LOCALTIMESTAMP from A",
        "select X from A where D < 'NOW'", "select X from A where D = 'today'",
        "select X from A where D >= 'Yesterday' and D < 'TOMORROW'"}) {
    EXPECT_FALSE(IsRepeatable(changing)) << changing;
  }
}

TEST(EqualityLiterals, IntegersComparedWithEqualsBecomeParameters) {
  const auto shared =
      ParameterizeEqualityLiterals("select M from C where E = 12 and F=3\nand G = 'x = 4'");
  ASSERT_TRUE(shared);
  EXPECT_EQ(shared->Statement,
            "select M from C where E = :literal1 and F=:literal2\nand G = 'x = 4'");
  EXPECT_EQ(shared->Values, (std::vector<Variant>{12, 3}));
  EXPECT_EQ(ParameterizeEqualityLiterals("select 1 from C where E = 007)")->Values,
            (std::vector<Variant>{7}));
  // Other comparisons and other numbers stay in the text.
  for (const char* left : {"E <= 5", "E >= 5", "E != 5", "E == 5", "E = -5", "E = 5.0", "E = 5.",
                           "E = 1e3", "E = 0x10", "E = 5x", "E = 99999999999999999999", "E = '5'",
                           "E = \"5\"", "E = /* */ 5", "E -- = 5\n", "E = 5é"}) {
    EXPECT_FALSE(ParameterizeEqualityLiterals(std::string("select 1 from C where ") + left))
        << left;
  }
  // A statement with parameters of its own, or names this scanning does not read, is left whole.
  for (const char* whole : {"E = 5 and F = :f", "E = 5 and F = ?", "E = 5 and F = ?1",
                            "E = 5 and F = @f", "E = 5 and F = $f", "[E = 5] = 1", "`E = 5` = 1"}) {
    EXPECT_FALSE(ParameterizeEqualityLiterals(std::string("select 1 from C where ") + whole))
        << whole;
  }
}

// A literal and a bound value are both without affinity: the column's affinity decides the
// comparison the same way. Checked against the statements as written, read by a cursor.
TEST_F(KeptStatements, LookupsThatDifferOnlyInIntegersGiveTheValuesOfTheirOwnText) {
  const std::vector<std::string> lookups = {
      "select NOME from A where CODIGO = 1",
      "select NOME from A where CODIGO = 2",
      "select NOME from A where CODIGO = 4",
      "select NOME from A where CODIGO = 3000000000",
      "select NOME from A where LIVRE = 1",
      "select NOME from A where LIVRE = 2",
      "select NOME from A where LIVRE = 02",
      "select NOME from A where TAXA = 1",
      "select NOME from A where VALOR = 2",
      "select NOME from A where SIGLA = 1",
      "select VALOR from A where CODIGO = 2",
      "select CODIGO = 2 from A where NOME = 'b'",
      "select NOME from A where CODIGO = 1 or CODIGO = 2 order by CODIGO desc",
      "select NOME from A where CODIGO = 2 and TAXA = 3",
      "select count(*) from A where CODIGO = 2 and LIVRE = 2"};
  for (const std::string& statement : lookups) {
    auto cursor = run->OpenCursor(statement, {});
    const Variant expected = cursor->Next() ? cursor->Value(0) : Variant();
    const Variant value = run->LookupValue(statement);
    EXPECT_EQ(value.GetKind(), expected.GetKind()) << statement;
    EXPECT_TRUE(value == expected) << statement << ": " << value.AsString();
  }
  EXPECT_EQ(run->LookupValue("select NOME from A where LIVRE = 1").AsString(), "a");
  EXPECT_TRUE(run->LookupValue("select NOME from A where LIVRE = 2").IsNull());
}

TEST_F(KeptStatements, ALookupThatFailsSaysSoOfItsOwnText) {
  const auto messageOf = [](const std::function<void()>& action) {
    try {
      action();
    } catch (const EDatabaseError& error) {
      return std::string(error.what());
    }
    return std::string("no exception");
  };
  for (const std::string statement :
       {"select NADA from A where CODIGO = 1", "select NOME from A where CODIGO = 1 1",
        "select NOME from A where CODIGO = 1; select 2", "select NOME from A where CODIGO = 'a",
        "select NOME from A where CODIGO = 1 and abs(-9223372036854775808) > 0"}) {
    const std::string expected = messageOf([&] { run->OpenCursor(statement, {})->Next(); });
    EXPECT_NE(expected, "no exception") << statement;
    EXPECT_EQ(messageOf([&] { run->LookupValue(statement); }), expected);
  }
}

}  // namespace
