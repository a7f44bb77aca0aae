// The file structure of a PDF: numbered objects written one after the other as they are made,
// the cross-reference table and the trailer at the end. Bytes are gathered in a buffer and
// handed to the stream when asked, so that a page reaches the file as soon as it is finished.
#pragma once

#include <libdeflate.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class PdfFile {
 public:
  explicit PdfFile(std::ostream& out);
  ~PdfFile();
  PdfFile(const PdfFile&) = delete;
  PdfFile& operator=(const PdfFile&) = delete;

  // The file's first lines.
  void WriteHeader(std::string_view header) { FBuffer.append(header); }
  // A number for an object written later (the pages' parent, a font first used on a page).
  std::uint32_t Reserve();
  // Writes object `number` with `body` (a dictionary, an array, ...).
  void WriteObject(std::uint32_t number, std::string_view body);
  // Writes object `number` as a stream: `dictionary` holds the entries besides /Length and
  // /Filter (without the << >>). Deflated unless `compress` is false.
  void WriteStream(std::uint32_t number, std::string_view dictionary, std::string_view data,
                   bool compress = true);
  // Writes a stream whose data is already encoded; `dictionary` names its filter.
  void WriteRawStream(std::uint32_t number, std::string_view dictionary, std::string_view data);

  // Hands the buffered bytes to the stream; raises Exception when the stream has failed.
  void Flush();
  // Writes the cross-reference table and the trailer and flushes. Every reserved object must
  // have been written.
  void Finish(std::uint32_t catalog, std::uint32_t info);

 private:
  void BeginObject(std::uint32_t number);
  // A stream object; `filter` is appended to `dictionary` (" /Filter /FlateDecode" or empty).
  void WriteStreamObject(std::uint32_t number, std::string_view dictionary, std::string_view filter,
                         std::string_view data);

  std::ostream& FOut;
  std::string FBuffer;
  std::uint64_t FFlushed = 0;  // bytes handed to the stream before the buffer
  // Offsets of the objects by number (0 is the free list's head); 0 until written.
  std::vector<std::uint64_t> FOffsets{0};
  // One compressor for every stream: making one costs more than compressing a page.
  class Deflater {
   public:
    // The compressed data; valid until the next call.
    std::string_view Deflate(std::string_view data);

   private:
    struct Free {
      void operator()(libdeflate_compressor* compressor) const {
        libdeflate_free_compressor(compressor);
      }
    };
    std::unique_ptr<libdeflate_compressor, Free> FCompressor;
    std::vector<char> FOutput;  // only grows: no bytes cleared per stream
  };
  Deflater FDeflater;
};
