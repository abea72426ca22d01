#include "analysis/candidates.h"

#include <string>

#include "analysis/definitions.h"
#include "analysis/escape_poll.h"
#include "data/registration_lists.h"
#include "platform/bytes.h"
#include "platform/cp932.h"
#include "platform/line_reader.h"
#include "platform/ui.h"
#include "settings/settings.h"
#include "text/source_clean.h"

namespace kelvora {

namespace {

// What one candidate line gives.
struct Candidate {
  std::string prefix;  // "path(line):" and the blanks after it
  std::string name;
  std::string marker;
  std::string comment;
};

enum class Parsed { Take, Skip, EndPass };

// Struct rows: the name after a closing brace, or the tag after "struct" on a line that opens a
// body.
Parsed ParseStructCandidate(std::string_view line, const RegexService& regex,
                            const DefinitionPatterns& dp, Candidate& c) {
  std::string work(line);
  MatchSpan m;
  if (dp.comment.Search(work, m)) {
    c.comment = work.substr(m.pos, m.len);
    work.erase(m.pos, m.len);
  }
  // The tests look at the source text only: a path such as ".../external/..." or one holding
  // "=" says nothing about the line.
  if (!dp.position_prefix.Search(work, m)) return Parsed::Skip;
  std::string_view body = std::string_view(work).substr(m.pos + m.len);
  if (Contains(body, "=") || Contains(body, "extern")) return Parsed::Skip;
  const Regex* keyword = &dp.brace_keyword;
  if (FindCp932Char(body, '}') == std::string_view::npos) {
    if (!Contains(body, "struct") || FindCp932Char(body, '{') == std::string_view::npos) {
      return Parsed::Skip;
    }
    keyword = &dp.struct_keyword;
  }
  std::string keyword_text;
  int r = regex.ExtractMatchChain3(work, dp.position_prefix, *keyword, dp.identifier, c.prefix,
                                   keyword_text, c.name);
  if (r == -1) return Parsed::EndPass;
  if (r == 3) {
    c.name = keyword_text;
  } else if (r != 0) {
    return Parsed::Skip;  // a line over 512 bytes, or no prefix or keyword
  }
  c.name = RemoveBytes(c.name, " \t");
  return c.name.empty() ? Parsed::Skip : Parsed::Take;
}

// Table rows: the last identifier before the initialiser and the array brackets.
Parsed ParseTableCandidate(std::string_view line, const RegexService& regex,
                           const DefinitionPatterns& dp, Candidate& c) {
  int r = regex.ExtractMatchChain(line, dp.position_prefix, dp.comment, c.prefix, c.comment);
  if (r == -1) return Parsed::EndPass;
  if (r != 0 && r != 2) return Parsed::Skip;  // no prefix, or a line over 512 bytes
  std::string work(line.substr(c.prefix.size()));
  if (!c.comment.empty()) {
    std::size_t at = work.find(c.comment);
    if (at != std::string::npos) work.erase(at, c.comment.size());
  }
  if (Contains(work, "=")) c.marker = "=";
  MatchSpan m;
  if (dp.initialiser.Search(work, m)) work.erase(m.pos, m.len);
  if (dp.brackets.Search(work, m)) work.erase(m.pos, m.len);

  std::string_view rest = work;
  while (dp.identifier.Search(rest, m)) {
    std::string_view id = rest.substr(m.pos, m.len);
    std::string_view after = rest.substr(m.pos + m.len);
    MatchSpan next;
    if (id == "0" || !dp.identifier.Search(after, next)) {
      c.name.assign(id);
      return Parsed::Take;
    }
    rest = after;
  }
  return Parsed::Skip;
}

using ParseFn = Parsed (*)(std::string_view, const RegexService&, const DefinitionPatterns&,
                           Candidate&);

// Reads the candidates of temp_file and inserts a row for each usable one at index i, at most
// "DataMax" rows; progress steps are bounded by bound. The usable candidates past the limit are
// counted into over_limit.
long RegisterCandidates(const std::string& temp_file, long bound, RegistrationList& list,
                        std::string_view label, ParseFn parse, ExtractorEnv& env,
                        long* over_limit) {
  FileLineReader reader;
  if (!reader.Open(temp_file)) return -1;
  const DefinitionPatterns& dp = PatternsOf(env);
  const long data_max = env.settings.list_data_max;
  long i = 0;
  long steps = 0;
  std::string line, last_name;
  while (i < data_max && reader.ReadLine(line)) {
    Candidate c;
    Parsed parsed = parse(line, env.regex, dp, c);
    if (parsed == Parsed::EndPass) break;
    if (parsed == Parsed::Skip) continue;
    std::string comment = ReplaceByte(c.comment, '\t', ' ');
    if (env.settings.char_change == 1) comment = ConvertEucToSjis(comment);

    std::size_t row = list.InsertRow(static_cast<std::size_t>(i));
    list.SetCell(row, col::kName, c.name);
    list.SetCell(row, col::kPosition, env.data.CompressPosition(c.prefix));
    list.SetCell(row, col::kMarker, c.marker);
    list.SetCell(row, col::kComment, comment);
    last_name = c.name;
    if (i % 10 == 0) {
      env.ui.SetStatus(1, ToDisplay(c.name));
      env.ui.SetStatus(2, std::string(label) + std::to_string(i));
      if (steps < bound) {
        env.ui.AdvanceProgress(1);
        ++steps;
      }
    }
    ++i;
    if (PollAnalysisCancel(env.ui)) return -1;
  }
  long over = 0;
  while (i >= data_max && reader.ReadLine(line)) {
    Candidate c;
    Parsed parsed = parse(line, env.regex, dp, c);
    if (parsed == Parsed::EndPass) break;
    if (parsed == Parsed::Take) ++over;
  }
  if (over_limit) *over_limit = over;
  env.ui.SetStatus(1, ToDisplay(last_name));
  env.ui.SetStatus(2, std::string(label) + std::to_string(i));
  if (steps < bound) env.ui.AdvanceProgress(bound - steps);
  return i;
}

}  // namespace

long RegisterStructs(const std::string& temp_file, long header_count, ExtractorEnv& env,
                     long* over_limit) {
  return RegisterCandidates(temp_file, header_count, env.data.structs(), "構造体 Data Set：",
                            ParseStructCandidate, env, over_limit);
}

long RegisterTables(const std::string& temp_file, long file_count, ExtractorEnv& env,
                    long* over_limit) {
  return RegisterCandidates(temp_file, file_count, env.data.tables(), "ﾃｰﾌﾞﾙ Data Set：",
                            ParseTableCandidate, env, over_limit);
}

}  // namespace kelvora
