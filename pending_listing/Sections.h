// Sections of the pending listing's layout (reports/KdrProtocolosNaoBaixados.json names each
// the same way).
#pragma once

namespace nao_baixados {

constexpr int kSecaoCabecalhoPagina = 1;
constexpr int kSecaoLinhaData = 9;  // detail row of the launch-date plan
constexpr int kSecaoTituloQuebra = 10;
constexpr int kSecaoSeparador = 11;
constexpr int kSecaoTotalQuebra = 12;
constexpr int kSecaoLinhaFilialUsuario = 13;  // detail row of the branch and user plans
constexpr int kSecaoLinhaEmpresa = 14;
constexpr int kSecaoTitulosData = 15;
constexpr int kSecaoTitulosFilialUsuario = 16;
constexpr int kSecaoTitulosEmpresa = 17;

}  // namespace nao_baixados
