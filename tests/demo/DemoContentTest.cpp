// What the default demo database holds: every case the reports print differently, consistent
// keys, valid registrations and pictures, values that fit their columns.
#include <cairo.h>
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "demo/DemoTestDatabase.h"
#include "demo/RegistrationCheck.h"

namespace {

class DemoContent : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    FDatabase = std::make_unique<DemoTestDatabase>();
    FDatabase->Fill(DemoOptions{}.Protocols);
  }
  static void TearDownTestSuite() { FDatabase.reset(); }

  static DemoTestDatabase& Db() { return *FDatabase; }
  static long long Count(const std::string& sql) { return Db().Scalar(sql); }
  static std::set<std::string> Distinct(const std::string& sql) {
    std::set<std::string> values;
    for (const auto& row : Db().Rows(sql)) values.insert(row.at(0));
    return values;
  }

 private:
  static std::unique_ptr<DemoTestDatabase> FDatabase;
};

std::unique_ptr<DemoTestDatabase> DemoContent::FDatabase;

// --- Protocols ---------------------------------------------------------------------------

TEST_F(DemoContent, ProtocolsAreNumberedFromOneWithoutGaps) {
  EXPECT_EQ(Count("select count(*) from PROTOCOLO"), 400);
  EXPECT_EQ(Count("select min(CODIGOPROTOCOLO) from PROTOCOLO"), 1);
  EXPECT_EQ(Count("select max(CODIGOPROTOCOLO) from PROTOCOLO"), 400);
}

TEST_F(DemoContent, ProtocolsAreNumberedInLaunchOrder) {
  EXPECT_EQ(Count("select count(*) from PROTOCOLO A join PROTOCOLO B"
                  " on B.CODIGOPROTOCOLO = A.CODIGOPROTOCOLO + 1"
                  " where B.DATALCTOPRO < A.DATALCTOPRO"),
            0);
}

TEST_F(DemoContent, LaunchDatesAreBusinessDaysOfTheFirstHalfOf2026) {
  EXPECT_GE(Db().Rows("select min(DATALCTOPRO) from PROTOCOLO")[0][0], "2026-01-02");
  EXPECT_LE(Db().Rows("select max(DATALCTOPRO) from PROTOCOLO")[0][0], "2026-06-30");
  EXPECT_EQ(Count("select count(distinct substr(DATALCTOPRO, 1, 7)) from PROTOCOLO"), 6);
  EXPECT_EQ(Count("select count(*) from PROTOCOLO where strftime('%w', DATALCTOPRO) in ('0', '6')"
                  " or DATALCTOPRO in ('2026-04-03', '2026-04-21', '2026-05-01')"),
            0);
}

TEST_F(DemoContent, DatesAndTimestampsHaveTheTextFormsOfTheDatabase) {
  const std::vector<std::pair<std::string, std::string>> dates = {
      {"PROTOCOLO", "DATALCTOPRO"},
      {"PROTOCOLOITEM", "DATALCTOPRO"},
      {"PROTOCOLOITEM", "VENCIMENTO"},
      {"PROTOCOLOITEM", "COMPETENCIA"},
      {"PROTOCOLODOCMOVIMENTO", "DATALCTOPRO"}};
  for (const auto& [table, column] : dates) {
    EXPECT_EQ(
        Count("select count(*) from " + table + " where " + column + " is not null and (typeof(" +
              column + ") <> 'text' or date(" + column + ") is not " + column + ")"),
        0)
        << table << "." << column;
  }
  const std::vector<std::pair<std::string, std::string>> timestamps = {
      {"PROTOCOLO", "DATAHORACADASTRO"},
      {"PROTOCOLO", "DATAHORAENTREGA"},
      {"PROTOCOLO", "DATAHORABAIXA"},
      {"PROTOCOLODOCMOVIMENTO", "DATAHORA"}};
  for (const auto& [table, column] : timestamps) {
    EXPECT_EQ(
        Count("select count(*) from " + table + " where " + column + " is not null and (typeof(" +
              column + ") <> 'text' or datetime(" + column + ") is not " + column + ")"),
        0)
        << table << "." << column;
  }
}

