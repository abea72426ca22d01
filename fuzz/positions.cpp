// Position compress and expand against a root table, and splitting "path(line)". Input: root
// lines, then the full path on the last line. A compressed path expands back to the path.
#include "data/registration_lists.h"
#include "fuzz_support.h"

using namespace kelvora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text = fuzz::AsText(data, size);
  RegisteredData registered;
  std::vector<std::string> roots;
  std::string_view rest;
  std::string_view line = fuzz::FirstLine(text, rest);
  while (!rest.empty() && roots.size() < 64) {
    roots.emplace_back(line);
    registered.roots().Append(std::string(line));
    line = fuzz::FirstLine(rest, rest);
  }
  const std::string_view full = line;

  const std::string compressed = registered.CompressPosition(full);
  bool under_a_root = false;
  for (const std::string& root : roots)
    under_a_root = under_a_root || (full.size() > root.size() && full.starts_with(root) &&
                                    full[root.size()] == '/');
  if (under_a_root) {
    FUZZ_CHECK(compressed.starts_with('%'));
    FUZZ_CHECK(registered.ExpandPosition(compressed) == full);
  } else {
    FUZZ_CHECK(compressed == full);
  }

  // Whatever a stored cell holds: expanding it gives a root and the rest of the cell, or nothing.
  const std::string expanded = registered.ExpandPosition(full);
  if (!expanded.empty()) {
    const std::size_t slash = full.find('/');
    FUZZ_CHECK(slash != std::string_view::npos);
    FUZZ_CHECK(expanded.ends_with(full.substr(slash)));
  }

  std::string path;
  long number = -1;
  if (SplitPosition(full, path, number)) {
    FUZZ_CHECK(number >= 0);
    FUZZ_CHECK(full.starts_with(path));
    FUZZ_CHECK(full[path.size()] == '(');
  }
  return 0;
}
