// Reading and laying out the source of an output item for the information area.
#include "tree/source_view.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "data/position.h"
#include "platform/cp932.h"
#include "platform/file_names.h"
#include "platform/line_reader.h"
#include "text/encoding_detect.h"
#include "text/source_clean.h"
#include "text/strip_if.h"
#include "tree/tree_ops.h"

namespace kelvora {
namespace {

// Bytes read from a file at most: past them the display stops with a note, so a huge file
// without line ends (or with its definition far down) cannot hold the window.
constexpr long long kScanBudget = 64LL << 20;
constexpr std::size_t kBinaryProbe = 8192;
constexpr int kMatchesPerLine = 512;

// Lines of a file, each kept to its first kShownLineBytes bytes; reading ends at kScanBudget.
class BoundedFileLines : public LineSource {
 public:
  BoundedFileLines() : buf_(new char[kBuffer]) {}
  ~BoundedFileLines() override {
    if (fd_ >= 0) ::close(fd_);
  }
  BoundedFileLines(const BoundedFileLines&) = delete;
  BoundedFileLines& operator=(const BoundedFileLines&) = delete;

  // False for a file that cannot be opened or read, and for anything but a regular file: a
  // folder, a device or a pipe (opened without blocking, so a pipe cannot hold the window).
  bool Open(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (!Fill()) return !failed_;
    const std::size_t probe = std::min(end_, kBinaryProbe);
    binary_ = std::find(buf_.get(), buf_.get() + probe, '\0') != buf_.get() + probe;
    // The encoding is decided from the whole lines of the first buffer.
    std::string_view head(buf_.get(), end_);
    if (!eof_ && head.rfind('\n') != std::string_view::npos)
      head = head.substr(0, head.rfind('\n'));
    encoding_ = DetectEncoding(head);
    return true;
  }
  SourceEncoding encoding() const { return encoding_; }

  bool ReadLine(std::string& line) override {
    line.clear();
    bool any = false, cut = false;
    for (;;) {
      if (begin_ == end_ && !Fill()) {
        last_cut_ = cut;
        return any;
      }
      any = true;
      const char* from = buf_.get() + begin_;
      const char* lf = static_cast<const char*>(std::memchr(from, '\n', end_ - begin_));
      const std::size_t n = lf ? static_cast<std::size_t>(lf - from) : end_ - begin_;
      const std::size_t room = kShownLineBytes > line.size() ? kShownLineBytes - line.size() : 0;
      line.append(from, std::min(n, room));
      cut = cut || n > room;
      begin_ += lf ? n + 1 : n;
      if (lf) break;
    }
    if (!cut && !line.empty() && line.back() == '\r') line.pop_back();
    last_cut_ = cut;
    return true;
  }
  bool failed() const override { return failed_; }
  bool binary() const { return binary_; }
  bool over_budget() const { return over_budget_; }
  bool last_cut() const { return last_cut_; }

 private:
  static constexpr std::size_t kBuffer = std::size_t{64} * 1024;
  bool Fill() {
    if (eof_) return false;
    if (scanned_ >= kScanBudget) {
      over_budget_ = eof_ = true;
      return false;
    }
    ssize_t got;
    do got = ::read(fd_, buf_.get(), kBuffer);
    while (got < 0 && errno == EINTR);
    if (got <= 0) {
      failed_ = got < 0;
      eof_ = true;
      return false;
    }
    begin_ = 0;
    end_ = static_cast<std::size_t>(got);
    scanned_ += got;
    return true;
  }

