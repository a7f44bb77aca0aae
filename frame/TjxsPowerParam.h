// The report's parameter list, as the parameter form edits it and reports read it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "KdrApi.h"
#include "TObject.h"
#include "TjFraControle.h"
#include "TjxsParamItem.h"

class KDR_API TjxsPowerParam : public TObject {
 public:
  TjxsPowerParam();
  ~TjxsPowerParam() override;

  TjxsParamItem& Add(std::unique_ptr<TjxsParamItem> item);
  // Without regard to case; null when absent.
  TjxsParamItem* Find(const std::string& name);
  const std::vector<std::unique_ptr<TjxsParamItem>>& Items() const { return FItems; }

  // Text of a parameter; empty when the list has no such parameter.
  std::string GetValues(const std::string& name) const;
  // Raises EjxsError when the list has no such parameter.
  void SetValues(const std::string& name, const std::string& value);
  // The parameter's editor; raises EjxsError when the list has no such parameter.
  TjFraControle* EdFindFieldControl(const std::string& name);
  void EdEnabledField(const std::string& name, bool enabled);
  void EdRequiredField(const std::string& name, bool required);

 private:
  std::vector<std::unique_ptr<TjxsParamItem>> FItems;
};
