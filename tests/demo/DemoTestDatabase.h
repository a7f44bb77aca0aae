// A test database the demo generator fills, read back with SQLite's own API.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "demo/DemoDatabase.h"
#include "support/TestDatabase.h"

class DemoTestDatabase : public TestDatabase {
 public:
  // With `withTables` false the file has no tables, as a database the generator must refuse.
  explicit DemoTestDatabase(bool withTables = true)
      : TestDatabase(withTables ? Tables::Office : Tables::None) {}

  void Fill(int protocols, const std::function<void(long long, long long)>& progress = nullptr) {
    DemoOptions options;
    options.Protocols = protocols;
    FillDemoDatabase(Engine(), options, progress);
  }
};

// The tables the demo data fills.
inline const std::vector<std::string>& DemoTables() {
  static const std::vector<std::string> tables = {"EMPRESA",
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
                                                  "PROTOCOLODOCMOVIMENTO"};
  return tables;
}
