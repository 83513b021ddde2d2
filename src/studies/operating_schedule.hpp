#pragma once
// The hours of a week in which the air-handling unit runs, from a short text:
//
//   always                         every hour (the default)
//   mon-fri 06-20                  Monday to Friday, 06:00 to 20:00
//   mon-fri 06-20; sat 08-12       entries separated by ';'
//   daily 07-19, 20-22             several ranges of hours; "daily" (or no days) is every day
//   weekdays 22-06                 a range past midnight runs into the next morning
//
// Days: mon tue wed thu fri sat sun, ranges of them (fri-mon wraps), lists (mon,wed,fri),
// daily, weekdays (mon-fri), weekends (sat,sun). Hours: HH-HH, from the start of the first to
// the start of the second (00 .. 24).
#include <array>
#include <bitset>
#include <string>
#include <string_view>

namespace novaflux {

class OperatingSchedule {
public:
  OperatingSchedule();  // always
  // Throws std::invalid_argument naming the schedule and the part that cannot be read.
  static OperatingSchedule parse(std::string_view text);

  // weekday 0 (Monday) .. 6 (Sunday); hour_of_day 0 .. 23, the hour that starts then.
  bool operates(int weekday, int hour_of_day) const { return week_[weekday][hour_of_day]; }
  int hours_per_week() const;
  const std::string& text() const { return text_; }

private:
  std::array<std::bitset<24>, 7> week_;
  std::string text_;
};

}  // namespace novaflux
