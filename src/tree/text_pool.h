// Interned texts: each distinct byte string is stored once and named by a dense id.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace kelvora {

class TextPool {
 public:
  // The id of the text, added when it is new (added tells which).
  std::uint32_t Intern(std::string_view text, bool* added = nullptr);
  // False when the text is not in the pool.
  bool Find(std::string_view text, std::uint32_t& id) const;
  std::string_view operator[](std::uint32_t id) const { return texts_[id]; }
  std::size_t size() const { return texts_.size(); }
  void Clear();

 private:
  // Open addressing. The slot index comes from the hash's top half, kept as the tag, so growing
  // never hashes a text again; at points to the stored text, which a 4-byte length precedes, so
  // a lookup touches the slot and the text only.
  struct Slot {
    std::uint32_t tag = 0;
    std::uint32_t id_plus_1 = 0;  // 0: empty
    const char* at = nullptr;
  };
  static std::uint64_t Hash(std::string_view text);
  bool Probe(std::string_view text, std::uint64_t hash, std::uint32_t& id) const;
  void Grow();

  std::vector<std::string_view> texts_;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* block_pos_ = nullptr;
  std::size_t block_left_ = 0;
  std::vector<Slot> slots_;
};

}  // namespace kelvora
