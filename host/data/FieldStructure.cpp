#include "data/FieldStructure.h"

FieldStructure::FieldStructure(std::vector<FieldShape> shapes) : FShapes(std::move(shapes)) {
  FByName.reserve(FShapes.size());
  for (std::size_t field = 0; field < FShapes.size(); ++field) {
    FByName.emplace(FShapes[field].Name, static_cast<int>(field));
  }
}

int FieldStructure::Find(std::string_view name) const {
  const auto found = FByName.find(name);
  return found == FByName.end() ? -1 : found->second;
}
