#include "data/EngineMessages.h"

std::string WriteRefusedMessage(const std::string& reason) {
  return "Comando recusado: um relatório só lê o banco de dados, e este comando o alteraria (" +
         reason + ")";
}
