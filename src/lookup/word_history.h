// Input histories of drop-down boxes: a ring of 20 words kept in section "ComboHistory", oldest
// first, under "str%d" (the word box) or another key prefix ("CommentSearchstr%d").
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

class SettingsStore;

class WordHistory {
 public:
  static constexpr std::size_t kSlots = 20;
  static constexpr std::size_t kWordLimit = 50;  // words of this many bytes or more are not kept

  explicit WordHistory(std::string_view key_prefix = "str") : prefix_(key_prefix) {}

  // Reads <prefix>1..<prefix>20: long entries are skipped, the first empty one ends the reading and
  // its position becomes the next slot.
  void Load(const SettingsStore& store);
  // Writes the non-empty slots oldest first as <prefix>1, <prefix>2, ... without gaps. Keys beyond
  // them that the file still holds are emptied so an older, longer history cannot come back.
  void Save(SettingsStore& store) const;
  // Empties the slots and the drop-down and sets the next slot to 0 (the store is not touched).
  void Clear();
  // Adds a word unless it is empty, 50 bytes or longer, or already held (without regard to
  // case). True when it was added.
  bool Add(std::string_view word);

  const std::array<std::string, kSlots>& slots() const { return slots_; }
  std::size_t next_slot() const { return next_; }
  // The drop-down list of the word box, at most 20 words, in the order they were added.
  const std::vector<std::string>& dropdown() const { return dropdown_; }

 private:
  std::array<std::string, kSlots> slots_{};
  std::size_t next_ = 0;
  std::vector<std::string> dropdown_;
  std::string prefix_;
};

}  // namespace kelvora
