// Encoded image data (PNG, JPEG, BMP, GIF, TIFF or ICO) and the picture that holds it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "KdrApi.h"
#include "TObject.h"

// New formats go at the end: plug-ins built earlier keep the values they know.
enum class TGraphicFormat { PNG, JPEG, BMP, GIF, TIFF, ICO };

// The picture format able to read a stream, told by its leading bytes; none when unknown.
using TGraphicClass = std::optional<TGraphicFormat>;

class KDR_API TMemoryStream : public TObject {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::string bytes) : FBytes(std::move(bytes)) {}
  const std::string& Bytes() const { return FBytes; }
  void Write(const std::string& bytes) { FBytes += bytes; }
  std::size_t Position() const { return FPosition; }
  void SetPosition(std::size_t position) { FPosition = position; }
  std::size_t Size() const { return FBytes.size(); }

 private:
  std::string FBytes;
  std::size_t FPosition = 0;
};

// An image ready to draw: the encoded bytes (shared, so that pages showing the same image
// refer to one copy), their format and the pixel size read from them.
class KDR_API TBitmap : public TObject {
 public:
  TBitmap() = default;
  TBitmap(TGraphicFormat format, std::string bytes, int width, int height);
  bool Empty() const { return !FBytes || FBytes->empty(); }
  TGraphicFormat Format() const { return FFormat; }
  const std::string& Bytes() const;
  // Identity of the shared bytes, for renderers that embed each image once.
  const void* Identity() const { return FBytes.get(); }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }

 private:
  TGraphicFormat FFormat = TGraphicFormat::PNG;
  std::shared_ptr<const std::string> FBytes;
  int FWidth = 0;
  int FHeight = 0;
};

class KDR_API TPicture : public TObject {
 public:
  // Loads the stream from its current position as an image of `format`. Raises Exception with
  // a clear message when the bytes are not a readable image of that format.
  void LoadFromStream(TMemoryStream& stream, TGraphicFormat format);
  void Assign(const TPicture& other) { FBitmap = other.FBitmap; }
  void Clear() { FBitmap = TBitmap(); }
  const TBitmap& Bitmap() const { return FBitmap; }

 private:
  TBitmap FBitmap;
};

KDR_API TGraphicClass GetGraphicClass(const TMemoryStream& stream);
