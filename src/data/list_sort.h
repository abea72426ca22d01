// Sorting the rows of a list by name: ASCII case folded, bytes unsigned, a prefix first
// (CompareNamesNoCase), ascending or descending, equal names in their present order.
//
// Each row gets a 12-byte key: the next eight folded bytes of its name and, beside its row
// number, how many bytes of the name are left (capped at 9). Keys alone order rows whose names
// differ in those bytes or end within them; rows that still tie take their next eight bytes in a
// second round over their run only, and so on. Names are read once per round, never per
// comparison, so a sort of millions of rows stays in the key table. Large tables are split by
// key into two halves sorted on two threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>
#include <vector>

namespace kelvora {

#pragma pack(push, 4)
struct NameSortKey {
  std::uint64_t bytes;  // folded name bytes, big-endian, zero-padded; inverted when descending
  std::uint32_t tail;   // the bytes left (0..9, reversed when descending) above the row number
};
#pragma pack(pop)
static_assert(sizeof(NameSortKey) == 12);

// Rows a sort takes (the row number has 28 bits beside the length class).
inline constexpr std::size_t kNameSortMaxRows = std::size_t{1} << 28;
// Tables from this size on are sorted on two threads.
inline constexpr std::size_t kNameSortParallelRows = std::size_t{1} << 16;

// The name of a row, through a context pointer.
using NameOfRow = std::string_view (*)(const void* context, std::size_t row);

// The keys of rows 0 .. count-1 in sorted order (their row numbers: RowOfKey). count must be
// below kNameSortMaxRows; parallel_from is the size from which two threads sort.
std::vector<NameSortKey> SortNameKeys(std::size_t count, bool descending, NameOfRow name_of,
                                      const void* context,
                                      std::size_t parallel_from = kNameSortParallelRows);

constexpr std::size_t RowOfKey(const NameSortKey& key) {
  return key.tail & (kNameSortMaxRows - 1);
}

// Puts refs (one per row, at most eight bytes each) into name order; name_of(i) is the name of
// refs[i]. The key table is reused to permute refs, so no second table is needed.
template <class Ref, class NameOf>
void SortRefsByName(std::vector<Ref>& refs, bool descending, const NameOf& name_of,
                    std::size_t parallel_from = kNameSortParallelRows) {
  static_assert(std::is_trivially_copyable_v<Ref> && sizeof(Ref) <= sizeof(std::uint64_t));
  auto call = [](const void* context, std::size_t row) -> std::string_view {
    return (*static_cast<const NameOf*>(context))(row);
  };
  std::vector<NameSortKey> keys =
      SortNameKeys(refs.size(), descending, call, &name_of, parallel_from);
  for (NameSortKey& key : keys) {
    key.bytes = 0;
    std::memcpy(&key.bytes, &refs[RowOfKey(key)], sizeof(Ref));
  }
  for (std::size_t k = 0; k < keys.size(); ++k) std::memcpy(&refs[k], &keys[k].bytes, sizeof(Ref));
}

}  // namespace kelvora
