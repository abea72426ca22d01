#include "app/run_counter.h"

#include "platform/cp932.h"
#include "platform/output_date.h"
#include "platform/user_store.h"
#include "settings/settings.h"

namespace kelvora {

std::string StartTimeText(const std::tm& local) {
  return OutputDateText(local);
}

bool CountRun(UserStore& store, const std::tm& local) {
  const std::optional<std::uint32_t> count = store.ReadDwordValue(kRunInfKey, "RunCnt");
  store.WriteDwordValue(kRunInfKey, "RunCnt", count ? *count + 1 : 1);
  store.WriteStringValue(kRunInfKey, "RunTime", Utf8ToCp932(StartTimeText(local)));
  return !count.has_value();
}

}  // namespace kelvora
