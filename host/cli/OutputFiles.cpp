#include "cli/OutputFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <streambuf>
#include <system_error>

#include "Exception.h"
#include "cli/InterruptCleanup.h"
#include "cli/SystemReason.h"
#include "run/UsageError.h"

namespace fs = std::filesystem;

// A buffered file descriptor that keeps the system's reason for the first failed write, which a
// std::ofstream loses.
class OutputFiles::FileBuffer : public std::streambuf {
 public:
  explicit FileBuffer(int descriptor) : FDescriptor(descriptor), FBuffer(1 << 16) { Reset(); }
  ~FileBuffer() override {
    if (FDescriptor >= 0) ::close(FDescriptor);
  }
  FileBuffer(const FileBuffer&) = delete;
  FileBuffer& operator=(const FileBuffer&) = delete;

  bool IsOpen() const { return FDescriptor >= 0; }
  int Error() const { return FError; }
  // Writes what is buffered and closes; false, with Error() set, when anything failed.
  bool Close() {
    bool written = Drain();
    if (::close(FDescriptor) != 0 && written) {
      FError = errno;
      written = false;
    }
    FDescriptor = -1;
    return written;
  }

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return Drain() ? 0 : -1; }

 private:
  void Reset() { setp(FBuffer.data(), FBuffer.data() + FBuffer.size()); }
  bool Drain() {
    if (FError != 0 || FDescriptor < 0) return false;
    for (const char* next = pbase(); next < pptr();) {
      const ssize_t written = ::write(FDescriptor, next, static_cast<size_t>(pptr() - next));
      if (written < 0) {
        if (errno == EINTR) continue;
        FError = errno;
        return false;
      }
      next += written;
    }
    Reset();
    return true;
  }

  int FDescriptor;
  int FError = 0;
  std::vector<char> FBuffer;
};

namespace {

[[noreturn]] void WriteFailure(const fs::path& shown, int error) {
  throw Exception("Não foi possível gravar " + shown.string() + ": " + SystemReason(error));
}

bool Exists(const fs::path& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0;
}

}  // namespace

OutputFiles::OutputFiles() = default;

OutputFiles::~OutputFiles() {
  if (FCommitted) return;
  const InterruptsHeld held;
  for (Pending& file : FFiles) {
    file.Stream.reset();
    file.Buffer.reset();
    if (!file.Temporary.empty()) ::unlink(file.Temporary.c_str());
  }
  ForgetTemporaryFiles();
}

fs::path OutputFiles::FollowLinks(const fs::path& path) {
  fs::path target = path;
  // As many links as the system itself follows; a loop ends in a failure to open.
  for (int depth = 0; depth < 40; ++depth) {
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(target, error))) break;
    const fs::path next = fs::read_symlink(target, error);
    if (error) break;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target;
}

void OutputFiles::Protect(const fs::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0) FProtected.push_back({status.st_dev, status.st_ino});
}

bool OutputFiles::IsProtected(const fs::path& path) const {
  struct stat status {};
  if (::stat(FollowLinks(path).c_str(), &status) != 0) return false;
  for (const FileId& id : FProtected) {
    if (id.Device == status.st_dev && id.Inode == status.st_ino) return true;
  }
  return false;
}

void OutputFiles::CheckNotProtected(const fs::path& path) const {
  if (IsProtected(path)) {
    throw UsageError("a saída " + path.string() +
                     " é o próprio banco de dados do relatório; escolha outro arquivo");
  }
}