TEST_F(DemoContent, RegistrationDeliveryAndWriteOffFollowTheLaunch) {
  EXPECT_EQ(Count("select count(*) from PROTOCOLO"
                  " where date(DATAHORACADASTRO) <> DATALCTOPRO"),
            0);
  EXPECT_EQ(Count("select count(*) from PROTOCOLO where DATAHORABAIXA < DATALCTOPRO"
                  " or DATAHORAENTREGA < DATALCTOPRO or DATAHORAENTREGA > DATAHORABAIXA"
                  " or DATAHORABAIXA > '2026-06-30 23:59:59'"),
            0);
}

TEST_F(DemoContent, OpenAndWrittenOffProtocolsBothAbound) {
  const long long writtenOff =
      Count("select count(*) from PROTOCOLO where DATAHORABAIXA is not null");
  EXPECT_GT(writtenOff, 40);
  EXPECT_LT(writtenOff, 360);
  // Who wrote it off inside the office and who took it outside: always both, only then.
  EXPECT_EQ(Count("select count(*) from PROTOCOLO where DATAHORABAIXA is not null and"
                  " (CODIGOUSUARIOINT is null or USUARIOEXT is null or USUARIOEXT = '')"),
            0);
  EXPECT_EQ(Count("select count(*) from PROTOCOLO where DATAHORABAIXA is null and"
                  " (CODIGOUSUARIOINT is not null or USUARIOEXT is not null)"),
            0);
}

TEST_F(DemoContent, CodesTakeEveryValueTheReportsFilterOn) {
  EXPECT_EQ(Distinct("select distinct TIPOPRO from PROTOCOLO"),
            (std::set<std::string>{"1", "2", "3", "4"}));
  EXPECT_EQ(Distinct("select distinct FORMAENTREGA from PROTOCOLO"),
            (std::set<std::string>{"1", "2", "3"}));
  EXPECT_EQ(Distinct("select distinct NATUREZAPRO from PROTOCOLO"),
            (std::set<std::string>{"E", "S"}));
  EXPECT_EQ(Count("select count(*) from PROTOCOLO where typeof(TIPOPRO) <> 'integer'"), 0);
}

TEST_F(DemoContent, OneEstablishmentHasTwoOpenProtocolsOnOneDay) {
  EXPECT_GT(Count("select count(*) from PROTOCOLO A join PROTOCOLO B"
                  " on B.CODIGOEMPRESA = A.CODIGOEMPRESA and B.CODIGOESTAB = A.CODIGOESTAB"
                  " and B.DATALCTOPRO = A.DATALCTOPRO and B.CODIGOPROTOCOLO > A.CODIGOPROTOCOLO"
                  " where A.DATAHORABAIXA is null and B.DATAHORABAIXA is null"),
            0);
}

TEST_F(DemoContent, AnOpenProtocolHasADescriptionThatWraps) {
  EXPECT_GT(Count("select count(*) from PROTOCOLO"
                  " where DATAHORABAIXA is null and length(OBSERVACAO) > 80"),
            0);
  EXPECT_GT(Count("select count(*) from PROTOCOLO where OBSERVACAO like 'Guias de %'"), 0);
}

// --- Items -------------------------------------------------------------------------------

