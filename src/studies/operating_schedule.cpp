#include "studies/operating_schedule.hpp"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <vector>

namespace novaflux {

namespace {

constexpr std::array<std::string_view, 7> kDays{"mon", "tue", "wed", "thu", "fri", "sat", "sun"};

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> split(std::string_view s, char separator) {
  std::vector<std::string_view> parts;
  for (size_t pos = 0;;) {
    const size_t end = s.find(separator, pos);
    parts.push_back(trimmed(s.substr(pos, end == std::string_view::npos ? end : end - pos)));
    if (end == std::string_view::npos) return parts;
    pos = end + 1;
  }
}

class Parser {
public:
  explicit Parser(std::string_view text) : text_(text) {}

  [[noreturn]] void fail(std::string_view part, const std::string& why) const {
    throw std::invalid_argument("schedule \"" + std::string(text_) + "\": \"" + std::string(part) + "\" " + why);
  }

  int day(std::string_view name) const {
    const auto it = std::find(kDays.begin(), kDays.end(), name);
    if (it == kDays.end()) fail(name, "is not a day (mon tue wed thu fri sat sun, daily, weekdays, weekends)");
    return static_cast<int>(it - kDays.begin());
  }

  std::bitset<7> days(std::string_view text) const {
    std::bitset<7> set;
    if (text.empty() || text == "daily") return set.set();
    if (text == "weekdays") return std::bitset<7>(0x1F);
    if (text == "weekends") return std::bitset<7>(0x60);
    for (std::string_view item : split(text, ',')) {
      const size_t dash = item.find('-');
      if (dash == std::string_view::npos) {
        set.set(static_cast<size_t>(day(item)));
        continue;
      }
      const int first = day(trimmed(item.substr(0, dash))), last = day(trimmed(item.substr(dash + 1)));
      for (int d = first;; d = (d + 1) % 7) {
        set.set(static_cast<size_t>(d));
        if (d == last) break;
      }
    }
    return set;
  }

  int hour(std::string_view text, std::string_view range) const {
    if (text.empty() || text.size() > 2 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
      fail(range, "is not a range of hours HH-HH");
    const int h = std::stoi(std::string(text));
    if (h > 24) fail(range, "has an hour past 24");
    return h;
  }

  // One entry: days (optional) and ranges of hours.
  void entry(std::string_view entry, std::array<std::bitset<24>, 7>& week) const {
    if (entry.empty()) fail(entry, "is an empty entry");
    // The hours start at the first digit; what comes before names the days.
    const size_t first_digit = entry.find_first_of("0123456789");
    if (first_digit == std::string_view::npos) fail(entry, "gives no hours (for example 06-20)");
    const std::bitset<7> on = days(trimmed(entry.substr(0, first_digit)));
    for (std::string_view range : split(entry.substr(first_digit), ',')) {
      const size_t dash = range.find('-');
      if (dash == std::string_view::npos) fail(range, "is not a range of hours HH-HH");
      const int from = hour(trimmed(range.substr(0, dash)), range), to = hour(trimmed(range.substr(dash + 1)), range);
      if (from == to) fail(range, "is an empty range of hours");
      if (from == 24) fail(range, "starts at 24; a range starts at 00 .. 23");
      for (int d = 0; d < 7; ++d) {
        if (!on[static_cast<size_t>(d)]) continue;
        for (int h = from; h != to; h = (h + 1) % 24) {
          // Hours past midnight belong to the next morning.
          const int of_day = (to < from && h < from) ? (d + 1) % 7 : d;
          week[static_cast<size_t>(of_day)].set(static_cast<size_t>(h));
          if (to == 24 && h == 23) break;
        }
      }
    }
  }

private:
  std::string_view text_;
};

}  // namespace

OperatingSchedule::OperatingSchedule() : text_("always") {
  for (auto& day : week_) day.set();
}

OperatingSchedule OperatingSchedule::parse(std::string_view text) {
  std::string lower(trimmed(text));
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  if (lower.empty() || lower == "always") return OperatingSchedule();
  OperatingSchedule s;
  s.text_ = std::string(trimmed(text));
  for (auto& day : s.week_) day.reset();
  const Parser parser(s.text_);
  for (std::string_view e : split(lower, ';')) parser.entry(e, s.week_);
  return s;
}

int OperatingSchedule::hours_per_week() const {
  int n = 0;
  for (const auto& day : week_) n += static_cast<int>(day.count());
  return n;
}

}  // namespace novaflux
