// A class reference to a report class: what the host reaches through ClassDll. It answers the
// class-level Versao without an instance, creates instances for a report object (the virtual
// constructor) and describes the class's public operations.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "TjfmBaseDll.h"
#include "TjfmReport.h"

struct TMethodParam {
  std::string Name;
  std::string Type;
};

struct TMethodInfo {
  std::string Name;
  std::vector<TMethodParam> Params;
  std::string Result;  // empty for a procedure
  bool Virtual = false;
};

class TjfmBaseDllClass {
 public:
  using Factory = std::unique_ptr<TjfmBaseDll> (*)(TjfmReport* report);
  using VersionFunction = std::string (*)();

  TjfmBaseDllClass(std::string className, VersionFunction versao, Factory create,
                   std::vector<TMethodInfo> methods)
      : FClassName(std::move(className)),
        FVersao(versao),
        FCreate(create),
        FMethods(std::move(methods)) {}

  const std::string& ClassName() const { return FClassName; }
  std::string Versao() const { return FVersao(); }
  std::unique_ptr<TjfmBaseDll> Create(TjfmReport* report) const { return FCreate(report); }
  const std::vector<TMethodInfo>& Methods() const { return FMethods; }

  // The class reference of a report class T with a static Versao() and a constructor taking
  // the report object.
  template <class T>
  static TjfmBaseDllClass Of(std::string className, std::vector<TMethodInfo> methods) {
    return TjfmBaseDllClass(
        std::move(className), &T::Versao,
        [](TjfmReport* report) -> std::unique_ptr<TjfmBaseDll> {
          return std::make_unique<T>(report);
        },
        std::move(methods));
  }

  // The operations every report class publishes: Versao, ImprimirInterno and the three
  // parameter events.
  static std::vector<TMethodInfo> StandardMethods() {
    const std::vector<TMethodParam> event = {{"Sender", "TObject"}, {"_AParam", "TjxsParamItem"}};
    return {{"Versao", {}, "string", true},
            {"ImprimirInterno", {}, "", true},
            {"DoParamChange", event, "", true},
            {"DoParamEnter", event, "", true},
            {"DoParamExit", event, "", true}};
  }

 private:
  std::string FClassName;
  VersionFunction FVersao;
  Factory FCreate;
  std::vector<TMethodInfo> FMethods;
};