  int fd_ = -1;
  std::unique_ptr<char[]> buf_;
  std::size_t begin_ = 0, end_ = 0;
  long long scanned_ = 0;
  bool eof_ = false, failed_ = false, binary_ = false, over_budget_ = false, last_cut_ = false;
  SourceEncoding encoding_ = SourceEncoding::Cp932;
};

// A lead byte counts as half of a character only before a byte that can end one; a lone lead
// byte before a tab or a control byte is a byte of its own, so the tab is still expanded.
std::size_t CharLength(std::string_view text, std::size_t at) {
  return at + 1 < text.size() && IsCp932LeadByte(static_cast<unsigned char>(text[at])) &&
                 IsCp932TrailByte(static_cast<unsigned char>(text[at + 1]))
             ? 2
             : 1;
}

// Tabs expanded to the tab width and control bytes shown as ".", cut at kShownLineBytes: one
// byte per display cell (a double-byte character takes two).
std::string ExpandLine(std::string_view raw, int tab, bool& cut) {
  std::string out;
  out.reserve(raw.size());
  std::size_t i = 0;
  while (i < raw.size() && out.size() < kShownLineBytes) {
    const unsigned char c = static_cast<unsigned char>(raw[i]);
    const std::size_t n = CharLength(raw, i);
    if (c == '\t')
      out.append(static_cast<std::size_t>(tab) - out.size() % static_cast<std::size_t>(tab), ' ');
    else if (c < 0x20 || c == 0x7F || (n == 1 && IsCp932LeadByte(c)))
      out += '.';
    else
      out.append(raw.substr(i, n));
    i += n;
  }
  if (i < raw.size() || out.size() > kShownLineBytes) cut = true;
  if (out.size() > kShownLineBytes) out.resize(Cp932SafeCut(out, kShownLineBytes));
  return out;
}

void Blank(std::string& text, const MatchSpan& span) {
  std::fill_n(text.begin() + static_cast<std::ptrdiff_t>(span.pos), span.len, ' ');
}

// The comment ranges of a line, found with the patterns and in the order of CleanLine (literals
// first, so a "/*" inside a string opens nothing), carrying the block-comment state.
std::vector<MatchSpan> CommentSpans(std::string_view line, CommentState& state,
                                    const CleaningPatterns& pats) {
  std::vector<MatchSpan> spans;
  std::string w(line);
  if (state.in_block) {
    const std::size_t end = w.find("*/");
    if (end == std::string::npos) return {{0, w.size()}};
    spans.push_back({0, end + 2});
    Blank(w, spans.back());
    state.in_block = false;
  }
  MatchSpan span;
  if (const std::size_t q = w.find('"'); q != std::string::npos && w.find('"', q + 1) != w.npos)
    while (pats.literal.Search(w, span) && span.len > 0) Blank(w, span);
  while (w.find("/*") != std::string::npos && pats.block_comment.Search(w, span) && span.len > 0) {
    spans.push_back(span);
    Blank(w, span);
  }
  if (w.find("//") != std::string::npos && pats.line_comment.Search(w, span) && span.len > 0) {
    spans.push_back(span);
    Blank(w, span);
  }
  if (w.find("/*") != std::string::npos && pats.open_comment.Search(w, span) && span.len > 0) {
    spans.push_back(span);
    Blank(w, span);
    state.in_block = true;
  }
  if (w.find("*/") != std::string::npos && pats.close_comment.Search(w, span) && span.len > 0) {
    spans.push_back(span);
    state.in_block = false;
  }
  std::sort(spans.begin(), spans.end(),
            [](const MatchSpan& a, const MatchSpan& b) { return a.pos < b.pos; });
  return spans;
}

// Sorts and joins overlapping or touching spans.
void Merge(std::vector<MatchSpan>& spans) {
  std::sort(spans.begin(), spans.end(),
            [](const MatchSpan& a, const MatchSpan& b) { return a.pos < b.pos; });
  std::vector<MatchSpan> out;
  for (const MatchSpan& s : spans) {
    if (!out.empty() && s.pos <= out.back().pos + out.back().len)
      out.back().len = std::max(out.back().pos + out.back().len, s.pos + s.len) - out.back().pos;
    else
      out.push_back(s);
  }
  spans = std::move(out);
}

// Every match of the patterns, less the parts inside comments.
std::vector<MatchSpan> EmphasisSpans(std::string_view text, const std::vector<MatchSpan>& comments,
                                     std::span<const Regex* const> patterns) {
  std::vector<MatchSpan> found;
  for (const Regex* re : patterns) {
    if (re == nullptr || !re->ok()) continue;
    std::size_t off = 0;
    MatchSpan span;
    for (int n = 0; n < kMatchesPerLine && off < text.size() && re->Search(text.substr(off), span);
         ++n) {
      const std::size_t at = off + span.pos;
      if (span.len == 0) {
        off = at + CharLength(text, at);
        continue;
      }
      std::size_t from = at;
      const std::size_t end = at + span.len;
      for (const MatchSpan& c : comments) {
        if (c.pos + c.len <= from || c.pos >= end) continue;
        if (c.pos > from) found.push_back({from, c.pos - from});
        from = std::max(from, c.pos + c.len);
      }
      if (from < end) found.push_back({from, end - from});
      off = end;
    }
  }
  Merge(found);
  return found;
}

// The lines of the file as the display takes them (converted, expanded), recording the ones in
// the shown range; it stops after the range, so the directive pass reads no further either.
class ShownRange : public LineSource {
 public:
  ShownRange(BoundedFileLines& in, long from, long last, const SourceViewSettings& s,
             const CleaningPatterns& pats, std::span<const Regex* const> patterns)
      : in_(in), from_(from), last_(last), s_(s), pats_(pats), patterns_(patterns) {}

