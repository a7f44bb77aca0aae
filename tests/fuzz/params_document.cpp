// --params documents: any text is either an object of names to text or refused with
// UsageError.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/ParamsDocument.h"
#include "run/UsageError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    ParseParamsDocument(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const UsageError&) {
  }
  return 0;
}
