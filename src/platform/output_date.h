// The output date written into reports and shown by the system information window.
#pragma once

#include <ctime>
#include <string>

namespace kelvora {

// "%04d/%02d/%02d(%s) %02d:%02d:%02d" with the weekday name "日曜日" to "土曜日" (UTF-8).
std::string OutputDateText(const std::tm& local);

}  // namespace kelvora
