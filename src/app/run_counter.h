// The start count and the time of the last start, kept under "Software\Kelv\RunInf".
#pragma once

#include <ctime>
#include <string>

namespace kelvora {

class UserStore;

// "%04d/%02d/%02d(%s) %02d:%02d:%02d" with the weekday name "日曜日" to "土曜日" (UTF-8).
std::string StartTimeText(const std::tm& local);

// Adds one to RunCnt (writing 1 when it is absent) and writes RunTime (CP932) from local.
// True when RunCnt was absent, that is on the first run.
bool CountRun(UserStore& store, const std::tm& local);

}  // namespace kelvora
