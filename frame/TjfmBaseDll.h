// Base class of every report class. An instance lives for one run and is created for one
// report object. The virtual operations are declared in the order of the slots through which
// the host dispatches them; the constructor stands between RepInterno and ImprimirInterno.
#pragma once

#include <string>

#include "KdrApi.h"
#include "TObject.h"
#include "TjClientDataSet.h"
#include "TjfmReport.h"
#include "TjxsParamItem.h"
#include "TjxsPowerParam.h"

class TjDMReport;   // the host's report data module
class TWinControl;  // the parent window of the parameter form

class KDR_API TjfmBaseDll : public TObject {
 public:
  explicit TjfmBaseDll(TjfmReport* report);
  ~TjfmBaseDll() override;
  TjfmBaseDll(const TjfmBaseDll&) = delete;
  TjfmBaseDll& operator=(const TjfmBaseDll&) = delete;

  // The base bodies do nothing. A report overrides only what it needs; an override that does
  // nothing restates the base and is left out.
  //
  // The host runs a report in two steps, each with an instance of its own:
  //  1. The parameter form: an instance on a report object whose pages are discarded gets
  //     AntesConfigurar, then DepoisConfigurar (both with no parent window), then DoParamChange
  //     once for each parameter the run was given, in the order of the definition's
  //     parameters, with no Sender. The required and typed values are checked after it.
  //     The browser form of `kdr serve` does the same for each of the clerk's moves, in a
  //     process of its own, and then sends that move: DoParamEnter, DoParamChange or
  //     DoParamExit.
  //  2. The run: Imprimir creates a fresh instance on the real report object, calls
  //     ImprimirInterno and frees the instance, also when ImprimirInterno raises.

  // Never called by this host (a zebra-striping list).
  virtual void CriarListaSectionsParaZebrar();
  // Never called by this host (sections that change colour).
  virtual void CriarListaSectionsTrocaCor();
  // Never called by this host.
  virtual void RepInterno(TjDMReport* dmReport);
  // The report body; called once per run (step 2).
  virtual void ImprimirInterno();
  // Called on the form (step 1) for each parameter the run gives a value, and by the browser
  // form when the clerk changes a field.
  virtual void DoParamChange(TObject* Sender, TjxsParamItem* _AParam);
  // Called by the browser form (step 1) when the clerk enters a field.
  virtual void DoParamEnter(TObject* Sender, TjxsParamItem* _AParam);
  // Called by the browser form (step 1) when the clerk leaves a field.
  virtual void DoParamExit(TObject* Sender, TjxsParamItem* _AParam);
  // Never called by this host (zebra striping before a section prints).
  virtual void DoZebradoBeforeSection(TObject* Sender, int section);
  // Called on the form (step 1), after AntesConfigurar and before any DoParamChange; an
  // override calls the base first.
  virtual void DepoisConfigurar(TWinControl* _AParent);
  // Called on the form (step 1), first of all.
  virtual void AntesConfigurar(TWinControl* _AParent);

  TjfmReport* Report() const { return FReport; }

 protected:
  // The main data set the host opened from the report definition; null when there is none.
  TjClientDataSet* DataSet() const { return FReport->MainDataSet(); }
  TjxsPowerParam& GetParams() const { return FReport->GetParams(); }

  // Getter: the layout value of that name when the run set one, else the report parameter's
  // text, else an empty text. Setter: sets the layout value.
  std::string RepParam(const std::string& name) const;
  void RepParam(const std::string& name, const std::string& value);
  void RepPrintSection(int section);
  void RepEndOfPage(bool force);
  void RepShowProgress(int position, int total);

 private:
  TjfmReport* FReport;
};
