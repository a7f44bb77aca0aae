#include "TjQuebra.h"

#include <algorithm>

#include "Exception.h"
#include "TjClientDataSet.h"

namespace {

struct Level {
  std::string Name;
  TField* Column = nullptr;
  TFuncTituloQuebra Title;
  TFuncTituloQuebra FooterName;
  int Indent = 0;

  bool Open = false;
  Variant Value;  // the break column's value of the open group
  std::string TitleText;
  std::string FooterText;  // the name in the group's total, taken when the group opens
  TjDoubleArray Totals;
};

}  // namespace

struct TjQuebra::Impl {
  std::vector<Level> Levels;
  std::vector<TField*> Totalisers;
  int PageLevel = -1;  // index in Levels of the page-break column, -1 for none

  TjClientDataSet* DataSet() const {
    if (!Levels.empty()) return &Levels.front().Column->DataSet();
    if (!Totalisers.empty()) return &Totalisers.front()->DataSet();
    return nullptr;
  }
};

TjQuebra::TjQuebra() : FImpl(std::make_unique<Impl>()) {}
TjQuebra::~TjQuebra() = default;

void TjQuebra::AddQuebra(const std::string& nome, TField* campo, TFuncTituloQuebra funcaoTitulo,
                         TFuncTituloQuebra funcaoRodape, int recuo, bool quebraPagina) {
  if (campo == nullptr) throw Exception("Quebra \"" + nome + "\" sem campo.");
  Level level;
  level.Name = nome;
  level.Column = campo;
  level.Title = std::move(funcaoTitulo);
  level.FooterName = std::move(funcaoRodape);
  level.Indent = std::max(recuo, 0);
  FImpl->Levels.push_back(std::move(level));
  if (quebraPagina) FImpl->PageLevel = static_cast<int>(FImpl->Levels.size()) - 1;
}

void TjQuebra::AddTotalizador(TField* campo) {
  if (campo == nullptr) throw Exception("Totalizador sem campo.");
  FImpl->Totalisers.push_back(campo);
}

void TjQuebra::SetFieldQuebraPagina(TField* campo) {
  if (campo == nullptr) {
    FImpl->PageLevel = -1;
    return;
  }
  const auto& levels = FImpl->Levels;
  const auto found = std::find_if(levels.begin(), levels.end(),
                                  [campo](const Level& level) { return level.Column == campo; });
  if (found == levels.end()) {
    throw Exception("O campo " + campo->FieldName() + " não é um campo de quebra.");
  }
  FImpl->PageLevel = static_cast<int>(found - levels.begin());
}

void TjQuebra::IniciarBloco() {
  auto& levels = FImpl->Levels;
  const int count = static_cast<int>(levels.size());

  // The outermost level whose group ends on this row; every level inside it ends too.
  int firstChanged = count;
  for (int i = 0; i < count; ++i) {
    if (!levels[i].Open || Variant::Compare(levels[i].Value, levels[i].Column->Value()) != 0) {
      firstChanged = i;
      break;
    }
  }

  const int pageLevel = FImpl->PageLevel;
  const bool pageEnds = pageLevel >= firstChanged && pageLevel < count && levels[pageLevel].Open;
  for (int i = count - 1; i >= firstChanged; --i) {
    Level& level = levels[i];
    if (!level.Open) continue;
    // Still open while its total prints: a total pushed to a new page reprints its own title.
    if (OnImprimirTotal)
      OnImprimirTotal(level.FooterText, pageEnds && i == firstChanged, level.Totals);
    level.Open = false;
  }
  if (pageEnds) {
    for (int i = 0; i < firstChanged; ++i) {
      if (OnImprimirTitulo) OnImprimirTitulo(levels[i].TitleText);
    }
  }
  for (int i = firstChanged; i < count; ++i) {
    Level& level = levels[i];
    level.Open = true;
    level.Value = level.Column->Value();
    level.TitleText = std::string(level.Indent, ' ') + (level.Title ? level.Title() : "");
    level.FooterText = level.FooterName ? level.FooterName() : level.Name;
    level.Totals.assign(FImpl->Totalisers.size(), 0.0);
    if (OnImprimirTitulo) OnImprimirTitulo(level.TitleText);
  }

  for (std::size_t t = 0; t < FImpl->Totalisers.size(); ++t) {
    const TField& column = *FImpl->Totalisers[t];
    const double value = column.IsNull() ? 0.0 : column.AsFloat();
    for (Level& level : levels) level.Totals[t] += value;
  }
}

void TjQuebra::ImprimirDetalhe() {
  if (OnImprimirDetalhe) OnImprimirDetalhe();
}

void TjQuebra::FinalizarBloco() {
  const TjClientDataSet* dataSet = FImpl->DataSet();
  if (dataSet == nullptr || dataSet->RecNo() < dataSet->RecordCount()) return;
  auto& levels = FImpl->Levels;
  for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
    if (!level->Open) continue;
    if (OnImprimirTotal) OnImprimirTotal(level->FooterText, false, level->Totals);
    level->Open = false;
  }
}

void TjQuebra::PrintCabecalho() {
  if (!OnImprimirTitulo) return;
  for (const Level& level : FImpl->Levels) {
    if (level.Open) OnImprimirTitulo(level.TitleText);
  }
}
