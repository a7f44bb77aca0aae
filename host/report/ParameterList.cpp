#include "report/ParameterList.h"

#include <cctype>
#include <cstdint>
#include <limits>
#include <optional>

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

std::string CaptionOf(const TjxsParamItem& item) {
  return Trim(item.Caption()).empty() ? item.Name() : item.Caption();
}

[[noreturn]] void RefuseValue(const TjxsParamItem& item, const std::string& value,
                              const std::string& advice) {
  // Enough of the value to recognise it; the advice after it must not drown.
  constexpr int shown = 60;
  const std::string echoed = CharCount(value) > shown ? LeftChars(value, shown) + "..." : value;
  throw EjxsError("Valor inválido para " + CaptionOf(item) + " (" + item.Name() + "): \"" + echoed +
                  "\". " + advice);
}

// The integer the text holds, in the range reports read integers with.
std::optional<int> IntegerOf(const std::string& text) {
  const std::int64_t zero = StrToInt64Def(text, 0);
  if (zero != StrToInt64Def(text, 1)) return std::nullopt;  // not a number at all
  if (zero < std::numeric_limits<int>::min() || zero > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(zero);
}

void CheckInteger(TjxsParamItem& item) {
  const std::string text = Trim(item.Value());
  if (text.empty()) {
    item.SetValue(text);
    return;
  }
  const std::optional<int> number = IntegerOf(text);
  if (!number) {
    RefuseValue(item, item.Value(),
                "Informe um número inteiro de " + std::to_string(std::numeric_limits<int>::min()) +
                    " a " + std::to_string(std::numeric_limits<int>::max()) + ".");
  }
  item.SetValue(std::to_string(*number));
}

void CheckChoice(TjxsParamItem& item) {
  const std::string text = Trim(item.Value());
  const TStringList& choices = item.Choices();
  std::string allowed;
  for (int i = 0; i < choices.Count(); ++i) {
    if (choices.ValueFromIndex(i) == text) {
      item.SetValue(text);
      return;
    }
    allowed +=
        (allowed.empty() ? "" : ", ") + choices.ValueFromIndex(i) + " (" + choices.Names(i) + ")";
  }
  if (text.empty()) {
    item.SetValue(text);
    return;
  }
  RefuseValue(
      item, item.Value(),
      allowed.empty() ? "Deixe vazio." : "Use um destes valores: " + allowed + "; ou deixe vazio.");
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

void CheckParameterValues(TjxsPowerParam& params) {
  for (const auto& item : params.Items()) {
    if (item->Type() == "integer") CheckInteger(*item);
    if (item->Type() == "choice") CheckChoice(*item);
  }
}

std::map<std::string, std::string> ParameterValues(const TjxsPowerParam& params) {
  std::map<std::string, std::string> values;
  for (const auto& item : params.Items()) values[item->Name()] = item->Value();
  return values;
}
