#include "TjfmBaseDll.h"

#include "Exception.h"

TjfmBaseDll::TjfmBaseDll(TjfmReport* report) : FReport(report) {
  if (report == nullptr) throw Exception("Classe de relatório criada sem objeto de relatório");
}

TjfmBaseDll::~TjfmBaseDll() {
  // A plug-in that forgot to detach its handler must not leave the report pointing at a freed
  // instance; the registry check keeps this safe if the report went first.
  if (TjfmReport::IsLiveReport(FReport)) FReport->OnAfterSection = nullptr;
}

void TjfmBaseDll::CriarListaSectionsParaZebrar() {}
void TjfmBaseDll::CriarListaSectionsTrocaCor() {}
void TjfmBaseDll::RepInterno(TjDMReport*) {}
void TjfmBaseDll::ImprimirInterno() {}
void TjfmBaseDll::DoParamChange(TObject*, TjxsParamItem*) {}
void TjfmBaseDll::DoParamEnter(TObject*, TjxsParamItem*) {}
void TjfmBaseDll::DoParamExit(TObject*, TjxsParamItem*) {}
void TjfmBaseDll::DoZebradoBeforeSection(TObject*, int) {}
void TjfmBaseDll::DepoisConfigurar(TWinControl*) {}
void TjfmBaseDll::AntesConfigurar(TWinControl*) {}

std::string TjfmBaseDll::RepParam(const std::string& name) const {
  // A layout value set to an empty text counts as unset, as the document treats it.
  std::string value = FReport->GetLayoutValue(name);
  if (!value.empty()) return value;
  return FReport->GetParams().GetValues(name);
}

void TjfmBaseDll::RepParam(const std::string& name, const std::string& value) {
  FReport->SetLayoutValue(name, value);
}

void TjfmBaseDll::RepPrintSection(int section) {
  FReport->RepPrintSection(section);
}

void TjfmBaseDll::RepEndOfPage(bool force) {
  FReport->RepEndOfPage(force);
}

void TjfmBaseDll::RepShowProgress(int position, int total) {
  FReport->CSLShowProgress(position, total);
}
