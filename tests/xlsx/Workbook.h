// Test support: a spreadsheet written by `kdr`, read back by openpyxl (xlsx_dump.py under
// Debian's /usr/bin/python3) into JSON: the sheet's name, frozen cell, columns, document dates
// and each row's cells by column letter with their type, number format and weight.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "support/KdrProcess.h"

namespace xlsx {

using nlohmann::json;

inline json ReadWorkbook(const std::filesystem::path& file) {
  const std::string command = "/usr/bin/python3 " +
                              ShellQuote(KDR_SOURCE_DIR "/tests/xlsx/xlsx_dump.py") + " " +
                              ShellQuote(file.string());
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), &pclose);
  std::string text;
  char buffer[4096];
  for (std::size_t read; pipe && (read = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) {
    text.append(buffer, read);
  }
  const json document = json::parse(text, nullptr, false);
  EXPECT_FALSE(document.is_discarded()) << "openpyxl could not read " << file;
  return document.is_discarded() ? json::object({{"rows", json::array()}}) : document;
}

// The rows whose cell in `column` holds `value` (a text or a number), in sheet order.
inline std::vector<json> RowsWith(const json& book, const std::string& column, const json& value) {
  std::vector<json> found;
  for (const json& row : book["rows"]) {
    if (row.contains(column) && row[column]["value"] == value) found.push_back(row);
  }
  return found;
}

// The first row with a cell holding `value` in any column; null when none does.
inline json AnyRowWith(const json& book, const json& value) {
  for (const json& row : book["rows"]) {
    for (const auto& [column, cell] : row.items()) {
      if (cell["value"] == value) return row;
    }
  }
  return nullptr;
}

// The column whose cell in `row` holds `value`; empty when none does.
inline std::string ColumnOf(const json& row, const json& value) {
  for (const auto& [column, cell] : row.items()) {
    if (cell["value"] == value) return column;
  }
  return "";
}

}  // namespace xlsx
