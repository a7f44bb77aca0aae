#include "data/CompactCells.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "Exception.h"
#include "core/AsciiCase.h"

namespace {

using Kind = Variant::Kind;

// The kind byte: the value's kind in the low three bits; kSideTable when the value is in the
// side table of values; a decimal's scale in bits four to six; kWide when the payload is the
// index of the value's eight bytes rather than the value itself.
constexpr std::uint8_t kKindBits = 0x07;
constexpr std::uint8_t kSideTable = 0x08;
constexpr std::uint8_t kWide = 0x80;
constexpr int kScaleShift = 4;
constexpr int kMaxCellScale = 7;

std::uint8_t KindByte(Kind kind) {
  return static_cast<std::uint8_t>(kind);
}

Kind KindOf(std::uint8_t byte) {
  return static_cast<Kind>(byte & kKindBits);
}

int ScaleOf(std::uint8_t byte) {
  return (byte >> kScaleShift) & kMaxCellScale;
}

bool FitsPayload(std::int64_t value) {
  return value >= std::numeric_limits<std::int32_t>::min() &&
         value <= std::numeric_limits<std::int32_t>::max();
}

template <typename T>
int ThreeWay(T x, T y) {
  return x < y ? -1 : (y < x ? 1 : 0);
}

}  // namespace

std::uint32_t CompactCells::Intern(std::string_view text) {
  if (!FTexts) FTexts.emplace();
  std::deque<std::string>& texts = *FTexts;
  if (!FTextIndex.empty()) {
    if (auto found = FTextIndex.find(text); found != FTextIndex.end()) return found->second;
  } else {
    for (std::size_t kept = 0; kept < texts.size(); ++kept) {
      if (texts[kept] == text) return static_cast<std::uint32_t>(kept);
    }
  }
  if (texts.size() >= std::numeric_limits<std::uint32_t>::max()) {
    throw Exception("Textos demais no conjunto de dados");
  }
  const auto index = static_cast<std::uint32_t>(texts.size());
  const std::string& kept = texts.emplace_back(text);
  if (!FTextIndex.empty()) {
    FTextIndex.emplace(kept, index);
  } else if (texts.size() == kTextsWithoutIndex) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
      FTextIndex.emplace(texts[i], static_cast<std::uint32_t>(i));
    }
  }
  return index;
}

CompactCells::Packed CompactCells::Wide(std::uint8_t kind, std::uint64_t bits) {
  if (!FWide) FWide.emplace();
  if (FWide->size() >= std::numeric_limits<std::uint32_t>::max()) {
    throw Exception("Valores demais no conjunto de dados");
  }
  FWide->push_back(bits);
  return {static_cast<std::uint8_t>(kind | kWide), static_cast<std::uint32_t>(FWide->size() - 1)};
}

CompactCells::Packed CompactCells::Number(std::uint8_t kind, std::int64_t whole) {
  if (FitsPayload(whole)) {
    return {kind, static_cast<std::uint32_t>(static_cast<std::int32_t>(whole))};
  }
  return Wide(kind, static_cast<std::uint64_t>(whole));
}

CompactCells::Packed CompactCells::Pack(const Variant& value, int decimalScale) {
  const Kind kind = value.GetKind();
  switch (kind) {
    case Kind::Null:
      return {KindByte(kind), 0};
    case Kind::Boolean:
      return {KindByte(kind), value.AsBoolean() ? 1u : 0u};
    case Kind::Text:
      return {KindByte(kind), Intern(value.AsBytes())};
    case Kind::Integer:
      return Number(KindByte(kind), value.AsInt64());
    case Kind::Float:
    case Kind::DateTime: {
      const double number = kind == Kind::Float ? value.AsFloat() : value.AsDateTime().Value();
      // Codes read as floats and dates without a time are whole numbers; a negative zero
      // keeps its sign aside.
      if (std::trunc(number) == number && std::fabs(number) < 2147483647.0 &&
          !(number == 0 && std::signbit(number))) {
        return Number(KindByte(kind), static_cast<std::int64_t>(number));
      }
      return Wide(KindByte(kind), std::bit_cast<std::uint64_t>(number));
    }
    case Kind::Decimal:
      if (decimalScale >= 0 && decimalScale <= kMaxCellScale) {
        const auto kindByte =
            static_cast<std::uint8_t>(KindByte(kind) | decimalScale << kScaleShift);
        return Number(kindByte, value.AsDecimal(decimalScale).Unscaled());
      }
      break;
    case Kind::Blob:
      break;
  }
  if (FOthers.size() >= std::numeric_limits<std::uint32_t>::max()) {
    throw Exception("Valores demais no conjunto de dados");
  }
  FOthers.push_back(value);
  return {static_cast<std::uint8_t>(KindByte(kind) | kSideTable),
          static_cast<std::uint32_t>(FOthers.size() - 1)};
}

