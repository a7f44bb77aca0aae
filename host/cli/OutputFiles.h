// Output files written atomically: each is written under a temporary name in its folder and
// renamed into place only when the whole run succeeded. Dropped without Commit, they are
// removed, so a failed run never leaves a partial file behind.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

class OutputFiles {
 public:
  OutputFiles() = default;
  ~OutputFiles();
  OutputFiles(const OutputFiles&) = delete;
  OutputFiles& operator=(const OutputFiles&) = delete;

  // Opens a new file that will become `path`; raises Exception when it cannot be created.
  std::ostream& Create(const std::filesystem::path& path);
  // Writes a whole file that will become `path` and closes it at once, so that a run of many
  // pages does not hold a descriptor per page.
  void Write(const std::filesystem::path& path, const std::string& bytes);
  // Closes every file and renames it into place.
  void Commit();

 private:
  struct Pending {
    std::filesystem::path Final;
    std::filesystem::path Temporary;
    std::unique_ptr<std::ofstream> Stream;
  };
  std::vector<Pending> FFiles;
  bool FCommitted = false;
};
