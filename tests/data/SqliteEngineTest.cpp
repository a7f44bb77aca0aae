// Result columns typed by their declared types, parameters bound by name, and database errors.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "Exception.h"
#include "support/TestDatabase.h"

namespace {

class SqliteTyping : public ::testing::Test {
 protected:
  void SetUp() override {
    db.Engine().ExecuteScript(
        "create table T (ID integer, GRANDE bigint, VALOR numeric(18,2), TAXA decimal(9,4),"
        " BRUTO numeric, DIA date, MOMENTO timestamp, SIGLA char(4), NOME varchar(5),"
        " LIVRE text, FOTO blob, REAL_ real);");
  }
  std::unique_ptr<TjClientDataSet> Select(const std::string& statement,
                                          const std::vector<Variant>& values = {}) {
    return db.Engine().Query(statement, values);
  }
  TestDatabase db{TestDatabase::Tables::None};
};

TEST_F(SqliteTyping, FieldTypesFollowTheDeclaredTypes) {
  db.Engine().Execute("insert into T (ID) values (1)");
  const auto set = Select("select * from T");
  const std::vector<std::pair<const char*, TFieldType>> expected = {
      {"ID", TFieldType::ftInteger},       {"GRANDE", TFieldType::ftLargeint},
      {"VALOR", TFieldType::ftFMTBcd},     {"TAXA", TFieldType::ftFMTBcd},
      {"BRUTO", TFieldType::ftFMTBcd},     {"DIA", TFieldType::ftDate},
      {"MOMENTO", TFieldType::ftDateTime}, {"SIGLA", TFieldType::ftString},
      {"NOME", TFieldType::ftString},      {"LIVRE", TFieldType::ftString},
      {"FOTO", TFieldType::ftBlob},        {"REAL_", TFieldType::ftFloat}};
  for (const auto& [name, type] : expected)
    EXPECT_EQ(set->FieldByName(name).DataType(), type) << name;
  EXPECT_EQ(set->FieldByName("VALOR").Scale(), 2);
  EXPECT_EQ(set->FieldByName("VALOR").Precision(), 18);
  EXPECT_EQ(set->FieldByName("TAXA").Scale(), 4);
  EXPECT_EQ(set->FieldByName("NOME").Size(), 5);
  EXPECT_EQ(set->FieldByName("SIGLA").Size(), 4);
}

TEST_F(SqliteTyping, MoneyStaysExact) {
  db.Engine().Execute(
      "insert into T (ID, VALOR) values (1, 0.1), (2, 0.2), (3, 1234567890123.45),"
      " (4, '-0.07'), (5, 7)");
  const auto set = Select("select VALOR from T order by ID");
  std::int64_t cents = 0;
  for (set->First(); !set->Eof(); set->Next()) {
    cents += set->Fields(0).Value().AsDecimal(2).Unscaled();
  }
  EXPECT_EQ(cents, 10 + 20 + 123456789012345 - 7 + 700);
  set->First();
  EXPECT_EQ(set->Fields(0).AsString(), "0,10");
  set->Next();
  set->Next();
  EXPECT_EQ(set->Fields(0).AsString(), "1234567890123,45");
  set->Next();
  EXPECT_EQ(set->Fields(0).AsString(), "-0,07");
  set->Next();
  EXPECT_EQ(set->Fields(0).AsString(), "7,00");
}

TEST_F(SqliteTyping, DatesAndTimestampsFromTheirText) {
  db.Engine().Execute(
      "insert into T (ID, DIA, MOMENTO) values (1, '2026-03-01', '2026-03-01 14:05:09'),"
      " (2, '2026-02-28', '2026-02-28 00:00:00')");
  const auto set = Select("select DIA, MOMENTO from T order by ID");
  EXPECT_EQ(set->Fields(0).AsDateTime(), TDateTime::EncodeDate(2026, 3, 1));
  EXPECT_EQ(set->Fields(1).AsDateTime(), TDateTime::EncodeDateTime(2026, 3, 1, 14, 5, 9));
  EXPECT_EQ(set->Fields(1).AsString(), "01/03/2026 14:05:09");
  set->Next();
  EXPECT_EQ(set->Fields(1).AsString(), "28/02/2026");
}

TEST_F(SqliteTyping, CharPaddingIsTrimmedButVarcharIsNot) {
  db.Engine().Execute("insert into T (ID, SIGLA, NOME) values (1, 'PR  ', 'a b ')");
  const auto set = Select("select SIGLA, NOME from T");
  EXPECT_EQ(set->Fields(0).AsString(), "PR");
  EXPECT_EQ(set->Fields(1).AsString(), "a b ");
}

TEST_F(SqliteTyping, ExpressionsAreTypedByTheirFirstValue) {
  db.Engine().Execute("insert into T (ID, VALOR) values (1, 10), (2, 20.5)");
  const auto set = Select(
      "select count(*) N, cast('M' as VarChar(1)) ORIGEM, null VAZIO, 1.5 * ID F, ID || 'x' S"
      " from T");
  EXPECT_EQ(set->FieldByName("N").DataType(), TFieldType::ftLargeint);
  EXPECT_EQ(set->FieldByName("N").AsInteger(), 2);
  EXPECT_EQ(set->FieldByName("ORIGEM").DataType(), TFieldType::ftString);
  EXPECT_EQ(set->FieldByName("ORIGEM").AsString(), "M");
  EXPECT_EQ(set->FieldByName("VAZIO").DataType(), TFieldType::ftString);
  EXPECT_TRUE(set->FieldByName("VAZIO").IsNull());
  EXPECT_EQ(set->FieldByName("F").DataType(), TFieldType::ftFloat);
  EXPECT_EQ(set->FieldByName("S").AsString(), "1x");
}

TEST_F(SqliteTyping, AnExpressionThatChangesStorageClassLosesNothing) {
  // The first row is an integer, a later one a real, then a text.
  const auto numbers = Select("select 1 X union all select 2.5 union all select null");
  EXPECT_EQ(numbers->Fields(0).DataType(), TFieldType::ftFloat);
  numbers->Next();
  EXPECT_DOUBLE_EQ(numbers->Fields(0).AsFloat(), 2.5);
  const auto mixed = Select("select null X union all select 7 union all select 'sete'");
  EXPECT_EQ(mixed->Fields(0).DataType(), TFieldType::ftString);
  EXPECT_EQ(mixed->RecordCount(), 3);
  EXPECT_TRUE(mixed->Fields(0).IsNull());
  mixed->Next();
  EXPECT_EQ(mixed->Fields(0).AsString(), "7");
}

TEST_F(SqliteTyping, ValuesBeyondTheDeclaredSizeAreKept) {
  db.Engine().Execute("insert into T (ID, NOME) values (3000000000, 'maior que cinco')");
  const auto set = Select("select ID, NOME from T");
  EXPECT_EQ(set->Fields(0).AsLargeInt(), 3000000000LL);
  EXPECT_EQ(set->Fields(1).AsString(), "maior que cinco");
}

TEST_F(SqliteTyping, BlobsRoundTripAndDuplicateNamesAreMadeUnique) {
  db.Engine().Execute("insert into T (ID, FOTO) values (:id, :foto)",
                      {1, Blob{std::string("\x89PNG\0\x01", 6)}});
  const auto set = Select("select FOTO, ID, ID from T");
  EXPECT_EQ(set->Fields(0).AsBytes(), std::string("\x89PNG\0\x01", 6));
  EXPECT_EQ(set->Fields(2).FieldName(), "ID_1");
}

TEST_F(SqliteTyping, ValuesThatBetrayTheirTypeAreReportedWithTheColumn) {
  db.Engine().Execute("insert into T (ID, DIA) values (1, '01/03/2026')");
  try {
    Select("select DIA from T");
    FAIL() << "no exception";
  } catch (const EDatabaseError& error) {
    EXPECT_NE(std::string(error.what()).find("DIA"), std::string::npos);
    EXPECT_NE(std::string(error.what()).find("01/03/2026"), std::string::npos);
  }
  db.Engine().Execute("update T set DIA = null, ID = 'abc'");
  EXPECT_THROW(Select("select ID from T"), EDatabaseError);
}

class SqliteParameters : public ::testing::Test {
 protected:
  void SetUp() override {
    db.Engine().ExecuteScript(
        "create table P (CODIGO integer, DATALCTO date, TEXTO varchar(30));"
        "insert into P values (1, '2026-03-01', 'a:b'), (2, '2026-03-15', 'x'),"
        " (3, '2026-03-31', 'y'), (4, '2026-04-01', 'z');");
  }
  int Count(const std::string& statement, const std::vector<Variant>& values) {
    return db.Engine().Query(statement, values)->RecordCount();
  }
  TestDatabase db{TestDatabase::Tables::None};
};

TEST_F(SqliteParameters, DateRangeKeepsItsFirstAndLastDay) {
  EXPECT_EQ(Count("select * from P where DATALCTO between :pDataInicial and :pDataFinal",
                  {TDateTime::EncodeDate(2026, 3, 1), TDateTime::EncodeDate(2026, 3, 31)}),
            3);
}

TEST_F(SqliteParameters, ANameUsedTwiceTakesTheSameValue) {
  EXPECT_EQ(Count("select CODIGO from P where CODIGO = :c union select CODIGO from P"
                  " where CODIGO = :C + 1",
                  {2}),
            2);
  EXPECT_EQ(Count("select * from P where CODIGO between :a and :b or CODIGO = :a", {3, 4}), 2);
}

TEST_F(SqliteParameters, ColonsInLiteralsCommentsAndCastsAreNoParameters) {
  EXPECT_EQ(Count("select * from P where TEXTO = 'a:b' and CODIGO = :c", {1}), 1);
  EXPECT_EQ(Count("select * from P -- where CODIGO = :ignorado\n where CODIGO = :c", {2}), 1);
  EXPECT_EQ(Count("select * from P /* :outro */ where CODIGO >= :c", {3}), 2);
}

TEST_F(SqliteParameters, TooFewValuesIsAClearError) {
  try {
    Count("select * from P where CODIGO = :pCodigo and DATALCTO = :pData", {1});
    FAIL() << "no exception";
  } catch (const Exception& error) {
    EXPECT_NE(std::string(error.what()).find(":pData"), std::string::npos) << error.what();
  }
}

TEST_F(SqliteParameters, EveryKindOfValueBinds) {
  db.Engine().ExecuteScript(
      "create table V (I integer, D numeric(18,2), F real, B blob, M timestamp);");
  db.Engine().Execute(
      "insert into V values (:i, :d, :f, :b, :m)",
      {true, Decimal(123456, 2), 0.5, Blob{"xy"}, TDateTime::EncodeDateTime(2026, 3, 1, 8, 30, 0)});
  const auto set = db.Engine().Query("select * from V where D = :d and M = :m",
                                     {Decimal(123456, 2), "2026-03-01 08:30:00"});
  ASSERT_EQ(set->RecordCount(), 1);
  EXPECT_EQ(set->Fields(0).AsInteger(), 1);
  EXPECT_EQ(set->Fields(1).AsString(), "1234,56");
  EXPECT_EQ(set->Fields(3).AsBytes(), "xy");
  EXPECT_EQ(set->Fields(4).AsString(), "01/03/2026 08:30:00");
}

TEST(SqliteErrors, CarryTheEngineMessageAndTheStatement) {
  TestDatabase db{TestDatabase::Tables::None};
  try {
    db.Engine().Query("select NADA from TABELA_QUE_NAO_EXISTE", {});
    FAIL() << "no exception";
  } catch (const EDatabaseError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("no such table"), std::string::npos) << message;
    EXPECT_NE(message.find("select NADA from TABELA_QUE_NAO_EXISTE"), std::string::npos);
  }
  EXPECT_THROW(db.Engine().Execute("create table A (X integer); drop table A"), EDatabaseError);
  EXPECT_THROW(db.Engine().ExecuteScript("create table;"), EDatabaseError);
}

