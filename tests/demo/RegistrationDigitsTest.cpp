#include <gtest/gtest.h>

#include "Exception.h"
#include "demo/FederalRegistration.h"
#include "demo/RegistrationCheck.h"

using namespace registration_check;

TEST(RegistrationDigits, CnpjDigitsMatchPublishedNumbers) {
  EXPECT_EQ(demo::CompleteCnpj("112223330001"), "11222333000181");
  EXPECT_EQ(demo::CompleteCnpj("000000000001"), "00000000000191");
  EXPECT_EQ(demo::CompleteCnpj("330001670001"), "33000167000101");
}

TEST(RegistrationDigits, CpfDigitsMatchPublishedNumbers) {
  EXPECT_EQ(demo::CompleteCpf("529982247"), "52998224725");
  EXPECT_EQ(demo::CompleteCpf("111444777"), "11144477735");
}

TEST(RegistrationDigits, CeiDigitIsGivenOnlyWhereValidatorsAgree) {
  EXPECT_EQ(demo::CeiCheckDigit("10000000000"), 3);   // weighted sum 7
  EXPECT_EQ(demo::CeiCheckDigit("20000000001"), 1);   // 18: 1 + 8 = 9
  EXPECT_EQ(demo::CeiCheckDigit("11111111111"), -1);  // 48: 4 + 8 = 12
  EXPECT_EQ(demo::CeiCheckDigit("12345678901"), -1);  // 173: 7 + 3 = 10
}

TEST(RegistrationDigits, MalformedBasesRaise) {
  EXPECT_THROW(demo::CompleteCnpj("12345"), Exception);
  EXPECT_THROW(demo::CompleteCnpj("1122233300018"), Exception);
  EXPECT_THROW(demo::CompleteCpf("52998224a"), Exception);
  EXPECT_THROW(demo::CeiCheckDigit(""), Exception);
}

// The database checks rely on these validators: they must tell a wrong digit.
TEST(RegistrationCheck, ValidatorsAcceptKnownAndRejectAlteredNumbers) {
  EXPECT_TRUE(IsValidCnpj("11222333000181"));
  EXPECT_FALSE(IsValidCnpj("11222333000182"));
  EXPECT_FALSE(IsValidCnpj("11222333000171"));
  EXPECT_FALSE(IsValidCnpj("1122233300018"));
  EXPECT_TRUE(IsValidCpf("52998224725"));
  EXPECT_FALSE(IsValidCpf("52998224735"));
  EXPECT_FALSE(IsValidCpf("11111111111"));
  EXPECT_TRUE(IsValidCei("100000000003"));
  EXPECT_FALSE(IsValidCei("100000000004"));
  EXPECT_FALSE(IsValidCei("10000000003"));
}
