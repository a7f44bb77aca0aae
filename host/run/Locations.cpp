#include "run/Locations.h"

#include <cstdlib>
#include <system_error>

namespace {

std::filesystem::path ExecutableDirectory() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::current_path();
  return self.parent_path();
}

std::filesystem::path FromEnvironmentOr(const char* variable, const char* sibling) {
  if (const char* value = std::getenv(variable); value != nullptr && *value != '\0') {
    return value;
  }
  return ExecutableDirectory().parent_path() / sibling;
}

}  // namespace

std::filesystem::path PluginDirectory() {
  return FromEnvironmentOr("KDR_PLUGIN_PATH", "plugins");
}

std::filesystem::path ReportsDirectory() {
  return FromEnvironmentOr("KDR_REPORTS_PATH", "reports");
}

std::filesystem::path PluginPath(const std::string& report) {
#if defined(_WIN32)
  return PluginDirectory() / (report + ".dll");
#else
  return PluginDirectory() / (report + ".so");
#endif
}

std::filesystem::path DefinitionPath(const std::string& report) {
  return ReportsDirectory() / (report + ".json");
}
