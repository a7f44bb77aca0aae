#include "core/ImageHeader.h"

#include <atomic>
#include <string_view>

#include "Exception.h"

namespace image_header {

namespace {

std::atomic<SizeReader> installedReader{nullptr};

bool StartsWith(const std::string& bytes, std::string_view prefix) {
  return std::string_view(bytes).substr(0, prefix.size()) == prefix;
}

}  // namespace

void InstallSizeReader(SizeReader reader) {
  installedReader.store(reader);
}

std::string FormatName(TGraphicFormat format) {
  switch (format) {
    case TGraphicFormat::PNG:
      return "PNG";
    case TGraphicFormat::JPEG:
      return "JPEG";
    case TGraphicFormat::BMP:
      return "BMP";
    case TGraphicFormat::GIF:
      return "GIF";
    case TGraphicFormat::TIFF:
      return "TIFF";
    case TGraphicFormat::ICO:
      return "ICO";
  }
  return "desconhecida";
}

PixelSize Read(const std::string& bytes, TGraphicFormat format) {
  const std::string prefix = "Imagem " + FormatName(format) + " inválida: ";
  if (bytes.empty()) throw Exception(prefix + "nenhum dado.");
  // Each decoder is chosen by the caller's format, so bytes of another format are refused
  // here rather than handed to a decoder that was not asked for.
  if (Detect(bytes) != format)
    throw Exception(prefix + "os dados não são " + FormatName(format) + ".");
  const SizeReader reader = installedReader.load();
  if (reader == nullptr) throw Exception(prefix + "nenhum decodificador de imagens disponível.");
  return reader(bytes, format);
}

TGraphicClass Detect(const std::string& bytes) {
  using namespace std::string_view_literals;
  if (StartsWith(bytes, "\x89PNG\r\n\x1a\n"sv)) return TGraphicFormat::PNG;
  if (StartsWith(bytes, "\xFF\xD8\xFF"sv)) return TGraphicFormat::JPEG;
  if (StartsWith(bytes, "BM"sv)) return TGraphicFormat::BMP;
  if (StartsWith(bytes, "GIF87a"sv) || StartsWith(bytes, "GIF89a"sv)) return TGraphicFormat::GIF;
  if (StartsWith(bytes, "II*\0"sv) || StartsWith(bytes, "MM\0*"sv)) return TGraphicFormat::TIFF;
  // An icon directory: reserved zero, type 1, and at least one image.
  if (bytes.size() >= 6 && StartsWith(bytes, "\0\0\1\0"sv) && (bytes[4] != 0 || bytes[5] != 0)) {
    return TGraphicFormat::ICO;
  }
  return std::nullopt;
}

}  // namespace image_header
