// Helpers of the tree tests: tree files written by hand (UTF-8 in the test, CP932 with CR LF on
// disk) and read into a page.
#pragma once

#include <string>
#include <vector>

#include "platform/cp932.h"
#include "platform/scripted_ui.h"
#include "support/temp_dir.h"
#include "text/regex_service.h"
#include "tree/tree_file.h"

namespace kelvora::testing {

inline std::string TreeFileBytes(const std::vector<std::string>& utf8_lines) {
  std::string bytes;
  for (const std::string& line : utf8_lines) bytes += Utf8ToCp932(line) + "\r\n";
  return bytes;
}

struct ReadTree {
  TempDir dir;
  RegexService regex;
  ScriptedUi ui;
  TreePage page;
  TreeSettings settings;
  ReadResult result = ReadResult::OpenFailed;

  explicit ReadTree(const std::vector<std::string>& lines, TreeSettings s = {}) : settings(s) {
    const std::string path = dir.Write("tree file (1).tree", TreeFileBytes(lines));
    result = TreeFileReader(path, page, settings, regex, ui);
  }
  std::string U(std::string_view cp932) const { return Cp932ToUtf8(cp932); }
  std::int32_t Entry(const std::string& utf8) const { return page.FindEntry(Utf8ToCp932(utf8)); }
};

}  // namespace kelvora::testing
