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

  virtual void CriarListaSectionsParaZebrar();
  virtual void CriarListaSectionsTrocaCor();
  virtual void RepInterno(TjDMReport* dmReport);
  virtual void ImprimirInterno();
  virtual void DoParamChange(TObject* Sender, TjxsParamItem* _AParam);
  virtual void DoParamEnter(TObject* Sender, TjxsParamItem* _AParam);
  virtual void DoParamExit(TObject* Sender, TjxsParamItem* _AParam);
  virtual void DoZebradoBeforeSection(TObject* Sender, int section);
  virtual void DepoisConfigurar(TWinControl* _AParent);
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
