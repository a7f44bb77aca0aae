// Sections of the company receipt's layout (reports/KdrProtocoloEmpresa.json names each the
// same way).
#pragma once

namespace protocolo_empresa {

constexpr int kSecaoCabecalhoPagina = 1;
// An item line; a wrapped description prints its first lines in it too.
constexpr int kSecaoItem = 10;
// The signature block closing a protocol's items.
constexpr int kSecaoFechamento = 11;
// A protocol's header: company, establishment and address.
constexpr int kSecaoCabecalhoEstab = 12;

}  // namespace protocolo_empresa
