#include "output/output_texts.h"

#include <mutex>

#include "platform/cp932.h"

namespace kelvora::tree_text {

const std::string& Cp932(std::string_view utf8) {
  static std::mutex mutex;
  static Cp932Texts texts;  // the writers' own few texts: no limit, references hold
  std::lock_guard<std::mutex> lock(mutex);
  return texts.Get(utf8);
}

}  // namespace kelvora::tree_text
