#include "TDateTime.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>

#include "Exception.h"
#include "core/CivilTime.h"

namespace {

using namespace std::chrono;

// The zero date-time of the host.
constexpr sys_days kEpoch = sys_days{year{1899} / December / 30};

std::string TwoDigits(int value) {
  std::string text = std::to_string(value);
  return text.size() < 2 ? "0" + text : text;
}

}  // namespace

namespace civil {

DayAndTime Split(double value) {
  // A negative value keeps its time of day as a positive fraction: -1.25 is 29/12/1899 06:00.
  std::int64_t days = static_cast<std::int64_t>(std::trunc(value));
  std::int64_t milliseconds =
      std::llround(std::fabs(value - static_cast<double>(days)) * kMsPerDay);
  if (milliseconds >= kMsPerDay) {
    milliseconds -= kMsPerDay;
    days += value < 0 ? -1 : 1;
  }
  return {days, milliseconds};
}

bool ValidDate(int y, int m, int d) {
  if (y < 1 || y > 9999) return false;
  return year_month_day{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}}
      .ok();
}

bool ValidTime(int h, int n, int s) {
  return h >= 0 && h < 24 && n >= 0 && n < 60 && s >= 0 && s < 60;
}

std::int64_t DaysOf(int y, int m, int d) {
  const sys_days date{year{y} / month{static_cast<unsigned>(m)} / day{static_cast<unsigned>(d)}};
  return (date - kEpoch).count();
}

void DateOf(std::int64_t days, int& y, int& m, int& d) {
  const year_month_day date{kEpoch + std::chrono::days{days}};
  y = static_cast<int>(date.year());
  m = static_cast<int>(static_cast<unsigned>(date.month()));
  d = static_cast<int>(static_cast<unsigned>(date.day()));
}

}  // namespace civil

TDateTime TDateTime::EncodeDate(int year, int month, int day) {
  if (!civil::ValidDate(year, month, day)) {
    throw Exception("Data inválida: " + TwoDigits(day) + "/" + TwoDigits(month) + "/" +
                    std::to_string(year));
  }
  return TDateTime(static_cast<double>(civil::DaysOf(year, month, day)));
}

TDateTime TDateTime::EncodeDateTime(int year, int month, int day, int hour, int minute,
                                    int second) {
  if (!civil::ValidTime(hour, minute, second)) {
    throw Exception("Hora inválida: " + TwoDigits(hour) + ":" + TwoDigits(minute) + ":" +
                    TwoDigits(second));
  }
  const double date = EncodeDate(year, month, day).Value();
  const double time = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
  // Before the zero date the time of day still counts forward (see civil::Split).
  return TDateTime(date < 0 ? date - time : date + time);
}

void TDateTime::DecodeDate(int& year, int& month, int& day) const {
  civil::DateOf(civil::Split(FValue).Days, year, month, day);
}

void TDateTime::DecodeTime(int& hour, int& minute, int& second) const {
  const std::int64_t seconds = civil::Split(FValue).Milliseconds / 1000;
  hour = static_cast<int>(seconds / 3600);
  minute = static_cast<int>(seconds / 60 % 60);
  second = static_cast<int>(seconds % 60);
}

bool TDateTime::HasTime() const {
  return civil::Split(FValue).Milliseconds != 0;
}

TDateTime TDateTime::DateOnly() const {
  return TDateTime(static_cast<double>(civil::Split(FValue).Days));
}
