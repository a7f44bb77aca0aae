#include "render/SheetLayout.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

using Kind = ElementDefinition::Kind;

// Labels of one section, by line: a label starts a new line when its top lies below the middle
// of the first label of the line above, so that labels a unit or two apart share their line.
std::vector<int> LinesOfLabels(const SectionDefinition& section, int& lines) {
  const auto& elements = section.Elements;
  std::vector<std::size_t> order(elements.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return elements[a].Top < elements[b].Top; });
  std::vector<int> lineOf(elements.size(), 0);
  lines = 0;
  double lineMiddle = 0;
  for (std::size_t index : order) {
    const ElementDefinition& element = elements[index];
    if (element.Type != Kind::Label) continue;
    if (lines == 0 || element.Top >= lineMiddle) {
      ++lines;
      lineMiddle = element.Top + element.Height / 2;
    }
    lineOf[index] = lines - 1;
  }
  lines = std::max(lines, 1);
  return lineOf;
}

}  // namespace

SheetLayout::SheetLayout(const std::vector<SectionDefinition>* sections) {
  if (sections == nullptr) return;
  for (const SectionDefinition& section : *sections) {
    for (const ElementDefinition& element : section.Elements) {
      if (element.Type == Kind::Label) FLefts.push_back(element.Left);
    }
    SectionLines& lines = FSections[section.Number];
    lines.Definition = &section;
    lines.LineOfElement = LinesOfLabels(section, lines.Lines);
  }
  std::sort(FLefts.begin(), FLefts.end());
  FLefts.erase(std::unique(FLefts.begin(), FLefts.end()), FLefts.end());
}

int SheetLayout::LinesOf(int section) const {
  const auto found = FSections.find(section);
  return found == FSections.end() ? 1 : found->second.Lines;
}

int SheetLayout::ColumnOf(double left) const {
  if (FLefts.empty()) return 0;
  // The nearest column: the exact one for a label of the definition.
  const auto above = std::lower_bound(FLefts.begin(), FLefts.end(), left);
  if (above == FLefts.end()) return Columns() - 1;
  if (above != FLefts.begin() && left - *(above - 1) < *above - left) {
    return static_cast<int>(above - FLefts.begin()) - 1;
  }
  return static_cast<int>(above - FLefts.begin());
}

SheetLayout::Place SheetLayout::PlaceOf(int section, const TextItem& item) const {
  const auto found = FSections.find(section);
  if (found != FSections.end() && item.Element >= 0) {
    const SectionLines& lines = found->second;
    const auto index = static_cast<std::size_t>(item.Element);
    if (index < lines.LineOfElement.size()) {
      const ElementDefinition& label = lines.Definition->Elements[index];
      // The definition's position, not where the run moved the label to.
      return {lines.LineOfElement[index], ColumnOf(label.Left), &label};
    }
  }
  return {0, ColumnOf(item.Left), nullptr};
}
