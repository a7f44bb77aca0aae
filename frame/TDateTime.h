// A date-time as the host keeps it: days since 30/12/1899 (the zero date-time), the fraction
// being the time of day.
#pragma once

#include <compare>

#include "KdrApi.h"

class KDR_API TDateTime {
 public:
  constexpr TDateTime() = default;
  constexpr explicit TDateTime(double days) : FValue(days) {}

  static TDateTime EncodeDate(int year, int month, int day);
  static TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second);
  void DecodeDate(int& year, int& month, int& day) const;
  void DecodeTime(int& hour, int& minute, int& second) const;

  constexpr double Value() const { return FValue; }
  constexpr bool IsZero() const { return FValue == 0.0; }
  bool HasTime() const;
  TDateTime DateOnly() const;

  auto operator<=>(const TDateTime&) const = default;

 private:
  double FValue = 0.0;
};
