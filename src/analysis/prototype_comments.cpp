#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "analysis/definitions.h"
#include "data/registration_lists.h"
#include "platform/bytes.h"
#include "platform/cp932.h"
#include "platform/line_reader.h"
#include "platform/ui.h"

namespace kelvora {

namespace {

constexpr std::size_t kPrototypeLineLimit = RegexService::kExtractLimit;
constexpr long kMaxStoredComments = 10000;

int ParseWith(std::string_view line, const RegexService& regex, const Regex& head_re,
              const Regex& name_re, const Regex& comment_re, std::string& name,
              std::string& comment) {
  name.clear();
  comment.clear();
  if (line.size() > kPrototypeLineLimit) return -2;
  if (!regex.available() || !head_re.ok() || !name_re.ok() || !comment_re.ok()) return -1;
  MatchSpan head;
  if (!head_re.Search(line, head)) return 1;
  std::string_view head_text = line.substr(head.pos, head.len);
  MatchSpan part;
  if (!name_re.Search(head_text, part)) return 1;
  name.assign(head_text.substr(part.pos, part.len));
  std::string_view rest = line.substr(head.pos + head.len);
  MatchSpan found;
  if (!comment_re.Search(rest, found)) return 2;
  comment.assign(rest.substr(found.pos, found.len));
  return 0;
}

// The rows of a list by their names without "*" (so a head "char *dup(" and a prototype
// "char* dup(" meet), the first row of each name: open addressing over row numbers, the names
// read from the list as the lookups need them instead of copied into a table of their own.
class RowsByName {
 public:
  explicit RowsByName(const RegistrationList& list) : list_(list) {
    std::size_t size = 16;
    while (size < list.RowCount() * 2) size *= 2;
    slots_.assign(size, 0);
    mask_ = size - 1;
    std::string buffer;
    for (std::size_t r = 0; r < list.RowCount(); ++r) {
      const std::string_view name = KeyOf(r, buffer);
      std::size_t i = std::hash<std::string_view>{}(name)&mask_;
      while (slots_[i] != 0 && !SameKey(slots_[i] - 1, name)) i = (i + 1) & mask_;
      if (slots_[i] == 0) slots_[i] = static_cast<std::uint32_t>(r + 1);
    }
  }

  // The row of a name without "*"; false when no row has it.
  bool Find(std::string_view name, std::size_t& row) const {
    for (std::size_t i = std::hash<std::string_view>{}(name)&mask_; slots_[i] != 0;
         i = (i + 1) & mask_) {
      if (SameKey(slots_[i] - 1, name)) {
        row = slots_[i] - 1;
        return true;
      }
    }
    return false;
  }

 private:
  // The name of a row as a reader gets it (at most 511 bytes), without "*".
  std::string_view KeyOf(std::size_t row, std::string& buffer) const {
    std::string_view name = list_.PlainCell(row, col::kName);
    if (name.size() > kCellReadLimit) {
      buffer = list_.CellText(row, col::kName);
      name = buffer;
    }
    if (name.find('*') != std::string_view::npos) {
      buffer = RemoveBytes(name, "*");
      name = buffer;
    }
    return name;
  }
  bool SameKey(std::size_t row, std::string_view name) const {
    std::string buffer;
    return KeyOf(row, buffer) == name;
  }

  const RegistrationList& list_;
  std::vector<std::uint32_t> slots_;  // a row number plus one, 0 free
  std::size_t mask_ = 0;
};

void ShowCommentStatus(Ui& ui, std::string_view name, long count) {
  ui.SetStatus(1, ToDisplay(name));
  ui.SetStatus(2, "関数ｺﾒﾝﾄ Data Set:" + std::to_string(count));
}

}  // namespace

int ParsePrototypeLine(std::string_view line, const RegexService& regex,
                       const DefinitionPatterns& defs, std::string& name, std::string& comment) {
  return ParseWith(line, regex, defs.proto_head, defs.proto_name, defs.comment, name, comment);
}

int ParsePrototypeLine(std::string_view line, const RegexService& regex, std::string& name,
                       std::string& comment) {
  Regex head, part, found;
  regex.Compile("[*~]*[A-Za-z_][A-Za-z0-9_:]*[ \\t]*[(]", head);
  regex.Compile("[*~]*[A-Za-z_][A-Za-z0-9_:]*", part);
  regex.Compile("//.+$|/\\*.+?\\*/", found);
  return ParseWith(line, regex, head, part, found, name, comment);
}

long AttachPrototypeComments(const std::string& file, bool overwrite, ExtractorEnv& env) {
  FileLineReader reader;
  if (!reader.Open(file)) return -1;
  const DefinitionPatterns& defs = PatternsOf(env);
  RegistrationList& list = env.data.functions();

  const RowsByName rows(list);

  long stored = 0;
  std::string line, name, comment, last_name;
  while (stored < kMaxStoredComments && reader.ReadLine(line)) {
    int parsed = ParsePrototypeLine(line, env.regex, defs, name, comment);
    if (parsed == -1) break;
    if (parsed != 0) continue;  // no name, no comment, or a line too long to read
    std::size_t row = 0;
    if (!rows.Find(RemoveBytes(name, "*"), row)) continue;
    if (overwrite || list.PlainCell(row, col::kComment).empty()) {
      list.SetCell(row, col::kComment, RemoveBytes(comment, "\t"));
      ++stored;
    }
    last_name = name;
    if (stored % 10 == 0) ShowCommentStatus(env.ui, name, stored);
  }
  ShowCommentStatus(env.ui, last_name, stored);
  return stored;
}

}  // namespace kelvora
