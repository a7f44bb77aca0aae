// The server's temporary output: one private folder (mode 0700) holding a folder per run or
// form call. Previews are kept while the page may still show them: until the page lets them
// go, until newer ones push the oldest out, or until the server stops; the rest goes as soon as
// its answer is sent.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// The whole content of a file of the store; empty when it cannot be read.
std::string ReadStoredFile(const std::filesystem::path& path);

// A folder of the store, removed with everything in it when it goes out of scope.
class ScratchFolder {
 public:
  explicit ScratchFolder(std::filesystem::path path) : FPath(std::move(path)) {}
  ~ScratchFolder();
  ScratchFolder(ScratchFolder&& other) noexcept : FPath(std::move(other.FPath)) {
    other.FPath.clear();
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ScratchFolder& operator=(ScratchFolder&&) = delete;
  const std::filesystem::path& Path() const { return FPath; }

 private:
  std::filesystem::path FPath;
};

// A preview the page shows: its pages, messages, and what a download of another format
// needs to run the same report again.
struct StoredRun {
  std::string Report;
  std::string Parameters;  // the run's --params document
  int Pages = 0;
  std::vector<std::string> Messages;
};

class OutputStore {
 public:
  // Creates the private folder under the system's temporary folder; keeps up to `kept` runs.
  explicit OutputStore(std::size_t kept);
  ~OutputStore();  // removes the folder and everything in it
  OutputStore(const OutputStore&) = delete;
  OutputStore& operator=(const OutputStore&) = delete;

  const std::filesystem::path& Root() const { return FRoot; }
  ScratchFolder NewFolder();

  // Keeps a finished preview with its folder under a new random id; the oldest kept run goes
  // when there are too many.
  std::string Keep(ScratchFolder folder, StoredRun run);
  std::optional<StoredRun> Find(const std::string& id) const;
  // The folder of a kept run; empty when there is none.
  std::filesystem::path FolderOf(const std::string& id) const;
  bool Remove(const std::string& id);

 private:
  struct Entry {
    ScratchFolder Folder;
    StoredRun Run;
    std::uint64_t Order;
  };

  std::filesystem::path FRoot;
  std::size_t FKept;
  mutable std::mutex FMutex;
  std::map<std::string, Entry> FRuns;
  std::uint64_t FNextOrder = 0;
};
