// Small helpers that several report plug-ins need for reading parameter texts and filling
// message templates. Header-only: compiled into each plug-in, so nothing here is exported.
#pragma once

#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace kdr {

// The integer a parameter text holds, blanks around it allowed; nothing when the text is
// empty or holds anything else (a form's text "abc" is not 0). Blanks are what the host's Trim
// removes: spaces and control characters.
inline std::optional<std::int64_t> LerInteiro(const std::string& texto) {
  const auto branco = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  const char* primeiro = texto.data();
  const char* ultimo = texto.data() + texto.size();
  while (primeiro != ultimo && branco(*primeiro)) ++primeiro;
  while (ultimo != primeiro && branco(*(ultimo - 1))) --ultimo;
  if (primeiro == ultimo) return std::nullopt;
  // A sign of its own is allowed once: "+-1" is no number.
  if (*primeiro == '+' && ++primeiro != ultimo && *primeiro == '-') return std::nullopt;
  std::int64_t valor = 0;
  const auto [resto, erro] = std::from_chars(primeiro, ultimo, valor);
  if (erro != std::errc() || resto != ultimo) return std::nullopt;
  return valor;
}

// The integer a parameter text holds when it fits an int; nothing otherwise, so that a
// number too large for the report is refused rather than cut.
inline std::optional<int> LerInt(const std::string& texto) {
  const auto valor = LerInteiro(texto);
  if (!valor || *valor < std::numeric_limits<int>::min() ||
      *valor > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(*valor);
}

// The parameter text as an int, or `padrao` when it holds no integer of that size.
inline int LerInteiroDef(const std::string& texto, int padrao) {
  return LerInt(texto).value_or(padrao);
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
