// The run's parameter list: built from a report definition and the values a run was given,
// and checked once the parameter form has been replayed.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "TjxsPowerParam.h"
#include "report/ReportDefinition.h"

// One entry per parameter of the definition, in its order. A given text wins over the
// default (names are matched without regard to case); a date given as yyyy-mm-dd is held as
// dd/mm/yyyy, as the form would hold it. Raises EjxsError for a given name the definition
// does not know, so that a misspelt name is not silently ignored.
std::unique_ptr<TjxsPowerParam> BuildParameterList(const ReportDefinition& definition,
                                                   const std::map<std::string, std::string>& given);

// Raises EjxsError "Parâmetro obrigatório não informado: <Caption> (<name>)" for the first
// required parameter that is empty. A disabled editor cannot be filled in, so it is skipped.
void CheckRequiredParameters(const TjxsPowerParam& params);

// Checks every value by its parameter's type, so that a run never starts on a value the report
// would silently read as something else. An integer parameter takes an integer (32 bits, the
// width reports read it with), a choice parameter one of the values of its current choices;
// both may be empty. Both are held trimmed afterwards, integers in plain digits, so that every
// report reads them alike. Dates and inclusion expressions are left to the reports, whose own
// messages say what is wrong with them. Raises EjxsError "Valor inválido para <Caption>
// (<name>): ..." for the first value that is refused.
void CheckParameterValues(TjxsPowerParam& params);

// Name to current text of every parameter (what ReportDefinition::SectionsFor takes).
std::map<std::string, std::string> ParameterValues(const TjxsPowerParam& params);
