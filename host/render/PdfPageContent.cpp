#include "render/PdfPageContent.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <type_traits>
#include <variant>

#include <glib.h>

#include "page/LabelText.h"
#include "render/PdfSyntax.h"

namespace {

constexpr double kTolerance = 1e-6;
constexpr double kWidthMargin = 0.01;  // layout units

std::string_view TrimTrailingBlanks(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// One plain scan: labels are short, and a library search costs more to set up than to run.
bool HasLineBreak(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; });
}

double Points(double units) {
  return units * kPointsPerUnit;
}

// Synthetic emboldening strokes the outlines with this share of the font size, which thickens
// the stems about as much as Cairo's emboldening does.
constexpr double kEmboldenShare = 1.0 / 24;

}  // namespace

PdfPageContent::PdfPageContent(const FontMetrics& metrics, PdfTextLines& lines, PdfImageSet& images)
    : FMetrics(metrics), FLines(lines), FImages(images) {}

void PdfPageContent::Number(double value) {
  pdf_syntax::AppendNumber(FOut, value);
  FOut += ' ';
}

const std::string& PdfPageContent::Draw(const Page& page) {
  FOut.clear();
  FState = State{};
  // Points from the top left corner, y downwards, as the page's items and Pango's lines are.
  FOut += "1 0 0 -1 0 ";
  Number(Points(page.Height));
  FOut += "cm\n";
  for (const Band& band : page.Bands) {
    for (const DrawItem& item : band.Items) {
      std::visit(
          [&](const auto& element) {
            using Element = std::decay_t<decltype(element)>;
            if constexpr (std::is_same_v<Element, TextItem>) DrawText(element);
            if constexpr (std::is_same_v<Element, LineItem>) DrawLine(element);
            if constexpr (std::is_same_v<Element, FrameItem>) DrawFrame(element);
            if constexpr (std::is_same_v<Element, ImageItem>) DrawImage(element);
          },
          item);
    }
  }
  EndText();
  return FOut;
}

void PdfPageContent::DrawText(const TextItem& item) {
  if (item.Text.empty()) return;
  const Box box{Points(item.Left), Points(item.Top), Points(item.Width), Points(item.Height)};
  if (!item.Multiline) {
    // Most labels hold no line break, and their text is shown as it is, without a copy.
    if (!HasLineBreak(item.Text)) {
      ShowLine(item.Text, item.Font, item.Align, box, box.Top);
    } else {
      ShowLine(label_text::OneLine(item.Text), item.Font, item.Align, box, box.Top);
    }
    return;
  }
  // Wrapped with the very metrics the report writer used to size the band.
  const double lineHeight = Points(FMetrics.LineHeight(item.Font));
  double top = box.Top;
  for (std::string_view paragraph : label_text::Paragraphs(item.Text)) {
    if (const PdfTextLines::Line* whole = OneLine(paragraph, item.Font, item.Width)) {
      if (top >= box.Top + box.Height - kTolerance) return;
      const std::string_view line = TrimTrailingBlanks(paragraph);
      if (line.size() == paragraph.size()) {
        ShowLine(*whole, item.Align, box, top);
      } else if (!line.empty()) {
        ShowLine(line, item.Font, item.Align, box, top);
      }
      top += lineHeight;
      continue;
    }
    for (const std::string& line :
         FMetrics.WrapParagraph(std::string(paragraph), item.Font, item.Width)) {
      if (top >= box.Top + box.Height - kTolerance) return;
      if (!line.empty()) ShowLine(line, item.Font, item.Align, box, top);
      top += lineHeight;
    }
  }
}

const PdfTextLines::Line* PdfPageContent::OneLine(std::string_view paragraph, const TFont& font,
                                                  double width) {
  // Labels are often wrapped by the report before they are set, so most of their paragraphs
  // are single lines. WrapParagraph gives such a paragraph back whole, its trailing blanks
  // left out; the paragraph shaped whole, as it is about to be drawn, proves the fit without
  // laying it out for breaking. Text with anything that breaks a line by itself goes the long
  // way.
  if (!g_utf8_validate(paragraph.data(), static_cast<gssize>(paragraph.size()), nullptr)) {
    return nullptr;
  }
  for (char c : paragraph) {
    if (static_cast<unsigned char>(c) < 0x20) return nullptr;
  }
  for (std::string_view lineBreak : {"\u2028", "\u2029", "\u0085"}) {
    if (paragraph.find(lineBreak) != std::string_view::npos) return nullptr;
  }
  const PdfTextLines::Line& line = FLines.Get(paragraph, font);
  // The width the metrics measure, in their units; kept clear of the box by a hair, as Pango
  // wraps at the width rounded down to its units.
  return line.Width * kUnitsPerPoint <= width - kWidthMargin ? &line : nullptr;
}

