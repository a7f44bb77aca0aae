#include "demo/DemoCalendar.h"

#include <algorithm>
#include <array>

namespace demo {
namespace {

using namespace std::chrono;

constexpr Day kFirstDay = sys_days{year{2026} / January / 2};
constexpr Day kLastDay = sys_days{year{2026} / June / 30};

// National holidays of the period, with Carnival and Corpus Christi, on which offices close.
constexpr std::array<Day, 6> kHolidays = {
    sys_days{year{2026} / February / 16}, sys_days{year{2026} / February / 17},
    sys_days{year{2026} / April / 3},     sys_days{year{2026} / April / 21},
    sys_days{year{2026} / May / 1},       sys_days{year{2026} / June / 4},
};

void PutDigits(char* out, unsigned value, int width) {
  for (int i = width - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

}  // namespace

DemoCalendar::DemoCalendar() {
  for (Day day = kFirstDay; day <= kLastDay; day += days{1}) {
    if (IsBusinessDay(day)) FBusinessDays.push_back(day);
  }
}

bool DemoCalendar::IsBusinessDay(Day day) const {
  const weekday dayOfWeek{day};
  if (dayOfWeek == Saturday || dayOfWeek == Sunday) return false;
  return std::find(kHolidays.begin(), kHolidays.end(), day) == kHolidays.end();
}

Day DemoCalendar::NextBusinessDayFrom(Day day) const {
  while (!IsBusinessDay(day)) day += days{1};
  return day;
}

std::string DemoCalendar::DateText(Day day) {
  const year_month_day date{day};
  std::string text = "0000-00-00";
  PutDigits(text.data(), static_cast<unsigned>(static_cast<int>(date.year())), 4);
  PutDigits(text.data() + 5, static_cast<unsigned>(date.month()), 2);
  PutDigits(text.data() + 8, static_cast<unsigned>(date.day()), 2);
  return text;
}

std::string DemoCalendar::TimestampText(Day day, int hour, int minute, int second) {
  std::string text = DateText(day) + " 00:00:00";
  PutDigits(text.data() + 11, static_cast<unsigned>(hour), 2);
  PutDigits(text.data() + 14, static_cast<unsigned>(minute), 2);
  PutDigits(text.data() + 17, static_cast<unsigned>(second), 2);
  return text;
}

Day DemoCalendar::FirstOfMonth(int yearNumber, int monthNumber) {
  return sys_days{year{yearNumber} / month{static_cast<unsigned>(monthNumber)} / 1};
}

Day DemoCalendar::LastOfMonth(int yearNumber, int monthNumber) {
  return sys_days{year{yearNumber} / month{static_cast<unsigned>(monthNumber)} / last};
}

void DemoCalendar::YearMonth(Day day, int& yearNumber, int& monthNumber) {
  const year_month_day date{day};
  yearNumber = static_cast<int>(date.year());
  monthNumber = static_cast<int>(static_cast<unsigned>(date.month()));
}

}  // namespace demo