  bool ReadLine(std::string& line) override {
    if (number_ >= last_ || !in_.ReadLine(raw_)) return false;
    ++number_;
    const bool shown = number_ >= from_;
    if (!shown && !s_.hide_inactive) {
      // Before the range only the block-comment state counts. Its markers are ASCII bytes that
      // neither CP932 nor EUC-JP uses inside a character, so the raw line serves.
      if (pats_.ok() && !patterns_.empty()) CommentSpans(raw_, comment_state_, pats_);
      line.clear();
      return true;
    }
    bool cut = in_.last_cut();
    long replaced = 0;
    line = ExpandLine(s_.detect ? LineToCp932(raw_, in_.encoding(), &replaced)
                      : s_.euc  ? ConvertEucToSjis(raw_)
                                : raw_,
                      s_.tab, cut);
    std::vector<MatchSpan> comments;
    if (pats_.ok() && !patterns_.empty()) comments = CommentSpans(line, comment_state_, pats_);
    if (shown) {
      SourceLine out;
      out.number = number_;
      out.cut = cut;
      out.text = line;
      if (!patterns_.empty()) out.emphasis = EmphasisSpans(out.text, comments, patterns_);
      lines.push_back(std::move(out));
    }
    return true;
  }
  bool failed() const override { return in_.failed(); }
  long number() const { return number_; }

  std::vector<SourceLine> lines;

 private:
  BoundedFileLines& in_;
  long from_, last_;
  const SourceViewSettings& s_;
  const CleaningPatterns& pats_;
  std::span<const Regex* const> patterns_;
  CommentState comment_state_;
  std::string raw_;
  long number_ = 0;
};

std::vector<std::string> OpenErrorNotes() {
  return {"　※ファイルオープンエラー", "　　・ファイルパスにそのファイルがない",
          "　　・ファイルの排他制御をしているエディタでファイルを開いている場合",
          "　　　（エディタの設定を変更する・ファイルを閉じるなど）"};
}

}  // namespace

SourceFields ParseSourceFields(std::string_view data) {
  SourceFields f;
  std::vector<std::string_view> fields;
  std::size_t at = 0;
  for (int i = 0; i < 4; ++i) {
    const std::size_t comma = data.find(',', at);
    if (comma == std::string_view::npos) break;
    fields.push_back(data.substr(at, comma - at));
    at = comma + 1;
  }
  if (fields.size() >= 3) {
    f.real_steps = fields[1];
    f.total_steps = fields[2];
  }
  f.position = ItemPosition(data);
  if (f.position.empty() || !SplitPosition(f.position, f.path, f.line)) {
    f.position.clear();
    return f;
  }
  f.first = f.line;
  // Field 6 follows the position's closing parenthesis.
  const std::size_t end = at + f.position.size();
  if (end < data.size() && data[end] == ',') {
    const long first = std::atol(std::string(data.substr(end + 1)).c_str());
    if (first > 0) f.first = first;
  }
  f.first = std::max(1L, f.first);
  return f;
}

SourceView BuildSourceView(std::string_view data, std::string_view data1,
                           const SourceViewSettings& s, const CleaningPatterns& pats,
                           std::span<const Regex* const> patterns) {
  SourceView view;
  const SourceFields f = ParseSourceFields(data);
  if (s.show_position && !f.position.empty())
    view.header.push_back("ファイルパス（行番号）：" + ToDisplay(f.position));
  if (s.show_steps && !f.total_steps.empty())
    view.header.push_back("実/総ステップ数 ： " + ToDisplay(f.real_steps) + " / " +
                          ToDisplay(f.total_steps));
  if (s.show_prepro) view.header.push_back("プリプロセッサ定義：" + ToDisplay(data1));
  if (f.position.empty()) return view;

  view.first = f.first;
  const long total = std::clamp(std::atol(f.total_steps.c_str()), 0L, kShownLinesLimit);
  const long from = std::max(1L, f.first - std::max(0, s.src_line));
  const long last = f.first + (total > 0 ? total + 3 : 3000) - 1;
  BoundedFileLines file;
  // A tree file holds a UTF-8 name in CP932 or escaped form.
  if (!file.Open(RealPathOf(f.path))) {
    view.notes = OpenErrorNotes();
    return view;
  }
  if (file.binary()) {
    view.notes.push_back("　※テキストファイルではないため、表示しません");
    return view;
  }
  ShownRange range(file, from, last, s, pats, patterns);
  std::vector<std::uint8_t> keep;
  if (s.hide_inactive) keep = DecideKeptLines(range, MacroList(data1), pats);
  std::string rest;
  while (range.ReadLine(rest)) {
  }
  for (SourceLine& line : range.lines) {
    line.body = line.number >= f.first && line.number < f.first + std::max(total, 1L);
    const std::size_t index = static_cast<std::size_t>(line.number - 1);
    if (s.hide_inactive && index < keep.size() && !keep[index]) {
      ++view.hidden;
      continue;
    }
    view.lines.push_back(std::move(line));
  }
  if (range.failed())
    view.notes = OpenErrorNotes();
  else if (file.over_budget())
    view.notes.push_back("　※ファイルが大きすぎるため、" + std::to_string(range.number()) +
                         "行目で読込を止めました");
  else if (range.number() < from)
    view.notes.push_back("　※ファイルは" + std::to_string(range.number()) + "行しかなく、" +
                         std::to_string(f.first) + "行目がありません");
  return view;
}

int ColumnRows(std::size_t lines, int rows, int columns) {
  rows = std::max(1, rows);
  columns = std::max(1, columns);
  const std::size_t screen = static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns);
  if (lines >= screen) return rows;
  const std::size_t per =
      (lines + static_cast<std::size_t>(columns) - 1) / static_cast<std::size_t>(columns);
  return std::max(1, static_cast<int>(per));
}

