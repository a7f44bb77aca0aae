// Report definitions as they would be read from reports/: any text is either a definition or
// refused with Exception naming the file and the problem.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "Exception.h"
#include "report/ReportDefinition.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const ReportDefinition definition = ParseReportDefinition(
        std::string(reinterpret_cast<const char*>(data), size), "reports/KdrFuzz.json");
    const std::map<std::string, std::string> noValues;
    definition.SectionsFor(noValues);
  } catch (const Exception&) {
  }
  return 0;
}
