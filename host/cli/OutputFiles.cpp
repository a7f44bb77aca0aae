#include "cli/OutputFiles.h"

#include <unistd.h>

#include <system_error>

#include "Exception.h"

OutputFiles::~OutputFiles() {
  if (FCommitted) return;
  for (Pending& file : FFiles) {
    file.Stream.reset();
    std::error_code ignored;
    std::filesystem::remove(file.Temporary, ignored);
  }
}

std::ostream& OutputFiles::Create(const std::filesystem::path& path) {
  const auto folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  if (!std::filesystem::is_directory(folder)) {
    throw Exception("Pasta de saída inexistente: " + folder.string());
  }
  Pending file;
  file.Final = path;
  file.Temporary = folder / ("." + path.filename().string() + ".tmp-" + std::to_string(getpid()) +
                             "-" + std::to_string(FFiles.size()));
  file.Stream = std::make_unique<std::ofstream>(file.Temporary, std::ios::binary | std::ios::trunc);
  if (!*file.Stream) throw Exception("Não foi possível criar o arquivo " + path.string());
  FFiles.push_back(std::move(file));
  return *FFiles.back().Stream;
}

void OutputFiles::Write(const std::filesystem::path& path, const std::string& bytes) {
  std::ostream& out = Create(path);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Pending& file = FFiles.back();
  file.Stream->close();
  if (file.Stream->fail()) throw Exception("Falha ao gravar o arquivo " + path.string());
}

void OutputFiles::Commit() {
  for (Pending& file : FFiles) {
    if (!file.Stream->is_open()) continue;  // written whole already
    file.Stream->flush();
    const bool written = static_cast<bool>(*file.Stream);
    file.Stream->close();
    if (!written) throw Exception("Falha ao gravar o arquivo " + file.Final.string());
  }
  for (Pending& file : FFiles) {
    std::error_code error;
    std::filesystem::rename(file.Temporary, file.Final, error);
    if (error) {
      throw Exception("Não foi possível gravar " + file.Final.string() + ": " + error.message());
    }
  }
  FCommitted = true;
}
