#include "tree/tree_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>

#include "platform/cp932.h"
#include "platform/line_reader.h"
#include "platform/ui.h"
#include "settings/settings.h"
#include "text/regex_service.h"
#include "tree/tree_text.h"

namespace kelvora {

const std::string kRecursionMarkCp932 = Utf8ToCp932("  ※再帰処理");
const std::string kUnionMemberMarkCp932 = Utf8ToCp932("(※unionﾒﾝﾊﾞ)  ");

namespace {

constexpr std::string_view kSection = "Tree";

const std::string kStructLine = Utf8ToCp932("構造体");
const std::string kTableLine = Utf8ToCp932("テーブル");
const std::string kCalleeDot = Utf8ToCp932("・ ");
const std::string kOldMark = Utf8ToCp932("※再起処理");
const std::string kNewMark = Utf8ToCp932("※再帰処理");

// The patterns of one kind, compiled once per read.
struct KindPatterns {
  Regex dot, callee, declaration, rest;
  bool Compile(TreeKind kind, const RegexService& regex) {
    const std::string union_member = "[\\(]" + Utf8ToCp932("※unionﾒﾝﾊﾞ") + "[\\)][ ]*";
    const std::string union_tail = "\\(" + Utf8ToCp932("※union") + "\\)";
    bool ok = regex.Compile(kCalleeDot, dot) && regex.Compile(".+", rest);
    switch (kind) {
      case TreeKind::Function:
        return ok && regex.Compile("[A-Za-z0-9_]+([\\t  ]*" + kOldMark + ")*", callee);
      case TreeKind::Struct:
        return ok &&
               regex.Compile("(" + union_member + ")*[A-Za-z0-9_]+[\\t ]*[A-Za-z0-9_]+.*",
                             callee) &&
               regex.Compile("(" + union_member + ")*[A-Za-z0-9_]+[ \\t\\[\\]A-Za-z0-9_&+-*=]*(" +
                                 union_tail + ")*",
                             declaration);
      case TreeKind::Table:
        return ok && regex.Compile("[\\(A-Za-z0-9_]*[\\t ]*[A-Za-z0-9_]+.*", callee) &&
               regex.Compile("[A-Za-z0-9_]+[ \\t\\[\\]A-Za-z0-9_&*=]*", declaration);
    }
    return false;
  }
};

// The entry name of a line: "^[*]*[A-Za-z0-9_]+" (ASCII from the first byte, so always aligned).
// Any number of asterisks: the function tree writes a function returning a pointer to a pointer
// as "**name", and one asterisk alone would lose such entries.
std::string_view EntryName(std::string_view line) {
  if (line.size() > RegexService::kExtractLimit) return {};
  std::size_t i = 0;
  while (i < line.size() && line[i] == '*') ++i;
  std::size_t end = i;
  while (end < line.size()) {
    const unsigned char c = static_cast<unsigned char>(line[end]);
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
      break;
    ++end;
  }
  return end > i ? line.substr(0, end) : std::string_view{};
}

// Declaration padded to the column, then the rest; the trimmed text when it does not split.
std::string PadDeclaration(std::string_view text, const KindPatterns& p, const RegexService& regex,
                           int column) {
  std::string decl, rest;
  if (regex.ExtractMatchChain(text, p.declaration, p.rest, decl, rest) != 0)
    return std::string(TrimRight(text));
  std::string out(TrimRight(decl));
  out += ' ';
  while (out.size() < static_cast<std::size_t>(column)) out += ' ';
  out += rest;
  return out;
}

std::string RootText(const std::string& path) {
  struct stat st;
  std::string text = "項目一覧";
  if (::stat(path.c_str(), &st) == 0) {
    std::tm tm{};
    const std::time_t t = st.st_mtime;
    if (localtime_r(&t, &tm)) {
      char buf[96];
      std::snprintf(buf, sizeof buf, "項目一覧（%02d/%02d/%02d %02d:%02d ﾃﾞｰﾀ生成）",
                    tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min);
      text = buf;
    }
  }
  return Utf8ToCp932(text);
}

std::string TabLabel(const std::string& path) {
  std::string_view name = path;
  if (const std::size_t slash = name.rfind('/'); slash != std::string_view::npos)
    name.remove_prefix(slash + 1);
  if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos && dot > 0)
    name = name.substr(0, dot);
  return std::string(name.substr(0, Cp932SafeCut(name, 39)));
}

// Display order of the selection window: letters compared without case, "_" before digits and
// letters; equal texts keep file order.
int SortKey(unsigned char c) {
  if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
  if (c == '_') return 0x2F;  // just before '0'
  return c;
}

bool DisplayLess(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int ka = SortKey(static_cast<unsigned char>(a[i]));
    const int kb = SortKey(static_cast<unsigned char>(b[i]));
    if (ka != kb) return ka < kb;
  }
  return a.size() < b.size();
}

