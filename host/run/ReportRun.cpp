#include "run/ReportRun.h"

#include <new>

#include "DataAccess.h"
#include "Exception.h"
#include "SysUtils.h"
#include "data/StatementParameters.h"
#include "report/ParameterList.h"
#include "report/ReportWriter.h"
#include "run/Locations.h"
#include "run/UsageError.h"

namespace {

// A misspelt parameter name is a mistake in the call, not in the report.
void RejectUnknownParameters(const ReportDefinition& definition,
                             const std::map<std::string, std::string>& given) {
  for (const auto& entry : given) {
    bool known = false;
    for (const auto& parameter : definition.Parameters)
      known |= SameText(parameter.Name, entry.first);
    if (!known) {
      throw UsageError("o relatório " + definition.Name + " não tem o parâmetro " + entry.first);
    }
  }
}

Variant ParameterValue(const TjxsParamItem& item) {
  const std::string text = Trim(item.Value());
  if (item.Type() == "date") {
    const TDateTime date = StrToDateDef(text, TDateTime());
    if (date.IsZero()) {
      throw EjxsError("Data inválida em " + item.Caption() + ": \"" + item.Value() + "\"");
    }
    return date;
  }
  if (item.Type() == "integer") {
    const std::int64_t fallback = -1;
    const std::int64_t number = StrToInt64Def(text, fallback);
    if (number == fallback && text != "-1") {
      throw EjxsError("Número inválido em " + item.Caption() + ": \"" + item.Value() + "\"");
    }
    return number;
  }
  return text;
}

void SendEvent(TjfmBaseDll& form, TjxsParamItem& item, FormEvent::Kind what) {
  switch (what) {
    case FormEvent::Kind::Enter:
      form.DoParamEnter(nullptr, &item);
      break;
    case FormEvent::Kind::Change:
      form.DoParamChange(nullptr, &item);
      break;
    case FormEvent::Kind::Exit:
      form.DoParamExit(nullptr, &item);
      break;
  }
}

// The parameter form before the run: a configuration instance gets the form's hooks, then the
// given parameters are entered in the form's order, each followed by its change event, as a clerk
// fills the form in: a change that refills or clears a later field (the listings' ordering after
// their grouping) comes before that field's own value is entered. A last event, when there is
// one, comes after all of them: the clerk's latest move, whose effects nothing overrides (its
// field's change is not also replayed in order).
void ReplayParameterForm(const TjfmBaseDllClass& reportClass, TjfmReport& report,
                         const std::map<std::string, std::string>& given,
                         const std::optional<FormEvent>& last = std::nullopt) {
  TjxsPowerParam& params = report.GetParams();
  TjxsParamItem* lastItem = nullptr;
  if (last) {
    lastItem = params.Find(last->Field);
    if (lastItem == nullptr) throw UsageError("o formulário não tem o campo " + last->Field);
  }
  std::unique_ptr<TjfmBaseDll> form = reportClass.Create(&report);
  form->AntesConfigurar(nullptr);
  form->DepoisConfigurar(nullptr);
  std::vector<std::string> entered;  // each value as the form shows it
  for (const auto& item : params.Items()) entered.push_back(item->Value());
  std::size_t position = 0;
  for (const auto& item : params.Items()) {
    const std::string& value = entered[position++];
    const bool changedLast = lastItem == item.get() && last->What == FormEvent::Kind::Change;
    for (const auto& entry : given) {
      if (!SameText(entry.first, item->Name())) continue;
      item->SetValue(value);
      if (!changedLast) form->DoParamChange(nullptr, item.get());
    }
  }
  if (lastItem != nullptr) SendEvent(*form, *lastItem, last->What);
}

// The form discards what it prints: it works on a report object of its own.
class DiscardingSink : public PageSink {
  void Begin(const DocumentInfo&) override {}
  void AddPage(const Page&) override {}
  void End(const std::vector<Message>&) override {}
};

}  // namespace

