// One entry of the report's parameter list: its definition and its current text value.
#pragma once

#include <memory>
#include <string>

#include "KdrApi.h"
#include "TObject.h"
#include "TStringList.h"

class TjFraControle;

class KDR_API TjxsParamItem : public TObject {
 public:
  // Names are short strings: at most MaxNameLength characters.
  static constexpr int MaxNameLength = 128;

  TjxsParamItem(std::string name, std::string caption, std::string type, std::string value,
                bool required);
  ~TjxsParamItem() override;

  const std::string& Name() const { return FName; }
  const std::string& Caption() const { return FCaption; }
  // "date", "integer", "text", "choice" or "codes" (an inclusion expression).
  const std::string& Type() const { return FType; }

  const std::string& Value() const { return FValue; }
  void SetValue(std::string value) { FValue = std::move(value); }
  bool Required() const { return FRequired; }
  void SetRequired(bool required) { FRequired = required; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool enabled) { FEnabled = enabled; }
  // Choice lines "Caption=value" of a choice parameter.
  TStringList& Choices() { return FChoices; }
  const TStringList& Choices() const { return FChoices; }

  // The form's editor of this parameter.
  TjFraControle& Control() { return *FControl; }

 private:
  std::string FName;
  std::string FCaption;
  std::string FType;
  std::string FValue;
  bool FRequired;
  bool FEnabled = true;
  TStringList FChoices;
  std::unique_ptr<TjFraControle> FControl;
};