TEST_F(DemoContent, EveryProtocolHasOneToEightItemsNumberedFromOne) {
  EXPECT_EQ(Count("select count(distinct CODIGOPROTOCOLO) from PROTOCOLOITEM"), 400);
  EXPECT_EQ(Count("select count(*) from (select count(*) N, min(SEQITEMPRO) F,"
                  " max(SEQITEMPRO) L from PROTOCOLOITEM group by CODIGOPROTOCOLO)"
                  " where N > 8 or F <> 1 or L <> N"),
            0);
  EXPECT_GT(Count("select count(*) from (select CODIGOPROTOCOLO from PROTOCOLOITEM I"
                  " join PROTOCOLO P using (CODIGOPROTOCOLO) where P.DATAHORABAIXA is null"
                  " group by CODIGOPROTOCOLO having count(*) = 8)"),
            0);
}

TEST_F(DemoContent, ItemDescriptionsIncludeLongAndTwoLineOnes) {
  EXPECT_GT(Count("select count(*) from PROTOCOLOITEM"
                  " where length(DESCRITEM) between 150 and 300 and CANCELADO = '0'"),
            0);
  EXPECT_EQ(Count("select count(*) from PROTOCOLOITEM where length(DESCRITEM) > 300"), 0);
  EXPECT_GT(Count("select count(*) from PROTOCOLOITEM"
                  " where instr(DESCRITEM, char(10)) > 0 and CANCELADO = '0'"),
            0);
  EXPECT_GT(Count("select count(*) from PROTOCOLOITEM where DESCRITEM like 'DARF IRPJ%'"), 0);
  EXPECT_GT(
      Count("select count(*) from PROTOCOLOITEM where DESCRITEM like 'Recibo de entrega da DCTF%'"),
      0);
}

TEST_F(DemoContent, ItemsAreCancelledOrNotNeverUnknown) {
  EXPECT_EQ(Distinct("select distinct CANCELADO from PROTOCOLOITEM"),
            (std::set<std::string>{"0", "1"}));
}

TEST_F(DemoContent, SomeItemsLackADueDateACompetenceOrAValue) {
  EXPECT_GT(Count("select count(*) from PROTOCOLOITEM where VENCIMENTO is null"), 0);
  EXPECT_GT(Count("select count(*) from PROTOCOLOITEM where COMPETENCIA is null"), 0);
  EXPECT_GT(Count("select count(*) from PROTOCOLOITEM where VALOR is null"), 0);
  EXPECT_GT(Count("select count(*) from PROTOCOLOITEM where VENCIMENTO is not null"
                  " and COMPETENCIA is not null and VALOR > 0"),
            0);
  EXPECT_EQ(Count("select count(*) from PROTOCOLOITEM where COMPETENCIA is not null"
                  " and substr(COMPETENCIA, 9, 2) <> '01'"),
            0);
}

TEST_F(DemoContent, ValuesAreWholeCentsUpToMillions) {
  EXPECT_EQ(Count("select count(*) from PROTOCOLOITEM"
                  " where abs(VALOR * 100 - round(VALOR * 100)) > 0.000001"),
            0);
  EXPECT_EQ(Count("select count(*) from PROTOCOLOITEM where VALOR < 0"), 0);
  EXPECT_EQ(Count("select count(*) from PROTOCOLOITEM where VALOR = 1234567.89"), 1);
  EXPECT_GT(Count("select count(*) from PROTOCOLOITEM where VALOR between 1000 and 999999.99"), 0);
}

TEST_F(DemoContent, ItemsShareTheLaunchDateOfTheirProtocol) {
  EXPECT_EQ(Count("select count(*) from PROTOCOLOITEM I join PROTOCOLO P"
                  " using (CODIGOPROTOCOLO) where I.DATALCTOPRO <> P.DATALCTOPRO"),
            0);
}

// --- Consistency ---------------------------------------------------------------------------

