// Reading the JSON document of a run: the section numbers printed, in order, and the bands of
// one section across all pages.
#pragma once

#include <nlohmann/json.hpp>
#include <vector>

inline std::vector<int> SectionsOf(const nlohmann::json& document) {
  std::vector<int> sections;
  for (const nlohmann::json& page : document["pages"]) {
    for (const nlohmann::json& band : page["bands"]) sections.push_back(band["section"].get<int>());
  }
  return sections;
}

inline std::vector<nlohmann::json> BandsOf(const nlohmann::json& document, int section) {
  std::vector<nlohmann::json> bands;
  for (const nlohmann::json& page : document["pages"]) {
    for (const nlohmann::json& band : page["bands"]) {
      if (band["section"] == section) bands.push_back(band);
    }
  }
  return bands;
}
