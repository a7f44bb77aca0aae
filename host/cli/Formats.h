// The document formats of `kdr run` and the sinks that write them.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/OutputFiles.h"
#include "page/Page.h"
#include "render/FontMetrics.h"

// The formats `kdr run` writes (pdf, png, txt, json, xlsx), in the order the help names them.
const std::vector<std::string>& DocumentFormats();
bool IsDocumentFormat(const std::string& format);

// The format of a run: --format, else the extension of -o, else txt.
std::string ChooseFormat(const std::optional<std::string>& format,
                         const std::optional<std::string>& output);

// The page files of an earlier run of `output` (out-N.png in its folder) numbered beyond `pages`:
// what a run of fewer pages leaves behind.
std::vector<std::filesystem::path> PageFilesBeyond(const std::filesystem::path& output, int pages);

// A sink writing `format` to standard output (output "-" or none) or to atomic output files.
// PNG writes one file per page: out.png becomes out-1.png, out-2.png, ..., drawn with the report
// writer's metrics, so that text wrapped to measure is not measured again. PDF, text and JSON
// are written on a thread of their own beside the run.
std::unique_ptr<PageSink> MakeSink(const std::string& format,
                                   const std::optional<std::string>& output, int dpi,
                                   const FontMetrics& metrics, OutputFiles& files);