// Shows "取得中：%s" and serves the window, at most every 50 ms.
class ReadFeedback {
 public:
  explicit ReadFeedback(Ui& ui) : ui_(ui) {}
  // False when Escape was pressed and the user chose to stop reading.
  bool Entry(std::string_view name) {
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && now - last_ < std::chrono::milliseconds(50)) return true;
    shown_ = true;
    last_ = now;
    ui_.SetStatus(1, "取得中：" + ToDisplay(name));
    if (!ui_.PollEscape()) return true;
    return !ui_.AskYesNo(kAskCancelOnEscape,
                         "「ESCキー」が押されました。\nTREEファイルの読み込みを中断しますか？　\n",
                         Ui::kTreeCaption);
  }

 private:
  Ui& ui_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point last_;
};

}  // namespace

TreeSettings LoadTreeSettings(SettingsStore& store, bool write_back) {
  TreeSettings s;
  const long long data_max = store.ReadInt(kSection, "DataMax", 3000);
  s.data_max = data_max < 1 || data_max > 100000000 ? 3000 : static_cast<int>(data_max);
  auto column = [&](std::string_view key, long long fallback = 40) {
    long long v = store.ReadInt(kSection, key, fallback);
    if (v == 0) {
      v = fallback;
      if (write_back) store.WriteInt(kSection, key, v);
    }
    return static_cast<int>(std::clamp<long long>(v, 1, 4096));
  };
  s.struct_space = column("StructSpace");
  s.table_space = column("TableSpace");
  s.space = column("Space", 30);
  s.nest_level_text = static_cast<unsigned>(store.ReadInt(kSection, "NestLevelText", 0)) & 0xFFFu;
  const long long budget = store.ReadInt(kSection, "NodeBudget", 1000000);
  s.node_budget = budget < 1 ? 1000000 : budget;
  return s;
}

std::string StripUnionMark(std::string_view text) {
  std::string out(text);
  for (std::size_t at = out.find(kUnionMemberMarkCp932); at != std::string::npos;
       at = out.find(kUnionMemberMarkCp932, at))
    out.erase(at, kUnionMemberMarkCp932.size());
  return out;
}

TextId TreePage::Intern(std::string_view text) {
  return pool_.Intern(text);
}

void TreePage::Clear() {
  kind = TreeKind::Function;
  root_text.clear();
  data1.clear();
  entries.clear();
  callees.clear();
  recursions.clear();
  cut = false;
  pool_.Clear();
  first_entry_.clear();
  caller_offsets_.clear();
  caller_entries_.clear();
}

bool TreePage::Find(std::string_view text, TextId& id) const {
  return pool_.Find(text, id);
}

std::int32_t TreePage::FindEntry(std::string_view name) const {
  TextId id;
  return Find(name, id) && id < first_entry_.size() ? first_entry_[id] : -1;
}

std::span<const std::int32_t> TreePage::CallerEntries(std::string_view callee_text) const {
  TextId id;
  if (!Find(callee_text, id) || id + 1 >= caller_offsets_.size()) return {};
  return std::span<const std::int32_t>(caller_entries_.data() + caller_offsets_[id],
                                       caller_offsets_[id + 1] - caller_offsets_[id]);
}

