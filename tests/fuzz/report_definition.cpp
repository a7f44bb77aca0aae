// Report definitions as they would be read from reports/: any text is either a definition or
// refused with Exception naming the file and the problem.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "Exception.h"
#include "report/ReportDefinition.h"

namespace {

// Definitions are read from files: one per fuzzing process, in memory-backed /dev/shm, since a
// file on disk for every input slows the run twentyfold.
const std::string& DefinitionPath() {
  static const std::string path =
      "/dev/shm/kdr-fuzz-definition-" + std::to_string(getpid()) + ".json";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    std::ofstream out(DefinitionPath(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  try {
    const ReportDefinition definition = LoadReportDefinition(DefinitionPath());
    std::map<std::string, std::string> noValues;
    definition.SectionsFor(noValues);
  } catch (const Exception&) {
  }
  std::remove(DefinitionPath().c_str());
  return 0;
}
