// Company logos of the demo data: a small PNG drawn with Cairo, a coloured round emblem with
// the company's initials beside its short name.
#pragma once

#include <cstdint>
#include <string>

namespace demo {

struct LogoStyle {
  std::string Initials;   // one to three letters shown in the emblem
  std::string ShortName;  // shown beside the emblem, shrunk to fit
  std::uint32_t Colour;   // 0xRRGGBB
};

inline constexpr int kLogoWidth = 160;
inline constexpr int kLogoHeight = 60;

// The PNG file's bytes. Raises Exception when Cairo cannot draw or encode the picture.
std::string DrawDemoLogo(const LogoStyle& style);

}  // namespace demo
