// The named labels and images of a report layout: one object per name across every section
// list of the definition, so that what a run changes on a label holds wherever it is drawn.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "TjxsImage.h"
#include "TjxsLabel.h"
#include "core/AsciiCase.h"
#include "page/Page.h"
#include "report/ReportDefinition.h"

class LayoutElements {
 public:
  explicit LayoutElements(const ReportDefinition& definition);

  // Without regard to case, as the layout's own names are found; null when absent.
  TjxsLabel* FindLabel(const std::string& name) const;
  TjxsImage* FindImage(const std::string& name) const;

  // The labels and images whose placement the run changed, as they stand now, by name; the
  // same list as the call before while none of them moved since.
  std::shared_ptr<const std::vector<ElementState>> ChangedStates() const;

 private:
  void Add(const ElementDefinition& element);

  // Found without regard to ASCII case and without an upper-case copy: the labels of every
  // band are looked up by name.
  std::map<std::string, std::unique_ptr<TjxsLabel>, ascii_case::Less> FLabels;
  std::map<std::string, std::unique_ptr<TjxsImage>, ascii_case::Less> FImages;

  // Every band asks; most print with what the band before them had.
  mutable std::vector<const TjxsElement*> FChanged;
  mutable std::shared_ptr<const std::vector<ElementState>> FLastStates;
};
