// The fields of a client data set once it is created: their shapes and their names' index. It
// never changes after that, so that the results of one kept statement can share a single one
// instead of each building its own (a per-block lookup of one row builds little else).
#pragma once

#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/AsciiCase.h"
#include "data/FieldConversion.h"

class FieldStructure {
 public:
  // Names must be unique without regard to ASCII case.
  explicit FieldStructure(std::vector<FieldShape> shapes);
  // The index holds views of the names: the structure stays where it was made.
  FieldStructure(const FieldStructure&) = delete;
  FieldStructure& operator=(const FieldStructure&) = delete;

  const std::vector<FieldShape>& Shapes() const { return FShapes; }
  std::size_t Width() const { return FShapes.size(); }
  // The field of that name, without regard to ASCII case; -1 when there is none.
  int Find(std::string_view name) const;

 private:
  std::vector<FieldShape> FShapes;
  std::unordered_map<std::string_view, int, ascii_case::Hash, ascii_case::Equal> FByName;
};
