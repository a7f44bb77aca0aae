// Sections of the protocol print's layouts (reports/KdrProtocolo.json names each the same way,
// in the compact and the large layout alike).
#pragma once

namespace protocolo {

// The block header: the establishment the protocol goes to. The page header of every page,
// and printed again for the second block of a page.
constexpr int kSecaoCabecalhoBloco = 1;
// The heading over the items, printed after each block header.
constexpr int kSecaoTituloItens = 8;
constexpr int kSecaoTitulosItensDuasColunas = 9;
constexpr int kSecaoItemDuasColunas = 10;
// The footer the client signs, closing a block.
constexpr int kSecaoRodape = 11;
constexpr int kSecaoTitulosItensUmaColuna = 12;
constexpr int kSecaoItemUmaColuna = 13;
// The cut line between the two blocks of a compact page.
constexpr int kSecaoRecorte = 14;
// The space before the second block of a page.
constexpr int kSecaoEspacoEntreBlocos = 16;

}  // namespace protocolo
