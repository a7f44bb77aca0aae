// Dates and date-times read from text as users and databases write them.
#pragma once

#include <optional>
#include <string>

#include "TDateTime.h"

namespace date_text {

// "dd/mm/yyyy" (also "d/m/yy") or ISO "yyyy-mm-dd"; impossible dates give nothing.
std::optional<TDateTime> ParseDate(const std::string& text);
// A date as above, optionally followed by a time "hh:nn" or "hh:nn:ss" (fractions of a second
// allowed), separated by a blank or by ISO's 'T'.
std::optional<TDateTime> ParseDateTime(const std::string& text);
// Only ISO "yyyy-mm-dd", optionally with a time as above: the form the database keeps, where a
// "dd/mm/yyyy" would be ambiguous.
std::optional<TDateTime> ParseIsoDateTime(const std::string& text);
// "yyyy-mm-dd", or "yyyy-mm-dd hh:nn:ss" when the value has a time of day: how the database
// keeps dates and date-times as text.
std::string ToIsoText(TDateTime value);

}  // namespace date_text