TEST(SqliteEngine, ScriptsTransactionsPreparedStatementsAndTables) {
  TestDatabase db{TestDatabase::Tables::None};
  db.Engine().ExecuteScript("create table b (x integer); create table A (x integer);");
  EXPECT_EQ(db.Engine().TableNames(), (std::vector<std::string>{"A", "B"}));
  auto insert = db.Engine().Prepare("insert into A (x) values (:x)");
  db.Engine().BeginTransaction();
  for (int i = 0; i < 100; ++i) insert->Run({i});
  db.Engine().Rollback();
  EXPECT_EQ(db.Engine().Query("select * from A", {})->RecordCount(), 0);
  db.Engine().BeginTransaction();
  for (int i = 0; i < 100; ++i) insert->Run({i});
  db.Engine().Commit();
  EXPECT_EQ(db.Engine().Query("select * from A", {})->RecordCount(), 100);
  EXPECT_EQ(db.Engine().EngineName(), "sqlite");
  // A statement without result columns still runs when opened as a query.
  EXPECT_FALSE(db.Engine().Query("delete from A where x < :n", {10})->Active());
  EXPECT_EQ(db.Engine().Query("select * from A", {})->RecordCount(), 90);
}

// Statements are kept compiled between runs: a kept one must take each run's values, recover
// from a failed run, follow the schema, and never keep the file locked against a writer.
TEST(SqliteEngine, AStatementRunAgainTakesItsNewValuesAndHoldsNoLock) {
  TestDatabase db{TestDatabase::Tables::None};
  db.Engine().ExecuteScript("create table A (x integer);");
  for (int i = 0; i < 5; ++i) db.Engine().Execute("insert into A (x) values (:x)", {i});
  const std::string select = "select x from A where x >= :x order by x";
  EXPECT_EQ(db.Engine().Query(select, {3})->RecordCount(), 2);
  EXPECT_EQ(db.Engine().Query(select, {1})->RecordCount(), 4);
  EXPECT_THROW(db.Engine().Query(select, {}), Exception);  // too few values
  const auto again = db.Engine().Query(select, {4});
  ASSERT_EQ(again->RecordCount(), 1);
  EXPECT_EQ(again->Fields(0).AsInteger(), 4);
  EXPECT_EQ(db.Engine().Query("select * from A where x = :x", {0})->FieldCount(), 1);

  // A second connection writes while the first keeps its statements.
  auto writer = OpenDatabase(db.Url(), OpenMode::ReadWriteCreate);
  writer->Execute("insert into A (x) values (9)");
  writer->ExecuteScript("alter table A add column y text default 'novo';");
  EXPECT_EQ(db.Engine().Query(select, {4})->RecordCount(), 2);
  EXPECT_EQ(db.Engine().Query("select * from A where x = :x", {9})->FieldByName("y").AsString(),
            "novo");
}