void TreePage::Finish(const std::function<void()>& tick) {
  // Sort on the first sixteen sort keys packed into a number, the whole text only on a tie.
  struct Keyed {
    unsigned __int128 prefix;
    std::uint32_t index;
  };
  std::vector<Keyed> keyed(entries.size());
  for (std::size_t e = 0; e < entries.size(); ++e) {
    const std::string_view text = Text(entries[e].text);
    unsigned __int128 prefix = 0;
    for (std::size_t i = 0; i < 16; ++i)
      prefix =
          prefix << 8 |
          (i < text.size() ? static_cast<unsigned>(SortKey(static_cast<unsigned char>(text[i])))
                           : 0u);
    keyed[e] = {prefix, static_cast<std::uint32_t>(e)};
    if ((e & 0xFFFF) == 0xFFFF && tick) tick();
  }
  if (tick) tick();
  std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    const std::string_view ta = Text(entries[a.index].text), tb = Text(entries[b.index].text);
    if (DisplayLess(ta, tb)) return true;
    if (DisplayLess(tb, ta)) return false;
    return a.index < b.index;  // equal texts keep file order
  });
  if (tick) tick();
  std::vector<TreeEntry> sorted;
  sorted.reserve(entries.size());
  for (const Keyed& k : keyed) sorted.push_back(entries[k.index]);
  entries = std::move(sorted);
  const std::size_t texts = pool_.size();
  first_entry_.assign(texts, -1);
  for (std::size_t e = entries.size(); e-- > 0;)
    first_entry_[entries[e].text] = static_cast<std::int32_t>(e);

  // Callers by callee text, entries in display order (counting sort over the dense ids).
  caller_offsets_.assign(texts + 1, 0);
  for (const TreeCallee& c : callees) ++caller_offsets_[c.text + 1];
  for (std::size_t i = 1; i <= texts; ++i) caller_offsets_[i] += caller_offsets_[i - 1];
  caller_entries_.assign(callees.size(), -1);
  std::vector<std::uint32_t> fill(caller_offsets_.begin(), caller_offsets_.end() - 1);
  std::vector<std::int32_t> target_of(texts, -2);
  if (tick) tick();
  for (std::size_t e = 0; e < entries.size(); ++e) {
    if ((e & 0xFFFF) == 0xFFFF && tick) tick();
    for (std::uint32_t c = 0; c < entries[e].callee_count; ++c) {
      TreeCallee& callee = callees[entries[e].first_callee + c];
      caller_entries_[fill[callee.text]++] = static_cast<std::int32_t>(e);
      std::int32_t& target = target_of[callee.text];
      if (target == -2) {
        target = -1;
        const std::string stripped = StripUnionMark(Text(callee.text));
        TextId word;
        if (Find(FirstWord(stripped), word)) target = first_entry_[word];
      }
      callee.target = target;
    }
  }
}

// The last line of every tree file this program writes.
constexpr std::string_view kEndLine = "// ---------- [End Of File] ---------- //";

