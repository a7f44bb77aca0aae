#include "render/CellValue.h"

#include <charconv>
#include <optional>

namespace {

// Whole numbers beyond 15 digits would lose digits as a spreadsheet's doubles.
constexpr std::size_t kMaxDigits = 15;
// Spreadsheet dates begin in 1900; the zero date (30/12/1899) and older stay text.
constexpr int kFirstYear = 1900;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

int ToInt(std::string_view digits) {
  int value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return value;
}

// -7, 0, 123: no leading zeros, at most 15 digits.
std::optional<double> WholeNumber(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  const std::string_view digits = negative ? text.substr(1) : text;
  if (!AllDigits(digits) || digits.size() > kMaxDigits) return std::nullopt;
  if (digits.size() > 1 && digits.front() == '0') return std::nullopt;
  long long value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return static_cast<double>(negative ? -value : value);
}

// 1.234,50 or 1234,50: thousands grouped by dots (or not at all), two decimals.
std::optional<double> Amount(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.size() < 4 || text[text.size() - 3] != ',') return std::nullopt;
  const std::string_view cents = text.substr(text.size() - 2);
  const std::string_view whole = text.substr(0, text.size() - 3);
  if (!AllDigits(cents)) return std::nullopt;
  std::string digits;
  if (whole.find('.') == std::string_view::npos) {
    if (!AllDigits(whole)) return std::nullopt;
    digits = whole;
  } else {
    // Groups of three after a first group of one to three digits.
    const std::size_t first = whole.find('.');
    if (first == 0 || first > 3 || (whole.size() - first) % 4 != 0) return std::nullopt;
    for (std::size_t at = 0; at < whole.size(); ++at) {
      const bool dot = at >= first && (at - first) % 4 == 0;
      if (dot ? whole[at] != '.' : !IsDigit(whole[at])) return std::nullopt;
      if (!dot) digits += whole[at];
    }
  }
  if (digits.size() > 1 && digits.front() == '0') return std::nullopt;
  if (digits.size() > kMaxDigits - 2) return std::nullopt;
  digits += '.';
  digits += cents;
  double value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return negative ? -value : value;
}

bool ValidDate(int year, int month, int day) {
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < kFirstYear || month < 1 || month > 12 || day < 1) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= (month == 2 && !leap ? 28 : kDays[month - 1]);
}

// dd/mm/yyyy, dd/mm/yyyy hh:nn or dd/mm/yyyy hh:nn:ss; mm/yyyy, a competence.
std::optional<CellValue> DateValue(std::string_view text) {
  CellValue value;
  value.Kind = CellValue::Type::Date;
  if (text.size() == 7 && text[2] == '/' && AllDigits(text.substr(0, 2)) &&
      AllDigits(text.substr(3))) {
    value.Year = ToInt(text.substr(3));
    value.Month = ToInt(text.substr(0, 2));
    value.Day = 1;
    value.Format = "mm/yyyy";
    if (!ValidDate(value.Year, value.Month, value.Day)) return std::nullopt;
    return value;
  }
  if (text.size() < 10 || text[2] != '/' || text[5] != '/' || !AllDigits(text.substr(0, 2)) ||
      !AllDigits(text.substr(3, 2)) || !AllDigits(text.substr(6, 4))) {
    return std::nullopt;
  }
  value.Day = ToInt(text.substr(0, 2));
  value.Month = ToInt(text.substr(3, 2));
  value.Year = ToInt(text.substr(6, 4));
  if (!ValidDate(value.Year, value.Month, value.Day)) return std::nullopt;
  const std::string_view time = text.substr(10);
  if (time.empty()) {
    value.Format = "dd/mm/yyyy";
    return value;
  }
  if ((time.size() != 6 && time.size() != 9) || time[0] != ' ' || time[3] != ':' ||
      !AllDigits(time.substr(1, 2)) || !AllDigits(time.substr(4, 2))) {
    return std::nullopt;
  }
  value.Hour = ToInt(time.substr(1, 2));
  value.Minute = ToInt(time.substr(4, 2));
  if (time.size() == 9) {
    if (time[6] != ':' || !AllDigits(time.substr(7, 2))) return std::nullopt;
    value.Second = ToInt(time.substr(7, 2));
  }
  if (value.Hour > 23 || value.Minute > 59 || value.Second > 59) return std::nullopt;
  value.Format = time.size() == 9 ? "dd/mm/yyyy hh:mm:ss" : "dd/mm/yyyy hh:mm";
  return value;
}

CellValue NumberValue(double number, std::string format) {
  CellValue value;
  value.Kind = CellValue::Type::Number;
  value.Number = number;
  value.Format = std::move(format);
  return value;
}

// "4 Protocolos": the number, shown with its noun by the number format, so that it still reads
// as printed and sums as a number.
std::optional<CellValue> Count(std::string_view text) {
  const std::size_t blank = text.find(' ');
  const std::optional<double> number = WholeNumber(text.substr(0, blank));
  if (!number) return std::nullopt;
  if (blank == std::string_view::npos) return NumberValue(*number, "0");
  const std::string_view noun = text.substr(blank);
  // A quote or backslash would end or escape the format's literal.
  if (noun.find_first_of("\"\\") != std::string_view::npos) return std::nullopt;
  return NumberValue(*number, "0\"" + std::string(noun) + "\"");
}

}  // namespace

CellValue ReadCellValue(std::string_view printed, std::string_view declaredKind) {
  CellValue text;
  text.Text = std::string(printed);
  if (declaredKind == "text") return text;
  const std::string_view shape = Trimmed(printed);
  // Every typed shape begins with a digit or a minus sign; most texts end here.
  if (shape.empty() || !(IsDigit(shape.front()) || shape.front() == '-')) return text;
  if (declaredKind == "count") return Count(shape).value_or(text);
  if (const auto number = WholeNumber(shape)) return NumberValue(*number, "0");
  if (const auto amount = Amount(shape)) return NumberValue(*amount, "#,##0.00");
  if (auto date = DateValue(shape)) return *date;
  return text;
}
