#include "lookup/word_history.h"

#include "lookup/word_lookup.h"
#include "settings/settings.h"

namespace kelvora {

namespace {

// The history's keys: prefix1..prefix20 in the section of the word box's history.
TextKey Family(std::string_view prefix) {
  return TextKey{keys::kWordHistory.section, prefix, ""};
}

int Number(std::size_t n) {
  return static_cast<int>(n);
}

}  // namespace

void WordHistory::Load(const SettingsStore& store) {
  slots_ = {};
  dropdown_.clear();
  next_ = 0;
  for (std::size_t i = 0; i < kSlots; ++i) {
    std::string word = ReadText(store, Family(prefix_), Number(i + 1));
    if (word.size() >= kWordLimit) continue;
    if (word.empty()) {
      next_ = i;
      return;
    }
    slots_[i] = word;
    dropdown_.push_back(std::move(word));
  }
}

void WordHistory::Save(SettingsStore& store) const {
  std::size_t number = 0;
  auto write = [&](std::size_t slot) {
    if (!slots_[slot].empty()) WriteText(store, Family(prefix_), Number(++number), slots_[slot]);
  };
  for (std::size_t s = next_; s < kSlots; ++s) write(s);
  for (std::size_t s = 0; s < next_ && s < kSlots; ++s) write(s);
  for (std::size_t n = number + 1; n <= kSlots; ++n) {
    if (HasKey(store, Family(prefix_), Number(n))) WriteText(store, Family(prefix_), Number(n), "");
  }
}

void WordHistory::Clear() {
  slots_ = {};
  dropdown_.clear();
  next_ = 0;
}

bool WordHistory::Add(std::string_view word) {
  if (word.empty() || word.size() >= kWordLimit) return false;
  const std::string lowered = Cp932Lower(word);
  for (const std::string& slot : slots_) {
    if (slot.size() == word.size() && Cp932Lower(slot) == lowered) return false;
  }
  if (next_ >= kSlots) next_ = 0;
  if (dropdown_.size() >= kSlots) dropdown_.erase(dropdown_.begin());
  slots_[next_] = std::string(word);
  dropdown_.emplace_back(word);
  ++next_;
  return true;
}

}  // namespace kelvora
