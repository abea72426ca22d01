#include "output/output_texts.h"

#include <map>
#include <mutex>

#include "platform/cp932.h"

namespace kelvora::tree_text {

const std::string& Cp932(std::string_view utf8) {
  static std::mutex mutex;
  static std::map<std::string, std::string, std::less<>> cache;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = cache.find(utf8);
  if (it == cache.end()) it = cache.emplace(std::string(utf8), Utf8ToCp932(utf8)).first;
  return it->second;
}

}  // namespace kelvora::tree_text