TEST_F(DemoContent, EveryReferenceLeadsToARowThatExists) {
  const std::vector<std::string> orphans = {
      "select count(*) from PROTOCOLOITEM I left join PROTOCOLO P using (CODIGOPROTOCOLO)"
      " where P.CODIGOPROTOCOLO is null",
      "select count(*) from PROTOCOLO P left join ESTAB E on E.CODIGOEMPRESA = P.CODIGOEMPRESA"
      " and E.CODIGOESTAB = P.CODIGOESTAB where E.CODIGOESTAB is null",
      "select count(*) from ESTAB E left join EMPRESA C using (CODIGOEMPRESA)"
      " where C.CODIGOEMPRESA is null",
      "select count(*) from ESTAB E left join MUNICIPIO M on M.SIGLAESTADO = E.SIGLAESTADO"
      " and M.CODIGOMUNIC = E.CODIGOMUNIC where M.CODIGOMUNIC is null",
      "select count(*) from ESTAB E left join TIPOLOGRADOURO T using (CODIGOTIPOLOGRAD)"
      " where T.CODIGOTIPOLOGRAD is null",
      "select count(*) from ESTABENTREGA D left join ESTAB E on E.CODIGOEMPRESA ="
      " D.CODIGOEMPRESA and E.CODIGOESTAB = D.CODIGOESTAB where E.CODIGOESTAB is null",
      "select count(*) from ESTABENTREGA D left join MUNICIPIO M on M.SIGLAESTADO ="
      " D.SIGLAESTADO and M.CODIGOMUNIC = D.CODIGOMUNIC where M.CODIGOMUNIC is null",
      "select count(*) from ESTABENTREGA D where D.LOGRADENTREGA not in"
      " (select DESCRTIPOLOGRAD from TIPOLOGRADOURO)",
      "select count(*) from CFGESTABPRO C left join ESTAB E on E.CODIGOEMPRESA ="
      " C.CODIGOEMPRESA and E.CODIGOESTAB = C.CODIGOESTAB where E.CODIGOESTAB is null",
      "select count(*) from PROTOCOLOROTAENTREGA R left join ESTAB E on E.CODIGOEMPRESA ="
      " R.CODIGOEMPRESA and E.CODIGOESTAB = R.CODIGOESTAB where E.CODIGOESTAB is null",
      "select count(*) from PROTOCOLODOCEMP D left join ESTAB E on E.CODIGOEMPRESA ="
      " D.CODIGOEMPRESA and E.CODIGOESTAB = D.CODIGOESTAB where E.CODIGOESTAB is null",
      "select count(*) from PROTOCOLODOCMOVIMENTO M left join PROTOCOLODOCEMP D"
      " using (CODIGODOCEMP) where D.CODIGODOCEMP is null",
      "select count(*) from PROTOCOLODOCMOVIMENTO M left join PROTOCOLO P using"
      " (CODIGOPROTOCOLO) where M.CODIGOPROTOCOLO is not null and P.CODIGOPROTOCOLO is null",
      "select count(*) from PROTOCOLODOCMOVIMENTO M left join DEPARTAMENTOESCRIT D using"
      " (CODIGODPTOESCRIT) where M.CODIGODPTOESCRIT is not null and"
      " D.CODIGODPTOESCRIT is null",
      "select count(*) from PROTOCOLO where CODIGOUSUARIO not in (select CODIGOUSUARIO"
      " from USUARIO) or CODIGOUSUARIOINT not in (select CODIGOUSUARIO from USUARIO)",
      "select count(*) from PROTOCOLODOCMOVIMENTO where CODIGOUSUARIO not in (select"
      " CODIGOUSUARIO from USUARIO) or CODIGOUSUARIORESP not in (select CODIGOUSUARIO"
      " from USUARIO)",
      // The logo statement reads each company through its establishment 1.
      "select count(*) from EMPRESA C where not exists (select 1 from ESTAB E where"
      " E.CODIGOEMPRESA = C.CODIGOEMPRESA and E.CODIGOESTAB = 1)",
  };
  for (const std::string& sql : orphans) EXPECT_EQ(Count(sql), 0) << sql;
}

