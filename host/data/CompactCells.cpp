#include "data/CompactCells.h"

#include <algorithm>
#include <bit>
#include <limits>

#include "Exception.h"

namespace {

using Kind = Variant::Kind;

std::uint8_t KindByte(Kind kind) {
  return static_cast<std::uint8_t>(kind);
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

CompactCells::Packed CompactCells::Pack(const Variant& value) {
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
    case Kind::Blob:
      break;
  }
  FOthers.push_back(value);
  return {KindByte(kind), FOthers.size() - 1};
}

void CompactCells::Append(const Variant& value) {
  const Packed packed = Pack(value);
  FKinds.push_back(packed.Kind);
  FPayloads.push_back(packed.Payload);
}

void CompactCells::Set(std::size_t cell, const Variant& value) {
  const Packed packed = Pack(value);
  FKinds[cell] = packed.Kind;
  FPayloads[cell] = packed.Payload;
}

const std::string& CompactCells::Text(std::size_t cell) const {
  return FTexts[static_cast<std::size_t>(FPayloads[cell])];
}

Variant CompactCells::Get(std::size_t cell) const {
  const std::uint64_t payload = FPayloads[cell];
  switch (static_cast<Kind>(FKinds[cell])) {
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
    case Kind::Blob:
      break;
  }
  return FOthers[static_cast<std::size_t>(payload)];
}

int CompactCells::Compare(std::size_t a, std::size_t b, bool caseInsensitive) const {
  const auto kind = static_cast<Kind>(FKinds[a]);
  if (kind == static_cast<Kind>(FKinds[b])) {
    const std::uint64_t x = FPayloads[a], y = FPayloads[b];
    switch (kind) {
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
  FKinds.clear();
  FKinds.shrink_to_fit();
  FPayloads.clear();
  FPayloads.shrink_to_fit();
  FTextIndex.clear();
  FTexts.clear();
  FTexts.shrink_to_fit();
  FOthers.clear();
  FOthers.shrink_to_fit();
}
