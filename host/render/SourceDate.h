// The time a document is stamped with when the build asks for reproducible output:
// SOURCE_DATE_EPOCH, seconds since 1970 UTC.
#pragma once

#include <ctime>
#include <optional>

// The time SOURCE_DATE_EPOCH gives, or none when it is unset or empty (the document then takes
// the time of the run). Raises Exception when it is set to anything but seconds since 1970.
std::optional<std::time_t> SourceDateEpoch();
