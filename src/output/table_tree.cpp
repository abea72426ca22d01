// The table tree: every table (an initialiser that opens with a brace) of the TableList files
// with the elements of its initialiser.
#include "analysis/analysis_passes.h"
#include "analysis/definitions_text.h"
#include "output/byte_sink.h"
#include "output/output_texts.h"
#include "output/record_files.h"
#include "output/source_pass.h"
#include "output/tree_output.h"
#include "platform/line_reader.h"
#include "settings/settings.h"

namespace kelvora {

namespace {

constexpr std::size_t kCodePartLimit = 5000;
constexpr std::size_t kPieceLimit = 512;

struct TablePatterns {
  explicit TablePatterns(const RegexService& regex) {
    regex.Compile(kTableHeadPattern, head);
    regex.Compile("=.*$", initialiser);
    regex.Compile("\\[.*\\]", brackets);
    regex.Compile("}[ \\t]*;", close_semicolon);
    regex.Compile("\\([A-Za-z0-9_ *]+\\)", cast);
  }
  Regex head, initialiser, brackets, close_semicolon, cast;
};

bool IsIdentByte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The table name of a head: the initialiser and the bracket part removed, then the last
// identifier left (an identifier "0" is taken at once).
std::string TableName(std::string text, const TablePatterns& pats) {
  MatchSpan span;
  if (pats.initialiser.Search(text, span)) text.erase(span.pos, span.len);
  if (pats.brackets.Search(text, span)) text.erase(span.pos, span.len);
  std::string name;
  for (std::size_t i = 0; i < text.size();) {
    if (!IsIdentByte(text[i])) {
      i += IsCp932LeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
      continue;
    }
    std::size_t j = i;
    while (j < text.size() && IsIdentByte(text[j])) ++j;
    name = text.substr(i, j - i);
    if (name == "0") break;
    i = j;
  }
  return name;
}

class TableFileWriter {
 public:
  TableFileWriter(ByteSink& out, const TablePatterns& pats, const CleaningPatterns& cleaning,
                  const Settings& settings)
      : out_(out), pats_(pats), cleaning_(cleaning), settings_(settings) {}

  void Read(CleanLineReader& reader, const std::string& path) {
    in_table_ = false;
    pending_.clear();
    std::string_view raw, cleaned;
    bool used = false;
    while (reader.Next(raw, cleaned, used)) {
      if (!used) {
        pending_.clear();
        continue;
      }
      if (in_table_) {
        Elements(raw, false);
        continue;
      }
      const long line_no = reader.line_number();
      MatchSpan span;
      std::string head;
      long head_line = line_no;
      if (MayBeHead(cleaned) && pats_.head.Search(cleaned, span)) {
        head.assign(cleaned);
      } else if (!pending_.empty() && MayBeJoinedHead(pending_, cleaned)) {
        std::string joined = pending_ + " " + std::string(cleaned);
        if (MayBeHead(joined) && pats_.head.Search(joined, span)) {
          head = std::move(joined);
          head_line = pending_line_;
        }
      }
      if (head.empty()) {
        pending_.assign(cleaned);
        pending_line_ = line_no;
        continue;
      }
      pending_.clear();
      out_.Line(TableName(head, pats_) + ",0,0,0," + path + "(" + std::to_string(head_line) + ")");
      in_table_ = true;
      depth_ = 0;
      Elements(raw, true);
    }
    if (in_table_) out_.Write("\r\n");
  }

 private:
  static bool MayBeHead(std::string_view text) {
    return text.find('=') != std::string_view::npos && text.find('{') != std::string_view::npos;
  }

  static bool MayBeJoinedHead(std::string_view first, std::string_view second) {
    const auto has = [&](char c) {
      return first.find(c) != std::string_view::npos || second.find(c) != std::string_view::npos;
    };
    return has('=') && has('{');
  }

