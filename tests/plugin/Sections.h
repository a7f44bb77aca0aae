// Sections of the test report's layout (reports/KdrTeste.json names each the same way).
#pragma once

namespace teste {

constexpr int kSecaoCabecalhoPagina = 1;
// The protocol heading: its number, description and establishment.
constexpr int kSecaoProtocolo = 2;
// One line of an item's wrapped description; the last carries the value and due date.
constexpr int kSecaoItem = 3;
// A protocol's total.
constexpr int kSecaoTotal = 4;
// Column titles, under every page header.
constexpr int kSecaoTitulosItens = 8;

}  // namespace teste
