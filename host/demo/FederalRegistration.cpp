#include "demo/FederalRegistration.h"

#include "Exception.h"

namespace demo {
namespace {

void RequireDigits(const std::string& digits, std::size_t length, const char* kind) {
  bool valid = digits.size() == length;
  for (char c : digits) valid = valid && c >= '0' && c <= '9';
  if (!valid) {
    throw Exception(std::string("Base de ") + kind + " inválida: \"" + digits + "\"");
  }
}

// The modulo-11 digit shared by CNPJ and CPF: weights run from `first` down to 2 and, for the
// CNPJ, wrap around to 9.
char Modulo11Digit(const std::string& digits, int first, bool wrapAtNine) {
  int sum = 0;
  int weight = first;
  for (char c : digits) {
    sum += (c - '0') * weight;
    weight = weight == 2 && wrapAtNine ? 9 : weight - 1;
  }
  const int remainder = sum % 11;
  return static_cast<char>('0' + (remainder < 2 ? 0 : 11 - remainder));
}

}  // namespace

std::string CompleteCnpj(const std::string& base12) {
  RequireDigits(base12, 12, "CNPJ");
  std::string number = base12;
  number += Modulo11Digit(number, 5, true);
  number += Modulo11Digit(number, 6, true);
  return number;
}

std::string CompleteCpf(const std::string& base9) {
  RequireDigits(base9, 9, "CPF");
  std::string number = base9;
  number += Modulo11Digit(number, 10, false);
  number += Modulo11Digit(number, 11, false);
  return number;
}

int CeiCheckDigit(const std::string& base11) {
  RequireDigits(base11, 11, "CEI");
  static constexpr int kWeights[11] = {7, 4, 1, 8, 5, 2, 1, 6, 3, 7, 4};
  int sum = 0;
  for (int i = 0; i < 11; ++i) sum += (base11[i] - '0') * kWeights[i];
  const int lastTwo = sum % 10 + sum / 10 % 10;
  if (lastTwo % 10 == 0 || lastTwo > 9) return -1;
  return 10 - lastTwo;
}

}  // namespace demo
