// A report definition (reports/NAME.json): title, parameters, the main statement, the page and
// the sections with their elements. Distances are layout units (1/96 inch); element positions
// are relative to the page's left edge and to the top of their section.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "TFont.h"
#include "page/Page.h"

struct ParameterDefinition {
  std::string Name;
  std::string Caption;
  std::string Type = "text";  // date, integer, text, choice, codes
  std::string Default;
  bool Required = false;
  std::vector<std::string> Choices;  // "Caption=value" lines of a choice parameter
};

// A condition of the main statement built from an inclusion-expression parameter.
struct StatementFilter {
  std::string Parameter;
  std::string Column;
};

struct ElementDefinition {
  enum class Kind { Label, Image, Line, Frame };
  Kind Type = Kind::Label;
  std::string Name;  // how reports find labels and images; may be empty
  double Left = 0, Top = 0, Width = 0, Height = 0;
  bool Visible = true;
  // What a label shows: static text, a layout value, or a field of the main data set.
  std::string Text;
  std::string Value;
  std::string Field;
  TFont Font;
  TextAlign Align = TextAlign::Left;
  bool Multiline = false;  // wraps inside its box instead of being clipped to one line
  double Thickness = 1;    // lines and frames
  bool Picture = false;    // an image showing the report's picture (the logo)
  // What a label's text is, for outputs that keep values typed (the spreadsheet): empty to
  // judge by the printed text, "text" to keep it as written, "count" for a whole number
  // followed by what it counts ("4 Protocolos").
  std::string ValueKind;
};

struct SectionDefinition {
  int Number = 0;
  std::string Name;  // optional; the plug-in's section constant of the same number repeats it
  double Height = 0;
  // Stays on the page with the section printed right after it: when both do not fit on the
  // rest of the page, the page ends before this one.
  bool KeepWithNext = false;
  // Stays on the page with the section printed right before it (a note with its address).
  bool KeepWithPrevious = false;
  std::vector<ElementDefinition> Elements;
};

struct PageDefinition {
  double Width = 794;  // A4 portrait
  double Height = 1123;
  bool Landscape = false;
  double MarginTop = 38, MarginBottom = 38, MarginLeft = 38, MarginRight = 38;
};

// An alternative set of sections chosen when a parameter has a given value.
struct LayoutVariant {
  std::string Parameter;
  std::string Value;
  std::vector<SectionDefinition> Sections;
};

struct ReportDefinition {
  std::string Name;  // the plug-in's name, from the file name
  std::string Title;
  std::string Author;
  std::vector<ParameterDefinition> Parameters;
  std::string Statement;  // main statement; empty when the report opens its own data
  std::vector<StatementFilter> Filters;
  PageDefinition Page;
  TFont DefaultFont;
  std::vector<SectionDefinition> Sections;
  std::vector<LayoutVariant> Variants;

  // The sections to print with, given the run's parameter values (a variant whose parameter
  // has its value, else the default sections).
  const std::vector<SectionDefinition>& SectionsFor(
      const std::map<std::string, std::string>& parameterValues) const;
};

// Loads and checks a definition; raises Exception naming the file and the problem.
ReportDefinition LoadReportDefinition(const std::string& path);
// The same from a definition's text; `path` names it in messages and gives the report's name.
ReportDefinition ParseReportDefinition(const std::string& text, const std::string& path);
