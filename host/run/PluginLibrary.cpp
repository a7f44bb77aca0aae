#include "run/PluginLibrary.h"

#include <dlfcn.h>

#include <cstdint>
#include <string>

#include "Exception.h"

namespace {

std::string LastLoaderError() {
  const char* error = dlerror();
  return error != nullptr ? error : "erro desconhecido";
}

}  // namespace

PluginLibrary::PluginLibrary(const std::filesystem::path& path) {
  if (!std::filesystem::exists(path)) {
    throw Exception("Plug-in não encontrado: " + path.string());
  }
  // RTLD_LOCAL keeps each plug-in's registration unit to itself. RTLD_NODELETE keeps the code
  // mapped after the handle is closed: an exception a report raised may still be on its way to
  // the caller, and its strings and handlers may live in the plug-in.
  FHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (FHandle == nullptr) {
    throw Exception("Não foi possível carregar o plug-in " + path.string() + ": " +
                    LastLoaderError());
  }
  FClassDll = reinterpret_cast<TClassDllFunction>(dlsym(FHandle, "ClassDll"));
  FImprimir = reinterpret_cast<TImprimirFunction>(dlsym(FHandle, "Imprimir"));
  if (FClassDll == nullptr || FImprimir == nullptr) {
    dlclose(FHandle);
    throw Exception("O plug-in " + path.string() + " não exporta ClassDll e Imprimir.");
  }
}

PluginLibrary::~PluginLibrary() {
  dlclose(FHandle);
}

const TjfmBaseDllClass& PluginLibrary::ReportClass() const {
  const TjfmBaseDllClass* reportClass = FClassDll();
  if (reportClass == nullptr) throw Exception("FClassDll está nil.");
  return *reportClass;
}

void PluginLibrary::Imprimir(TjfmReport& report) const {
  FImprimir(reinterpret_cast<std::intptr_t>(&report));
}
