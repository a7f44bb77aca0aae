#include "demo/DemoDatabase.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "Exception.h"
#include "data/DatabaseEngine.h"
#include "demo/DemoCalendar.h"
#include "demo/DemoDocuments.h"
#include "demo/DemoLogo.h"
#include "demo/DemoOffice.h"
#include "demo/DemoProtocols.h"
#include "demo/DemoVocabulary.h"

namespace {

using namespace demo;

const char* const kDemoTables[] = {
    "EMPRESA",
    "TIPOLOGRADOURO",
    "MUNICIPIO",
    "ESTAB",
    "ESTABENTREGA",
    "CFGESTABPRO",
    "USUARIO",
    "PROTOCOLO",
    "PROTOCOLOITEM",
    "PROTOCOLOROTAENTREGA",
    "DEPARTAMENTOESCRIT",
    "PROTOCOLODOCEMP",
    "PROTOCOLODOCMOVIMENTO",
};

// Rows are added to an existing database only when nothing can clash with them.
void RequireEmptySchema(DatabaseEngine& db) {
  const std::vector<std::string> present = db.TableNames();
  for (const char* table : kDemoTables) {
    if (std::find(present.begin(), present.end(), table) == present.end()) {
      throw Exception(std::string("O banco de dados não tem a tabela ") + table +
                      ": crie o esquema antes de gravar os dados de demonstração.");
    }
  }
  for (const char* table : kDemoTables) {
    std::unique_ptr<TjClientDataSet> rows =
        db.Query(std::string("select count(*) from ") + table, {});
    rows->First();
    if (!rows->Eof() && rows->Fields(0).AsLargeInt() > 0) {
      throw Exception(std::string("O banco de dados já tem dados (tabela ") + table +
                      "): os dados de demonstração só são gravados em um banco vazio.");
    }
  }
}

std::string InsertStatement(const std::string& table, const std::vector<const char*>& columns) {
  std::string names, values;
  for (const char* column : columns) {
    if (!names.empty()) {
      names += ", ";
      values += ", ";
    }
    names += column;
    values += std::string(":") + column;
  }
  return "insert into " + table + " (" + names + ") values (" + values + ")";
}

Variant Integer(long long value) {
  return Variant(static_cast<std::int64_t>(value));
}

Variant Flag(char value) {
  return Variant(std::string(1, value));
}

template <typename T>
Variant Optional(const std::optional<T>& value) {
  if (!value) return Variant();
  if constexpr (std::is_integral_v<T>) {
    return Integer(*value);
  } else {
    return Variant(*value);
  }
}

Variant DateValue(Day day) {
  return Variant(DemoCalendar::DateText(day));
}

Variant DateValue(const std::optional<Day>& day) {
  return day ? DateValue(*day) : Variant();
}

Variant TimestampValue(const std::optional<DemoTimestamp>& when) {
  if (!when) return Variant();
  return Variant(DemoCalendar::TimestampText(when->Date, when->Hour, when->Minute, when->Second));
}

// The rows of the demo database, through statements prepared once per table.
class DemoWriter {
 public:
  explicit DemoWriter(DatabaseEngine& db) : FDb(db) {}

  void WriteReferenceTables();
  void WriteOffice(const DemoOffice& office);
  void WriteProtocol(const DemoProtocol& protocol, const DemoOffice& office);
  void WriteDocument(const DemoDocument& document, const DemoOffice& office);

 private:
  std::unique_ptr<PreparedStatement> Prepare(const std::string& table,
                                             const std::vector<const char*>& columns) {
    return FDb.Prepare(InsertStatement(table, columns));
  }
  void WriteAddressRow(PreparedStatement& statement, const DemoEstablishment& establishment,
                       const DemoAddress& address, Variant streetType);

