#include "data/EngineMessages.h"

#include "Exception.h"

std::string WriteRefusedMessage(const std::string& reason) {
  return "Comando recusado: um relatório só lê o banco de dados, e este comando o alteraria (" +
         reason + ")";
}

void FailColumnValue(const std::string& column, const std::string& shown, const char* kind,
                     const std::string& statement) {
  throw EDatabaseError("Valor \"" + shown + "\" da coluna " + column + " não é " + kind +
                       "\nComando: " + statement);
}
