// A loaded report plug-in: the library handle (closed when this object goes) and its two
// exports.
#pragma once

#include <filesystem>

#include "TjfmReport.h"
#include "jfmBaseDllReg.h"

class PluginLibrary {
 public:
  // Raises Exception naming the file when it cannot be loaded or lacks an export.
  explicit PluginLibrary(const std::filesystem::path& path);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  // The registered report class; raises Exception when the library registered none.
  const TjfmBaseDllClass& ReportClass() const;
  // Calls the export with the report object's address.
  void Imprimir(TjfmReport& report) const;
  // The raw exports, for callers that pass arbitrary addresses.
  TClassDllFunction ClassDllExport() const { return FClassDll; }
  TImprimirFunction ImprimirExport() const { return FImprimir; }

 private:
  void* FHandle = nullptr;
  TClassDllFunction FClassDll = nullptr;
  TImprimirFunction FImprimir = nullptr;
};
