// The plug-in boundary holds by construction: every built plug-in exports its two entry points
// and nothing else, needs no drawing library, and every plug-in source includes frame headers
// or its own folder's headers only.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string CommandOutput(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return "";
  std::string output;
  char buffer[4096];
  while (const std::size_t read = fread(buffer, 1, sizeof buffer, pipe.get())) {
    output.append(buffer, read);
  }
  return output;
}

std::vector<fs::path> BuiltPlugins() {
  std::vector<fs::path> plugins;
  for (const auto& entry : fs::directory_iterator(KDR_PLUGIN_DIR)) {
    if (entry.path().extension() == ".so") plugins.push_back(entry.path());
  }
  return plugins;
}

// The plug-in folders of the source tree: each has a Registration.cpp.
std::vector<fs::path> PluginFolders() {
  std::vector<fs::path> folders;
  for (const auto& entry : fs::directory_iterator(KDR_SOURCE_DIR)) {
    if (fs::exists(entry.path() / "Registration.cpp")) folders.push_back(entry.path());
  }
  return folders;
}

}  // namespace

TEST(PluginBoundary, PluginsExportTheirEntryPointsAlone) {
  const std::vector<fs::path> plugins = BuiltPlugins();
  ASSERT_GE(plugins.size(), 4u);
  for (const fs::path& plugin : plugins) {
    std::set<std::string> exported;
    const std::string symbols =
        CommandOutput("nm -D --defined-only --format=just-symbols '" + plugin.string() + "'");
    std::size_t start = 0;
    for (std::size_t end; (end = symbols.find('\n', start)) != std::string::npos; start = end + 1) {
      exported.insert(symbols.substr(start, end - start));
    }
    exported.erase("KdrTesteDestruicoes");  // the test plug-in's probe
    EXPECT_EQ(exported, (std::set<std::string>{"ClassDll", "Imprimir"})) << plugin;
  }
}

TEST(PluginBoundary, PluginsAndTheRuntimeNeedNoDrawingLibrary) {
  for (const fs::path& plugin : BuiltPlugins()) {
    const std::string needed = CommandOutput("readelf -d '" + plugin.string() + "'");
    ASSERT_NE(needed.find("libkdrruntime"), std::string::npos) << plugin;
    for (const char* library : {"libcairo", "libpango", "libsqlite3"}) {
      EXPECT_EQ(needed.find(library), std::string::npos) << plugin << " needs " << library;
    }
  }
  const fs::path runtime = fs::path(KDR_PLUGIN_DIR).parent_path() / "lib" / "libkdrruntime.so";
  const std::string needed = CommandOutput("readelf -d '" + runtime.string() + "'");
  ASSERT_NE(needed.find("NEEDED"), std::string::npos) << runtime;
  for (const char* library : {"libcairo", "libpango", "libgdk_pixbuf"}) {
    EXPECT_EQ(needed.find(library), std::string::npos) << "the runtime needs " << library;
  }
}

TEST(PluginBoundary, PluginSourcesIncludeFrameHeadersOnly) {
  const fs::path frame = fs::path(KDR_SOURCE_DIR) / "frame";
  const std::vector<fs::path> folders = PluginFolders();
  ASSERT_GE(folders.size(), 3u);
  for (const fs::path& folder : folders) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      const std::string extension = entry.path().extension().string();
      if (extension != ".cpp" && extension != ".h") continue;
      std::ifstream source(entry.path());
      for (std::string line; std::getline(source, line);) {
        const auto open = line.find("#include \"");
        if (open == std::string::npos) continue;
        const std::string header = line.substr(open + 10, line.find('"', open + 10) - open - 10);
        const bool own = header.find('/') == std::string::npos &&
                         (fs::exists(frame / header) || fs::exists(folder / header));
        EXPECT_TRUE(own) << entry.path() << " includes \"" << header << "\"";
      }
    }
  }
}
