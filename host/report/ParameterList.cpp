#include "report/ParameterList.h"

#include <cctype>

#include "Exception.h"
#include "SysUtils.h"

namespace {

bool LooksLikeIsoDate(const std::string& text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

// An ISO date becomes dd/mm/yyyy; anything else is kept for the report to judge.
std::string FormText(const ParameterDefinition& definition, const std::string& text) {
  if (definition.Type != "date" || !LooksLikeIsoDate(text)) return text;
  const TDateTime invalid(-1e9);
  const TDateTime date = StrToDateDef(text, invalid);
  return date == invalid ? text : DateToStr(date);
}

const std::string* FindGiven(const std::map<std::string, std::string>& given,
                             const std::string& name) {
  for (const auto& [givenName, text] : given) {
    if (SameText(givenName, name)) return &text;
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<TjxsPowerParam> BuildParameterList(
    const ReportDefinition& definition, const std::map<std::string, std::string>& given) {
  for (const auto& [name, text] : given) {
    bool known = false;
    for (const ParameterDefinition& parameter : definition.Parameters) {
      known = known || SameText(parameter.Name, name);
    }
    if (!known) {
      throw EjxsError("Parâmetro desconhecido no relatório " + definition.Name + ": " + name);
    }
  }
  auto params = std::make_unique<TjxsPowerParam>();
  for (const ParameterDefinition& parameter : definition.Parameters) {
    const std::string* text = FindGiven(given, parameter.Name);
    auto item = std::make_unique<TjxsParamItem>(
        parameter.Name, parameter.Caption, parameter.Type,
        text != nullptr ? FormText(parameter, *text) : parameter.Default, parameter.Required);
    for (const std::string& choice : parameter.Choices) item->Choices().Add(choice);
    params->Add(std::move(item));
  }
  return params;
}

void CheckRequiredParameters(const TjxsPowerParam& params) {
  for (const auto& item : params.Items()) {
    if (!item->Required() || !item->Enabled() || !Trim(item->Value()).empty()) continue;
    const std::string caption = Trim(item->Caption()).empty() ? item->Name() : item->Caption();
    throw EjxsError("Parâmetro obrigatório não informado: " + caption + " (" + item->Name() + ")");
  }
}

std::map<std::string, std::string> ParameterValues(const TjxsPowerParam& params) {
  std::map<std::string, std::string> values;
  for (const auto& item : params.Items()) values[item->Name()] = item->Value();
  return values;
}
