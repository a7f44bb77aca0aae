#include "report/LayoutElements.h"

#include <algorithm>
#include <cmath>
#include <string_view>

LayoutElements::LayoutElements(const ReportDefinition& definition) {
  auto addAll = [this](const std::vector<SectionDefinition>& sections) {
    for (const SectionDefinition& section : sections) {
      for (const ElementDefinition& element : section.Elements) Add(element);
    }
  };
  addAll(definition.Sections);
  for (const LayoutVariant& variant : definition.Variants) addAll(variant.Sections);
}

void LayoutElements::Add(const ElementDefinition& element) {
  if (element.Name.empty()) return;
  const std::string& key = element.Name;
  const int left = static_cast<int>(std::lround(element.Left));
  const int width = static_cast<int>(std::lround(element.Width));
  // The first element of a name gives the object its initial placement.
  if (element.Type == ElementDefinition::Kind::Label && FLabels.count(key) == 0) {
    FLabels.emplace(
        key, std::make_unique<TjxsLabel>(element.Name, element.Visible, left, width, element.Font));
  } else if (element.Type == ElementDefinition::Kind::Image && FImages.count(key) == 0) {
    FImages.emplace(key, std::make_unique<TjxsImage>(element.Name, element.Visible, left, width));
  }
}

TjxsLabel* LayoutElements::FindLabel(const std::string& name) const {
  if (name.empty()) return nullptr;
  auto found = FLabels.find(std::string_view(name));
  return found == FLabels.end() ? nullptr : found->second.get();
}

TjxsImage* LayoutElements::FindImage(const std::string& name) const {
  if (name.empty()) return nullptr;
  auto found = FImages.find(std::string_view(name));
  return found == FImages.end() ? nullptr : found->second.get();
}

namespace {

ElementState StateOf(const TjxsElement& element) {
  ElementState state;
  state.Name = element.Name();
  state.VisibleChanged = element.VisibleChanged();
  state.LeftChanged = element.LeftChanged();
  state.WidthChanged = element.WidthChanged();
  state.Visible = element.Visible();
  state.Left = element.Left();
  state.Width = element.Width();
  return state;
}

bool SameState(const ElementState& state, const TjxsElement& element) {
  return state.VisibleChanged == element.VisibleChanged() &&
         state.LeftChanged == element.LeftChanged() &&
         state.WidthChanged == element.WidthChanged() && state.Visible == element.Visible() &&
         state.Left == element.Left() && state.Width == element.Width() &&
         state.Name == element.Name();
}

}  // namespace

std::shared_ptr<const std::vector<ElementState>> LayoutElements::ChangedStates() const {
  FChanged.clear();
  for (const auto& [key, label] : FLabels) {
    if (label->AnyChanged()) FChanged.push_back(label.get());
  }
  for (const auto& [key, image] : FImages) {
    if (image->AnyChanged()) FChanged.push_back(image.get());
  }
  std::stable_sort(
      FChanged.begin(), FChanged.end(),
      [](const TjxsElement* a, const TjxsElement* b) { return a->Name() < b->Name(); });
  const bool same = FLastStates != nullptr &&
                    std::equal(FLastStates->begin(), FLastStates->end(), FChanged.begin(),
                               FChanged.end(), [](const ElementState& was, const TjxsElement* now) {
                                 return SameState(was, *now);
                               });
  if (!same) {
    auto states = std::make_shared<std::vector<ElementState>>();
    states->reserve(FChanged.size());
    for (const TjxsElement* element : FChanged) states->push_back(StateOf(*element));
    FLastStates = std::move(states);
  }
  return FLastStates;
}