TEST_F(SqliteTyping, ACursorGivesTheValuesAQueryGivesRowByRow) {
  db.Engine().ExecuteScript(
      "insert into T values (1, 5000000000, 12.3, 0.1234, 7, '2026-03-01', '2026-03-01 10:20:30',"
      " 'AB  ', 'nome', 'livre', x'00ff', 1.5);"
      "insert into T (ID) values (2);");
  // An expression that changes storage class from row to row is widened by the query for all
  // its rows; the cursor takes each value in the kind it needs.
  const std::string statement =
      "select T.*, case when ID = 1 then 1 else 'texto' end as MISTO from T order by ID";
  const auto whole = Select(statement);
  auto cursor = db.Engine().OpenCursor(statement, {});
  ASSERT_EQ(cursor->Names().size(), static_cast<std::size_t>(whole->FieldCount()));
  for (whole->First(); !whole->Eof(); whole->Next()) {
    ASSERT_TRUE(cursor->Next());
    for (int field = 0; field + 1 < whole->FieldCount(); ++field) {
      EXPECT_EQ(cursor->Names()[static_cast<std::size_t>(field)], whole->Fields(field).FieldName());
      const Variant& value = cursor->Value(static_cast<std::size_t>(field));
      EXPECT_EQ(value.GetKind(), whole->Fields(field).Value().GetKind()) << field;
      EXPECT_TRUE(value == whole->Fields(field).Value()) << field;
    }
    const int misto = whole->FieldCount() - 1;
    EXPECT_EQ(cursor->Value(static_cast<std::size_t>(misto)).AsString(),
              whole->Fields(misto).AsString());
  }
  EXPECT_FALSE(cursor->Next());
  EXPECT_FALSE(cursor->Next());
}

