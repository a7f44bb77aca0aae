// The helpers plug-ins share for parameter texts and message templates.
#include <gtest/gtest.h>

#include "PluginSupport.h"

TEST(PluginSupport, ReadsOnlyWholeIntegers) {
  EXPECT_EQ(kdr::LerInteiro(" 42 "), 42);
  EXPECT_EQ(kdr::LerInteiro("-7"), -7);
  EXPECT_EQ(kdr::LerInteiro("+3"), 3);
  EXPECT_FALSE(kdr::LerInteiro(""));
  EXPECT_FALSE(kdr::LerInteiro("   "));
  EXPECT_FALSE(kdr::LerInteiro("abc"));
  EXPECT_FALSE(kdr::LerInteiro("1,5"));
  EXPECT_FALSE(kdr::LerInteiro("12x"));
  EXPECT_FALSE(kdr::LerInteiro("99999999999999999999"));
  EXPECT_EQ(kdr::LerInteiroDef("abc", 1), 1);
  EXPECT_EQ(kdr::LerInteiroDef("4294967296", 0), 0);  // beyond an int
  EXPECT_EQ(kdr::LerInteiroDef("3", 0), 3);
}

TEST(PluginSupport, FillsEachMarkInOrder) {
  EXPECT_EQ(kdr::PreencherModelo("%s - %s.", {"1", "Matriz"}), "1 - Matriz.");
  EXPECT_EQ(kdr::PreencherModelo("só %s", {"a", "b"}), "só a");   // extra parts are left out
  EXPECT_EQ(kdr::PreencherModelo("%s e %s", {"%s"}), "%s e %s");  // a part is not re-read
}
