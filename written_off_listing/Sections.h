// Sections of the written-off listing's layout (reports/KdrBaixaProtocolo.json names each the
// same way).
#pragma once

namespace baixa_protocolo {

constexpr int kSecaoCabecalhoPagina = 1;
constexpr int kSecaoLinhaData = 9;  // detail row of the write-off-date plan
constexpr int kSecaoTituloQuebra = 10;
constexpr int kSecaoSeparador = 11;
constexpr int kSecaoTotalQuebra = 12;
constexpr int kSecaoLinhaFilialUsuario = 13;  // detail row of the branch and user plans
constexpr int kSecaoLinhaEmpresa = 14;
constexpr int kSecaoTitulosData = 15;
constexpr int kSecaoTitulosFilialUsuario = 16;
constexpr int kSecaoTitulosEmpresa = 17;
constexpr int kSecaoCabecalhoItens = 18;
constexpr int kSecaoTitulosItensDuasColunas = 19;
constexpr int kSecaoItemDuasColunas = 20;
constexpr int kSecaoTitulosItensUmaColuna = 21;
constexpr int kSecaoItemUmaColuna = 22;

}  // namespace baixa_protocolo
