// Output files written atomically: each is written under a temporary name in its folder and
// renamed into place only when the whole run succeeded, all of them or none. Dropped without
// Commit, or on an interrupting signal, the temporary files are removed, so a failed run never
// leaves a partial file behind and leaves every earlier file as it was.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class OutputFiles {
 public:
  OutputFiles();
  ~OutputFiles();
  OutputFiles(const OutputFiles&) = delete;
  OutputFiles& operator=(const OutputFiles&) = delete;

  // A file that no output may replace or remove (the database the run reads): naming it,
  // directly, through a link or as another name of the same file, raises UsageError.
  void Protect(const std::filesystem::path& path);
  // Raises UsageError when `path` is, or would write to, a protected file.
  void CheckNotProtected(const std::filesystem::path& path) const;

  // Opens a new file that will become `path` (a symbolic link's target, the link kept); a
  // device or pipe is written in place. Raises Exception naming the path and the system's
  // reason when it cannot be created, or when `path` is a folder.
  std::ostream& Create(const std::filesystem::path& path);
  // Writes a whole file that will become `path` and closes it at once, so that a run of many
  // pages does not hold a descriptor per page.
  void Write(const std::filesystem::path& path, const std::string& bytes);
  // An earlier file that the run's result no longer has (a page beyond the last): removed by
  // Commit, in the same step as the new files are put in place.
  void RemoveOnCommit(const std::filesystem::path& path);
  // Raises the write failure of a file, naming it and the system's reason, if one failed.
  void ThrowIfWriteFailed() const;
  // Closes every file and puts them all in place; on failure, every file stays as it was.
  void Commit();

  // Where writing `path` ends: the target of a symbolic link (followed to its end), else path.
  static std::filesystem::path FollowLinks(const std::filesystem::path& path);

 private:
  class FileBuffer;
  struct Pending {
    std::filesystem::path Shown;  // as the user named it
    std::filesystem::path Final;
    std::filesystem::path Temporary;  // empty when written in place
    std::unique_ptr<FileBuffer> Buffer;
    std::unique_ptr<std::ostream> Stream;
  };
  struct FileId {
    dev_t Device;
    ino_t Inode;
  };
  bool IsProtected(const std::filesystem::path& path) const;
  void FinishWriting(Pending& file);

  std::vector<Pending> FFiles;
  std::vector<std::filesystem::path> FRemovals;
  std::vector<FileId> FProtected;
  int FNextTemporary = 0;
  bool FCommitted = false;
};
