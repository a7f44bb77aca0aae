// Test support: asserts in one line that no band of a JSON document lost text to its label's
// box, naming every page, section and label that did:
//   EXPECT_TRUE(NothingClipped(document));
#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

// "page 2, section 11: etiNomeEstab, etiEndereco" for each clipped band, one per line.
inline std::string ClippedBands(const nlohmann::json& document) {
  std::string found;
  for (const nlohmann::json& page : document.at("pages")) {
    for (const nlohmann::json& band : page.at("bands")) {
      if (!band.contains("clipped")) continue;
      found += "page " + std::to_string(page.at("number").get<int>()) + ", section " +
               std::to_string(band.at("section").get<int>()) + ":";
      const char* separator = " ";
      for (const nlohmann::json& name : band.at("clipped")) {
        found += separator + name.get<std::string>();
        separator = ", ";
      }
      found += "\n";
    }
  }
  return found;
}

inline ::testing::AssertionResult NothingClipped(const nlohmann::json& document) {
  const std::string clipped = ClippedBands(document);
  if (clipped.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "labels whose text did not fit:\n" << clipped;
}
