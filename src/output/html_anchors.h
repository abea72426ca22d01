// The anchors of the HTML site's file pages and the links to them, decided from the registered
// data alone, so the index pages (written before the file pages) and the file pages agree.
//
// A registered row's anchor is its name (a function's after its last ":") unless another row of
// the same page carries that text too. Rows sharing a text on a page are ordered by the page's
// files (two files of one name share a page), then by line: the first keeps the text, the first
// of each later file gets "-<file number>", every other one "-<file number>-<line>". A definition
// a file page shows that no row registers gets a text no row takes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "data/registration_lists.h"

namespace kelvora {

class SiteAnchors {
 public:
  // data as the site writes it (sorted); it must stay unchanged while the anchors are used.
  explicit SiteAnchors(const RegisteredData& data);

  // The anchor a link to row of kind (Function, Struct, Define or Table) names.
  std::string OfRow(ListKind kind, std::size_t row) const;

  // The file page of FileList row file_row starts; the anchors below are those of its text.
  void BeginFile(std::size_t file_row);
  // The anchor the page writes for a definition of kind whose anchor text is text, at line of
  // the file begun last; unique within the page.
  std::string At(ListKind kind, long line, std::string_view text);
  // True when the file begun last has registered functions (not function-like macros).
  bool FileDefinesFunctions() const;
  // The rows of the file begun last whose definition its page did not show (the sections read
  // a head another way than the registration did): kind, row, line and the anchor to write.
  struct Unshown {
    ListKind kind;
    std::size_t row;
    long line;
    std::string anchor;
  };
  std::vector<Unshown> UnshownRows();

 private:
  struct Member {
    ListKind kind;
    std::size_t row;
    int file;
    long line;
    std::string path;
    std::string text;
  };
  void Assign(std::vector<Member>& members);

  const RegisteredData& data_;
  // The number of a path among the FileList files of its page (0 for the first), by path.
  std::unordered_map<std::string, int> file_numbers_;
  std::vector<std::uint64_t> groups_;  // sorted: every row's (page, text)
  std::vector<std::uint64_t> sites_;   // sorted: every row's (kind, path, line, text)
  // The anchors that are not the row's text: by kind and row, and by site.
  std::unordered_map<std::uint64_t, std::string> row_anchors_;
  std::unordered_map<std::uint64_t, std::string> site_anchors_;
  std::unordered_set<std::string> function_files_;
  // The rows of each file, as RowKey values.
  std::unordered_map<std::string, std::vector<std::uint64_t>> rows_of_file_;

  // The file begun last and the anchors written on its page so far.
  std::string path_, page_;
  int file_number_ = 0;
  bool repeated_file_ = false;  // the same path was begun before: no row is its own
  std::unordered_set<std::string> written_;
  std::unordered_set<std::uint64_t> shown_sites_;  // of the file begun last
};

// The path of a registered position: the text before the "(line)" it ends with (a struct or
// table position may have ":" and blanks after it); the whole text when there is none.
std::string_view PositionPath(std::string_view position);
// The line of a registered position, 0 when there is none.
long PositionLine(std::string_view position);

}  // namespace kelvora
