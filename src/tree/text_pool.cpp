#include "tree/text_pool.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace kelvora {

std::uint64_t TextPool::Hash(std::string_view text) {
  return std::hash<std::string_view>{}(text);
}

void TextPool::Clear() {
  texts_.clear();
  blocks_.clear();
  block_pos_ = nullptr;
  block_left_ = 0;
  slots_.clear();
}

bool TextPool::Find(std::string_view text, std::uint32_t& id) const {
  return Probe(text, Hash(text), id);
}

bool TextPool::Probe(std::string_view text, std::uint64_t h, std::uint32_t& id) const {
  if (slots_.empty()) return false;
  const std::size_t mask = slots_.size() - 1;
  const std::uint32_t tag = static_cast<std::uint32_t>(h >> 32);
  const std::uint32_t size = static_cast<std::uint32_t>(text.size());
  for (std::size_t i = tag & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.id_plus_1 == 0) return false;
    if (slot.tag == tag) {
      std::uint32_t stored;
      std::memcpy(&stored, slot.at, sizeof stored);
      if (stored == size && std::memcmp(slot.at + sizeof stored, text.data(), size) == 0) {
        id = slot.id_plus_1 - 1;
        return true;
      }
    }
  }
}

void TextPool::Grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(std::max<std::size_t>(1024, old.size() * 2), Slot{});
  const std::size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.id_plus_1 == 0) continue;
    std::size_t i = slot.tag & mask;
    while (slots_[i].id_plus_1 != 0) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

std::uint32_t TextPool::Intern(std::string_view text, bool* added) {
  std::uint32_t id;
  const std::uint64_t h = Hash(text);
  if (Probe(text, h, id)) {
    if (added) *added = false;
    return id;
  }
  if ((texts_.size() + 1) * 2 > slots_.size()) Grow();
  const std::uint32_t size = static_cast<std::uint32_t>(text.size());
  const std::size_t need = text.size() + sizeof size;
  if (block_left_ < need) {
    const std::size_t block = std::max<std::size_t>(need, 1 << 20);
    blocks_.push_back(std::make_unique<char[]>(block));
    block_pos_ = blocks_.back().get();
    block_left_ = block;
  }
  char* at = block_pos_;
  std::memcpy(at, &size, sizeof size);
  std::memcpy(at + sizeof size, text.data(), text.size());
  block_pos_ += need;
  block_left_ -= need;
  id = static_cast<std::uint32_t>(texts_.size());
  texts_.emplace_back(at + sizeof size, text.size());
  const std::size_t mask = slots_.size() - 1;
  const std::uint32_t tag = static_cast<std::uint32_t>(h >> 32);
  std::size_t i = tag & mask;
  while (slots_[i].id_plus_1 != 0) i = (i + 1) & mask;
  slots_[i] = Slot{tag, id + 1, at};
  if (added) *added = true;
  return id;
}

}  // namespace kelvora