  // The element lines of one line of the table; on the head line from its first "{" on.
  void Elements(std::string_view raw, bool head_line) {
    std::string code(raw);
    std::string comments;
    RemoveAllMatches(code, cleaning_.block_comment, &comments);
    RemoveAllMatches(code, cleaning_.line_comment, &comments);
    std::string suffix = Suffix(comments);
    std::string_view rest = code;
    if (head_line) {
      const std::size_t open = extract::FindCp932Char(rest, '{');
      rest = open == std::string_view::npos ? std::string_view() : rest.substr(open + 1);
      depth_ = 1;
    }
    std::string part(rest);
    MatchSpan span;
    if (pats_.close_semicolon.Search(part, span)) {
      part.erase(span.pos, span.len);
      --depth_;
    }
    std::size_t start = 0;
    bool stop = false;
    for (std::size_t i = 0; i <= part.size() && !stop; ++i) {
      const bool end = i == part.size();
      if (!end && IsCp932LeadByte(static_cast<unsigned char>(part[i])) && i + 1 < part.size()) {
        ++i;
        continue;
      }
      if (!end && part[i] != '{' && part[i] != '}') continue;
      stop = CodePart(std::string_view(part).substr(start, i - start), suffix);
      if (!end) depth_ += part[i] == '{' ? 1 : -1;
      start = i + 1;
    }
    if (depth_ <= 0) {
      out_.Write("\r\n");
      in_table_ = false;
    }
  }

  std::string Suffix(std::string_view comments) const {
    std::string c = ReplaceAll(comments, "\t", " ");
    c = ReplaceAll(c, ",", tree_text::Cp932("、"));
    c = ReplaceAll(c, "//", "");
    c = ReplaceAll(c, "/*", "");
    c = ReplaceAll(c, "*/", "");
    std::string_view trimmed = extract::TrimBlanks(c);
    if (trimmed.empty()) return {};
    return "    // " + std::string(trimmed);
  }

  // Writes the elements of one code part; true when a "#if" piece ends the line.
  bool CodePart(std::string_view text, const std::string& suffix) {
    std::string part = extract::ReplaceByte(text, '\t', ' ');
    std::string_view code = extract::TrimBlanks(part);
    if (code.size() >= kCodePartLimit) return false;
    std::size_t i = 0;
    while (i < code.size()) {
      while (i < code.size() && extract::IsBlankByte(code[i])) ++i;
      std::size_t comma = code.find(',', i);
      if (comma == std::string_view::npos) comma = code.size();
      std::string_view piece = code.substr(i, comma - i);
      i = comma + 1;
      if (piece.size() >= kPieceLimit) break;
      if (piece.empty() || settings_.IsExcludedFunction(piece)) continue;
      piece = extract::TrimBlanks(piece);
      if (piece.starts_with("#if") || piece.starts_with("#else") || piece.starts_with("#endif"))
        return true;
      std::string element(piece);
      MatchSpan span;
      if (pats_.cast.Search(element, span))
        element = ReplaceAll(element, element.substr(span.pos, span.len), "");
      out_.Line(tree_text::Cp932(tree_text::kDot) + element + suffix);
    }
    return false;
  }

  ByteSink& out_;
  const TablePatterns& pats_;
  const CleaningPatterns& cleaning_;
  const Settings& settings_;
  bool in_table_ = false;
  long depth_ = 0;
  std::string pending_;
  long pending_line_ = 0;
};

}  // namespace

long WriteTableTreeTo(ByteSink& out, OutputContext& ctx) {
  out.Line(tree_text::Cp932("テーブル"));
  out.Write("\r\n");
  out.Line(std::string(tree_text::kDataLine) + ctx.settings.preprocessor);

  const CleaningPatterns cleaning(ctx.regex);
  const TablePatterns pats(ctx.regex);
  TableFileWriter writer(out, pats, cleaning, ctx.settings);
  return ReadRecordFiles(
      ctx, ListKind::Table, false, cleaning,
      [&](CleanLineReader& reader, const std::string& path) { writer.Read(reader, path); });
}

}  // namespace kelvora
