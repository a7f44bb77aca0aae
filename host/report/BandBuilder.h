// Turns one printed section into the band a page carries: what the run had set when the section
// printed (layout values, changed labels, the current record) and the section's elements as
// drawing items in page coordinates, and which labels' text does not fit their box.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "TGraphic.h"
#include "TjClientDataSet.h"
#include "page/Page.h"
#include "render/FontMetrics.h"
#include "report/LayoutElements.h"
#include "report/ReportDefinition.h"

// The run's layout values by name: set and read many times a band, so looked up by hash, and
// by a name's text without making a string of it.
struct LayoutValueHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const {
    return std::hash<std::string_view>{}(name);
  }
};
using LayoutValues = std::unordered_map<std::string, std::string, LayoutValueHash, std::equal_to<>>;

class BandBuilder {
 public:
  // All arguments are the writer's and outlive the builder; `mainDataSet` may be null.
  BandBuilder(const LayoutValues& layoutValues, const LayoutElements& elements,
              TjClientDataSet* mainDataSet, const TPicture& picture, const FontMetrics& metrics);

  // `definition` is null for a section the layout does not define (a band of height 0); else
  // it lasts as long as the builder, which keeps what its elements refer to.
  // `room` is the height left on the page: a taller section is clipped to it. Without
  // `withState` the band carries its drawing items alone: no values, labels, fields or
  // clipped labels.
  Band Build(int section, const SectionDefinition* definition, double top, double room,
             bool withState = true) const;

  // To be called whenever a layout value changes: bands share the values until then.
  void ValuesChanged() { FValues.reset(); }

 private:
  // What an element of a section refers to, found once for the run: the named object a run
  // may move or hide, and the layout value it shows once that value has been set (values are
  // never removed, so the text found stays where it is).
  struct Resolved {
    const TjxsElement* Placed = nullptr;
    const std::string* Value = nullptr;
    // Overflow answers for the texts shown in the element's current box, forgotten when the
    // box changes: sections print the same texts again and again.
    double MeasuredWidth = -1, MeasuredHeight = -1;
    std::unordered_map<std::string, bool, LayoutValueHash, std::equal_to<>> Overflowing;
  };
  std::vector<Resolved>& ResolvedOf(const SectionDefinition& definition) const;

  void SnapshotValues(Band& band) const;
  void SnapshotFields(Band& band) const;
  // `index` is the element's place in its section's list.
  void AddItem(const ElementDefinition& element, Resolved& resolved, int index, double top,
               double clipBottom, int section, bool withState, Band& band) const;
  // The label's text, in `scratch` unless it can be read where it stands.
  std::string_view LabelText(const ElementDefinition& element, Resolved& resolved, int section,
                             std::string& scratch) const;
  // Whether `text` needs more than the label's box: wider than it on one line, or more lines
  // than its height holds when the label wraps.
  bool Overflows(const TextItem& label) const;
  bool OverflowsAsBefore(const TextItem& label, Resolved& resolved) const;

  const LayoutValues& FLayoutValues;
  const LayoutElements& FElements;
  TjClientDataSet* FMainDataSet;
  const TPicture& FPicture;
  const FontMetrics& FMetrics;
  mutable std::unordered_map<const SectionDefinition*, std::vector<Resolved>> FResolved;
  mutable std::shared_ptr<const NamedTexts> FValues;  // made again after a change
};
