// Brazilian federal registration numbers with their check digits, as the demo data needs them:
// CNPJ (companies, 14 digits), CPF (persons, 11 digits), CEI (building sites and other
// employers registered with social security only, 12 digits). Numbers are plain digits.
#pragma once

#include <string>

namespace demo {

// Appends the two check digits to a 12-digit CNPJ base (8-digit root and 4-digit order).
std::string CompleteCnpj(const std::string& base12);
// Appends the two check digits to a 9-digit CPF base.
std::string CompleteCpf(const std::string& base9);
// The check digit of an 11-digit CEI base; -1 when the base is one of those whose digit the
// usual validators disagree about (the sum of the two last digits of the weighted sum ends
// in 0 or exceeds 9), which the demo data avoids.
int CeiCheckDigit(const std::string& base11);

}  // namespace demo
