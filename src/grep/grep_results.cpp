#include "grep/grep_results.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "data/position.h"
#include "data/registration_lists.h"
#include "platform/editor_launch.h"
#include "platform/line_reader.h"
#include "platform/ui.h"

namespace kelvora {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string TabsToTwoBlanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\t') {
      out += "  ";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

bool SplitGrepLine(std::string_view line, std::string& position, std::string& rest) {
  // The first "(digits):" after at least one byte of path. A path that itself holds "(12):" is
  // the one case this reads wrongly; the line text, which is far more likely to hold "(12)",
  // never disturbs it.
  for (std::size_t open = line.find('(', 1); open != std::string_view::npos;
       open = line.find('(', open + 1)) {
    std::size_t i = open + 1;
    while (i < line.size() && IsDigit(line[i])) ++i;
    if (i == open + 1 || i >= line.size() || line[i] != ')') continue;
    if (i + 1 < line.size() && line[i + 1] != ':') continue;
    position.assign(line.substr(0, i + 1));
    rest = TabsToTwoBlanks(line.substr(i + 1));
    return true;
  }
  return false;
}

void GrepResultList::Add(std::string_view line) {
  GrepHit hit;
  if (!SplitGrepLine(line, hit.position, hit.rest)) return;
  hit.number = std::to_string(rows_.size() + 1);
  rows_.push_back(std::move(hit));
}

bool GrepResultList::Load(const std::string& path,
                          const std::function<void(std::size_t)>& progress) {
  rows_.clear();
  sorted_column_ = -1;
  FileLineReader reader;
  if (!reader.Open(path)) return false;
  std::string line;
  while (reader.ReadLine(line)) {
    Add(line);
    if (progress && rows_.size() % 1000 == 0) progress(rows_.size());
  }
  return !reader.failed();
}

void GrepResultList::LoadText(std::string_view text) {
  rows_.clear();
  sorted_column_ = -1;
  StringLineSource source{std::string(text)};
  std::string line;
  while (source.ReadLine(line)) Add(line);
}

bool GrepResultList::SortByColumn(int column) {
  if (column != 0 && column != 1) return false;
  ascending_ = column == sorted_column_ ? !ascending_ : true;
  sorted_column_ = column;
  auto key = [column](const GrepHit& h) -> const std::string& {
    return column == 0 ? h.number : h.position;
  };
  const bool ascending = ascending_;
  std::stable_sort(rows_.begin(), rows_.end(), [&](const GrepHit& a, const GrepHit& b) {
    const int c = CompareNamesNoCase(key(a), key(b));
    return ascending ? c < 0 : c > 0;
  });
  return true;
}

std::string GrepCountText(std::size_t hits) {
  return "検出数：" + std::to_string(hits);
}

std::string GrepFooterText(const std::optional<std::tm>& file_time, GrepKind kind) {
  std::string when;
  if (file_time) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d ", file_time->tm_year + 1900,
                  file_time->tm_mon + 1, file_time->tm_mday, file_time->tm_hour, file_time->tm_min);
    when = std::string(buf) + "Grep実行";
  }
  return when + "\r\n" + std::string(GrepMenuRowOf(kind).title) +
         "　　※ダブルクリック、または「F5」でRarUvizします。　\r\n";
}

std::optional<std::tm> FileModificationTime(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  std::tm local{};
  if (!localtime_r(&st.st_mtime, &local)) return std::nullopt;
  return local;
}

std::optional<OpenResult> OpenGrepHit(const GrepResultList& list, std::optional<std::size_t> row,
                                      const EditorLauncher& editor, Ui& ui) {
  if (!row || *row >= list.size()) {
    ui.Message("選択されていません。　", Ui::kCaption, MsgIcon::Warning);
    return std::nullopt;
  }
  return OpenPosition(editor, list.at(*row).position, ui);
}

}  // namespace kelvora
