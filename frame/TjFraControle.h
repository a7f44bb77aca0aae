// The parameter form's editor of one parameter: its value as text or integer and, for a choice
// editor, its list of choices ("Caption=value" lines) that reports clear and refill.
#pragma once

#include <string>

#include "KdrApi.h"
#include "TObject.h"
#include "TStringList.h"

class TjxsParamItem;

class KDR_API TjFraControle : public TObject {
 public:
  explicit TjFraControle(TjxsParamItem& item) : FItem(item) {}

  std::string GetAsString() const;
  // The value as an integer, 0 when it is not one.
  int GetAsInteger() const;
  void SetAsInteger(int value);
  void SetAsString(const std::string& value);

  TStringList& GetFieldDefinicao();
  // Shows the refilled choices; a value that is no longer among them is cleared, as a combo
  // box loses its selection.
  void RefreshChoices();

 private:
  TjxsParamItem& FItem;
};
