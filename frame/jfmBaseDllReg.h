// The registration unit compiled into every plug-in: the module's class reference FClassDll,
// set when the library loads, and the two exports the host calls.
#pragma once

#include <cstdint>

#include "KdrApi.h"
#include "TjfmBaseDllClass.h"

// Each plug-in defines this: its report class reference, built on first use.
const TjfmBaseDllClass& jfmRegisteredClass();

// The plug-in's report class; null only before the library's load step ran.
extern const TjfmBaseDllClass* FClassDll;

// Names and signatures of the exports, for the host that loads them.
using TClassDllFunction = const TjfmBaseDllClass* (*)();
using TImprimirFunction = void (*)(std::intptr_t report);

KDR_PLUGIN_EXPORT const TjfmBaseDllClass* ClassDll();
// Prints the report on the report object at `report` (a pointer-sized address): checks that
// it is a live report object, creates one instance of the registered class, runs its body and
// frees the instance whatever happens. Exceptions reach the caller unchanged.
KDR_PLUGIN_EXPORT void Imprimir(std::intptr_t report);
