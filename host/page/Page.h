// Finished pages as the report writer hands them to a renderer: the bands printed on the page
// with what they showed, and the drawing items placed on the page in layout units.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "TFont.h"
#include "TGraphic.h"

enum class TextAlign { Left, Center, Right };

struct TextItem {
  double Left = 0, Top = 0, Width = 0, Height = 0;
  std::string Text;
  TFont Font;
  TextAlign Align = TextAlign::Left;
  bool Multiline = false;
  // The label's place among its section's elements in the definition (DocumentInfo::Sections),
  // for a sink that lays labels out by what they are rather than where the run drew them; -1
  // when the text comes from no definition.
  int Element = -1;
};

struct LineItem {
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  double Thickness = 1;
};

struct FrameItem {
  double Left = 0, Top = 0, Width = 0, Height = 0;
  double Thickness = 1;
};

struct ImageItem {
  double Left = 0, Top = 0, Width = 0, Height = 0;
  TBitmap Bitmap;  // drawn scaled into the box, keeping its proportions
};

using DrawItem = std::variant<TextItem, LineItem, FrameItem, ImageItem>;

// A label or image whose placement the run changed, as it stood when the band printed.
struct ElementState {
  std::string Name;
  bool VisibleChanged = false, LeftChanged = false, WidthChanged = false;
  bool Visible = true;
  int Left = 0, Width = 0;
};

using NamedTexts = std::vector<std::pair<std::string, std::string>>;

struct Band {
  int Section = 0;
  double Top = 0, Height = 0;
  // The run's state as the band printed, null when the sink does not read it. Bands printed
  // while it stayed the same share one copy, which never changes once made.
  std::shared_ptr<const NamedTexts> Values;  // non-empty layout values, by name
  std::shared_ptr<const std::vector<ElementState>> Elements;
  bool HasFields = false;       // the report has a main data set
  NamedTexts Fields;            // upper-case name, display text
  std::vector<DrawItem> Items;  // in page coordinates
  // Labels whose text did not fit their box, by name (an unnamed one by what it shows).
  std::vector<std::string> Clipped;
  // Printed as part of its page's header: section 1 and what the handlers print with it.
  bool PageHeader = false;
};

struct Page {
  int Number = 0;
  double Width = 794, Height = 1123;
  std::vector<Band> Bands;
};

struct Message {
  int Kind = 0;
  std::string Text;
};

struct SectionDefinition;

struct DocumentInfo {
  std::string Report;   // plug-in name
  std::string Version;  // Versao of its class
  std::string Title;
  std::string Author;
  double PageWidth = 794, PageHeight = 1123;
  // The sections the run prints with, for a sink that maps them up front; null when unknown.
  // Valid until End.
  const std::vector<SectionDefinition>* Sections = nullptr;
};

// Receives pages as they are finished, so that memory does not grow with the page count.
class PageSink {
 public:
  virtual ~PageSink() = default;
  virtual void Begin(const DocumentInfo& info) = 0;
  virtual void AddPage(const Page& page) = 0;
  // The writer's way in: it has no further use for the page, which a sink may keep.
  virtual void TakePage(Page&& page) { AddPage(page); }
  // Whether the sink reads the run's state as each band printed (values, changed labels,
  // fields, clipped labels), which costs the writer a copy and a measuring per band; a sink
  // that only draws the items leaves it out.
  virtual bool WantsBandState() const { return true; }
  virtual void End(const std::vector<Message>& messages) = 0;
};
