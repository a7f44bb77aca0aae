// The values of a client data set's records, kept compactly: a kind byte and eight bytes per
// value. Equal texts are stored once per data set and shared, so that a result set and the
// working sets copied from it do not hold a heap string per value; decimals and blobs, which
// do not fit eight bytes, live in a side table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Variant.h"

class CompactCells {
 public:
  std::size_t Size() const { return FKinds.size(); }
  void Append(const Variant& value);
  void Set(std::size_t cell, const Variant& value);
  Variant Get(std::size_t cell) const;
  // Orders two cells as Variant::Compare does (texts without regard to ASCII case when asked),
  // without rebuilding the values for the common same-kind cases.
  int Compare(std::size_t a, std::size_t b, bool caseInsensitive) const;
  // Drops every value and every kept text.
  void Clear();

 private:
  struct Packed {
    std::uint8_t Kind;
    std::uint64_t Payload;
  };
  Packed Pack(const Variant& value);
  std::uint32_t Intern(const std::string& text);
  const std::string& Text(std::size_t cell) const;

  std::vector<std::uint8_t> FKinds;
  std::vector<std::uint64_t> FPayloads;
  std::deque<std::string> FTexts;  // a deque: its elements stay put as it grows
  std::unordered_map<std::string_view, std::uint32_t> FTextIndex;
  std::vector<Variant> FOthers;
};
