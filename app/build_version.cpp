#include "app/build_version.h"

#include <cstdlib>
#include <string>

#include "base/text.h"

namespace {

constexpr std::string_view kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// atoi of a piece of the text; atoi itself skips a leading blank (" 5").
int DecimalValue(std::string_view piece) { return std::atoi(std::string(piece).c_str()); }

}  // namespace

std::wstring BuildStampFromDate(std::string_view date) {
  const int year = DecimalValue(date.size() >= 4 ? date.substr(date.size() - 4) : date);
  int month = 0;
  for (int i = 0; i < 12; ++i) {
    if (date.find(kMonthNames[i]) != std::string_view::npos) {
      month = i + 1;
      break;
    }
  }
  const int day = date.size() > 4 ? DecimalValue(date.substr(4, 2)) : 0;
  return FormatString(L"%04d%02d%02d", year, month, day);
}

std::wstring BuildStamp() { return BuildStampFromDate(__DATE__); }
