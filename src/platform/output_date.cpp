#include "platform/output_date.h"

#include <cstdio>

namespace kelvora {

std::string OutputDateText(const std::tm& local) {
  static const char* const kWeekdays[] = {"日曜日", "月曜日", "火曜日", "水曜日",
                                          "木曜日", "金曜日", "土曜日"};
  const int weekday = local.tm_wday >= 0 && local.tm_wday < 7 ? local.tm_wday : 0;
  char text[96];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d(%s) %02d:%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, kWeekdays[weekday], local.tm_hour, local.tm_min,
                local.tm_sec);
  return text;
}

}  // namespace kelvora
