// Check-digit validation of Brazilian registrations, written apart from the generator's so
// that the two can disagree.
#pragma once

#include <string>

namespace registration_check {

inline bool AllDigits(const std::string& text, std::size_t length) {
  if (text.size() != length) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

inline int Modulo11(const std::string& text, std::size_t count, const int* weights) {
  int sum = 0;
  for (std::size_t i = 0; i < count; ++i) sum += (text[i] - '0') * weights[i];
  return sum % 11 < 2 ? 0 : 11 - sum % 11;
}

inline bool IsValidCnpj(const std::string& number) {
  if (!AllDigits(number, 14)) return false;
  static const int first[12] = {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
  static const int second[13] = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};
  return Modulo11(number, 12, first) == number[12] - '0' &&
         Modulo11(number, 13, second) == number[13] - '0';
}

inline bool IsValidCpf(const std::string& number) {
  if (!AllDigits(number, 11)) return false;
  if (number.find_first_not_of(number[0]) == std::string::npos) return false;
  static const int first[9] = {10, 9, 8, 7, 6, 5, 4, 3, 2};
  static const int second[10] = {11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
  return Modulo11(number, 9, first) == number[9] - '0' &&
         Modulo11(number, 10, second) == number[10] - '0';
}

inline bool IsValidCei(const std::string& number) {
  if (!AllDigits(number, 12)) return false;
  static const int weights[11] = {7, 4, 1, 8, 5, 2, 1, 6, 3, 7, 4};
  int sum = 0;
  for (int i = 0; i < 11; ++i) sum += (number[i] - '0') * weights[i];
  const int units = sum % 10, tens = sum / 10 % 10;
  return (10 - (units + tens) % 10) % 10 == number[11] - '0';
}

}  // namespace registration_check