// Long results are read ahead on a thread of the cursor's own; what the reader sees must not
// change, nor may the connection be used by two threads at once.
TEST_F(SqliteTyping, ALongResultReadAheadGivesWhatAQueryGives) {
  db.Engine().ExecuteScript(
      "with recursive n(i) as (select 1 union all select i + 1 from n where i < 2000) "
      "insert into T select i, i * 5000000000, i * 0.01, i / 7.0, case when i % 3 = 0 then null "
      "else i * 0.5 end, '2026-03-01', '2026-03-01 10:20:30', 'AB  ', substr('nomes', 1, i % 6),"
      " 'livre ' || i, x'00ff', i * 1.5 from n;"
      "insert into T (ID, GRANDE) values (2001, 'não é número');");
  const std::string statement =
      "select T.*, case when ID % 700 = 0 then 'texto' else ID * 2 end as MISTO from T "
      "where ID <= :ultimo order by ID";
  const auto whole = Select(statement, {2000});
  auto cursor = db.Engine().OpenCursor(statement, {2001});
  for (whole->First(); !whole->Eof(); whole->Next()) {
    ASSERT_TRUE(cursor->Next());
    for (int field = 0; field < whole->FieldCount(); ++field) {
      const Variant& value = cursor->Value(static_cast<std::size_t>(field));
      EXPECT_EQ(value.AsString(), whole->Fields(field).AsString()) << field;
    }
    // Other statements on the same connection meanwhile.
    if (whole->RecNo() % 400 == 0) {
      EXPECT_EQ(Select("select count(*) from T")->Fields(0).AsInteger(), 2001);
    }
  }
  // A value that cannot be read fails when asked for, not the row.
  ASSERT_TRUE(cursor->Next());
  EXPECT_EQ(cursor->Value(0).AsInteger(), 2001);
  EXPECT_THROW(cursor->Value(1), EDatabaseError);
  EXPECT_FALSE(cursor->Next());

  // A statement that fails on a late row gives the rows before it, then the failure.
  auto failing = db.Engine().OpenCursor(
      // In table order: sorted, every row would be computed before the first is given.
      "select ID, case when ID = 1500 then abs(ID - 1501 - 9223372036854775807) else ID end "
      "from T",
      {});
  int rows = 0;
  EXPECT_THROW(
      while (failing->Next()) { EXPECT_EQ(failing->Value(1).AsInteger(), ++rows); },
      EDatabaseError);
  EXPECT_EQ(rows, 1499);

  // A cursor left half way stops its reading; the connection goes on.
  auto abandoned = db.Engine().OpenCursor("select * from T order by ID", {});
  for (int row = 0; row < 600; ++row) ASSERT_TRUE(abandoned->Next());
  abandoned.reset();
  EXPECT_EQ(Select("select max(ID) from T")->Fields(0).AsInteger(), 2001);
}

