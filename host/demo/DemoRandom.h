// The demo data's own pseudo-random numbers: splitmix64 with explicit seeds, so that the same
// size always gives the same rows on every machine and standard library (the standard
// distributions are not portable in their results).
#pragma once

#include <cstdint>
#include <vector>

namespace demo {

class DemoRandom {
 public:
  explicit DemoRandom(std::uint64_t seed) : FState(seed) {}

  // A stream of its own for one entity (a protocol, a document...), so that the rows of one
  // entity do not depend on how many numbers the others drew.
  static DemoRandom For(std::uint64_t stream, std::uint64_t entity) {
    DemoRandom mixer(stream * 0x9E3779B97F4A7C15ull ^ (entity + 0x632BE59BD9B4E019ull));
    return DemoRandom(mixer.Next());
  }

  std::uint64_t Next() {
    std::uint64_t z = (FState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // Uniform in [0, bound); bound > 0. The 128-bit product avoids the modulo's bias.
  std::uint64_t Below(std::uint64_t bound) {
    __extension__ using Wide = unsigned __int128;
    return static_cast<std::uint64_t>((static_cast<Wide>(Next()) * bound) >> 64);
  }
  int Between(int low, int high) {  // both inclusive
    return low + static_cast<int>(Below(static_cast<std::uint64_t>(high - low) + 1));
  }
  // True with the given chance in percent.
  bool Percent(int chance) { return Below(100) < static_cast<std::uint64_t>(chance); }

  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[Below(items.size())];
  }
  template <typename T, std::size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Below(N)];
  }

 private:
  std::uint64_t FState;
};

}  // namespace demo