  DatabaseEngine& FDb;
  std::unique_ptr<PreparedStatement> FProtocol, FItem, FDocument, FMovement;
  std::vector<Variant> FRow;
};

void DemoWriter::WriteReferenceTables() {
  auto streetTypes = Prepare("TIPOLOGRADOURO", {"CODIGOTIPOLOGRAD", "DESCRTIPOLOGRAD"});
  for (const StreetType& type : kStreetTypes) streetTypes->Run({type.Code, type.Name});

  auto cities = Prepare("MUNICIPIO", {"SIGLAESTADO", "CODIGOMUNIC", "NOMEMUNIC"});
  for (const City& city : kCities) cities->Run({city.State, city.Code, city.Name});

  auto users = Prepare("USUARIO", {"CODIGOUSUARIO", "NOMEUSUARIO", "NOMEUSUARIOCOMPL"});
  for (const NamedCode& user : kUsers) users->Run({user.Code, user.Name, user.FullName});

  auto departments = Prepare("DEPARTAMENTOESCRIT", {"CODIGODPTOESCRIT", "DESCRDPTOESCRIT"});
  for (const NamedCode& department : kDepartments) {
    departments->Run({department.Code, department.Name});
  }
}

void DemoWriter::WriteAddressRow(PreparedStatement& statement,
                                 const DemoEstablishment& establishment, const DemoAddress& address,
                                 Variant streetType) {
  statement.Run({establishment.Company, establishment.Number, std::move(streetType), address.Street,
                 address.HouseNumber, Optional(address.Complement), Optional(address.District),
                 address.Place->State, address.Place->Code});
}

void DemoWriter::WriteOffice(const DemoOffice& office) {
  auto companies = Prepare("EMPRESA", {"CODIGOEMPRESA", "NOMEEMPRESA", "LOGOTIPOEMPRESA"});
  // Drawing and compressing a picture costs far more than a row: each look is drawn once.
  std::map<std::tuple<std::string, std::string, std::uint32_t>, Blob> logos;
  for (const DemoCompany& company : office.Companies()) {
    Variant logo;
    if (company.Logo) {
      const LogoStyle& style = *company.Logo;
      auto [drawn, added] = logos.try_emplace({style.Initials, style.ShortName, style.Colour});
      if (added) drawn->second.Bytes = DrawDemoLogo(style);
      logo = Variant(drawn->second);
    }
    companies->Run({company.Code, company.Name, std::move(logo)});
  }

  auto establishments =
      Prepare("ESTAB", {"CODIGOEMPRESA", "CODIGOESTAB", "NOMEESTAB", "APELIDOESTAB", "TIPOINSCR",
                        "INSCRFEDERAL", "CODIGOTIPOLOGRAD", "ENDERECOESTAB", "NUMENDERESTAB",
                        "COMPLENDERESTAB", "BAIRROENDERESTAB", "SIGLAESTADO", "CODIGOMUNIC",
                        "DDDFONE", "NUMEROFONE"});
  auto deliveryAddresses =
      Prepare("ESTABENTREGA", {"CODIGOEMPRESA", "CODIGOESTAB", "LOGRADENTREGA", "ENDERECOENTREGA",
                               "NUMENDERENTREGA", "COMPLENDERENTREGA", "BAIRROENDERENTREGA",
                               "SIGLAESTADO", "CODIGOMUNIC"});
  auto settings =
      Prepare("CFGESTABPRO", {"CODIGOEMPRESA", "CODIGOESTAB", "MESMOENDERECOENT", "FORMAENTREGA"});
  for (const DemoEstablishment& establishment : office.Establishments()) {
    const DemoAddress& address = establishment.Address;
    establishments->Run({establishment.Company, establishment.Number, establishment.Name,
                         establishment.Nickname, establishment.RegistrationKind,
                         establishment.Registration, address.StreetTypeCode, address.Street,
                         address.HouseNumber, Optional(address.Complement),
                         Optional(address.District), address.Place->State, address.Place->Code,
                         Optional(establishment.AreaCode), Optional(establishment.Phone)});
    if (establishment.DeliveryAddress) {
      // The delivery address keeps its street type as text, as the office typed it.
      const DemoAddress& delivery = *establishment.DeliveryAddress;
      const auto type =
          std::find_if(kStreetTypes.begin(), kStreetTypes.end(),
                       [&](const StreetType& t) { return t.Code == delivery.StreetTypeCode; });
      WriteAddressRow(*deliveryAddresses, establishment, delivery,
                      type != kStreetTypes.end() ? Variant(type->Name) : Variant());
    }
    if (establishment.SameAddressForDelivery) {
      settings->Run({establishment.Company, establishment.Number,
                     Flag(*establishment.SameAddressForDelivery),
                     Flag(establishment.DeliveryForm)});
    }
  }

  auto stops = Prepare("PROTOCOLOROTAENTREGA",
                       {"CODIGOROTA", "CODIGOEMPRESA", "CODIGOESTAB", "SEQROTA", "OBSERVACAO"});
  for (const DemoRouteStop& stop : office.RouteStops()) {
    const DemoEstablishment& establishment = office.Establishments()[stop.Establishment];
    stops->Run({stop.Route, establishment.Company, establishment.Number, stop.Sequence,
                Optional(stop.Note)});
  }

  FProtocol =
      Prepare("PROTOCOLO",
              {"CODIGOPROTOCOLO", "CODIGOEMPRESA", "CODIGOESTAB", "TIPOPRO", "OBSERVACAO",
               "DATALCTOPRO", "DATAHORACADASTRO", "CODIGOUSUARIO", "FORMAENTREGA", "NATUREZAPRO",
               "DATAHORAENTREGA", "CODIGOUSUARIOINT", "USUARIOEXT", "DATAHORABAIXA"});
  FItem = Prepare("PROTOCOLOITEM",
                  {"CODIGOPROTOCOLO", "SEQITEMPRO", "DESCRITEM", "DATALCTOPRO", "VENCIMENTO",
                   "VALOR", "CODIGOIMPOSTO", "VARIACAOIMPOSTO", "CODIGODOCEMP", "CODIGOFUNCCONTR",
                   "CANCELADO", "CHAVEORIGEM", "COMPETENCIA"});
  FDocument =
      Prepare("PROTOCOLODOCEMP", {"CODIGODOCEMP", "CODIGOEMPRESA", "CODIGOESTAB", "DESCRDOCEMP"});
  FMovement =
      Prepare("PROTOCOLODOCMOVIMENTO",
              {"CODIGODOCEMP", "SEQDOCEMP", "TIPOLOCAL", "DATALCTOPRO", "CODIGODPTOESCRIT",
               "CODIGOUSUARIORESP", "CODIGOPROTOCOLO", "OBSERVACAO", "DATAHORA", "CODIGOUSUARIO"});
}

void DemoWriter::WriteProtocol(const DemoProtocol& protocol, const DemoOffice& office) {
  const DemoEstablishment& establishment = office.Establishments()[protocol.Establishment];
  const bool writtenOff = protocol.WrittenOff.has_value();
  const Variant launch = DateValue(protocol.Launch);
  FRow.clear();
  FRow.emplace_back(Integer(protocol.Code));
  FRow.emplace_back(establishment.Company);
  FRow.emplace_back(establishment.Number);
  FRow.emplace_back(protocol.Type);
  FRow.emplace_back(Optional(protocol.Title));
  FRow.emplace_back(launch);
  FRow.emplace_back(TimestampValue(protocol.Registered));
  FRow.emplace_back(protocol.RegisteredBy);
  FRow.emplace_back(Flag(protocol.DeliveryForm));
  FRow.emplace_back(Flag(protocol.Nature));
  FRow.emplace_back(TimestampValue(protocol.Delivered));
  FRow.emplace_back(writtenOff ? Variant(protocol.WrittenOffBy) : Variant());
  FRow.emplace_back(writtenOff ? Variant(protocol.ReceivedBy) : Variant());
  FRow.emplace_back(TimestampValue(protocol.WrittenOff));
  FProtocol->Run(FRow);

  for (const DemoItem& item : protocol.Items) {
    FRow.clear();
    FRow.emplace_back(Integer(protocol.Code));
    FRow.emplace_back(item.Sequence);
    FRow.emplace_back(item.Description);
    FRow.emplace_back(launch);
    FRow.emplace_back(DateValue(item.Due));
    FRow.emplace_back(item.Cents ? Variant(Decimal(*item.Cents, 2)) : Variant());
    FRow.emplace_back(Optional(item.TaxCode));
    FRow.emplace_back(Optional(item.TaxVariation));
    FRow.emplace_back(Variant());
    FRow.emplace_back(Optional(item.Employee));
    FRow.emplace_back(Flag(item.Cancelled ? '1' : '0'));
    FRow.emplace_back(Optional(item.SourceKey));
    FRow.emplace_back(DateValue(item.Competence));
    FItem->Run(FRow);
  }
}

void DemoWriter::WriteDocument(const DemoDocument& document, const DemoOffice& office) {
  const DemoEstablishment& establishment = office.Establishments()[document.Establishment];
  FDocument->Run(
      {Integer(document.Code), establishment.Company, establishment.Number, document.Description});
  for (const DemoMovement& movement : document.Movements) {
    FMovement->Run({Integer(document.Code), movement.Sequence, movement.PlaceKind,
                    DateValue(movement.When.Date), Optional(movement.Department),
                    movement.Responsible, Optional(movement.Protocol), Optional(movement.Note),
                    TimestampValue(movement.When), movement.User});
  }
}

// Calls the progress callback now and then rather than for every row.
class ProgressPacer {
 public:
  ProgressPacer(const std::function<void(long long, long long)>& progress, long long total)
      : FProgress(progress), FTotal(total) {}
  void Step() {
    ++FDone;
    if (FProgress && (FDone % 1024 == 0 || FDone == FTotal)) FProgress(FDone, FTotal);
  }
  void Start() {
    if (FProgress) FProgress(0, FTotal);
  }

