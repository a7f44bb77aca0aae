// The data access calls of the reports: statements on the host's connection, inclusion
// expressions, SQL literals and the registration and telephone formats.
#include <gtest/gtest.h>

#include "DataAccess.h"
#include "Exception.h"
#include "support/TestDatabase.h"

namespace {

class HostStatements : public ::testing::Test {
 protected:
  void SetUp() override {
    db.Engine().ExecuteScript(
        "create table CFGESTABPRO (CODIGOEMPRESA integer, CODIGOESTAB integer,"
        " MESMOENDERECOENT char(1));"
        "insert into CFGESTABPRO values (1, 1, '0'), (1, 2, null), (2, 1, '1');");
  }
  TestDatabase db{TestDatabase::Tables::None};
};

TEST_F(HostStatements, ExecutarSQLOpensPositionedOnTheFirstRow) {
  auto set = ExecutarSQL("select * from CFGESTABPRO where CODIGOEMPRESA = :e order by CODIGOESTAB",
                         {1}, true, false, -1, "", nullptr, true);
  ASSERT_TRUE(set);
  EXPECT_FALSE(set->Eof());
  EXPECT_EQ(set->FieldByName("codigoestab").AsInteger(), 1);
  EXPECT_EQ(set->RecordCount(), 2);
  DestruirSQL(set);
  EXPECT_FALSE(set);
  DestruirSQL(set);  // an empty pointer is left alone
}

TEST_F(HostStatements, RefreshSQLRunsTheSameStatementWithNewValues) {
  auto set = ExecutarSQL("select CODIGOESTAB from CFGESTABPRO where CODIGOEMPRESA = :e", {2});
  set->SetIndexFieldNames("CODIGOESTAB");
  EXPECT_EQ(set->RecordCount(), 1);
  RefreshSQL(*set, {1}, true);
  EXPECT_EQ(set->RecordCount(), 2);
  EXPECT_EQ(set->FieldByName("CODIGOESTAB").AsInteger(), 1);
  EXPECT_TRUE(set->FindKey({2}));
  TjClientDataSet own;
  own.AddFieldDef("X", TFieldType::ftInteger);
  own.CreateDataSet();
  EXPECT_THROW(RefreshSQL(own, {}), Exception);
}

TEST_F(HostStatements, PegarValorCampoGivesTheFirstMatchOrNull) {
  const auto value = [](const std::string& condition) {
    return jDMSQLDataSet().PegarValorCampo("CFGESTABPRO", "MESMOENDERECOENT", condition);
  };
  EXPECT_EQ(value("CODIGOEMPRESA = " + ValorParaSQL(1) + " and CODIGOESTAB = " + ValorParaSQL(1))
                .AsString(),
            "0");
  EXPECT_TRUE(value("CODIGOEMPRESA = 1 and CODIGOESTAB = 2").IsNull());
  EXPECT_TRUE(value("CODIGOEMPRESA = 9").IsNull());
}

TEST_F(HostStatements, ACursorReadsForwardOnceBesideOtherStatements) {
  const std::string statement =
      "select CODIGOESTAB, MESMOENDERECOENT from CFGESTABPRO where CODIGOEMPRESA = :e"
      " order by CODIGOESTAB";
  TjCursorSQL cursor(statement, {1});
  EXPECT_THROW(cursor.Valor(0), Exception);  // not on a row yet
  const int estab = cursor.ColunaObrigatoria("codigoestab");
  const int mesmo = cursor.Coluna("MesmoEnderecoEnt");
  EXPECT_EQ(cursor.Coluna("NOME"), -1);
  EXPECT_THROW(cursor.ColunaObrigatoria("NOME"), Exception);
  ASSERT_TRUE(cursor.Proximo());
  EXPECT_EQ(cursor.Valor(estab).AsInteger(), 1);
  EXPECT_EQ(cursor.Valor(mesmo).AsString(), "0");
  // The same statement run meanwhile neither disturbs the cursor nor is disturbed by it.
  EXPECT_EQ(ExecutarSQL(statement, {1})->RecordCount(), 2);
  ASSERT_TRUE(cursor.Proximo());
  EXPECT_EQ(cursor.Valor(estab).AsInteger(), 2);
  EXPECT_TRUE(cursor.Valor(mesmo).IsNull());
  EXPECT_THROW(cursor.Valor(2), Exception);
  EXPECT_FALSE(cursor.Proximo());
  EXPECT_THROW(cursor.Valor(0), Exception);
  EXPECT_THROW(TjCursorSQL("select * from NENHUMA", {}), EDatabaseError);
}

TEST(HostConnectionUse, WithoutADatabaseStatementsFailClearly) {
  HostConnection::Set(nullptr);
  EXPECT_THROW(ExecutarSQL("select 1", {}), Exception);
  EXPECT_THROW(HostConnection::Get(), Exception);
}

std::string Filter(const std::string& expression, bool leadingAnd = true) {
  return FilterInterval({"P.CODIGOEMPRESA"}, expression, {1}, leadingAnd, 3);
}

TEST(InclusionExpressions, CodesAndRangesBecomeOneCondition) {
  EXPECT_EQ(Filter("1,3,10-20"),
            " and (P.CODIGOEMPRESA in (1,3) or P.CODIGOEMPRESA between 10 and 20)");
  EXPECT_EQ(Filter(" 7 ", false), "(P.CODIGOEMPRESA in (7))");
  EXPECT_EQ(Filter("5 - 9 ; 2", false),
            "(P.CODIGOEMPRESA in (2) or P.CODIGOEMPRESA between 5 and 9)");
  EXPECT_EQ(Filter("4-4", false), "(P.CODIGOEMPRESA in (4))");
  EXPECT_EQ(Filter("   "), "");
  EXPECT_EQ(FilterInterval({"R.CODIGOROTA"}, "2", {1}, true, 0, -1), " and (R.CODIGOROTA in (2))");
}

TEST(InclusionExpressions, AnythingElseIsRefusedQuotingTheExpression) {
  for (const std::string hostile :
       {"1;--", "1'", "' or 1=1 --", "1 or 1=1", "1-", "-", "-5", "5-3", "1,,3", "1,", ",1", "a",
        "1 2", "1-2-3", "1;drop table PROTOCOLO", "99999999999999999999", "1.5", "0x10"}) {
    try {
      Filter(hostile);
      ADD_FAILURE() << "accepted: " << hostile;
    } catch (const EjxsError& error) {
      EXPECT_EQ(std::string(error.what()), "Expressão de códigos inválida: \"" + hostile + "\"");
    }
  }
  EXPECT_THROW(FilterInterval({"P.CODIGO; drop"}, "1", {1}, true, 3), Exception);
  EXPECT_THROW(FilterInterval({}, "1", {1}, true, 3), Exception);
}

TEST(InclusionExpressions, CheckInInclusion) {
  EXPECT_TRUE(CheckInInclusion(1, "1,2", {1}));
  EXPECT_TRUE(CheckInInclusion(15, "1,10-20", {1}));
  EXPECT_TRUE(CheckInInclusion("20", "10-20", {1}));
  EXPECT_FALSE(CheckInInclusion(21, "1,10-20", {1}));
  EXPECT_FALSE(CheckInInclusion(1, "", {1}));  // an empty selection names nothing
  EXPECT_FALSE(CheckInInclusion(Variant(), "1", {1}));
  EXPECT_TRUE(CheckInInclusion(2.0, "2", {1}));
  EXPECT_FALSE(CheckInInclusion(1.5, "1-2", {1}));  // not a code at all
  EXPECT_FALSE(CheckInInclusion("x", "1", {1}));
  EXPECT_THROW(CheckInInclusion(1, "1;--", {1}), EjxsError);
}

TEST(SqlLiterals, QuotedDatedAndExact) {
  EXPECT_EQ(ValorParaSQL("O'Brien"), "'O''Brien'");
  EXPECT_EQ(ValorParaSQL("''; drop table X; --"), "'''''; drop table X; --'");
  EXPECT_EQ(ValorParaSQL(42), "42");
  EXPECT_EQ(ValorParaSQL(Variant()), "NULL");
  EXPECT_EQ(ValorParaSQL(Decimal(-123450, 2)), "-1234.50");
  EXPECT_EQ(ValorParaSQL(0.25), "0.25");
  EXPECT_EQ(ValorParaSQL(TDateTime::EncodeDate(2026, 3, 1)), "'2026-03-01'");
  EXPECT_EQ(ValorParaSQL(TDateTime::EncodeDateTime(2026, 3, 1, 9, 5, 0)), "'2026-03-01 09:05:00'");
  EXPECT_EQ(ValorParaSQL(Blob{"\x01\xAB"}), "X'01AB'");
}

TEST(SqlLiterals, ReadAsAFieldTypeFirst) {
  EXPECT_EQ(ValorParaSQL("2", TFieldType::ftString), "'2'");
  EXPECT_EQ(ValorParaSQL(2, TFieldType::ftString), "'2'");
  EXPECT_EQ(ValorParaSQL("12", TFieldType::ftInteger), "12");
  EXPECT_EQ(ValorParaSQL("01/03/2026", TFieldType::ftDate), "'2026-03-01'");
  EXPECT_EQ(ValorParaSQL("1.234,5", TFieldType::ftFMTBcd), "1234.5");
  EXPECT_THROW(ValorParaSQL("1 or 1=1", TFieldType::ftInteger), Exception);
}

TEST(RegistrationNumbers, MaskedZeroFilledOrKeptWhole) {
  using K = TjTipoInscrFederal;
  EXPECT_EQ(FormatarInscrFederal(K::tifCNPJ, "12345678000195", true), "12.345.678/0001-95");
  EXPECT_EQ(FormatarInscrFederal(K::tifCNPJ, std::int64_t{345678000195}, true),
            "00.345.678/0001-95");
  EXPECT_EQ(FormatarInscrFederal(K::tifCNPJ, "12.345.678/0001-95", false), "12345678000195");
  EXPECT_EQ(FormatarInscrFederal(K::tifCPF, "123.456.789-09", true), "123.456.789-09");
  EXPECT_EQ(FormatarInscrFederal(K::tifCPF, 191, true), "000.000.001-91");
  EXPECT_EQ(FormatarInscrFederal(K::tifCEI, "123456789012", true), "12.345.67890/12");
  EXPECT_EQ(FormatarInscrFederal(K::tifCPF, "123456789012345", true), "123456789012345");
  EXPECT_EQ(FormatarInscrFederal(K::tifCPF, Variant(), true), "");
  EXPECT_EQ(FormatarInscrFed(1, "12345678000195", true), "12.345.678/0001-95");
  EXPECT_EQ(FormatarInscrFed(2, "12345678909", true), "123.456.789-09");
  EXPECT_EQ(FormatarInscrFed(3, "123456789012", true), "12.345.67890/12");
  EXPECT_EQ(FormatarInscrFed(9, "12345678909", true), "123.456.789-09");
}

TEST(TelephoneNumbers, AreaCodeAndNumber) {
  EXPECT_EQ(FormatarFone("41", "33334444", ""), "(41) 3333-4444");
  EXPECT_EQ(FormatarFone("41", "999998888", ""), "(41) 99999-8888");
  EXPECT_EQ(FormatarFone("", "33334444", ""), "3333-4444");
  EXPECT_EQ(FormatarFone("(41)", "3333-4444", ""), "(41) 3333-4444");
  EXPECT_EQ(FormatarFone("", "41999998888", ""), "(41) 99999-8888");
  EXPECT_EQ(FormatarFone("", "", ""), "");
  EXPECT_EQ(FormatarFone("41", "", ""), "");
  EXPECT_EQ(FormatarFone("41", "1234", ""), "(41) 1234");
}

}  // namespace
