// The plug-in's report class and the operations it publishes to the host.
#include <utility>
#include <vector>

#include "TKdrProtocolosNaoBaixados.h"
#include "TjfmBaseDllClass.h"
#include "jfmBaseDllReg.h"

const TjfmBaseDllClass& jfmRegisteredClass() {
  static const TjfmBaseDllClass reportClass = [] {
    std::vector<TMethodInfo> methods = TjfmBaseDllClass::StandardMethods();
    methods.push_back({"DepoisConfigurar", {{"_AParent", "TWinControl"}}, "", true});
    return TjfmBaseDllClass::Of<TKdrProtocolosNaoBaixados>("TKdrProtocolosNaoBaixados",
                                                           std::move(methods));
  }();
  return reportClass;
}
