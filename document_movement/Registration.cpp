// The plug-in's report class and the operations it publishes to the host.
#include <utility>
#include <vector>

#include "TKdrMovimentacaoDoc.h"
#include "TjfmBaseDllClass.h"
#include "jfmBaseDllReg.h"

const TjfmBaseDllClass& jfmRegisteredClass() {
  static const TjfmBaseDllClass reportClass = [] {
    std::vector<TMethodInfo> methods = TjfmBaseDllClass::StandardMethods();
    methods.push_back({"CarregarMovimentacao", {}, "", false});
    methods.push_back(
        {"DoAfterSection", {{"Sender", "TObject"}, {"Section", "Integer"}}, "", false});
    return TjfmBaseDllClass::Of<TKdrMovimentacaoDoc>("TKdrMovimentacaoDoc", std::move(methods));
  }();
  return reportClass;
}
