#include "support/TestOffice.h"

#include <utility>

#include "Decimal.h"

namespace office {

namespace {

Variant Of(const Text& text) {
  return text ? Variant(*text) : Variant();
}
Variant Of(const Integer& number) {
  return number ? Variant(*number) : Variant();
}
Variant Amount(const Text& text) {
  return text ? Variant(Decimal::Parse(*text, 2)) : Variant();
}

}  // namespace

void TestOffice::Insert(const std::string& table, const std::vector<std::string>& columns,
                        const std::vector<Variant>& values) {
  std::string names;
  std::string slots;
  for (const std::string& column : columns) {
    names += (names.empty() ? "" : ", ") + column;
    slots += (slots.empty() ? ":" : ", :") + column;
  }
  FDatabase.Execute("insert into " + table + " (" + names + ") values (" + slots + ")", values);
}

TestOffice& TestOffice::Places() {
  StreetType(1, "Rua");
  StreetType(2, "Avenida");
  City("PR", kCuritiba, "Curitiba");
  return City("PR", kSaoJoseDosPinhais, "São José dos Pinhais");
}

TestOffice& TestOffice::StreetType(int code, const std::string& name) {
  Insert("TIPOLOGRADOURO", {"CODIGOTIPOLOGRAD", "DESCRTIPOLOGRAD"}, {code, name});
  return *this;
}

TestOffice& TestOffice::City(const std::string& state, int code, const std::string& name) {
  Insert("MUNICIPIO", {"SIGLAESTADO", "CODIGOMUNIC", "NOMEMUNIC"}, {state, code, name});
  return *this;
}

TestOffice& TestOffice::Department(int code, const std::string& name) {
  Insert("DEPARTAMENTOESCRIT", {"CODIGODPTOESCRIT", "DESCRDPTOESCRIT"}, {code, name});
  return *this;
}

TestOffice& TestOffice::Add(const Company& row) {
  Insert("EMPRESA", {"CODIGOEMPRESA", "NOMEEMPRESA", "LOGOTIPOEMPRESA"},
         {row.Code, Of(row.Name), row.Logo ? Variant(Blob{*row.Logo}) : Variant()});
  return *this;
}

TestOffice& TestOffice::Add(const Establishment& row) {
  Insert("ESTAB",
         {"CODIGOEMPRESA", "CODIGOESTAB", "NOMEESTAB", "APELIDOESTAB", "TIPOINSCR", "INSCRFEDERAL",
          "CODIGOTIPOLOGRAD", "ENDERECOESTAB", "NUMENDERESTAB", "COMPLENDERESTAB",
          "BAIRROENDERESTAB", "SIGLAESTADO", "CODIGOMUNIC", "DDDFONE", "NUMEROFONE"},
         {row.Company, row.Number, Of(row.Name), Of(row.Nickname), Of(row.RegistrationType),
          Of(row.Registration), Of(row.StreetType), Of(row.Street), Of(row.HouseNumber),
          Of(row.Complement), Of(row.District), Of(row.State), Of(row.City), Of(row.AreaCode),
          Of(row.Phone)});
  return *this;
}

TestOffice& TestOffice::Add(const DeliveryAddress& row) {
  Insert("ESTABENTREGA",
         {"CODIGOEMPRESA", "CODIGOESTAB", "LOGRADENTREGA", "ENDERECOENTREGA", "NUMENDERENTREGA",
          "COMPLENDERENTREGA", "BAIRROENDERENTREGA", "SIGLAESTADO", "CODIGOMUNIC"},
         {row.Company, row.Number, Of(row.StreetType), Of(row.Street), Of(row.HouseNumber),
          Of(row.Complement), Of(row.District), Of(row.State), Of(row.City)});
  return *this;
}

TestOffice& TestOffice::Add(const ProtocolSettings& row) {
  Insert("CFGESTABPRO", {"CODIGOEMPRESA", "CODIGOESTAB", "MESMOENDERECOENT", "FORMAENTREGA"},
         {row.Company, row.Number, Of(row.SameAddress), Of(row.DeliveryKind)});
  return *this;
}

TestOffice& TestOffice::Add(const RouteStop& row) {
  Insert("PROTOCOLOROTAENTREGA",
         {"CODIGOROTA", "CODIGOEMPRESA", "CODIGOESTAB", "SEQROTA", "OBSERVACAO"},
         {row.Route, row.Company, row.Number, Of(row.Sequence), Of(row.Note)});
  return *this;
}

TestOffice& TestOffice::Add(const User& row) {
  Insert("USUARIO", {"CODIGOUSUARIO", "NOMEUSUARIO", "NOMEUSUARIOCOMPL"},
         {row.Code, Of(row.Login), Of(row.FullName)});
  return *this;
}

TestOffice& TestOffice::Add(const Protocol& row) {
  Insert("PROTOCOLO",
         {"CODIGOPROTOCOLO", "CODIGOEMPRESA", "CODIGOESTAB", "TIPOPRO", "OBSERVACAO", "DATALCTOPRO",
          "DATAHORACADASTRO", "CODIGOUSUARIO", "FORMAENTREGA", "NATUREZAPRO", "DATAHORAENTREGA",
          "CODIGOUSUARIOINT", "USUARIOEXT", "DATAHORABAIXA"},
         {row.Code, Of(row.Company), Of(row.Establishment), Of(row.Type), Of(row.Note),
          Of(row.Launched), Of(row.Registered), Of(row.User), Of(row.DeliveryKind), Of(row.Nature),
          Of(row.Delivered), Of(row.WrittenOffBy), Of(row.Receiver), Of(row.WrittenOff)});
  return *this;
}

TestOffice& TestOffice::Add(const Item& row) {
  Insert("PROTOCOLOITEM",
         {"CODIGOPROTOCOLO", "SEQITEMPRO", "DESCRITEM", "VALOR", "VENCIMENTO", "COMPETENCIA",
          "DATALCTOPRO", "CANCELADO", "CODIGODOCEMP"},
         {row.Protocol, row.Sequence, Of(row.Description), Amount(row.Value), Of(row.Due),
          Of(row.Competence), Of(row.Launched), Of(row.Cancelled), Of(row.Document)});
  return *this;
}

TestOffice& TestOffice::Add(const Document& row) {
  Insert("PROTOCOLODOCEMP", {"CODIGODOCEMP", "CODIGOEMPRESA", "CODIGOESTAB", "DESCRDOCEMP"},
         {row.Code, Of(row.Company), Of(row.Establishment), Of(row.Description)});
  return *this;
}

TestOffice& TestOffice::Add(const Movement& row) {
  Insert("PROTOCOLODOCMOVIMENTO",
         {"CODIGODOCEMP", "SEQDOCEMP", "TIPOLOCAL", "DATALCTOPRO", "CODIGODPTOESCRIT",
          "CODIGOUSUARIORESP", "CODIGOPROTOCOLO", "OBSERVACAO", "DATAHORA", "CODIGOUSUARIO"},
         {row.Document, row.Sequence, Of(row.PlaceKind), Of(row.Date), Of(row.Department),
          Of(row.ResponsibleUser), Of(row.Protocol), Of(row.Note), Of(row.Moment), Of(row.User)});
  return *this;
}

Establishment NamesOnly(int company, int number, Text name, Text nickname) {
  return Establishment{.Company = company,
                       .Number = number,
                       .Name = std::move(name),
                       .Nickname = std::move(nickname),
                       .RegistrationType = std::nullopt,
                       .Registration = std::nullopt,
                       .StreetType = std::nullopt,
                       .Street = std::nullopt,
                       .HouseNumber = std::nullopt,
                       .Complement = std::nullopt,
                       .District = std::nullopt,
                       .State = std::nullopt,
                       .City = std::nullopt,
                       .AreaCode = std::nullopt,
                       .Phone = std::nullopt};
}

TestOffice& TestOffice::Items(int protocol, int count) {
  for (int i = 1; i <= count; ++i) {
    Add(Item{.Protocol = protocol, .Sequence = i, .Description = "Item " + std::to_string(i)});
  }
  return *this;
}

TestOffice& TestOffice::OneProtocol() {
  Places();
  Add(Company{});
  Add(Establishment{});
  Add(Protocol{});
  return Add(Item{});
}

}  // namespace office
