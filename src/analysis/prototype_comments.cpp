#include <string>
#include <unordered_map>

#include "analysis/definitions.h"
#include "analysis/definitions_text.h"
#include "data/registration_lists.h"
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

  // Names are matched without "*", so a head "char *dup(" and a prototype "char* dup(" meet.
  std::unordered_map<std::string, std::size_t> row_of;
  for (std::size_t r = 0; r < list.RowCount(); ++r) {
    row_of.emplace(extract::RemoveBytes(list.CellText(r, col::kName), "*"), r);
  }

  long stored = 0;
  std::string line, name, comment, last_name;
  while (stored < kMaxStoredComments && reader.ReadLine(line)) {
    int parsed = ParsePrototypeLine(line, env.regex, defs, name, comment);
    if (parsed == -1) break;
    if (parsed != 0) continue;  // no name, no comment, or a line too long to read
    auto it = row_of.find(extract::RemoveBytes(name, "*"));
    if (it == row_of.end()) continue;
    if (overwrite || list.Cell(it->second, col::kComment).empty()) {
      list.SetCell(it->second, col::kComment, extract::RemoveBytes(comment, "\t"));
      ++stored;
    }
    last_name = name;
    if (stored % 10 == 0) ShowCommentStatus(env.ui, name, stored);
  }
  ShowCommentStatus(env.ui, last_name, stored);
  return stored;
}

}  // namespace kelvora