TEST(SqliteEngine, ARunReadsOneSnapshotWhateverOthersWrite) {
  TestDatabase setup{TestDatabase::Tables::None};
  setup.Engine().ExecuteScript(
      "pragma journal_mode = wal; create table A (x integer); insert into A values (1), (2);");
  auto run = OpenDatabase(setup.Url(), OpenMode::ReadOnly);
  const auto lookup = [&] { return run->LookupValue("select count(*) from A").AsInteger(); };
  EXPECT_EQ(lookup(), 2);
  auto cursor = run->OpenCursor("select x from A order by x", {});
  ASSERT_TRUE(cursor->Next());

  // Another program writes in the middle of the run (WAL: it need not wait for the run).
  setup.Engine().Execute("insert into A values (3)");
  EXPECT_EQ(lookup(), 2);
  EXPECT_EQ(run->Query("select x from A", {})->RecordCount(), 2);
  ASSERT_TRUE(cursor->Next());
  EXPECT_EQ(cursor->Value(0).AsInteger(), 2);
  EXPECT_FALSE(cursor->Next());
  // The next run sees it.
  EXPECT_EQ(OpenDatabase(setup.Url(), OpenMode::ReadOnly)
                ->LookupValue("select count(*) from A")
                .AsInteger(),
            3);
}