std::ostream& OutputFiles::Create(const fs::path& path) {
  if (path.empty()) throw UsageError("o nome do arquivo de saída está vazio");
  CheckNotProtected(path);
  Pending file;
  file.Shown = path;
  file.Final = FollowLinks(path);
  struct stat status {};
  if (::stat(file.Final.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    if (S_ISDIR(status.st_mode)) WriteFailure(path, EISDIR);
    // A device or a pipe (/dev/null, a named pipe) is written as it is: renaming a file over it
    // would replace the device itself, and there is no earlier content to keep.
    const int descriptor = ::open(file.Final.c_str(), O_WRONLY | O_CLOEXEC);
    if (descriptor < 0) WriteFailure(path, errno);
    file.Buffer = std::make_unique<FileBuffer>(descriptor);
    file.Stream = std::make_unique<std::ostream>(file.Buffer.get());
    FFiles.push_back(std::move(file));
    return *FFiles.back().Stream;
  }
  const fs::path folder = file.Final.has_parent_path() ? file.Final.parent_path() : fs::path(".");
  int descriptor = -1;
  // A name of our own, never an existing file or link that someone left in the folder.
  for (int attempt = 0; descriptor < 0; ++attempt) {
    file.Temporary = folder / ("." + file.Final.filename().string() + ".tmp-" +
                               std::to_string(getpid()) + "-" + std::to_string(FNextTemporary++));
    const InterruptsHeld held;  // created and registered as one step
    descriptor = ::open(file.Temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor >= 0) {
      RegisterTemporaryFile(file.Temporary.string());
    } else if (errno != EEXIST || attempt > 100) {
      WriteFailure(path, errno);
    }
  }
  file.Buffer = std::make_unique<FileBuffer>(descriptor);
  file.Stream = std::make_unique<std::ostream>(file.Buffer.get());
  FFiles.push_back(std::move(file));
  return *FFiles.back().Stream;
}

void OutputFiles::Write(const fs::path& path, const std::string& bytes) {
  std::ostream& out = Create(path);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  FinishWriting(FFiles.back());
}

void OutputFiles::RemoveOnCommit(const fs::path& path) {
  CheckNotProtected(path);
  FRemovals.push_back(path);
}

void OutputFiles::FinishWriting(Pending& file) {
  if (!file.Buffer->IsOpen()) return;
  if (!file.Buffer->Close()) WriteFailure(file.Shown, file.Buffer->Error());
}

void OutputFiles::ThrowIfWriteFailed() const {
  for (const Pending& file : FFiles) {
    if (file.Buffer->Error() != 0) WriteFailure(file.Shown, file.Buffer->Error());
  }
}

void OutputFiles::Commit() {
  for (Pending& file : FFiles) FinishWriting(file);

  // Each replaced or removed file is kept under a second name until every step succeeded, so
  // that a failure part way puts everything back. No interruption may cut the steps in two.
  const InterruptsHeld held;
  struct Step {
    fs::path Final;
    fs::path Backup;      // empty when there was no earlier file
    fs::path NewContent;  // the temporary file put in place; empty for a removal
  };
  std::vector<Step> done;
  const auto backupName = [&](const fs::path& final) {
    const fs::path folder = final.has_parent_path() ? final.parent_path() : fs::path(".");
    return folder / ("." + final.filename().string() + ".old-" + std::to_string(getpid()) + "-" +
                     std::to_string(done.size()));
  };
  const auto undo = [&done] {
    for (auto step = done.rbegin(); step != done.rend(); ++step) {
      if (!step->NewContent.empty()) ::rename(step->Final.c_str(), step->NewContent.c_str());
      if (!step->Backup.empty()) ::rename(step->Backup.c_str(), step->Final.c_str());
    }
  };
  for (Pending& file : FFiles) {
    if (file.Temporary.empty()) continue;  // written in place
    Step step{file.Final, {}, file.Temporary};
    if (Exists(file.Final)) {
      step.Backup = backupName(file.Final);
      // A second link keeps the earlier file in place until the new one replaces it.
      if (::link(file.Final.c_str(), step.Backup.c_str()) != 0) {
        const int error = errno;
        undo();
        WriteFailure(file.Shown, error);
      }
    }
    if (::rename(file.Temporary.c_str(), file.Final.c_str()) != 0) {
      const int error = errno;
      if (!step.Backup.empty()) ::unlink(step.Backup.c_str());
      undo();
      WriteFailure(file.Shown, error);
    }
    done.push_back(step);
  }
  for (const fs::path& removal : FRemovals) {
    if (!Exists(removal)) continue;
    Step step{removal, backupName(removal), {}};
    if (::rename(removal.c_str(), step.Backup.c_str()) != 0) {
      const int error = errno;
      undo();
      throw Exception("Não foi possível remover " + removal.string() + ": " + SystemReason(error));
    }
    done.push_back(step);
  }
  for (const Step& step : done) {
    if (!step.Backup.empty()) ::unlink(step.Backup.c_str());
  }
  ForgetTemporaryFiles();
  FCommitted = true;
}
