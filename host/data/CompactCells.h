// The values of a client data set's records, kept compactly: a kind byte and four bytes per
// value. Numbers and dates that fit 32 bits (codes, whole days, amounts in cents) sit in the
// cell; wider ones keep their eight bytes aside. Equal texts are stored once per data set and
// shared, so that a result set and the working sets copied from it hold no heap string per
// value. Blobs, and decimals of no fixed scale, live in a side table of values. Cells grow in
// blocks of bounded size rather than by doubling one array, which would need up to three times
// the data's size while it moves. A lookup's one-row result is most data sets a run makes: what
// only a large one needs (the text index, the side stores) is made when first needed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Variant.h"

class CompactCells {
 public:
  std::size_t Size() const { return FSize; }
  // `decimalScale` is the scale every decimal of the value's field has (a decimal field's
  // values are converted to it), or -1 when the field's decimals may have any scale.
  void Append(const Variant& value, int decimalScale = -1);
  // The same for the two kinds a result set is mostly made of, without a Variant.
  void AppendInteger(std::int64_t value);
  void AppendText(std::string_view text);
  void Set(std::size_t cell, const Variant& value, int decimalScale = -1);
  Variant Get(std::size_t cell) const;
  // Orders two cells as Variant::Compare does (texts without regard to ASCII case when asked),
  // without rebuilding the values for the common same-kind cases.
  int Compare(std::size_t a, std::size_t b, bool caseInsensitive) const;
  // The same order for two values: Variant::Compare, texts without regard to ASCII case when
  // asked.
  static int CompareValues(const Variant& a, const Variant& b, bool caseInsensitive);
  // Drops every value and every kept text.
  void Clear();

 private:
  struct Packed {
    std::uint8_t Kind;
    std::uint32_t Payload;
  };
  static constexpr std::size_t kBlockCells = 16384;
  // Only the last block grows, by doubling from kFirstBlockCells up to kBlockCells: a lookup's
  // one-row result costs a few bytes, not a whole block, and one allocation, not one per
  // doubling.
  static constexpr std::size_t kFirstBlockCells = 16;
  // Up to this many texts, a new text is compared with the kept ones in turn; from there on
  // they are found through a hash index, built then.
  static constexpr std::size_t kTextsWithoutIndex = 16;
  struct Block {
    std::vector<std::uint8_t> Kinds;
    std::vector<std::uint32_t> Payloads;
  };
  std::uint8_t KindAt(std::size_t cell) const {
    return FBlocks[cell / kBlockCells].Kinds[cell % kBlockCells];
  }
  std::uint32_t PayloadAt(std::size_t cell) const {
    return FBlocks[cell / kBlockCells].Payloads[cell % kBlockCells];
  }
  void Store(std::size_t cell, Packed packed);
  void Push(Packed packed);
  Packed Pack(const Variant& value, int decimalScale);
  Packed Number(std::uint8_t kind, std::int64_t whole);
  Packed Wide(std::uint8_t kind, std::uint64_t bits);
  std::uint32_t Intern(std::string_view text);
  // The cell's integer (an integer, or a decimal's unscaled value) and its double.
  std::int64_t WholeAt(std::size_t cell) const;
  double DoubleAt(std::size_t cell) const;
  const std::string& Text(std::size_t cell) const;

  std::vector<Block> FBlocks;
  std::size_t FSize = 0;
  // Deques grow in chunks and keep their elements in place; made when first needed, as an
  // empty deque already holds two allocations.
  std::optional<std::deque<std::uint64_t>> FWide;
  std::optional<std::deque<std::string>> FTexts;
  std::unordered_map<std::string_view, std::uint32_t> FTextIndex;  // once kTextsWithoutIndex
  std::vector<Variant> FOthers;
};
