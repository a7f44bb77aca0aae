#include "jfmBaseDllReg.h"

#include <cstdio>
#include <string>

#include "Exception.h"

const TjfmBaseDllClass* FClassDll = nullptr;

namespace {

// The load step: runs when the library is loaded, after the modules it depends on.
struct LoadStep {
  LoadStep() { FClassDll = &jfmRegisteredClass(); }
} loadStep;

std::string NotAReportMessage(std::intptr_t report) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08X",
                static_cast<unsigned>(static_cast<std::uint32_t>(report)));
  return std::string("Erro: Endereço: ") + digits + " nao é de relatório.";
}

}  // namespace

const TjfmBaseDllClass* ClassDll() {
  return FClassDll;
}

void Imprimir(std::intptr_t report) {
  // Only the registry is asked: an unknown address is never dereferenced.
  const void* address = reinterpret_cast<const void*>(report);
  if (address == nullptr || !TjfmReport::IsLiveReport(address)) {
    throw Exception(NotAReportMessage(report));
  }
  if (FClassDll == nullptr) throw Exception("FClassDll está nil.");
  // The registry holds TjfmReport addresses, so the cast is exact.
  auto* reportObject = const_cast<TjfmReport*>(static_cast<const TjfmReport*>(address));
  std::unique_ptr<TjfmBaseDll> instance = FClassDll->Create(reportObject);
  instance->ImprimirInterno();  // the instance is freed on every path by its owner
}
