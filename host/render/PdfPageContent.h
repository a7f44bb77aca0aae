// The content stream of a PDF page: the page's text, lines, frames and pictures as PDF
// operators, placed as PageDrawer places them on a vector target (no snapping to pixels, text
// clipped only where it leaves its box).
#pragma once

#include <string>
#include <string_view>

#include "page/Page.h"
#include "render/FontMetrics.h"
#include "render/PdfImageSet.h"
#include "render/PdfTextLines.h"

class PdfPageContent {
 public:
  PdfPageContent(const FontMetrics& metrics, PdfTextLines& lines, PdfImageSet& images);
  // The operators of `page`, uncompressed; valid until the next call. Raises Exception for an
  // unreadable picture.
  const std::string& Draw(const Page& page);

 private:
  // A label's box in points.
  struct Box {
    double Left, Top, Width, Height;
  };
  // What the operators written so far have set, so that nothing is set twice.
  struct State {
    int Face = -1;
    double FontSize = 0;
    double LineWidth = 1;
    bool Stroked = false;  // text render mode 2: synthetic emboldening
    // Lines of text follow one another in one text object, each placed from the one before
    // (Td) rather than anew: fewer bytes to write and to compress.
    bool InText = false;
    bool LinePlaced = false;  // the text line matrix below holds
    double LineX = 0, LineY = 0, Skew = 0;
  };

  void DrawText(const TextItem& item);
  // The line `paragraph` makes when it fits within `width` (layout units) unbroken, else none.
  // Valid until the next look-up of a line.
  const PdfTextLines::Line* OneLine(std::string_view paragraph, const TFont& font, double width);
  void ShowLine(std::string_view text, const TFont& font, TextAlign align, const Box& box,
                double top);
  void ShowLine(const PdfTextLines::Line& line, TextAlign align, const Box& box, double top);
  void DrawLine(const LineItem& item);
  void DrawFrame(const FrameItem& item);
  void DrawImage(const ImageItem& item);
  void SetLineWidth(double width);
  void BeginText();
  void EndText();
  void PlaceLine(double x, double y, double skew);
  void Number(double value);

  const FontMetrics& FMetrics;
  PdfTextLines& FLines;
  PdfImageSet& FImages;
  std::string FOut;
  State FState;
};