ReadResult TreeFileReader(const std::string& path, TreePage& page, const TreeSettings& settings,
                          const RegexService& regex, Ui& ui) {
  page.Clear();
  FileLineReader reader;
  if (!reader.Open(path, kTreeFileLimit)) {
    ui.Message("TREEデータがありません！　\n" + ToDisplay(path) + "\n" + reader.why(),
               Ui::kTreeCaption, MsgIcon::Warning);
    page.Finish();
    return ReadResult::OpenFailed;
  }
  page.kind = TreeKind::Function;
  page.root_text = RootText(path);
  page.tab_label = TabLabel(path);

  KindPatterns patterns;
  patterns.Compile(page.kind, regex);
  ReadFeedback feedback(ui);
  std::string line, dot, callee;
  // Callee lines repeat (every call of a helper gives the same line): each distinct line is
  // split once and its texts are taken from here afterwards.
  struct Split {
    bool callee = false;  // false: the line ends a callee list
    TextId text = 0, data = 0;
    bool recursion = false;
    std::string unmarked;  // the callee text without its recursion mark
  };
  TextPool split_lines;
  std::vector<Split> splits;
  int count = 0;
  bool stopped = false;
  bool ended = false;  // the end-marker line was read: the file is whole
  while (!stopped && reader.ReadLine(line)) {
    if (line == kEndLine) {
      ended = true;
      continue;
    }
    if (count == 0 && (line == kStructLine || line == kTableLine)) {
      page.kind = line == kStructLine ? TreeKind::Struct : TreeKind::Table;
      patterns.Compile(page.kind, regex);
      continue;
    }
    const std::string_view name = EntryName(line);
    if (name.empty()) {
      if (line.compare(0, 8, "//Data1:") == 0) page.data1 = line.substr(8);
      continue;
    }
    TreeEntry entry;
    std::string bare(name);
    entry.data = page.Intern(RemoveFirst(line, bare + ","));
    bare.erase(std::remove(bare.begin(), bare.end(), '*'), bare.end());
    entry.text = page.Intern(bare);
    entry.first_callee = static_cast<std::uint32_t>(page.callees.size());
    if (!feedback.Entry(bare)) stopped = true;

    while (reader.ReadLine(line)) {
      bool added = false;
      const std::uint32_t cached = split_lines.Intern(line, &added);
      if (added) {
        Split split;
        split.callee =
            regex.ExtractMatchChain(line, patterns.dot, patterns.callee, dot, callee) == 0;
        if (split.callee) {
          split.data = page.Intern(RemoveFirst(line, kCalleeDot + callee + ","));
          std::string text(TrimRight(ReplaceAll(callee, kOldMark, kNewMark)));
          if (const std::size_t mark = text.find(kRecursionMarkCp932); mark != std::string::npos) {
            split.recursion = true;
            split.unmarked = text.substr(0, mark) + text.substr(mark + kRecursionMarkCp932.size());
          }
          if (page.kind == TreeKind::Struct)
            text = PadDeclaration(text, patterns, regex, settings.struct_space);
          else if (page.kind == TreeKind::Table)
            text = PadDeclaration(text, patterns, regex, settings.table_space);
          split.text = page.Intern(text);
        }
        splits.push_back(std::move(split));
      }
      const Split& split = splits[cached];
      if (!split.callee) {
        ended = ended || line == kEndLine;
        break;
      }
      if (split.recursion && split.unmarked.size() < TreePage::kRecursionNameMax &&
          page.recursions.size() < TreePage::kRecursionMax)
        page.recursions.push_back(split.unmarked);
      page.callees.push_back(TreeCallee{split.text, split.data, -1});
    }
    entry.callee_count = static_cast<std::uint32_t>(page.callees.size() - entry.first_callee);
    page.entries.push_back(entry);
    if (++count >= settings.data_max) break;
  }
  ui.SetStatus(1, "");
  // Indexing serves the window between its steps; an Escape there is too late to stop reading.
  page.Finish([&ui] { ui.PollEscape(); });
  if (stopped) {
    page.cut = true;
    return ReadResult::Cancelled;
  }
  if (count >= settings.data_max) return ReadResult::EntryLimit;
  // A file this program wrote ends with the marker line; without it the file was cut (a full
  // disk, a killed run), and what was read is all there is.
  if (!ended) {
    ui.Message("TREE用ファイルの終端行がありません（ファイルが途中で切れています）。　\n" +
                   ToDisplay(path) +
                   (reader.failed() ? "\n" + std::string(std::strerror(reader.error())) : ""),
               Ui::kTreeCaption, MsgIcon::Warning);
    ui.NoteLeftOut();
  }
  return ReadResult::Complete;
}

std::string PageTabText(const TreePage& page) {
  return page.cut ? page.tab_label + Utf8ToCp932("（中断）") : page.tab_label;
}

std::string EntryCountStatus(const TreePage& page) {
  return "選択Win項目数：" + std::to_string(page.entry_count()) + (page.cut ? "（中断）" : "");
}

bool OpenTreeFile(const std::string& path, TreePage& page, const TreeSettings& settings,
                  const RegexService& regex, Ui& ui) {
  if (path.empty()) {
    ui.Message("キャンセルします！　", Ui::kTreeCaption, MsgIcon::Information);
    return false;
  }
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
    ui.Message("指定されたファイルがありません。　\n" + ToDisplay(path), Ui::kTreeCaption,
               MsgIcon::Warning);
    return false;
  }
  ui.SetWaitCursor(true);
  for (int pane = 1; pane <= 3; ++pane) ui.SetStatus(pane, "");
  const ReadResult result = TreeFileReader(path, page, settings, regex, ui);
  page.tab_label = TabLabel(path);
  ui.SetStatus(1, EntryCountStatus(page));
  ui.SetStatus(2, "選択Win再帰処理：" + std::to_string(page.recursions.size()));
  ui.SetWaitCursor(false);
  if (result == ReadResult::EntryLimit)
    ui.Message(
        "項目数が多い為、" + std::to_string(settings.data_max) + "以降は登録していません。　",
        Ui::kTreeCaption, MsgIcon::Warning);
  return result != ReadResult::OpenFailed;
}

}  // namespace kelvora
