// Sections of the route sheet's layouts (reports/KdrRotaEntrega.json names each the same way).
#pragma once

namespace rota_entrega {

constexpr int kSecaoCabecalhoPagina = 1;
// Column titles of the establishment lines, under every page header of the detailed form.
constexpr int kSecaoTituloEstab = 8;
// The headings of the route lines, under every page header.
constexpr int kSecaoTituloRota = 9;
constexpr int kSecaoRota = 10;
constexpr int kSecaoEstab = 11;
constexpr int kSecaoEndereco = 12;
constexpr int kSecaoObservacao = 13;
// The rule between one route's establishments and the next route.
constexpr int kSecaoSeparador = 14;

}  // namespace rota_entrega
