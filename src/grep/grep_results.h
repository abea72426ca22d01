// The rows of the Grep result window read back from "Grep結果.txt", their sorting, and the texts
// around the list.
#pragma once

#include <cstddef>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "grep/grep_search.h"

namespace kelvora {

class EditorLauncher;
class Ui;
enum class OpenResult;

struct GrepHit {
  std::string number;    // "1", "2", ... as shown in the "No." column
  std::string position;  // "path(line)", bytes as written
  std::string rest;      // from the colon on, tabs turned into two blanks
};

// Splits a result line "path(line):  text" into position and rest. The position ends at the
// first "(digits)" followed by ":", so brackets with numbers in the text stay in the rest.
// False when the line holds no position.
bool SplitGrepLine(std::string_view line, std::string& position, std::string& rest);

class GrepResultList {
 public:
  // Reads every line of the result file (no row limit); lines without a position are skipped.
  // progress, when given, is called with the row number every 1000 rows. False when the file
  // cannot be read.
  bool Load(const std::string& path, const std::function<void(std::size_t)>& progress = {});
  // Reads result lines from a text (tests, the command line).
  void LoadText(std::string_view text);

  std::size_t size() const { return rows_.size(); }
  const GrepHit& at(std::size_t row) const { return rows_[row]; }
  const std::vector<GrepHit>& rows() const { return rows_; }

  // A click on the header of column 0 ("No.") or 1 ("ファイルパス（行番号）"): sorts by that
  // column's text without regard to case, ascending on the first click on a column, reversed on
  // each further click on it. Column 2 does not sort; false then.
  bool SortByColumn(int column);

 private:
  void Add(std::string_view line);
  std::vector<GrepHit> rows_;
  int sorted_column_ = -1;
  bool ascending_ = true;
};

// "検出数：%d".
std::string GrepCountText(std::size_t hits);

// The text under the list: "%s\r\n%s　　※ダブルクリック、または「F5」でRarUvizします。　\r\n" over
// "%04d/%02d/%02d %02d:%02d Grep実行" (empty without a time) and the search's title.
std::string GrepFooterText(const std::optional<std::tm>& file_time, GrepKind kind);
// The local modification time of a file; nullopt when it cannot be read.
std::optional<std::tm> FileModificationTime(const std::string& path);

// Double click or F5: opens the row's position in the editor; without a selected row shows
// "選択されていません。　" and returns nullopt.
std::optional<OpenResult> OpenGrepHit(const GrepResultList& list, std::optional<std::size_t> row,
                                      const EditorLauncher& editor, Ui& ui);

}  // namespace kelvora
