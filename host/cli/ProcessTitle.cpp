#include "cli/ProcessTitle.h"

#include <cstring>
#include <string_view>

void HidePasswordsFromProcessTitle(int argc, char** argv) {
  for (int index = 1; index < argc; ++index) {
    char* argument = argv[index];
    const std::string_view text(argument);
    const auto scheme = text.find("://");
    if (scheme == std::string_view::npos) continue;
    const auto authorityEnd = text.find('/', scheme + 3);
    const auto at = text.rfind('@', authorityEnd);
    if (at == std::string_view::npos || at < scheme) continue;
    const auto colon = text.find(':', scheme + 3);
    if (colon == std::string_view::npos || colon > at) continue;
    std::memset(argument + colon + 1, '*', at - colon - 1);
  }
}