MainStatement BuildMainStatement(const ReportDefinition& definition, TjxsPowerParam& params) {
  MainStatement statement;
  std::string filters;
  for (const StatementFilter& filter : definition.Filters) {
    const std::string expression = Trim(params.GetValues(filter.Parameter));
    if (!expression.empty()) filters += FilterInterval({filter.Column}, expression, {1}, true, 1);
  }
  statement.Text = definition.Statement;
  if (const auto at = statement.Text.find("{filters}"); at != std::string::npos) {
    statement.Text.replace(at, 9, filters);
  }
  const NamedParameters named =
      RewriteNamedParameters(statement.Text, PlaceholderStyle::NumberedQuestionMark);
  for (const std::string& name : named.Names) {
    const TjxsParamItem* item = params.Find(name);
    if (item == nullptr) {
      throw Exception("A consulta do relatório " + definition.Name + " usa o parâmetro :" + name +
                      ", que a definição não declara.");
    }
    statement.Values.push_back(ParameterValue(*item));
  }
  return statement;
}

ReportRun::ReportRun(const std::string& report) {
  const auto definitionPath = DefinitionPath(report);
  if (!std::filesystem::exists(definitionPath)) {
    throw UsageError("Relatório desconhecido: " + report + " (sem definição em " +
                     definitionPath.string() + ")");
  }
  FDefinition = LoadReportDefinition(definitionPath.string());
  FPlugin = std::make_unique<PluginLibrary>(PluginPath(report));
}

RunResult ReportRun::Run(const std::map<std::string, std::string>& given, PageSink& sink,
                         const FontMetrics& metrics, ProgressReporter* progress) const {
  // A report asked for absurd work (a huge number of copies, a giant text) may exhaust the
  // memory anywhere in the run. By the time this handler runs, the run's data sets, pages and
  // report objects are released, so there is room again to say so plainly.
  try {
    return RunChecked(given, sink, metrics, progress);
  } catch (const std::bad_alloc&) {
    throw Exception("Memória insuficiente para executar o relatório " + FDefinition.Name +
                    ". Restrinja a seleção (datas, empresas, vias) e tente de novo.");
  }
}

std::unique_ptr<TjxsPowerParam> ReportRun::FormAfter(
    const std::map<std::string, std::string>& given, const std::optional<FormEvent>& last,
    const FontMetrics& metrics) const {
  RejectUnknownParameters(FDefinition, given);
  std::unique_ptr<TjxsPowerParam> params = BuildParameterList(FDefinition, given);
  DiscardingSink discard;
  ReportWriter form(FDefinition, *params, nullptr, metrics, discard, nullptr);
  ReplayParameterForm(FPlugin->ReportClass(), form, given, last);
  return params;
}

RunResult ReportRun::RunChecked(const std::map<std::string, std::string>& given, PageSink& sink,
                                const FontMetrics& metrics, ProgressReporter* progress) const {
  RejectUnknownParameters(FDefinition, given);
  std::unique_ptr<TjxsPowerParam> params = BuildParameterList(FDefinition, given);
  const TjfmBaseDllClass& reportClass = FPlugin->ReportClass();

  {
    DiscardingSink discard;
    ReportWriter form(FDefinition, *params, nullptr, metrics, discard, nullptr);
    ReplayParameterForm(reportClass, form, given);
  }
  CheckRequiredParameters(*params);
  CheckParameterValues(*params);

  std::unique_ptr<TjClientDataSet> mainDataSet;
  if (!Trim(FDefinition.Statement).empty()) {
    const MainStatement statement = BuildMainStatement(FDefinition, *params);
    mainDataSet = ExecutarSQL(statement.Text, statement.Values);
  }

  ReportWriter writer(FDefinition, *params, mainDataSet.get(), metrics, sink, progress);
  writer.Begin(reportClass.Versao());
  FPlugin->Imprimir(writer);
  writer.Finish();
  if (progress != nullptr) progress->Done();
  return {writer.Messages(), writer.PageCount()};
}
