#include "platform/user_store.h"

#include <limits>

namespace kelvora {

std::optional<std::string> UserStore::ReadStringValue(std::string_view key_path,
                                                      std::string_view name) const {
  if (!ini_.HasKey(key_path, name)) return std::nullopt;
  return ini_.ReadString(key_path, name);
}

std::optional<std::uint32_t> UserStore::ReadDwordValue(std::string_view key_path,
                                                       std::string_view name) const {
  if (!ini_.HasKey(key_path, name)) return std::nullopt;
  constexpr long long kNone = std::numeric_limits<long long>::min();
  long long v = ini_.ReadInt(key_path, name, kNone);
  if (v == kNone || v < 0 || v > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  return static_cast<std::uint32_t>(v);
}

bool UserStore::WriteStringValue(std::string_view key_path, std::string_view name,
                                 std::string_view value) {
  return ini_.WriteString(key_path, name, value);
}

bool UserStore::WriteDwordValue(std::string_view key_path, std::string_view name,
                                std::uint32_t value) {
  return ini_.WriteInt(key_path, name, value);
}

}  // namespace kelvora
