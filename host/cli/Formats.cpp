#include "cli/Formats.h"

#include <algorithm>
#include <cctype>
#include <iostream>

#include "render/BackgroundSink.h"
#include "render/JsonSink.h"
#include "render/PdfSink.h"
#include "render/PngSink.h"
#include "render/TextSink.h"
#include "render/XlsxSink.h"
#include "run/UsageError.h"

namespace {

bool ToStandardOutput(const std::optional<std::string>& output) {
  return !output || *output == "-";
}

// out.png -> out-N.png
std::string PageFileName(const std::filesystem::path& output, int page) {
  std::filesystem::path name = output;
  const std::string stem = output.stem().string();
  name.replace_filename(stem + "-" + std::to_string(page) + ".png");
  return name.string();
}

}  // namespace

const std::vector<std::string>& DocumentFormats() {
  static const std::vector<std::string> formats{"pdf", "png", "txt", "json", "xlsx"};
  return formats;
}

bool IsDocumentFormat(const std::string& format) {
  const auto& formats = DocumentFormats();
  return std::find(formats.begin(), formats.end(), format) != formats.end();
}

std::vector<std::filesystem::path> PageFilesBeyond(const std::filesystem::path& output, int pages) {
  std::vector<std::filesystem::path> stale;
  const auto folder = output.has_parent_path() ? output.parent_path() : std::filesystem::path(".");
  const std::string prefix = output.stem().string() + "-";
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - 4, 4, ".png") != 0) {
      continue;
    }
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    if (digits.size() > 9 || digits[0] == '0' ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
      continue;
    }
    if (std::stoi(digits) > pages) stale.push_back(output.parent_path() / name);
  }
  return stale;
}

std::string ChooseFormat(const std::optional<std::string>& format,
                         const std::optional<std::string>& output) {
  if (format) return *format;
  if (!ToStandardOutput(output)) {
    // x.PDF is a PDF as much as x.pdf is.
    std::string extension = std::filesystem::path(*output).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const std::string& known : DocumentFormats()) {
      if (extension == "." + known) return known;
    }
  }
  return "txt";
}

std::unique_ptr<PageSink> MakeSink(const std::string& format,
                                   const std::optional<std::string>& output, int dpi,
                                   const FontMetrics& metrics, OutputFiles& files) {
  if (format == "png") {
    if (ToStandardOutput(output)) {
      throw UsageError("o formato png grava um arquivo por página: informe -o ARQUIVO.png");
    }
    const std::filesystem::path base = *output;
    return std::make_unique<PngSink>(
        [&files, base](int page, const std::string& png) {
          files.Write(PageFileName(base, page), png);
        },
        metrics, dpi);
  }
  std::ostream& out = ToStandardOutput(output) ? std::cout : files.Create(*output);
  if (format == "xlsx") return std::make_unique<XlsxSink>(out);
  // The document is written on a thread of its own while the report makes its pages. The PDF
  // renderer gets metrics of its own there: the writer's are not to be shared across threads.
  return std::make_unique<BackgroundSink>([format, &out]() -> std::unique_ptr<PageSink> {
    if (format == "pdf") return std::make_unique<PdfSink>(out);
    if (format == "json") return std::make_unique<JsonSink>(out);
    return std::make_unique<TextSink>(out);
  });
}
