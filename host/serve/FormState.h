// The parameter form of a report as the page shows it: each field's value, choices, enabled and
// required flags after the plug-in's events, with a hint and the problem of its value. The
// server asks a `kdr form` child for it, so that no plug-in is ever loaded in the server.
#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "TjxsPowerParam.h"
#include "run/ReportRun.h"

// The request of `kdr form`: {"values": {name: text}, "event": {"kind", "field"}}, where kind
// is open (no event), enter, change or exit. Raises UsageError naming what is wrong.
struct FormRequest {
  std::map<std::string, std::string> Values;
  std::optional<FormEvent> Event;
};
FormRequest ParseFormRequest(const std::string& text);

// {"report", "title", "fields": [{"name", "type", "caption", "value", "choices": [{"caption",
// "value"}], "enabled", "required", "hint", "problem"}]}; problem is empty when the value
// would pass the run's checks.
nlohmann::json FormStateJson(const ReportDefinition& definition, const TjxsPowerParam& params);
