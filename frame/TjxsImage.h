// A named image of the report layout (the office logo among them).
#pragma once

#include "TGraphic.h"
#include "TjxsElement.h"

class KDR_API TjxsImage : public TjxsElement {
 public:
  using TjxsElement::TjxsElement;
  void SetImage(const TBitmap& bitmap) { FImage = bitmap; }
  const TBitmap& Image() const { return FImage; }

 private:
  TBitmap FImage;
};
