// The office calendar of the demo data: the business days of the first half of 2026 (weekends
// and national holidays left out) and the text forms the database keeps dates in.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace demo {

using Day = std::chrono::sys_days;

class DemoCalendar {
 public:
  DemoCalendar();

  // Business days from the first working day of January to the last of June 2026, in order.
  const std::vector<Day>& BusinessDays() const { return FBusinessDays; }
  int BusinessDayCount() const { return static_cast<int>(FBusinessDays.size()); }
  Day BusinessDay(int index) const { return FBusinessDays[index]; }
  // The last day of the demo period: write-offs and movements never lie after it.
  Day Today() const { return FBusinessDays.back(); }

  bool IsBusinessDay(Day day) const;
  // The day itself when it is a business day, else the next business day (which may lie
  // beyond the period).
  Day NextBusinessDayFrom(Day day) const;

  // 'yyyy-mm-dd', as DATE columns hold it.
  static std::string DateText(Day day);
  // 'yyyy-mm-dd hh:mm:ss', as TIMESTAMP columns hold it.
  static std::string TimestampText(Day day, int hour, int minute, int second);
  // The first day of a month and the last day of a month.
  static Day FirstOfMonth(int year, int month);
  static Day LastOfMonth(int year, int month);
  static void YearMonth(Day day, int& year, int& month);

 private:
  std::vector<Day> FBusinessDays;
};

}  // namespace demo
