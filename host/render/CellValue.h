// What a printed label's text is as a spreadsheet value. The reports print values already
// formatted in the host's fixed regional formats (amounts 1.234,50, dates 05/03/2026, date-times
// 05/03/2026 10:00:00, competences 03/2026, codes 7), so the printed text's shape tells them
// apart without the data's own types, which layout values do not carry. Digits with leading
// zeros ("00007") stay text: there the zeros are the point. A definition may say what a label
// holds where the shape cannot (a count followed by its noun; digits to keep as text).
#pragma once

#include <string>
#include <string_view>

struct CellValue {
  enum class Type { Text, Number, Date };
  Type Kind = Type::Text;
  std::string Text;                                                    // Text: the text as printed
  double Number = 0;                                                   // Number
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;  // Date
  std::string Format;  // the number format that shows the value as it was printed
};

// `declaredKind` is the label's "kind" in the definition: empty, "text" or "count".
CellValue ReadCellValue(std::string_view printed, std::string_view declaredKind);
