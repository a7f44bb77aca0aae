#include "serve/FormState.h"

#include "DataAccess.h"
#include "Exception.h"
#include "SysUtils.h"
#include "cli/ParamsDocument.h"
#include "report/ParameterList.h"
#include "run/UsageError.h"

using nlohmann::json;

namespace {

std::optional<FormEvent> EventOf(const json& event) {
  if (event.is_null()) return std::nullopt;
  if (!event.is_object() || !event.value("kind", json()).is_string()) {
    throw UsageError("evento do formulário inválido: use {\"kind\": ..., \"field\": ...}");
  }
  const std::string kind = event["kind"].get<std::string>();
  if (kind == "open") return std::nullopt;
  FormEvent result;
  if (kind == "enter") {
    result.What = FormEvent::Kind::Enter;
  } else if (kind == "change") {
    result.What = FormEvent::Kind::Change;
  } else if (kind == "exit") {
    result.What = FormEvent::Kind::Exit;
  } else {
    throw UsageError("evento desconhecido: " + kind + " (open, enter, change ou exit)");
  }
  if (!event.value("field", json()).is_string()) throw UsageError("o evento precisa de field");
  result.Field = event["field"].get<std::string>();
  return result;
}

std::string HintOf(const std::string& type) {
  if (type == "date") return "dd/mm/aaaa";
  if (type == "codes") return "códigos e intervalos separados por vírgula, ex.: 1,3,10-20";
  if (type == "integer") return "número inteiro";
  return "";
}

// What the run would say of this value before the report starts, or of a date the report will
// read; empty when nothing.
std::string ProblemOf(const TjxsParamItem& item) {
  const std::string text = Trim(item.Value());
  if (text.empty() || !item.Enabled()) return "";
  if (item.Type() == "date") {
    return StrToDateDef(text, TDateTime()).IsZero() ? "Data inválida: use dd/mm/aaaa" : "";
  }
  try {
    if (item.Type() == "codes") {
      // The check the run's statement filters make.
      FilterInterval({"CODIGO"}, text, {1}, true, 1);
    } else if (item.Type() == "integer" || item.Type() == "choice") {
      // The run's own check, on a list holding this value alone.
      TjxsPowerParam single;
      TjxsParamItem& copy = single.Add(std::make_unique<TjxsParamItem>(
          item.Name(), item.Caption(), item.Type(), item.Value(), false));
      for (const std::string& choice : item.Choices()) copy.Choices().Add(choice);
      CheckParameterValues(single);
    }
  } catch (const EjxsError& error) {
    return error.what();
  }
  return "";
}

}  // namespace

FormRequest ParseFormRequest(const std::string& text) {
  const json request = json::parse(text, nullptr, false);
  if (!request.is_object()) throw UsageError("o pedido do formulário não é um objeto JSON");
  FormRequest result;
  // Values follow the rules of a --params document, so the form holds what a run would take.
  if (request.contains("values")) result.Values = ParseParamsDocument(request["values"].dump());
  result.Event = EventOf(request.value("event", json()));
  return result;
}

json FormStateJson(const ReportDefinition& definition, const TjxsPowerParam& params) {
  json fields = json::array();
  for (const auto& item : params.Items()) {
    json choices = json::array();
    const TStringList& lines = item->Choices();
    for (int i = 0; i < lines.Count(); ++i) {
      choices.push_back({{"caption", lines.Names(i)}, {"value", lines.ValueFromIndex(i)}});
    }
    fields.push_back({{"name", item->Name()},
                      {"type", item->Type()},
                      {"caption", item->Caption()},
                      {"value", item->Value()},
                      {"choices", choices},
                      {"enabled", item->Enabled()},
                      {"required", item->Required()},
                      {"hint", HintOf(item->Type())},
                      {"problem", ProblemOf(*item)}});
  }
  return {{"report", definition.Name}, {"title", definition.Title}, {"fields", fields}};
}
