// The sections of the document movement layout (reports/KdrMovimentacaoDoc.json names each
// one the same way).
#pragma once

namespace movimentacao {

constexpr int kSecaoCabecalhoPagina = 1;
// The company header, printed by the report header right after the page header.
constexpr int kSecaoCabecalhoEmpresa = 8;
constexpr int kSecaoDocumento = 9;
constexpr int kSecaoMovimento = 10;
// The closing rule under a document's movements.
constexpr int kSecaoFimDocumento = 11;

}  // namespace movimentacao
