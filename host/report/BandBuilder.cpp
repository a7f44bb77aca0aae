#include "report/BandBuilder.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "Exception.h"
#include "SysUtils.h"
#include "page/LabelText.h"

namespace {

// A data set has a current record to show once it is open and positioned on one.
bool HasCurrentRecord(TjClientDataSet& dataSet) {
  return dataSet.Active() && !dataSet.IsEmpty() && dataSet.RecNo() > 0;
}

std::string DisplayText(const TField& field) {
  // Blob bytes are no text to show (and need not even be valid UTF-8).
  return field.DataType() == TFieldType::ftBlob ? "(BLOB)" : field.AsString();
}

// The part of a box above `clipBottom`: its new height, or nothing when none of it is left.
std::optional<double> ClippedHeight(double boxTop, double height, double clipBottom) {
  if (boxTop > clipBottom || (boxTop == clipBottom && height > 0)) return std::nullopt;
  return std::min(height, std::max(0.0, clipBottom - boxTop));
}

// The part of a line above `clipBottom`, or nothing when none of it is.
std::optional<LineItem> ClippedLine(LineItem line, double clipBottom) {
  if (line.Y1 > clipBottom && line.Y2 > clipBottom) return std::nullopt;
  auto cut = [&](double& xOut, double& yOut, double xIn, double yIn) {
    if (yOut <= clipBottom) return;
    xOut = xIn + (xOut - xIn) * (clipBottom - yIn) / (yOut - yIn);
    yOut = clipBottom;
  };
  cut(line.X2, line.Y2, line.X1, line.Y1);
  cut(line.X1, line.Y1, line.X2, line.Y2);
  return line;
}

// Texts whose overflow answer each element keeps: some tens of kilobytes at most.
constexpr std::size_t kOverflowAnswersKept = 256;

// Measurements come from the same metrics twice; only rounding noise is forgiven.
constexpr double kFitTolerance = 1e-6;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// What a single-line label shows, as measured: blanks at its end take no ink.
std::string ShownOnOneLine(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return label_text::OneLine(text);
}

// How a label is named in a band's list of clipped labels: its own name, or for an unnamed
// one what it shows, which stays the same from run to run.
std::string ClippedName(const ElementDefinition& element) {
  if (!element.Name.empty()) return element.Name;
  if (!element.Value.empty()) return element.Value;
  if (!element.Field.empty()) return element.Field;
  return element.Text;
}

}  // namespace

BandBuilder::BandBuilder(const LayoutValues& layoutValues, const LayoutElements& elements,
                         TjClientDataSet* mainDataSet, const TPicture& picture,
                         const FontMetrics& metrics)
    : FLayoutValues(layoutValues),
      FElements(elements),
      FMainDataSet(mainDataSet),
      FPicture(picture),
      FMetrics(metrics) {}

Band BandBuilder::Build(int section, const SectionDefinition* definition, double top, double room,
                        bool withState) const {
  Band band;
  band.Section = section;
  band.Top = top;
  const double height = definition != nullptr ? definition->Height : 0;
  band.Height = std::min(height, std::max(0.0, room));
  if (withState) {
    SnapshotValues(band);
    band.Elements = FElements.ChangedStates();
    SnapshotFields(band);
  }
  if (definition != nullptr) {
    // Elements may reach past their section; only the page's printable area cuts them.
    const double clipBottom = top + std::max(0.0, room);
    std::vector<Resolved>& resolved = ResolvedOf(*definition);
    band.Items.reserve(definition->Elements.size());
    for (std::size_t index = 0; index < definition->Elements.size(); ++index) {
      AddItem(definition->Elements[index], resolved[index], static_cast<int>(index), top,
              clipBottom, section, withState, band);
    }
  }
  return band;
}

std::vector<BandBuilder::Resolved>& BandBuilder::ResolvedOf(
    const SectionDefinition& definition) const {
  auto [found, added] = FResolved.try_emplace(&definition);
  if (added) {
    using Kind = ElementDefinition::Kind;
    found->second.reserve(definition.Elements.size());
    for (const ElementDefinition& element : definition.Elements) {
      Resolved& resolved = found->second.emplace_back();
      if (element.Type == Kind::Label) resolved.Placed = FElements.FindLabel(element.Name);
      if (element.Type == Kind::Image) resolved.Placed = FElements.FindImage(element.Name);
    }
  }
  return found->second;
}

void BandBuilder::SnapshotValues(Band& band) const {
  if (FValues == nullptr) {
    auto values = std::make_shared<NamedTexts>();
    for (const auto& [name, text] : FLayoutValues) {
      if (!text.empty()) values->emplace_back(name, text);
    }
    // In the order of their names, as the document lists them.
    std::sort(values->begin(), values->end());
    FValues = std::move(values);
  }
  band.Values = FValues;
}