// The length of a CHAR(n) or VARCHAR(n) type, 0 for any other type.
long long DeclaredLength(const std::string& type) {
  for (const std::string prefix : {"VARCHAR(", "CHAR("}) {
    if (type.rfind(prefix, 0) == 0) return std::stoll(type.substr(prefix.size()));
  }
  return 0;
}

TEST_F(DemoContent, TextsFitTheirDeclaredColumns) {
  int checked = 0;
  for (const std::string& table : DemoTables()) {
    for (const auto& column : Db().Rows("pragma table_info(" + table + ")")) {
      const long long declared = DeclaredLength(column.at(2));
      if (declared == 0) continue;
      const long long longest =
          Count("select coalesce(max(length(" + column.at(1) + ")), 0) from " + table);
      EXPECT_LE(longest, declared) << table << "." << column.at(1);
      ++checked;
    }
  }
  EXPECT_GT(checked, 30);
}

// --- Companies and establishments ------------------------------------------------------------

TEST_F(DemoContent, RegistrationsCarryValidCheckDigits) {
  std::set<std::string> kinds;
  for (const auto& row :
       Db().Rows("select TIPOINSCR, INSCRFEDERAL, CODIGOEMPRESA, CODIGOESTAB from ESTAB")) {
    const std::string& kind = row.at(0);
    const std::string& number = row.at(1);
    kinds.insert(kind);
    const bool valid = kind == "1"   ? registration_check::IsValidCnpj(number)
                       : kind == "2" ? registration_check::IsValidCpf(number)
                       : kind == "3" ? registration_check::IsValidCei(number)
                                     : false;
    EXPECT_TRUE(valid) << "kind " << kind << " number " << number << " of " << row.at(2) << "/"
                       << row.at(3);
  }
  EXPECT_EQ(kinds, (std::set<std::string>{"1", "2", "3"}));
}

TEST_F(DemoContent, BranchesShareTheirCompanysCnpjRoot) {
  EXPECT_EQ(Count("select count(*) from ESTAB A join ESTAB B on B.CODIGOEMPRESA = A.CODIGOEMPRESA"
                  " where A.TIPOINSCR = 1 and B.TIPOINSCR = 1"
                  " and substr(A.INSCRFEDERAL, 1, 8) <> substr(B.INSCRFEDERAL, 1, 8)"),
            0);
  EXPECT_EQ(Count("select count(*) from (select INSCRFEDERAL from ESTAB"
                  " group by INSCRFEDERAL having count(*) > 1)"),
            0);
}

cairo_status_t ReadFromString(void* closure, unsigned char* data, unsigned int length) {
  auto* source = static_cast<std::pair<const std::string*, std::size_t>*>(closure);
  if (source->second + length > source->first->size()) return CAIRO_STATUS_READ_ERROR;
  std::copy_n(source->first->data() + source->second, length, data);
  source->second += length;
  return CAIRO_STATUS_SUCCESS;
}

TEST_F(DemoContent, LogosArePngPicturesWithSomethingDrawn) {
  const auto logos = Db().Blobs("select LOGOTIPOEMPRESA from EMPRESA");
  ASSERT_FALSE(logos.empty());
  for (const std::string& png : logos) {
    std::pair<const std::string*, std::size_t> source{&png, 0};
    cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(ReadFromString, &source);
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> owner(surface,
                                                                             cairo_surface_destroy);
    ASSERT_EQ(cairo_surface_status(surface), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(surface), 160);
    EXPECT_EQ(cairo_image_surface_get_height(surface), 60);
    cairo_surface_flush(surface);
    const unsigned char* pixels = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    std::set<std::uint32_t> colours;
    for (int y = 0; y < 60; ++y) {
      for (int x = 0; x < 160; ++x) {
        colours.insert(*reinterpret_cast<const std::uint32_t*>(pixels + y * stride + x * 4));
      }
    }
    EXPECT_GT(colours.size(), 3u);
  }
  EXPECT_GT(Count("select count(*) from EMPRESA where LOGOTIPOEMPRESA is null"), 0);
  EXPECT_EQ(Count("select count(*) from EMPRESA where CODIGOEMPRESA = 1"
                  " and LOGOTIPOEMPRESA is not null"),
            1);
}