void PdfPageContent::ShowLine(std::string_view text, const TFont& font, TextAlign align,
                              const Box& box, double top) {
  ShowLine(FLines.Get(text, font), align, box, top);
}

void PdfPageContent::ShowLine(const PdfTextLines::Line& line, TextAlign align, const Box& box,
                              double top) {
  if (line.Runs.empty()) return;
  double left = box.Left;
  if (align == TextAlign::Right) left = box.Left + box.Width - line.Width;
  if (align == TextAlign::Center) left = box.Left + (box.Width - line.Width) / 2;
  // Clipping costs a graphics state; only text that leaves its box pays for it.
  const bool clip =
      line.Width > box.Width + kTolerance || top + line.Height > box.Top + box.Height + kTolerance;
  if (clip) EndText();
  const State outside = FState;
  if (clip) {
    FOut += "q ";
    Number(box.Left);
    Number(box.Top);
    Number(box.Width);
    Number(box.Height);
    FOut += "re W n\n";
  }
  BeginText();
  for (const PdfTextLines::Run& run : line.Runs) {
    if (run.Font.Face != FState.Face || run.Font.Size != FState.FontSize) {
      FOut += "/F";
      pdf_syntax::AppendInteger(FOut, run.Font.Face + 1);
      FOut += ' ';
      Number(run.Font.Size);
      FOut += "Tf\n";
      FState.Face = run.Font.Face;
      FState.FontSize = run.Font.Size;
    }
    if (run.Font.Embolden) {
      SetLineWidth(run.Font.Size * kEmboldenShare);
      if (!FState.Stroked) FOut += "2 Tr\n";
      FState.Stroked = true;
    } else if (FState.Stroked) {
      FOut += "0 Tr\n";
      FState.Stroked = false;
    }
    PlaceLine(left + run.X, top + run.Y, run.Font.Skew);
    FOut += run.Show;
    FOut += '\n';
  }
  if (clip) {
    EndText();
    FOut += "Q\n";
    FState = outside;
  }
}

void PdfPageContent::BeginText() {
  if (FState.InText) return;
  FOut += "BT\n";
  FState.InText = true;
  FState.LinePlaced = false;
}

void PdfPageContent::EndText() {
  if (!FState.InText) return;
  FOut += "ET\n";
  FState.InText = false;
}

void PdfPageContent::PlaceLine(double x, double y, double skew) {
  // Positions as written, to the thousandth: moves computed from them add up without drift.
  auto written = [](double value) { return std::round(value * 1000) / 1000; };
  x = written(x);
  y = written(y);
  if (FState.LinePlaced && skew == 0 && FState.Skew == 0) {
    // The text space is flipped upright, so a move down the page is a negative one in it.
    Number(x - FState.LineX);
    Number(FState.LineY - y);
    FOut += "Td ";
  } else {
    // The text matrix flips the glyphs upright again in the page's downward space.
    FOut += "1 0 ";
    Number(skew);
    FOut += "-1 ";
    Number(x);
    Number(y);
    FOut += "Tm ";
  }
  FState.LinePlaced = true;
  FState.LineX = x;
  FState.LineY = y;
  FState.Skew = skew;
}

void PdfPageContent::SetLineWidth(double width) {
  if (width == FState.LineWidth) return;
  Number(width);
  FOut += "w\n";
  FState.LineWidth = width;
}

void PdfPageContent::DrawLine(const LineItem& item) {
  if (!(item.Thickness > 0)) return;
  EndText();
  SetLineWidth(Points(item.Thickness));
  Number(Points(item.X1));
  Number(Points(item.Y1));
  FOut += "m ";
  Number(Points(item.X2));
  Number(Points(item.Y2));
  FOut += "l S\n";
}

void PdfPageContent::DrawFrame(const FrameItem& item) {
  if (!(item.Thickness > 0)) return;
  EndText();
  SetLineWidth(Points(item.Thickness));
  Number(Points(item.Left));
  Number(Points(item.Top));
  Number(Points(item.Width));
  Number(Points(item.Height));
  FOut += "re S\n";
}

void PdfPageContent::DrawImage(const ImageItem& item) {
  if (item.Bitmap.Empty() || !(item.Width > 0) || !(item.Height > 0)) return;
  const PdfImageSet::Image picture = FImages.Use(item.Bitmap);
  EndText();
  // Scaled into the box keeping its proportions, from the box's top left corner, which lines
  // the picture up with the margin the box sits on.
  const double scale =
      std::min(Points(item.Width) / picture.Width, Points(item.Height) / picture.Height);
  const double width = picture.Width * scale, height = picture.Height * scale;
  FOut += "q ";
  Number(width);
  FOut += "0 0 ";
  Number(-height);
  Number(Points(item.Left));
  Number(Points(item.Top) + height);
  FOut += "cm /Im";
  pdf_syntax::AppendInteger(FOut, picture.Resource);
  FOut += " Do Q\n";
}
