#include "data/list_sort.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace kelvora {
namespace {

constexpr int kRowBits = 28;
constexpr std::uint32_t kLongClass = 9;  // more than eight bytes left

struct KeyLess {
  bool operator()(const NameSortKey& a, const NameSortKey& b) const {
    const std::uint64_t ab = a.bytes, bb = b.bytes;
    return ab != bb ? ab < bb : a.tail < b.tail;
  }
};

bool SameRun(const NameSortKey& a, const NameSortKey& b) {
  const std::uint64_t ab = a.bytes, bb = b.bytes;
  return ab == bb && (a.tail >> kRowBits) == (b.tail >> kRowBits);
}

// The first eight of n bytes at p (zeros after the end) as a big-endian number, "A".."Z" folded
// to "a".."z".
std::uint64_t FoldedBytes(const char* p, std::size_t n) {
  std::uint64_t x = 0;
  if (n >= 8) {
    std::memcpy(&x, p, 8);
    x = __builtin_bswap64(x);
  } else {
    for (std::size_t i = 0; i < n; ++i)
      x |= std::uint64_t{static_cast<unsigned char>(p[i])} << (56 - 8 * i);
  }
  // Eight bytes at once: the top bit of a byte of low7 + (0x80 - c) is set when its low seven
  // bits are c or more; bytes of 0x80 and above are never letters.
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  const std::uint64_t low7 = x & (kOnes * 0x7F);
  const std::uint64_t from_a = low7 + kOnes * (0x80 - 'A');
  const std::uint64_t past_z = low7 + kOnes * (0x80 - 'Z' - 1);
  const std::uint64_t upper = from_a & ~past_z & ~x & (kOnes * 0x80);
  return x | (upper >> 2);
}

class KeyMaker {
 public:
  KeyMaker(bool descending, NameOfRow name_of, const void* context)
      : descending_(descending), name_of_(name_of), context_(context) {}

  // The key of a row at the given byte offset of its name (every name in a later round is
  // longer than the offset).
  NameSortKey Make(std::size_t row, std::size_t offset) const {
    const std::string_view name = name_of_(context_, row);
    const std::size_t left = name.size() > offset ? name.size() - offset : 0;
    std::uint64_t bytes = FoldedBytes(name.data() + offset, left);
    std::uint32_t length_class = static_cast<std::uint32_t>(std::min<std::size_t>(left, 9));
    if (descending_) {
      bytes = ~bytes;
      length_class = kLongClass - length_class;
    }
    return {bytes, (length_class << kRowBits) | static_cast<std::uint32_t>(row)};
  }
  // The class of a run whose names go on past the key.
  std::uint32_t long_class() const { return descending_ ? 0 : kLongClass; }

 private:
  bool descending_;
  NameOfRow name_of_;
  const void* context_;
};

// Sorts keys made at offset 0, then every run whose names tie on their eight bytes and go on by
// their next eight bytes, until no run ties.
void SortRange(NameSortKey* begin, NameSortKey* end, const KeyMaker& maker) {
  struct Run {
    NameSortKey* begin;
    NameSortKey* end;
    std::size_t offset;
  };
  std::vector<Run> runs{{begin, end, 0}};
  bool first = true;
  while (!runs.empty()) {
    Run run = runs.back();
    runs.pop_back();
    if (!first) {
      // Names that share the next eight bytes too need no sort at this offset.
      for (;;) {
        bool all_same = true;
        for (NameSortKey* k = run.begin; k != run.end; ++k) {
          *k = maker.Make(RowOfKey(*k), run.offset);
          all_same = all_same && SameRun(*k, *run.begin);
        }
        if (!all_same || (run.begin->tail >> kRowBits) != maker.long_class()) break;
        run.offset += 8;
      }
    }
    first = false;
    std::sort(run.begin, run.end, KeyLess());
    for (NameSortKey* k = run.begin; k != run.end;) {
      NameSortKey* next = k + 1;
      while (next != run.end && SameRun(*k, *next)) ++next;
      if (next - k > 1 && (k->tail >> kRowBits) == maker.long_class())
        runs.push_back({k, next, run.offset + 8});
      k = next;
    }
  }
}

}  // namespace

std::vector<NameSortKey> SortNameKeys(std::size_t count, bool descending, NameOfRow name_of,
                                      const void* context, std::size_t parallel_from) {
  if (count >= kNameSortMaxRows) throw std::length_error("too many rows to sort");
  const KeyMaker maker(descending, name_of, context);
  std::vector<NameSortKey> keys(count);
  const bool parallel = count >= std::max<std::size_t>(parallel_from, 2);
  auto make = [&](std::size_t from, std::size_t to) {
    for (std::size_t r = from; r < to; ++r) keys[r] = maker.Make(r, 0);
  };
  if (!parallel) {
    make(0, count);
    SortRange(keys.data(), keys.data() + count, maker);
    return keys;
  }
  {
    std::thread helper(make, count / 2, count);
    make(0, count / 2);
    helper.join();
  }
  // Split at a sampled middle key; keys equal to it all go to one side, so every run of tying
  // names stays in one half. The side with the better balance takes them.
  std::vector<std::uint64_t> sample;
  for (std::size_t i = 0; i < 255; ++i) {
    const std::uint64_t b = keys[(count - 1) * i / 254].bytes;  // a copy: the field is packed
    sample.push_back(b);
  }
  std::nth_element(sample.begin(), sample.begin() + 127, sample.end());
  const std::uint64_t pivot = sample[127];
  std::size_t below = 0, at = 0;
  for (const NameSortKey& k : keys) {
    const std::uint64_t b = k.bytes;
    below += b < pivot;
    at += b == pivot;
  }
  const std::size_t half = count / 2;
  const bool equal_go_left = (below + at > half ? below + at - half : half - below - at) <
                             (below > half ? below - half : half - below);
  NameSortKey* mid = std::partition(keys.data(), keys.data() + count, [&](const NameSortKey& k) {
    const std::uint64_t b = k.bytes;
    return b < pivot || (equal_go_left && b == pivot);
  });
  std::thread helper([&] { SortRange(mid, keys.data() + count, maker); });
  SortRange(keys.data(), mid, maker);
  helper.join();
  return keys;
}

}  // namespace kelvora
