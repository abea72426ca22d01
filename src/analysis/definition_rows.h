// The definitions found in one file, kept compactly until their pass registers them: the texts of
// all rows in one byte block, with the line number of each row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

class DefinitionRows {
 public:
  struct Row {
    std::string_view name;
    long line_no;
    std::string_view marker;
    std::string_view comment;
  };

  void Add(std::string_view name, long line_no, std::string_view marker, std::string_view comment) {
    text_.append(name);
    const auto name_end = static_cast<std::uint32_t>(text_.size());
    text_.append(marker);
    const auto marker_end = static_cast<std::uint32_t>(text_.size());
    text_.append(comment);
    rows_.push_back(Entry{name_end, marker_end, static_cast<std::uint32_t>(text_.size()),
                          static_cast<std::uint32_t>(line_no)});
  }
  std::size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  // Bytes held.
  std::size_t bytes() const { return text_.capacity() + rows_.capacity() * sizeof(Entry); }
  Row operator[](std::size_t i) const {
    const std::uint32_t begin = i == 0 ? 0 : rows_[i - 1].comment_end;
    const Entry& e = rows_[i];
    std::string_view all(text_);
    return Row{all.substr(begin, e.name_end - begin), static_cast<long>(e.line_no),
               all.substr(e.name_end, e.marker_end - e.name_end),
               all.substr(e.marker_end, e.comment_end - e.marker_end)};
  }
  void Clear() {
    std::string().swap(text_);
    std::vector<Entry>().swap(rows_);
  }

 private:
  struct Entry {
    std::uint32_t name_end, marker_end, comment_end, line_no;
  };
  std::string text_;
  std::vector<Entry> rows_;
};

}  // namespace kelvora
