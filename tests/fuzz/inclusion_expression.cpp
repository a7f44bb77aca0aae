// Inclusion expressions as a user types them into a code parameter: any text either parses into
// ranges whose first code is not above the last, or is refused with EjxsError.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "Exception.h"
#include "data/InclusionExpression.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    for (const CodeRange& range : ParseInclusionExpression(text)) {
      if (range.First > range.Last) std::abort();
    }
  } catch (const EjxsError&) {
  }
  return 0;
}