TEST_F(DemoContent, AddressesComeWithAndWithoutTheirOptionalParts) {
  EXPECT_GT(Count("select count(*) from ESTAB where NUMENDERESTAB = 0"), 0);
  EXPECT_GT(Count("select count(*) from ESTAB where NUMENDERESTAB > 0"), 0);
  EXPECT_GT(Count("select count(*) from ESTAB"
                  " where COMPLENDERESTAB is null and BAIRROENDERESTAB is null"),
            0);
  EXPECT_GT(Count("select count(*) from ESTAB"
                  " where COMPLENDERESTAB is not null and BAIRROENDERESTAB is not null"),
            0);
  EXPECT_GT(Count("select count(*) from ESTAB where DDDFONE is null and NUMEROFONE is not null"),
            0);
  EXPECT_GT(
      Count("select count(*) from ESTAB where DDDFONE is not null and NUMEROFONE is not null"), 0);
  EXPECT_GT(Count("select count(*) from ESTAB where NUMEROFONE is null"), 0);
  EXPECT_GT(Count("select count(distinct SIGLAESTADO) from ESTAB"), 1);
  EXPECT_GT(Count("select count(distinct CODIGOTIPOLOGRAD) from ESTAB"), 1);
  EXPECT_GT(Count("select count(*) from ESTAB where NOMEESTAB like '%ç%' or NOMEESTAB like '%ã%'"),
            0);
}

TEST_F(DemoContent, DeliverySettingsComeInEveryCombination) {
  EXPECT_EQ(Count("select count(*) from (select distinct MESMOENDERECOENT, FORMAENTREGA"
                  " from CFGESTABPRO)"),
            4);
  EXPECT_EQ(Distinct("select distinct MESMOENDERECOENT from CFGESTABPRO"),
            (std::set<std::string>{"0", "1"}));
  EXPECT_EQ(Distinct("select distinct FORMAENTREGA from CFGESTABPRO"),
            (std::set<std::string>{"1", "2"}));
  const std::string noSettings =
      " not exists (select 1 from CFGESTABPRO C where C.CODIGOEMPRESA = E.CODIGOEMPRESA"
      " and C.CODIGOESTAB = E.CODIGOESTAB)";
  const std::string delivery =
      " exists (select 1 from ESTABENTREGA D where D.CODIGOEMPRESA = E.CODIGOEMPRESA"
      " and D.CODIGOESTAB = E.CODIGOESTAB)";
  EXPECT_GT(Count("select count(*) from ESTAB E where" + noSettings), 0);
  EXPECT_GT(Count("select count(*) from ESTAB E where" + noSettings + " and" + delivery), 0);
  // Delivery elsewhere configured, but no delivery address typed in.
  EXPECT_GT(Count("select count(*) from ESTAB E join CFGESTABPRO C using (CODIGOEMPRESA,"
                  " CODIGOESTAB) where C.MESMOENDERECOENT = '0' and not" +
                  delivery),
            0);
  EXPECT_GT(Count("select count(*) from ESTAB E join CFGESTABPRO C using (CODIGOEMPRESA,"
                  " CODIGOESTAB) where C.MESMOENDERECOENT = '0' and C.FORMAENTREGA = '2' and" +
                  delivery),
            0);
}

// --- Routes ----------------------------------------------------------------------------------