void BandBuilder::SnapshotFields(Band& band) const {
  if (FMainDataSet == nullptr) return;
  band.HasFields = true;
  if (!HasCurrentRecord(*FMainDataSet)) return;
  for (int i = 0; i < FMainDataSet->FieldCount(); ++i) {
    const TField& field = FMainDataSet->Fields(i);
    band.Fields.emplace_back(UpperCase(field.FieldName()), DisplayText(field));
  }
}

std::string_view BandBuilder::LabelText(const ElementDefinition& element, Resolved& resolved,
                                        int section, std::string& scratch) const {
  if (!element.Value.empty()) {
    if (resolved.Value == nullptr) {
      auto found = FLayoutValues.find(element.Value);
      if (found == FLayoutValues.end()) return {};
      resolved.Value = &found->second;
    }
    return *resolved.Value;
  }
  if (!element.Field.empty()) {
    if (FMainDataSet == nullptr) return {};
    TField* field = FMainDataSet->FindField(element.Field);
    if (field == nullptr) {
      throw Exception("Campo \"" + element.Field + "\" da seção " + std::to_string(section) +
                      " não existe no conjunto de dados principal do relatório");
    }
    if (!HasCurrentRecord(*FMainDataSet)) return {};
    scratch = DisplayText(*field);
    return scratch;
  }
  return element.Text;
}

void BandBuilder::AddItem(const ElementDefinition& element, Resolved& resolved, int index,
                          double top, double clipBottom, int section, bool withState,
                          Band& band) const {
  using Kind = ElementDefinition::Kind;
  const TjxsElement* placed = resolved.Placed;
  if (placed != nullptr ? !placed->Visible() : !element.Visible) return;
  const double left = placed != nullptr ? placed->Left() : element.Left;
  const double width = placed != nullptr ? placed->Width() : element.Width;
  const double boxTop = top + element.Top;
  const std::optional<double> height = ClippedHeight(boxTop, element.Height, clipBottom);

  switch (element.Type) {
    case Kind::Label: {
      std::string scratch;
      const std::string_view text = LabelText(element, resolved, section, scratch);
      if (text.empty()) return;
      if (!height) {
        // The page ended above the label: none of its text reaches the page.
        if (withState) band.Clipped.push_back(ClippedName(element));
        return;
      }
      TextItem item{
          left,          boxTop,           width, *height, std::string(text), element.Font,
          element.Align, element.Multiline};
      item.Element = index;
      if (withState && OverflowsAsBefore(item, resolved)) {
        band.Clipped.push_back(ClippedName(element));
      }
      band.Items.emplace_back(std::move(item));
      return;
    }
    case Kind::Image: {
      const auto* image = static_cast<const TjxsImage*>(placed);
      TBitmap bitmap;
      if (image != nullptr && !image->Image().Empty()) {
        bitmap = image->Image();
      } else if (element.Picture) {
        bitmap = FPicture.Bitmap();
      }
      if (bitmap.Empty() || !height) return;
      band.Items.emplace_back(ImageItem{left, boxTop, width, *height, bitmap});
      return;
    }
    case Kind::Line: {
      LineItem line{left, boxTop, left + width, boxTop + element.Height, element.Thickness};
      if (auto clipped = ClippedLine(line, clipBottom)) band.Items.emplace_back(*clipped);
      return;
    }
    case Kind::Frame:
      if (height)
        band.Items.emplace_back(FrameItem{left, boxTop, width, *height, element.Thickness});
      return;
  }
}

bool BandBuilder::OverflowsAsBefore(const TextItem& label, Resolved& resolved) const {
  // The element keeps its font and wrapping; only its text and box change from band to band.
  if (label.Width != resolved.MeasuredWidth || label.Height != resolved.MeasuredHeight ||
      resolved.Overflowing.size() >= kOverflowAnswersKept) {
    resolved.Overflowing.clear();
    resolved.MeasuredWidth = label.Width;
    resolved.MeasuredHeight = label.Height;
  }
  auto known = resolved.Overflowing.find(std::string_view(label.Text));
  if (known == resolved.Overflowing.end()) {
    known = resolved.Overflowing.emplace(label.Text, Overflows(label)).first;
  }
  return known->second;
}

bool BandBuilder::Overflows(const TextItem& label) const {
  if (!label.Multiline) {
    const std::string line = ShownOnOneLine(label.Text);
    return !line.empty() && !FMetrics.FitsWidth(line, label.Font, label.Width + kFitTolerance);
  }
  std::size_t lines = 0, lastWithText = 0;
  for (std::string_view paragraph : label_text::Paragraphs(label.Text)) {
    // Wrapping knows a paragraph that surely fits its width without laying it out.
    for (const std::string& line :
         FMetrics.WrapParagraph(std::string(paragraph), label.Font, label.Width)) {
      ++lines;
      if (!line.empty()) lastWithText = lines;
    }
  }
  // A line shows whole only when the box holds all of its height; empty lines at the end show
  // nothing, so they may fall outside.
  const double lineHeight = FMetrics.LineHeight(label.Font);
  const double linesHeld = lineHeight > 0 ? (label.Height + kFitTolerance) / lineHeight : 0;
  return static_cast<double>(lastWithText) > linesHeld;
}
