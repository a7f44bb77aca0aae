// Calendar arithmetic shared by the date-time type and the date formats and parsers.
#pragma once

#include <cstdint>

namespace civil {

constexpr std::int64_t kMsPerDay = 86'400'000;

struct DayAndTime {
  std::int64_t Days;          // whole days since 30/12/1899
  std::int64_t Milliseconds;  // time of day, rounded to the millisecond
};

DayAndTime Split(double value);
bool ValidDate(int year, int month, int day);
bool ValidTime(int hour, int minute, int second);
std::int64_t DaysOf(int year, int month, int day);
void DateOf(std::int64_t days, int& year, int& month, int& day);

}  // namespace civil
