#include <string>

#include "DataAccess.h"

namespace {

std::string DigitsOf(const std::string& text) {
  std::string digits;
  for (char c : text) {
    if (c >= '0' && c <= '9') digits += c;
  }
  return digits;
}

// The number's digits laid into a mask whose '0' are digit places.
std::string Masked(const std::string& digits, const char* mask) {
  std::string result;
  std::size_t next = 0;
  for (const char* m = mask; *m != '\0'; ++m) result += *m == '0' ? digits[next++] : *m;
  return result;
}

struct RegistrationKind {
  std::size_t Length;
  const char* Mask;
};

RegistrationKind KindOf(TjTipoInscrFederal kind) {
  switch (kind) {
    case TjTipoInscrFederal::tifCNPJ:
      return {14, "00.000.000/0000-00"};
    case TjTipoInscrFederal::tifCEI:
      return {12, "00.000.00000/00"};
    case TjTipoInscrFederal::tifCPF:
      break;
  }
  return {11, "000.000.000-00"};
}

std::string Format(TjTipoInscrFederal kind, std::string digits, bool mask) {
  if (digits.empty()) return "";
  const RegistrationKind shape = KindOf(kind);
  // More digits than the kind holds: shown as they are rather than losing any.
  if (digits.size() > shape.Length) return digits;
  digits.insert(0, shape.Length - digits.size(), '0');
  return mask ? Masked(digits, shape.Mask) : digits;
}

// A telephone number's digits as "3333-4444" or "99999-8888".
std::string LocalNumber(const std::string& digits) {
  if (digits.size() < 5) return digits;
  return digits.substr(0, digits.size() - 4) + "-" + digits.substr(digits.size() - 4);
}

}  // namespace

std::string FormatarInscrFederal(TjTipoInscrFederal kind, const Variant& number, bool mask) {
  std::string text;
  switch (number.GetKind()) {
    case Variant::Kind::Null:
      return "";
    case Variant::Kind::Float:
    case Variant::Kind::Decimal:
      text = std::to_string(number.AsInt64());
      break;
    default:
      text = number.AsString();
      break;
  }
  return Format(kind, DigitsOf(text), mask);
}

std::string FormatarInscrFed(int kindCode, const std::string& text, bool mask) {
  TjTipoInscrFederal kind = TjTipoInscrFederal::tifCPF;
  if (kindCode == 1) kind = TjTipoInscrFederal::tifCNPJ;
  if (kindCode == 3) kind = TjTipoInscrFederal::tifCEI;
  return Format(kind, DigitsOf(text), mask);
}

std::string FormatarFone(const std::string& areaCode, const std::string& number,
                         const std::string&) {
  std::string area = DigitsOf(areaCode);
  std::string local = DigitsOf(number);
  // A number written with its area code ("41 3333-4444") and no separate area code.
  if (area.empty() && (local.size() == 10 || local.size() == 11)) {
    area = local.substr(0, 2);
    local = local.substr(2);
  }
  if (local.empty()) return "";
  const std::string formatted = LocalNumber(local);
  return area.empty() ? formatted : "(" + area + ") " + formatted;
}