void CompactCells::Store(std::size_t cell, Packed packed) {
  Block& block = FBlocks[cell / kBlockCells];
  block.Kinds[cell % kBlockCells] = packed.Kind;
  block.Payloads[cell % kBlockCells] = packed.Payload;
}

void CompactCells::Push(Packed packed) {
  if (FSize == FBlocks.size() * kBlockCells) FBlocks.emplace_back();
  Block& last = FBlocks.back();
  if (last.Kinds.size() == last.Kinds.capacity()) {
    const std::size_t capacity =
        std::min(kBlockCells, std::max(kFirstBlockCells, 2 * last.Kinds.capacity()));
    last.Kinds.reserve(capacity);
    last.Payloads.reserve(capacity);
  }
  last.Kinds.push_back(packed.Kind);
  last.Payloads.push_back(packed.Payload);
  ++FSize;
}

void CompactCells::Append(const Variant& value, int decimalScale) {
  Push(Pack(value, decimalScale));
}

void CompactCells::AppendInteger(std::int64_t value) {
  Push(Number(KindByte(Kind::Integer), value));
}

void CompactCells::AppendText(std::string_view text) {
  Push({KindByte(Kind::Text), Intern(text)});
}

void CompactCells::Set(std::size_t cell, const Variant& value, int decimalScale) {
  Store(cell, Pack(value, decimalScale));
}

std::int64_t CompactCells::WholeAt(std::size_t cell) const {
  if ((KindAt(cell) & kWide) != 0) return static_cast<std::int64_t>((*FWide)[PayloadAt(cell)]);
  return static_cast<std::int32_t>(PayloadAt(cell));
}

double CompactCells::DoubleAt(std::size_t cell) const {
  if ((KindAt(cell) & kWide) != 0) return std::bit_cast<double>((*FWide)[PayloadAt(cell)]);
  return static_cast<double>(static_cast<std::int32_t>(PayloadAt(cell)));
}

const std::string& CompactCells::Text(std::size_t cell) const {
  return (*FTexts)[PayloadAt(cell)];
}

Variant CompactCells::Get(std::size_t cell) const {
  const std::uint8_t kind = KindAt(cell);
  if ((kind & kSideTable) != 0) return FOthers[PayloadAt(cell)];
  switch (KindOf(kind)) {
    case Kind::Null:
      return Variant();
    case Kind::Integer:
      return Variant(WholeAt(cell));
    case Kind::Float:
      return Variant(DoubleAt(cell));
    case Kind::DateTime:
      return Variant(TDateTime(DoubleAt(cell)));
    case Kind::Boolean:
      return Variant(PayloadAt(cell) != 0);
    case Kind::Text:
      return Variant(Text(cell));
    case Kind::Decimal:
      return Variant(Decimal(WholeAt(cell), ScaleOf(kind)));
    case Kind::Blob:
      break;
  }
  throw Exception("Valor de tipo desconhecido no conjunto de dados");
}

int CompactCells::Compare(std::size_t a, std::size_t b, bool caseInsensitive) const {
  const std::uint8_t kindA = KindAt(a), kindB = KindAt(b);
  if (KindOf(kindA) == KindOf(kindB) && ((kindA | kindB) & kSideTable) == 0) {
    switch (KindOf(kindA)) {
      case Kind::Null:
        return 0;
      case Kind::Integer:
        return ThreeWay(WholeAt(a), WholeAt(b));
      case Kind::Float:
      case Kind::DateTime:
        return ThreeWay(DoubleAt(a), DoubleAt(b));
      case Kind::Text:
        if (PayloadAt(a) == PayloadAt(b)) return 0;  // the same kept text
        if (caseInsensitive) return ascii_case::Compare(Text(a), Text(b));
        return ThreeWay(Text(a).compare(Text(b)), 0);
      case Kind::Decimal:
        return Decimal(WholeAt(a), ScaleOf(kindA)).Compare(Decimal(WholeAt(b), ScaleOf(kindB)));
      default:
        break;
    }
  }
  return CompareValues(Get(a), Get(b), caseInsensitive);
}

int CompactCells::CompareValues(const Variant& a, const Variant& b, bool caseInsensitive) {
  if (caseInsensitive && a.GetKind() == Kind::Text && b.GetKind() == Kind::Text) {
    return ascii_case::Compare(a.AsBytes(), b.AsBytes());
  }
  return Variant::Compare(a, b);
}

void CompactCells::Clear() {
  FBlocks.clear();
  FBlocks.shrink_to_fit();
  FSize = 0;
  FWide.reset();
  FTextIndex.clear();
  FTexts.reset();
  FOthers.clear();
  FOthers.shrink_to_fit();
}
