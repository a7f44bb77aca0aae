// Builds an accounting office's data for a test: companies, establishments, delivery routes,
// protocols and their items, users, departments, documents and their movements. Every row has
// sensible defaults (company 1, "Padaria Pão Quente Ltda", establishment 1 at Rua Nove, 120,
// Curitiba, a protocol launched on 10/03/2026 with one item due on 20/03/2026), so that a test
// names only what it is about. A field left empty (std::nullopt) is stored as null.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/DatabaseEngine.h"

namespace office {

// IBGE codes of the cities `Places` adds.
inline constexpr int kCuritiba = 4106902;
inline constexpr int kSaoJoseDosPinhais = 4125506;

using Text = std::optional<std::string>;
using Integer = std::optional<int>;

struct Company {
  int Code = 1;
  Text Name = "Padaria Pão Quente Ltda";
  Text Logo;  // image bytes
};

struct Establishment {
  int Company = 1;
  int Number = 1;
  Text Name = "Padaria Pão Quente Ltda";
  Text Nickname = "Matriz";
  Integer RegistrationType = 1;  // 1 CNPJ, 2 CPF, 3 CEI
  Text Registration = "11222333000181";
  Integer StreetType = 1;  // Rua
  Text Street = "Nove";
  Integer HouseNumber = 120;
  Text Complement = "Sala 3";
  Text District = "Centro";
  Text State = "PR";
  Integer City = kCuritiba;
  Text AreaCode = "41";
  Text Phone = "33334444";
};

// Where an establishment's protocols are delivered when it is not its own address.
struct DeliveryAddress {
  int Company = 1;
  int Number = 1;
  Text StreetType = "Rua";
  Text Street = "do Porto";
  Integer HouseNumber = 15;
  Text Complement;
  Text District = "Afonso Pena";
  Text State = "PR";
  Integer City = kSaoJoseDosPinhais;
};

// An establishment's protocol settings: "1" in SameAddress delivers to its own address.
struct ProtocolSettings {
  int Company = 1;
  int Number = 1;
  Text SameAddress = "1";
  Text DeliveryKind;
};

struct RouteStop {
  int Route = 1;
  int Company = 1;
  int Number = 1;
  Integer Sequence = 1;
  Text Note;
};

struct User {
  int Code = 7;
  Text Login = "maria";
  Text FullName = "Maria Souza";
};

// Dates as the database keeps them: yyyy-mm-dd, and yyyy-mm-dd hh:mm:ss for moments. An empty
// WrittenOff leaves the protocol pending.
struct Protocol {
  int Code = 1;
  Integer Company = 1;
  Integer Establishment = 1;
  Integer Type = 1;
  Text Note = "Guias de março";
  Text Launched = "2026-03-10";
  Text Registered;
  Integer User;
  Text DeliveryKind = "1";
  Text Nature = "S";
  Text Delivered;
  Integer WrittenOffBy;
  Text Receiver;
  Text WrittenOff;
};

struct Item {
  int Protocol = 1;
  int Sequence = 1;
  Text Description = "Guia do Simples Nacional";
  Text Value = "10.00";  // decimal text, stored as a number
  Text Due = "2026-03-20";
  Text Competence = "2026-03-01";
  Text Launched;
  Text Cancelled = "0";
  Integer Document;
};

struct Document {
  int Code = 1;
  Integer Company = 1;
  Integer Establishment = 1;
  Text Description = "Contrato social";
};

struct Movement {
  int Document = 1;
  int Sequence = 1;
  Integer PlaceKind = 1;
  Text Date = "2026-03-10";
  Integer Department;
  Integer ResponsibleUser;
  Integer Protocol;
  Text Note;
  Text Moment;
  Integer User;
};

// An establishment known by its names alone: no registration, address or telephone.
Establishment NamesOnly(int company, int number, Text name, Text nickname);

// Inserts rows through `database`, usually a TestDatabase's engine.
class TestOffice {
 public:
  explicit TestOffice(DatabaseEngine& database) : FDatabase(database) {}

  // Street types 1 Rua and 2 Avenida, and the cities Curitiba and São José dos Pinhais (PR).
  TestOffice& Places();
  TestOffice& StreetType(int code, const std::string& name);
  TestOffice& City(const std::string& state, int code, const std::string& name);
  TestOffice& Department(int code, const std::string& name);

  TestOffice& Add(const Company& row);
  TestOffice& Add(const Establishment& row);
  TestOffice& Add(const DeliveryAddress& row);
  TestOffice& Add(const ProtocolSettings& row);
  TestOffice& Add(const RouteStop& row);
  TestOffice& Add(const User& row);
  TestOffice& Add(const Protocol& row);
  TestOffice& Add(const Item& row);
  TestOffice& Add(const Document& row);
  TestOffice& Add(const Movement& row);

  // `count` items numbered from 1, described "Item 1", "Item 2"...
  TestOffice& Items(int protocol, int count);

  // The usual office of a command test: Places, company 1 with its establishment 1 and one
  // protocol of March 2026 with one item.
  TestOffice& OneProtocol();

 private:
  void Insert(const std::string& table, const std::vector<std::string>& columns,
              const std::vector<Variant>& values);

  DatabaseEngine& FDatabase;
};

}  // namespace office
