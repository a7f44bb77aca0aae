// The plug-in's report class and the operations it publishes to the host.
#include <utility>
#include <vector>

#include "TKdrRotaEntrega.h"
#include "TjfmBaseDllClass.h"
#include "jfmBaseDllReg.h"

const TjfmBaseDllClass& jfmRegisteredClass() {
  static const TjfmBaseDllClass reportClass = [] {
    std::vector<TMethodInfo> methods = TjfmBaseDllClass::StandardMethods();
    methods.push_back({"ImprimirEndereco",
                       {{"_ACodigoEmpresa", "Integer"}, {"_ACodigoEstab", "Integer"}},
                       "",
                       false});
    return TjfmBaseDllClass::Of<TKdrRotaEntrega>("TKdrRotaEntrega", std::move(methods));
  }();
  return reportClass;
}
