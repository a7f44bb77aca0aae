// A named label of the report layout; its font and width govern text wrapping.
#pragma once

#include "TFont.h"
#include "TjxsElement.h"

class KDR_API TjxsLabel : public TjxsElement {
 public:
  TjxsLabel(std::string name, bool visible, int left, int width, TFont font)
      : TjxsElement(std::move(name), visible, left, width), FFont(std::move(font)) {}
  const TFont& Font() const { return FFont; }

 private:
  TFont FFont;
};
