// The current user's store that stands in for the registry: one section per key path in
// registry.ini ("Software\Kelv\Config", "Software\Kelv\RunInf").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ini_file.h"

namespace kelvora {

class UserStore {
 public:
  explicit UserStore(std::string path) : ini_(std::move(path)) {}

  // A missing key path or value reads as nullopt.
  std::optional<std::string> ReadStringValue(std::string_view key_path,
                                             std::string_view name) const;
  std::optional<std::uint32_t> ReadDwordValue(std::string_view key_path,
                                              std::string_view name) const;
  // Writes create the key path when missing; false when the store cannot be written.
  bool WriteStringValue(std::string_view key_path, std::string_view name, std::string_view value);
  bool WriteDwordValue(std::string_view key_path, std::string_view name, std::uint32_t value);

  const std::string& path() const { return ini_.path(); }
  // Every later write is refused and the store is never touched.
  void set_read_only() { ini_.set_read_only(); }

 private:
  IniFile ini_;
};

}  // namespace kelvora
