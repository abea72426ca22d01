// What the golden tests share: the case folders of an area, text replacement for paths that
// vary, and comparing with an expected file (UPDATE_GOLDEN=1 rewrites it instead).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace kelvora::testing {

// The folder names below dir, sorted.
inline std::vector<std::string> GoldenCases(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

inline std::string ReplaceAllText(std::string text, const std::string& what,
                                  const std::string& with) {
  for (std::size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

// show turns the bytes into what the failure message prints (CP932 files into UTF-8).
inline void CompareOrUpdate(const std::filesystem::path& expected_file, const std::string& actual,
                            std::string (*show)(std::string_view) = nullptr) {
  if (std::getenv("UPDATE_GOLDEN")) {
    std::ofstream(expected_file, std::ios::binary) << actual;
    return;
  }
  const std::string expected =
      std::filesystem::exists(expected_file) ? TempDir::Read(expected_file) : "";
  EXPECT_EQ(expected, actual) << "golden file " << expected_file << " differs\n--- expected ---\n"
                              << (show ? show(expected) : expected) << "--- actual ---\n"
                              << (show ? show(actual) : actual);
}

}  // namespace kelvora::testing
