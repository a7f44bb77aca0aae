// Font of a layout element: family, size in points, style.
#pragma once

#include <string>

struct TFont {
  std::string Family = "Liberation Sans";
  double Size = 9;
  bool Bold = false;
  bool Italic = false;
  bool operator==(const TFont&) const = default;
};
