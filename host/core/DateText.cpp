#include "core/DateText.h"

#include <cctype>
#include <cstdio>
#include <vector>

#include "SysUtils.h"
#include "core/CivilTime.h"

namespace date_text {

namespace {

struct Cursor {
  const std::string& Text;
  std::size_t Position = 0;

  bool AtEnd() const { return Position >= Text.size(); }
  bool Accept(char c) {
    if (AtEnd() || Text[Position] != c) return false;
    ++Position;
    return true;
  }
  // Reads between `minDigits` and `maxDigits` digits; -1 when there are not enough.
  int Number(int minDigits, int maxDigits, int* count = nullptr) {
    int value = 0;
    int digits = 0;
    while (!AtEnd() && digits < maxDigits &&
           std::isdigit(static_cast<unsigned char>(Text[Position]))) {
      value = value * 10 + (Text[Position++] - '0');
      ++digits;
    }
    if (count != nullptr) *count = digits;
    return digits >= minDigits ? value : -1;
  }
};

int FullYear(int year, int digits) {
  // Two-digit years: 00-49 this century, 50-99 the last one.
  if (digits <= 2) return year < 50 ? 2000 + year : 1900 + year;
  return year;
}

std::optional<std::int64_t> ReadDate(Cursor& cursor, bool isoOnly) {
  int y = 0;
  int m = 0;
  int d = 0;
  int firstDigits = 0;
  const int first = cursor.Number(1, 4, &firstDigits);
  if (first < 0) return std::nullopt;
  if (firstDigits == 4 && cursor.Accept('-')) {
    y = first;
    m = cursor.Number(1, 2);
    if (m < 0 || !cursor.Accept('-')) return std::nullopt;
    d = cursor.Number(1, 2);
  } else if (!isoOnly && firstDigits <= 2 && cursor.Accept('/')) {
    d = first;
    m = cursor.Number(1, 2);
    if (m < 0 || !cursor.Accept('/')) return std::nullopt;
    int yearDigits = 0;
    y = cursor.Number(2, 4, &yearDigits);
    if (y < 0 || yearDigits == 3) return std::nullopt;
    y = FullYear(y, yearDigits);
  } else {
    return std::nullopt;
  }
  if (d < 0 || !civil::ValidDate(y, m, d)) return std::nullopt;
  return civil::DaysOf(y, m, d);
}

std::optional<TDateTime> ReadDateTime(const std::string& text, bool isoOnly) {
  const std::string trimmed = Trim(text);
  Cursor cursor{trimmed};
  const auto days = ReadDate(cursor, isoOnly);
  if (!days) return std::nullopt;
  if (cursor.AtEnd()) return TDateTime(static_cast<double>(*days));
  if (!cursor.Accept('T')) {
    if (!cursor.Accept(' ')) return std::nullopt;
    while (cursor.Accept(' ')) {
    }
  }
  const int hour = cursor.Number(1, 2);
  if (hour < 0 || !cursor.Accept(':')) return std::nullopt;
  const int minute = cursor.Number(2, 2);
  int second = 0;
  if (cursor.Accept(':')) second = cursor.Number(2, 2);
  int milliseconds = 0;
  if (cursor.Accept('.')) {
    int digits = 0;
    int fraction = cursor.Number(1, 9, &digits);
    if (fraction < 0) return std::nullopt;
    // To milliseconds: "5" is 500, "123456" is 123.
    for (; digits < 3; ++digits) fraction *= 10;
    for (; digits > 3; --digits) fraction /= 10;
    milliseconds = fraction;
  }
  if (minute < 0 || second < 0 || !cursor.AtEnd() || !civil::ValidTime(hour, minute, second)) {
    return std::nullopt;
  }
  const double time =
      (hour * 3600'000.0 + minute * 60'000.0 + second * 1000.0 + milliseconds) / civil::kMsPerDay;
  const double date = static_cast<double>(*days);
  return TDateTime(date < 0 ? date - time : date + time);
}

}  // namespace

std::optional<TDateTime> ParseDate(const std::string& text) {
  const std::string trimmed = Trim(text);
  Cursor cursor{trimmed};
  const auto days = ReadDate(cursor, false);
  if (!days || !cursor.AtEnd()) return std::nullopt;
  return TDateTime(static_cast<double>(*days));
}

std::optional<TDateTime> ParseDateTime(const std::string& text) {
  return ReadDateTime(text, false);
}

std::optional<TDateTime> ParseIsoDateTime(const std::string& text) {
  return ReadDateTime(text, true);
}

std::string ToIsoText(TDateTime value) {
  int y = 0, m = 0, d = 0, h = 0, n = 0, s = 0;
  value.DecodeDate(y, m, d);
  char buffer[32];
  if (!value.HasTime()) {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", y, m, d);
  } else {
    value.DecodeTime(h, n, s);
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, h, n, s);
  }
  return buffer;
}

}  // namespace date_text
