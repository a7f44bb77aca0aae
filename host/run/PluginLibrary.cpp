#include "run/PluginLibrary.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

#include "Exception.h"

namespace {

std::string LastLoaderError() {
  const char* error = dlerror();
  return error != nullptr ? error : "erro desconhecido";
}

// Whether [offset, offset + length) lies inside a file of `size` bytes, without overflowing.
bool Inside(std::uint64_t offset, std::uint64_t length, std::uint64_t size) {
  return offset <= size && length <= size - offset;
}

std::string Truncated(std::uint64_t size, const std::string& what) {
  return "arquivo truncado: tem " + std::to_string(size) + " bytes, menos do que " + what +
         " exige";
}

template <typename Record>
bool ReadAt(std::ifstream& file, std::uint64_t offset, Record& record) {
  file.seekg(static_cast<std::streamoff>(offset));
  return static_cast<bool>(file.read(reinterpret_cast<char*>(&record), sizeof record));
}

// The loader maps a library's segments straight from the file: a file cut short (a copy
// interrupted, a full disk) maps pages past its end, and the first touch of them kills the
// process with SIGBUS instead of failing the load. So a library is checked first: an ELF
// shared object at least as long as its program headers and its section header table say.
// Returns what is wrong, or an empty text. A library built for another machine is left to
// the loader, which refuses it with a message of its own.
std::string DamageOf(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return "não foi possível ler o arquivo";
  const auto size = static_cast<std::uint64_t>(file.tellg());

  ElfW(Ehdr) header{};
  if (size < sizeof header || !ReadAt(file, 0, header)) {
    return "arquivo curto demais para uma biblioteca (" + std::to_string(size) + " bytes)";
  }
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) return "não é uma biblioteca ELF";
  constexpr unsigned char nativeClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
  constexpr unsigned char nativeData =
      std::endian::native == std::endian::little ? ELFDATA2LSB : ELFDATA2MSB;
  if (header.e_ident[EI_CLASS] != nativeClass || header.e_ident[EI_DATA] != nativeData) return "";
  if (header.e_type != ET_DYN) return "não é uma biblioteca compartilhada";

  if (header.e_phnum == 0 || header.e_phentsize != sizeof(ElfW(Phdr))) {
    return "cabeçalho ELF sem tabela de segmentos válida";
  }
  if (!Inside(header.e_phoff, std::uint64_t{header.e_phnum} * header.e_phentsize, size)) {
    return Truncated(size, "a tabela de segmentos");
  }
  for (unsigned i = 0; i < header.e_phnum; ++i) {
    ElfW(Phdr) segment{};
    if (!ReadAt(file, header.e_phoff + std::uint64_t{i} * sizeof segment, segment)) {
      return "não foi possível ler a tabela de segmentos";
    }
    if (!Inside(segment.p_offset, segment.p_filesz, size)) {
      return Truncated(size, "o segmento " + std::to_string(i + 1));
    }
  }

  if (header.e_shoff != 0) {
    if (header.e_shentsize != sizeof(ElfW(Shdr))) return "tabela de seções inválida";
    std::uint64_t sections = header.e_shnum;
    // With very many sections the count lives in the first section header.
    if (sections == 0) {
      ElfW(Shdr) first{};
      if (!Inside(header.e_shoff, sizeof first, size) || !ReadAt(file, header.e_shoff, first)) {
        return Truncated(size, "a tabela de seções");
      }
      sections = first.sh_size;
    }
    if (sections > size || !Inside(header.e_shoff, sections * sizeof(ElfW(Shdr)), size)) {
      return Truncated(size, "a tabela de seções");
    }
  }
  return "";
}

}  // namespace

PluginLibrary::PluginLibrary(const std::filesystem::path& path) {
  if (!std::filesystem::exists(path)) {
    throw Exception("Plug-in não encontrado: " + path.string());
  }
  if (const std::string damage = DamageOf(path); !damage.empty()) {
    throw Exception("O plug-in " + path.string() + " está danificado (" + damage +
                    "). Instale-o de novo.");
  }
  // RTLD_LOCAL keeps each plug-in's registration unit to itself. RTLD_NODELETE keeps the code
  // mapped after the handle is closed: an exception a report raised may still be on its way to
  // the caller, and its strings and handlers may live in the plug-in.
  FHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (FHandle == nullptr) {
    throw Exception("Não foi possível carregar o plug-in " + path.string() + ": " +
                    LastLoaderError());
  }
  FClassDll = reinterpret_cast<TClassDllFunction>(dlsym(FHandle, "ClassDll"));
  FImprimir = reinterpret_cast<TImprimirFunction>(dlsym(FHandle, "Imprimir"));
  if (FClassDll == nullptr || FImprimir == nullptr) {
    dlclose(FHandle);
    throw Exception("O plug-in " + path.string() + " não exporta ClassDll e Imprimir.");
  }
}

PluginLibrary::~PluginLibrary() {
  dlclose(FHandle);
}

const TjfmBaseDllClass& PluginLibrary::ReportClass() const {
  const TjfmBaseDllClass* reportClass = FClassDll();
  if (reportClass == nullptr) throw Exception("FClassDll está nil.");
  return *reportClass;
}

void PluginLibrary::Imprimir(TjfmReport& report) const {
  FImprimir(reinterpret_cast<std::intptr_t>(&report));
}
