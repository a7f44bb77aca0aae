#include "render/SourceDate.h"

#include <cerrno>
#include <cstdlib>
#include <string>

#include "Exception.h"

std::optional<std::time_t> SourceDateEpoch() {
  const char* value = std::getenv("SOURCE_DATE_EPOCH");
  if (value == nullptr || *value == '\0') return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const long long seconds = std::strtoll(value, &end, 10);
  std::tm utc{};
  const auto time = static_cast<std::time_t>(seconds);
  if (errno != 0 || *end != '\0' || seconds < 0 || gmtime_r(&time, &utc) == nullptr) {
    throw Exception(std::string("SOURCE_DATE_EPOCH inválido: ") + value);
  }
  return time;
}
