#include "TGraphic.h"

#include "core/ImageHeader.h"

TBitmap::TBitmap(TGraphicFormat format, std::string bytes, int width, int height)
    : FFormat(format),
      FBytes(std::make_shared<const std::string>(std::move(bytes))),
      FWidth(width),
      FHeight(height) {}

const std::string& TBitmap::Bytes() const {
  static const std::string empty;
  return FBytes ? *FBytes : empty;
}

void TPicture::LoadFromStream(TMemoryStream& stream, TGraphicFormat format) {
  const std::size_t from = stream.Position() < stream.Size() ? stream.Position() : stream.Size();
  std::string bytes = stream.Bytes().substr(from);
  const image_header::PixelSize size = image_header::Read(bytes, format);
  // Only a readable image replaces the picture; a failed load leaves it as it was.
  FBitmap = TBitmap(format, std::move(bytes), size.Width, size.Height);
  stream.SetPosition(stream.Size());
}

TGraphicClass GetGraphicClass(const TMemoryStream& stream) {
  const std::size_t from = stream.Position() < stream.Size() ? stream.Position() : stream.Size();
  return image_header::Detect(stream.Bytes().substr(from, 8));
}
