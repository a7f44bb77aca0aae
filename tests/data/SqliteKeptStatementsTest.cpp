// What a read-only run keeps of a statement from one run of it to the next: its compiled form
// and its result columns, with one field structure for all its results. None of it may show in
// a result.
#include <gtest/gtest.h>

#include "Exception.h"
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
        " VALOR numeric(9,2), TAXA real);"
        "insert into A values (2, 'b', '02', 'B ', 2, 3), (1, 'a', '1', 'A', 1.5, 1),"
        " (3000000000, 'maior que cinco', 'x', null, null, null);");
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

}  // namespace