 private:
  const std::function<void(long long, long long)>& FProgress;
  long long FTotal;
  long long FDone = 0;
};

void WriteDemoRows(DatabaseEngine& db, long long protocolCount,
                   const std::function<void(long long, long long)>& progress) {
  const DemoCalendar calendar;
  const DemoOffice office(protocolCount);
  const long long documentCount = DemoDocumentMaker::CountFor(protocolCount);
  ProgressPacer pacer(progress, protocolCount + documentCount);
  pacer.Start();

  DemoWriter writer(db);
  writer.WriteReferenceTables();
  writer.WriteOffice(office);

  std::vector<std::vector<long long>> protocolsByEstablishment(office.Establishments().size());
  const DemoProtocolMaker protocols(office, calendar, protocolCount);
  DemoProtocol protocol;
  for (long long code = 1; code <= protocolCount; ++code) {
    protocols.Make(code, protocol);
    writer.WriteProtocol(protocol, office);
    protocolsByEstablishment[protocol.Establishment].push_back(code);
    pacer.Step();
  }

  const DemoDocumentMaker documents(office, calendar, protocolsByEstablishment);
  DemoDocument document;
  for (long long code = 1; code <= documentCount; ++code) {
    documents.Make(code, document);
    writer.WriteDocument(document, office);
    pacer.Step();
  }
}

}  // namespace

void FillDemoDatabase(DatabaseEngine& db, const DemoOptions& options,
                      const std::function<void(long long, long long)>& progress) {
  if (options.Protocols < 0) {
    throw Exception("Quantidade de protocolos inválida para os dados de demonstração: " +
                    std::to_string(options.Protocols) + " (informe 0 ou mais).");
  }
  RequireEmptySchema(db);
  db.BeginTransaction();
  try {
    WriteDemoRows(db, options.Protocols, progress);
    db.Commit();
  } catch (...) {
    try {
      db.Rollback();
    } catch (...) {
      // The first failure is the one worth reporting.
    }
    throw;
  }
}
