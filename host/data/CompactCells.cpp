#include "data/CompactCells.h"

#include <algorithm>
#include <bit>
#include <limits>

#include "Exception.h"

namespace {

using Kind = Variant::Kind;

// The kind byte: the value's kind in the low four bits and, for a decimal kept in the cell,
// its scale in the high four; kSideTable for a value kept in the side table.
constexpr std::uint8_t kSideTable = 0x0F;
constexpr int kMaxCellScale = 15;

std::uint8_t KindByte(Kind kind) {
  return static_cast<std::uint8_t>(kind);
}

Kind KindOf(std::uint8_t byte) {
  return static_cast<Kind>(byte & 0x0F);
}

int ScaleOf(std::uint8_t byte) {
  return byte >> 4;
}

char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

int CompareCaseInsensitive(const std::string& a, const std::string& b) {
  const std::size_t length = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < length; ++i) {
    const auto x = static_cast<unsigned char>(AsciiUpper(a[i]));
    const auto y = static_cast<unsigned char>(AsciiUpper(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

template <typename T>
int ThreeWay(T x, T y) {
  return x < y ? -1 : (y < x ? 1 : 0);
}

}  // namespace

std::uint32_t CompactCells::Intern(const std::string& text) {
  if (auto found = FTextIndex.find(text); found != FTextIndex.end()) return found->second;
  if (FTexts.size() >= std::numeric_limits<std::uint32_t>::max()) {
    throw Exception("Textos demais no conjunto de dados");
  }
  const auto index = static_cast<std::uint32_t>(FTexts.size());
  FTextIndex.emplace(FTexts.emplace_back(text), index);
  return index;
}

CompactCells::Packed CompactCells::Pack(const Variant& value, int decimalScale) {
  const Kind kind = value.GetKind();
  switch (kind) {
    case Kind::Null:
      return {KindByte(kind), 0};
    case Kind::Integer:
      return {KindByte(kind), static_cast<std::uint64_t>(value.AsInt64())};
    case Kind::Float:
      return {KindByte(kind), std::bit_cast<std::uint64_t>(value.AsFloat())};
    case Kind::DateTime:
      return {KindByte(kind), std::bit_cast<std::uint64_t>(value.AsDateTime().Value())};
    case Kind::Boolean:
      return {KindByte(kind), value.AsBoolean() ? 1u : 0u};
    case Kind::Text:
      return {KindByte(kind), Intern(value.AsBytes())};
    case Kind::Decimal:
      if (decimalScale >= 0 && decimalScale <= kMaxCellScale) {
        return {static_cast<std::uint8_t>(KindByte(kind) | decimalScale << 4),
                static_cast<std::uint64_t>(value.AsDecimal(decimalScale).Unscaled())};
      }
      break;
    case Kind::Blob:
      break;
  }
  FOthers.push_back(value);
  return {kSideTable, FOthers.size() - 1};
}

void CompactCells::Append(const Variant& value, int decimalScale) {
  const Packed packed = Pack(value, decimalScale);
  if (FSize == FBlocks.size() * kBlockCells) FBlocks.push_back(std::make_unique<Block>());
  KindAt(FSize) = packed.Kind;
  PayloadAt(FSize) = packed.Payload;
  ++FSize;
}

void CompactCells::Set(std::size_t cell, const Variant& value, int decimalScale) {
  const Packed packed = Pack(value, decimalScale);
  KindAt(cell) = packed.Kind;
  PayloadAt(cell) = packed.Payload;
}

const std::string& CompactCells::Text(std::size_t cell) const {
  return FTexts[static_cast<std::size_t>(PayloadAt(cell))];
}

Variant CompactCells::Get(std::size_t cell) const {
  const std::uint64_t payload = PayloadAt(cell);
  const std::uint8_t kind = KindAt(cell);
  if (kind == kSideTable) return FOthers[static_cast<std::size_t>(payload)];
  switch (KindOf(kind)) {
    case Kind::Null:
      return Variant();
    case Kind::Integer:
      return Variant(static_cast<std::int64_t>(payload));
    case Kind::Float:
      return Variant(std::bit_cast<double>(payload));
    case Kind::DateTime:
      return Variant(TDateTime(std::bit_cast<double>(payload)));
    case Kind::Boolean:
      return Variant(payload != 0);
    case Kind::Text:
      return Variant(Text(cell));
    case Kind::Decimal:
      return Variant(Decimal(static_cast<std::int64_t>(payload), ScaleOf(kind)));
    case Kind::Blob:
      break;
  }
  throw Exception("Valor de tipo desconhecido no conjunto de dados");
}

int CompactCells::Compare(std::size_t a, std::size_t b, bool caseInsensitive) const {
  const std::uint8_t kindA = KindAt(a), kindB = KindAt(b);
  if (KindOf(kindA) == KindOf(kindB) && kindA != kSideTable && kindB != kSideTable) {
    const std::uint64_t x = PayloadAt(a), y = PayloadAt(b);
    switch (KindOf(kindA)) {
      case Kind::Null:
        return 0;
      case Kind::Integer:
        return ThreeWay(static_cast<std::int64_t>(x), static_cast<std::int64_t>(y));
      case Kind::Float:
      case Kind::DateTime:
        return ThreeWay(std::bit_cast<double>(x), std::bit_cast<double>(y));
      case Kind::Text:
        if (x == y) return 0;  // the same kept text
        if (caseInsensitive) return CompareCaseInsensitive(Text(a), Text(b));
        return ThreeWay(Text(a).compare(Text(b)), 0);
      case Kind::Decimal:
        return Decimal(static_cast<std::int64_t>(x), ScaleOf(kindA))
            .Compare(Decimal(static_cast<std::int64_t>(y), ScaleOf(kindB)));
      default:
        break;
    }
  }
  const Variant left = Get(a), right = Get(b);
  if (caseInsensitive && left.GetKind() == Kind::Text && right.GetKind() == Kind::Text) {
    return CompareCaseInsensitive(left.AsBytes(), right.AsBytes());
  }
  return Variant::Compare(left, right);
}

void CompactCells::Clear() {
  FBlocks.clear();
  FBlocks.shrink_to_fit();
  FSize = 0;
  FTextIndex.clear();
  FTexts.clear();
  FTexts.shrink_to_fit();
  FOthers.clear();
  FOthers.shrink_to_fit();
}
