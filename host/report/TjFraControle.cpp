#include "TjFraControle.h"

#include "SysUtils.h"
#include "TjxsParamItem.h"

std::string TjFraControle::GetAsString() const {
  return FItem.Value();
}

int TjFraControle::GetAsInteger() const {
  return StrToIntDef(FItem.Value(), 0);
}

void TjFraControle::SetAsInteger(int value) {
  FItem.SetValue(std::to_string(value));
}

void TjFraControle::SetAsString(const std::string& value) {
  FItem.SetValue(value);
}

TStringList& TjFraControle::GetFieldDefinicao() {
  return FItem.Choices();
}

void TjFraControle::RefreshChoices() {
  // Only a choice editor (a combo box) loses its selection; free-text editors have no list.
  const TStringList& choices = FItem.Choices();
  if (FItem.Type() != "choice" && choices.Count() == 0) return;
  if (FItem.Value().empty()) return;
  for (int i = 0; i < choices.Count(); ++i) {
    if (choices.ValueFromIndex(i) == FItem.Value()) return;
  }
  FItem.SetValue("");
}