TEST(DatabaseUrls, UnknownSchemesAreNamedWithoutTheRestOfTheUrl) {
  try {
    OpenDatabase("mysql://kdr:segredo@h/db", OpenMode::ReadOnly);
    FAIL();
  } catch (const Exception& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("\"mysql\""), std::string::npos) << message;
    EXPECT_EQ(message.find("segredo"), std::string::npos) << message;
  }
  EXPECT_THROW(OpenDatabase("mysql://u:p@h/db", OpenMode::ReadWriteCreate), Exception);
  EXPECT_THROW(OpenDatabase("kdr.sqlite", OpenMode::ReadWriteCreate), Exception);
  EXPECT_THROW(OpenDatabase("", OpenMode::ReadWriteCreate), Exception);
  EXPECT_THROW(OpenDatabase("sqlite:", OpenMode::ReadWriteCreate), Exception);
  EXPECT_THROW(OpenDatabase("sqlite:/pasta/que/nao/existe/kdr.sqlite", OpenMode::ReadWriteCreate),
               EDatabaseError);
}

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

// A report's statements only read: whatever a definition or a plug-in runs on a read-only
// connection, the file stays byte for byte as it was and nothing else is created.
TEST(ReadOnlyDatabase, EveryKindOfWriteIsRefusedAndTheFileStaysTheSame) {
  std::filesystem::path path;
  {
    TestDatabase setup{TestDatabase::Tables::None};
    setup.Engine().ExecuteScript(
        "create table PROTOCOLO (CODIGO integer primary key, NOME text);"
        "insert into PROTOCOLO values (1, 'um'), (2, 'dois');");
    path = setup.Path().string() + ".kept";
    std::filesystem::copy_file(setup.Path(), path);
  }
  const std::string before = FileBytes(path);
  const auto copy = path.parent_path() / "kdr-readonly-vacuum-copy.sqlite";
  const auto attached = path.parent_path() / "kdr-readonly-attached.sqlite";
  std::filesystem::remove(copy);
  std::filesystem::remove(attached);
  {
    auto engine = OpenDatabase("sqlite:" + path.string(), OpenMode::ReadOnly);
    EXPECT_EQ(engine->Query("select count(*) as N from PROTOCOLO", {})->Fields(0).AsInteger(), 2);
    EXPECT_EQ(engine->Query("pragma table_info(PROTOCOLO)", {})->RecordCount(), 2);
    for (const std::string& statement : std::vector<std::string>{
             "delete from PROTOCOLO", "drop table PROTOCOLO",
             "update PROTOCOLO set NOME = 'x' returning CODIGO",
             "insert into PROTOCOLO values (3, 'tres')", "create table NOVA (A integer)",
             "attach '" + attached.string() + "' as outro", "vacuum into '" + copy.string() + "'",
             "vacuum", "pragma user_version = 7", "pragma query_only = 0",
             "pragma journal_mode = wal", "create index IX on PROTOCOLO (NOME)"}) {
      try {
        engine->Query(statement, {});
        ADD_FAILURE() << "ran: " << statement;
      } catch (const EDatabaseError& error) {
        EXPECT_NE(std::string(error.what()).find("só lê o banco de dados"), std::string::npos)
            << statement << ": " << error.what();
      }
      EXPECT_THROW(engine->Execute(statement), EDatabaseError) << statement;
    }
    EXPECT_EQ(engine->Query("select count(*) as N from PROTOCOLO", {})->Fields(0).AsInteger(), 2);
  }
  EXPECT_EQ(FileBytes(path), before);
  EXPECT_FALSE(std::filesystem::exists(copy));
  EXPECT_FALSE(std::filesystem::exists(attached));
  std::filesystem::remove(path);
}

TEST(ReadOnlyDatabase, AMissingFileIsSaidNotToExistAndIsNotCreated) {
  const auto missing = std::filesystem::temp_directory_path() / "kdr-nao-existe.sqlite";
  std::filesystem::remove(missing);
  try {
    OpenDatabase("sqlite:" + missing.string(), OpenMode::ReadOnly);
    FAIL() << "opened a missing database";
  } catch (const EDatabaseError& error) {
    EXPECT_NE(std::string(error.what()).find("não existe"), std::string::npos) << error.what();
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
  // Setting a database up creates it.
  OpenDatabase("sqlite:" + missing.string(), OpenMode::ReadWriteCreate);
  EXPECT_TRUE(std::filesystem::exists(missing));
  std::filesystem::remove(missing);
}

}  // namespace
