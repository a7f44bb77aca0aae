// Small helpers that several report plug-ins need for reading parameter texts and filling
// message templates. Header-only: compiled into each plug-in, so nothing here is exported.
#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kdr {

// The integer a parameter text holds, blanks around it allowed; nothing when the text is
// empty or holds anything else (a form's text "abc" is not 0).
inline std::optional<std::int64_t> LerInteiro(const std::string& texto) {
  const auto inicio = texto.find_first_not_of(' ');
  if (inicio == std::string::npos) return std::nullopt;
  const auto fim = texto.find_last_not_of(' ') + 1;
  const char* primeiro = texto.data() + inicio;
  const char* ultimo = texto.data() + fim;
  if (*primeiro == '+') ++primeiro;
  std::int64_t valor = 0;
  const auto [resto, erro] = std::from_chars(primeiro, ultimo, valor);
  if (erro != std::errc() || resto != ultimo) return std::nullopt;
  return valor;
}

// The parameter text as an int, or `padrao` when it holds no integer of that size.
inline int LerInteiroDef(const std::string& texto, int padrao) {
  const auto valor = LerInteiro(texto);
  if (!valor || *valor < INT32_MIN || *valor > INT32_MAX) return padrao;
  return static_cast<int>(*valor);
}

// The template with each "%s", in order, replaced by the next of `partes`; marks beyond the
// parts stay as they are.
inline std::string PreencherModelo(const std::string& modelo,
                                   const std::vector<std::string>& partes) {
  std::string texto;
  std::size_t inicio = 0;
  for (const std::string& parte : partes) {
    const std::size_t marca = modelo.find("%s", inicio);
    if (marca == std::string::npos) break;
    texto.append(modelo, inicio, marca - inicio).append(parte);
    inicio = marca + 2;
  }
  return texto.append(modelo, inicio, std::string::npos);
}

}  // namespace kdr
