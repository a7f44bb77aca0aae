// Comparing names without regard to ASCII case, as the host compares field, label and SQL
// names: letters outside ASCII compare as they are. Header-only, for the runtime and the host.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace ascii_case {

inline char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// -1, 0 or 1, as the upper-case forms compare byte by byte.
inline int Compare(std::string_view a, std::string_view b) {
  const std::size_t length = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < length; ++i) {
    const auto x = static_cast<unsigned char>(Upper(a[i]));
    const auto y = static_cast<unsigned char>(Upper(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Function objects for containers keyed by such names, found by any text without a copy.
struct Equal {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    return a.size() == b.size() && Compare(a, b) == 0;
  }
};
struct Less {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return Compare(a, b) < 0; }
};
struct Hash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const {
    std::size_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : name)
      hash = (hash ^ static_cast<unsigned char>(Upper(c))) * 1099511628211ull;
    return hash;
  }
};

}  // namespace ascii_case
