#include "serve/OutputStore.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "Exception.h"
#include "cli/SystemReason.h"

namespace {

std::filesystem::path MakePrivateFolder(const std::filesystem::path& pattern) {
  std::string text = pattern.string();
  if (::mkdtemp(text.data()) == nullptr) {
    throw Exception("Não foi possível criar a pasta temporária " + pattern.parent_path().string() +
                    ": " + SystemReason(errno));
  }
  return text;
}

// Ids name a preview in its links: unguessable, so that another site's page cannot name one.
std::string RandomId() {
  static thread_local std::random_device device;
  std::string id;
  for (int i = 0; i < 4; ++i) {
    char part[9];
    std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(device()));
    id += part;
  }
  return id;
}

}  // namespace

std::string ReadStoredFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

ScratchFolder::~ScratchFolder() {
  if (FPath.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(FPath, ignored);
}

OutputStore::OutputStore(std::size_t kept)
    : FRoot(MakePrivateFolder(std::filesystem::temp_directory_path() / "kdr-serve-XXXXXX")),
      FKept(kept) {}

OutputStore::~OutputStore() {
  {
    const std::lock_guard lock(FMutex);
    FRuns.clear();
  }
  std::error_code ignored;
  std::filesystem::remove_all(FRoot, ignored);
}

ScratchFolder OutputStore::NewFolder() {
  return ScratchFolder(MakePrivateFolder(FRoot / "XXXXXX"));
}

std::string OutputStore::Keep(ScratchFolder folder, StoredRun run) {
  const std::lock_guard lock(FMutex);
  std::string id = RandomId();
  FRuns.emplace(id, Entry{std::move(folder), std::move(run), FNextOrder++});
  while (FRuns.size() > FKept) {
    auto oldest = FRuns.begin();
    for (auto it = FRuns.begin(); it != FRuns.end(); ++it) {
      if (it->second.Order < oldest->second.Order) oldest = it;
    }
    FRuns.erase(oldest);
  }
  return id;
}

std::optional<StoredRun> OutputStore::Find(const std::string& id) const {
  const std::lock_guard lock(FMutex);
  const auto found = FRuns.find(id);
  if (found == FRuns.end()) return std::nullopt;
  return found->second.Run;
}

std::filesystem::path OutputStore::FolderOf(const std::string& id) const {
  const std::lock_guard lock(FMutex);
  const auto found = FRuns.find(id);
  return found == FRuns.end() ? std::filesystem::path() : found->second.Folder.Path();
}

bool OutputStore::Remove(const std::string& id) {
  const std::lock_guard lock(FMutex);
  return FRuns.erase(id) > 0;
}
