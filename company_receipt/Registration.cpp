// The plug-in's report class, as the host reaches it through ClassDll.
#include "TKdrProtocoloEmpresa.h"
#include "jfmBaseDllReg.h"

const TjfmBaseDllClass& jfmRegisteredClass() {
  static const TjfmBaseDllClass reportClass = TjfmBaseDllClass::Of<TKdrProtocoloEmpresa>(
      "TKdrProtocoloEmpresa", TjfmBaseDllClass::StandardMethods());
  return reportClass;
}