std::string LineNumberText(const SourceLine& line) {
  std::string digits = std::to_string(line.number);
  if (digits.size() < 5) digits.insert(0, 5 - digits.size(), '0');
  return digits + (line.body ? "┃" : "│");
}

std::string RulerText(int width) {
  std::string ruler;
  for (int k = 1; k <= width; ++k)
    ruler += k % 10 == 0 ? static_cast<char>('0' + (k / 10) % 10) : (k % 5 == 0 ? '+' : '-');
  return ruler;
}

std::string RenderSourceText(const SourceView& view, const SourceViewSettings& s, int rows,
                             int width) {
  std::string out;
  for (const std::string& h : view.header) out += h + "\n";
  const int gutter = s.show_line_numbers ? kLineNumberCells : 0;
  const int text_cells = std::max(1, width - gutter);
  rows = ColumnRows(view.lines.size(), rows, s.columns);
  const std::size_t per_screen =
      static_cast<std::size_t>(std::max(1, rows)) * static_cast<std::size_t>(s.columns);
  auto pad = [](std::string& cell, std::size_t cells, std::size_t used) {
    if (used < cells) cell.append(cells - used, ' ');
  };
  for (std::size_t top = 0; top < view.lines.size(); top += per_screen) {
    if (top > 0) out += "\n";
    std::vector<std::string> rows_text(static_cast<std::size_t>(rows) + (s.show_ruler ? 1 : 0));
    for (int c = 0; c < s.columns; ++c) {
      std::size_t r = 0;
      auto add = [&](std::string cell, std::size_t used) {
        if (c > 0) rows_text[r] += " ";
        if (c + 1 < s.columns) pad(cell, static_cast<std::size_t>(width), used);
        rows_text[r++] += cell;
      };
      if (s.show_ruler)
        add(std::string(static_cast<std::size_t>(gutter), ' ') + RulerText(text_cells),
            static_cast<std::size_t>(width));
      for (int row = 0; row < rows; ++row) {
        const std::size_t i = top + static_cast<std::size_t>(c * rows + row);
        if (i >= view.lines.size()) {
          add("", 0);
          continue;
        }
        const SourceLine& line = view.lines[i];
        const std::string_view text(line.text.data(),
                                    Cp932SafeCut(line.text, static_cast<std::size_t>(text_cells)));
        std::string cell = s.show_line_numbers ? LineNumberText(line) : "";
        std::size_t at = 0;
        for (const MatchSpan& e : line.emphasis) {
          if (e.pos >= text.size()) break;
          const std::size_t end = std::min(text.size(), e.pos + e.len);
          cell += ToDisplay(text.substr(at, e.pos - at)) + "«" +
                  ToDisplay(text.substr(e.pos, end - e.pos)) + "»";
          at = end;
        }
        cell += ToDisplay(text.substr(at));
        add(std::move(cell), static_cast<std::size_t>(gutter) + text.size());
      }
    }
    for (std::string& row : rows_text)
      while (!row.empty() && row.back() == ' ') row.pop_back();
    while (!rows_text.empty() && rows_text.back().empty()) rows_text.pop_back();
    for (const std::string& row : rows_text) out += row + "\n";
  }
  for (const std::string& n : view.notes) out += n + "\n";
  return out;
}

}  // namespace kelvora
