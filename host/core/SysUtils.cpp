#include "SysUtils.h"

#include <cctype>
#include <charconv>
#include <limits>

#include "core/AsciiCase.h"
#include "core/DateText.h"
#include "core/NumberText.h"

namespace {

bool IsContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

const char* const kMonthNames[] = {"janeiro",  "fevereiro", "março",    "abril",
                                   "maio",     "junho",     "julho",    "agosto",
                                   "setembro", "outubro",   "novembro", "dezembro"};
const char* const kMonthShortNames[] = {"jan", "fev", "mar", "abr", "mai", "jun",
                                        "jul", "ago", "set", "out", "nov", "dez"};
const char* const kDayNames[] = {"domingo",      "segunda-feira", "terça-feira", "quarta-feira",
                                 "quinta-feira", "sexta-feira",   "sábado"};
const char* const kDayShortNames[] = {"dom", "seg", "ter", "qua", "qui", "sex", "sáb"};

// As printf's "%0*d": zeros after the sign up to `width` characters in all.
std::string Padded(int value, int width) {
  char buffer[16];
  const char* const end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  const std::size_t length = static_cast<std::size_t>(end - buffer);
  const std::size_t sign = value < 0 ? 1 : 0;
  std::string out(buffer, sign);
  if (static_cast<std::size_t>(width) > length) {
    out.append(static_cast<std::size_t>(width) - length, '0');
  }
  return out.append(buffer + sign, length - sign);
}

// Day of the week, 0 for Sunday; 30/12/1899 was a Saturday.
int DayOfWeek(TDateTime value) {
  const auto days = static_cast<long long>(value.DateOnly().Value());
  return static_cast<int>(((days + 6) % 7 + 7) % 7);
}

}  // namespace

int StrToIntDef(const std::string& text, int fallback) {
  const auto value = number_text::ParseInteger(text);
  if (!value || *value < std::numeric_limits<int>::min() ||
      *value > std::numeric_limits<int>::max()) {
    return fallback;
  }
  return static_cast<int>(*value);
}

std::int64_t StrToInt64Def(const std::string& text, std::int64_t fallback) {
  return number_text::ParseInteger(text).value_or(fallback);
}

TDateTime StrToDateDef(const std::string& text, TDateTime fallback) {
  return date_text::ParseDate(text).value_or(fallback);
}

std::string FormatDateTime(const std::string& pattern, TDateTime value) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  value.DecodeDate(year, month, day);
  value.DecodeTime(hour, minute, second);
  std::string out;
  bool lastWasHour = false;
  std::size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    if (c == '\'' || c == '"') {
      const std::size_t close = pattern.find(c, i + 1);
      const std::size_t stop = close == std::string::npos ? pattern.size() : close;
      out += pattern.substr(i + 1, stop - i - 1);
      i = stop == pattern.size() ? stop : stop + 1;
      continue;
    }
    const char upper = ascii_case::Upper(c);
    std::size_t run = 1;
    while (i + run < pattern.size() && ascii_case::Upper(pattern[i + run]) == upper) ++run;
    const int count = static_cast<int>(run);
    switch (upper) {
      case 'D':
        if (count >= 4) {
          out += kDayNames[DayOfWeek(value)];
        } else if (count == 3) {
          out += kDayShortNames[DayOfWeek(value)];
        } else {
          out += Padded(day, count);
        }
        lastWasHour = false;
        break;
      case 'M':
        // After an hour, m is the minute: "hh:mm".
        if (lastWasHour && count <= 2) {
          out += Padded(minute, count);
        } else if (count >= 4) {
          out += kMonthNames[month - 1];
        } else if (count == 3) {
          out += kMonthShortNames[month - 1];
        } else {
          out += Padded(month, count);
        }
        lastWasHour = false;
        break;
      case 'Y':
        out += count <= 2 ? Padded(year % 100, 2) : Padded(year, 4);
        lastWasHour = false;
        break;
      case 'H':
        out += Padded(hour, count > 2 ? 2 : count);
        lastWasHour = true;
        break;
      case 'N':
        out += Padded(minute, count > 2 ? 2 : count);
        lastWasHour = false;
        break;
      case 'S':
        out += Padded(second, count > 2 ? 2 : count);
        lastWasHour = false;
        break;
      default:
        out.append(run, c);  // literal; '/' and ':' are already the Brazilian separators
        break;
    }
    i += run;
  }
  return out;
}

std::string DateToStr(TDateTime value) {
  int year = 0, month = 0, day = 0;
  value.DecodeDate(year, month, day);
  // Reports print a date or two on every line: the common years without the pattern's reading.
  if (year < 1 || year > 9999) return FormatDateTime("dd/mm/yyyy", value);
  const auto digit = [](int number) { return static_cast<char>('0' + number % 10); };
  return {digit(day / 10),    digit(day),        '/',
          digit(month / 10),  digit(month),      '/',
          digit(year / 1000), digit(year / 100), digit(year / 10),
          digit(year)};
}

std::string DateTimeToStr(TDateTime value) {
  return value.HasTime() ? FormatDateTime("dd/mm/yyyy hh:nn:ss", value) : DateToStr(value);
}

std::string Trim(const std::string& text) {
  // Like the host: every control character and blank counts as white space.
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return text.substr(begin, end - begin);
}

std::string UpperCase(const std::string& text) {
  std::string result = text;
  for (char& c : result) c = ascii_case::Upper(c);
  return result;
}

bool SameText(const std::string& a, const std::string& b) {
  return ascii_case::Equal{}(a, b);
}

std::string LeftChars(const std::string& text, int count) {
  if (count <= 0) return {};
  int seen = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsContinuationByte(text[i]) && seen++ == count) return text.substr(0, i);
  }
  return text;
}

int CharCount(const std::string& text) {
  int count = 0;
  for (char c : text) {
    if (!IsContinuationByte(c)) ++count;
  }
  return count;
}