TEST_F(DemoContent, RoutesListTheirStopsInSequence) {
  EXPECT_GE(Count("select count(distinct CODIGOROTA) from PROTOCOLOROTAENTREGA"), 3);
  EXPECT_EQ(Count("select min(CODIGOROTA) from PROTOCOLOROTAENTREGA"), 1);
  EXPECT_EQ(Count("select count(*) from (select count(*) N, min(SEQROTA) F, max(SEQROTA) L,"
                  " count(distinct SEQROTA) D from PROTOCOLOROTAENTREGA group by CODIGOROTA)"
                  " where F <> 1 or L <> N or D <> N"),
            0);
  EXPECT_GT(Count("select count(*) from PROTOCOLOROTAENTREGA where OBSERVACAO is null"), 0);
  EXPECT_GT(Count("select count(*) from PROTOCOLOROTAENTREGA where OBSERVACAO is not null"), 0);
}

TEST_F(DemoContent, AnEstablishmentWithOpenProtocolsRidesTwoRoutes) {
  EXPECT_GT(Count("select count(*) from (select CODIGOEMPRESA, CODIGOESTAB from"
                  " PROTOCOLOROTAENTREGA R where exists (select 1 from PROTOCOLO P where"
                  " P.CODIGOEMPRESA = R.CODIGOEMPRESA and P.CODIGOESTAB = R.CODIGOESTAB and"
                  " P.DATAHORABAIXA is null) group by CODIGOEMPRESA, CODIGOESTAB"
                  " having count(*) > 1)"),
            0);
}

// --- Documents -------------------------------------------------------------------------------

TEST_F(DemoContent, DocumentMovementsAreNumberedFromOne) {
  EXPECT_EQ(Count("select count(*) from (select count(*) N, min(SEQDOCEMP) F, max(SEQDOCEMP) L"
                  " from PROTOCOLODOCMOVIMENTO group by CODIGODOCEMP) where F <> 1 or L <> N"),
            0);
  EXPECT_GT(Count("select count(*) from PROTOCOLODOCEMP D where not exists (select 1 from"
                  " PROTOCOLODOCMOVIMENTO M where M.CODIGODOCEMP = D.CODIGODOCEMP)"),
            0);
}

TEST_F(DemoContent, DocumentsMoveInsideAndOutsideTheOffice) {
  EXPECT_EQ(Distinct("select distinct TIPOLOCAL from PROTOCOLODOCMOVIMENTO"),
            (std::set<std::string>{"1", "2"}));
  // Departments belong to internal places only.
  EXPECT_EQ(Count("select count(*) from PROTOCOLODOCMOVIMENTO where (TIPOLOCAL = 1) <>"
                  " (CODIGODPTOESCRIT is not null)"),
            0);
  EXPECT_GT(Count("select count(*) from PROTOCOLODOCMOVIMENTO where CODIGOPROTOCOLO is null"), 0);
  EXPECT_GT(Count("select count(*) from PROTOCOLODOCMOVIMENTO where CODIGOPROTOCOLO is not null"),
            0);
  EXPECT_GT(Count("select count(*) from PROTOCOLODOCMOVIMENTO where OBSERVACAO is null"), 0);
  EXPECT_GT(Count("select count(*) from PROTOCOLODOCMOVIMENTO where OBSERVACAO is not null"), 0);
  // A document handed over by protocol belongs to that protocol's establishment.
  EXPECT_EQ(Count("select count(*) from PROTOCOLODOCMOVIMENTO M join PROTOCOLODOCEMP D using"
                  " (CODIGODOCEMP) join PROTOCOLO P on P.CODIGOPROTOCOLO = M.CODIGOPROTOCOLO"
                  " where P.CODIGOEMPRESA <> D.CODIGOEMPRESA or P.CODIGOESTAB <> D.CODIGOESTAB"),
            0);
}

TEST_F(DemoContent, UsersAndDepartmentsHaveNames) {
  EXPECT_GT(Count("select count(*) from USUARIO"), 3);
  EXPECT_EQ(
      Count("select count(*) from USUARIO where NOMEUSUARIO is null or NOMEUSUARIOCOMPL is null"),
      0);
  EXPECT_GT(Count("select count(*) from DEPARTAMENTOESCRIT"), 3);
}

}  // namespace
