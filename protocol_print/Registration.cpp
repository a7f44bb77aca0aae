// The plug-in's report class and the operations it publishes to the host.
#include "TKdrProtocolo.h"
#include "TjfmBaseDllClass.h"
#include "jfmBaseDllReg.h"

const TjfmBaseDllClass& jfmRegisteredClass() {
  static const TjfmBaseDllClass reportClass = [] {
    std::vector<TMethodInfo> methods = TjfmBaseDllClass::StandardMethods();
    methods.push_back({"MontarSQL", {}, "", false});
    methods.push_back({"ImpressaoLogoEmpresa", {}, "", false});
    methods.push_back({"ImpressaoCabecalho",
                       {{"_ACodigoEmpresa", "Integer"},
                        {"_ACodigoEstab", "Integer"},
                        {"_AFlagImprimeCab", "Boolean"},
                        {"_ACompet", "TDateTime"}},
                       "",
                       false});
    methods.push_back({"LimparParametros", {{"_AColuna", "Integer"}}, "", false});
    methods.push_back({"DoAdd", {{"Sender", "TObject"}, {"Section", "Integer"}}, "", false});
    return TjfmBaseDllClass::Of<TKdrProtocolo>("TKdrProtocolo", std::move(methods));
  }();
  return reportClass;
}
