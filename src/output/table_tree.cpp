// The table pass and the table tree: every table (an initialiser that opens with a brace) of
// the TableList files with the elements of its initialiser.
#include "analysis/analysis_passes.h"
#include "output/output_texts.h"
#include "output/record_files.h"
#include "output/source_pass.h"
#include "output/table_pass.h"
#include "output/tree_output.h"
#include "platform/byte_sink.h"
#include "platform/bytes.h"
#include "platform/line_reader.h"
#include "settings/settings.h"

namespace kelvora {

namespace {

constexpr std::size_t kCodePartLimit = 5000;
constexpr std::size_t kPieceLimit = 512;

bool IsIdentByte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool MayBeHead(std::string_view text) {
  return text.find('=') != std::string_view::npos && text.find('{') != std::string_view::npos;
}

bool MayBeJoinedHead(std::string_view first, std::string_view second) {
  const auto has = [&](char c) {
    return first.find(c) != std::string_view::npos || second.find(c) != std::string_view::npos;
  };
  return has('=') && has('{');
}

// The table tree's records: the entry line, one element line per piece with the line's comment
// as suffix, an empty line at the end of the table.
class TableTreeVisitor final : public TableWalkVisitor {
 public:
  TableTreeVisitor(ByteSink& out, const TablePass& pass, const Settings& settings)
      : out_(out), pass_(pass), settings_(settings) {}
  void SetPath(const std::string& path) { path_ = &path; }

  void OnHead(std::string_view head, long line) override {
    out_.Line(pass_.HeadNames(std::string(head)).name + ",0,0,0," + *path_ + "(" +
              std::to_string(line) + ")");
  }
  void OnTableLine(std::string_view comments) override {
    const std::string comment = TablePass::CleanComment(comments);
    suffix_ = comment.empty() ? std::string() : "    // " + comment;
  }
  bool OnPiece(std::string_view piece) override {
    if (settings_.IsExcludedFunction(piece)) return false;
    piece = TrimBlanks(piece);
    if (IsConditionalPiece(piece)) return true;
    std::string element(piece);
    pass_.RemoveCast(element);
    out_.Line(tree_text::Cp932(tree_text::kDot) + element + suffix_);
    return false;
  }
  void OnTableEnd() override { out_.Write("\r\n"); }

 private:
  ByteSink& out_;
  const TablePass& pass_;
  const Settings& settings_;
  const std::string* path_ = nullptr;
  std::string suffix_;
};

}  // namespace

bool IsConditionalPiece(std::string_view trimmed) {
  return trimmed.starts_with("#if") || trimmed.starts_with("#else") ||
         trimmed.starts_with("#endif");
}

TablePass::TablePass(const RegexService& regex, const CleaningPatterns& cleaning)
    : cleaning_(cleaning) {
  regex.Compile(kTableHeadPattern, head_);
  regex.Compile("=.*$", initialiser_);
  regex.Compile("\\[.*\\]", brackets_);
  regex.Compile("}[ \\t]*;", close_semicolon_);
  regex.Compile("\\([A-Za-z0-9_ *]+\\)", cast_);
}

TablePass::Names TablePass::HeadNames(std::string text) const {
  MatchSpan span;
  if (initialiser_.Search(text, span)) text.erase(span.pos, span.len);
  if (brackets_.Search(text, span)) text.erase(span.pos, span.len);
  Names names;
  for (std::size_t i = 0; i < text.size();) {
    if (!IsIdentByte(text[i])) {
      i += IsCp932LeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
      continue;
    }
    std::size_t j = i;
    while (j < text.size() && IsIdentByte(text[j])) ++j;
    names.type = std::move(names.name);
    names.name = text.substr(i, j - i);
    if (names.name == "0") break;
    i = j;
  }
  return names;
}

std::string TablePass::CleanComment(std::string_view comments) {
  std::string c = ReplaceAll(comments, "\t", " ");
  c = ReplaceAll(c, ",", tree_text::Cp932("、"));
  c = ReplaceAll(c, "//", "");
  c = ReplaceAll(c, "/*", "");
  c = ReplaceAll(c, "*/", "");
  return std::string(TrimBlanks(c));
}

void TablePass::RemoveCast(std::string& piece) const {
  MatchSpan span;
  if (cast_.Search(piece, span)) piece = ReplaceAll(piece, piece.substr(span.pos, span.len), "");
}

// One file's walk: the head search outside tables, the body lines inside.
class TablePass::FileWalk {
 public:
  FileWalk(const TablePass& pass, TableWalkVisitor& visitor) : pass_(pass), visitor_(visitor) {}

  void Read(CleanLineReader& reader) {
    std::string_view raw, cleaned;
    bool used = false;
    while (reader.Next(raw, cleaned, used)) {
      visitor_.OnLine(raw, cleaned, used, in_table_);
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
      if (MayBeHead(cleaned) && pass_.head_.Search(cleaned, span)) {
        head.assign(cleaned);
      } else if (!pending_.empty() && MayBeJoinedHead(pending_, cleaned)) {
        std::string joined = pending_ + " " + std::string(cleaned);
        if (MayBeHead(joined) && pass_.head_.Search(joined, span)) {
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
      visitor_.OnHead(head, head_line);
      in_table_ = true;
      depth_ = 0;
      Elements(raw, true);
    }
    if (in_table_) visitor_.OnTableEnd();
  }

 private:
  // The pieces of one line of the table; on the head line from its first "{" on.
  void Elements(std::string_view raw, bool head_line) {
    std::string code(raw);
    std::string comments;
    if (code.find_first_of("\"'") == std::string::npos) {
      RemoveAllMatches(code, pass_.cleaning_.block_comment, &comments);
      RemoveAllMatches(code, pass_.cleaning_.line_comment, &comments);
    } else {
      RemoveCommentsOutsideLiterals(code, comments);
    }
    visitor_.OnTableLine(comments);
    std::string_view rest = code;
    if (head_line) {
      const std::size_t open = FindCp932Char(rest, '{');
      rest = open == std::string_view::npos ? std::string_view() : rest.substr(open + 1);
      depth_ = 1;
    }
    std::string part(rest);
    MatchSpan span;
    long closed_after = 0;
    if (pass_.close_semicolon_.Search(part, span)) {
      part.erase(span.pos, span.len);
      // The "}" of "};" closes the braces opened before it: on later lines the others are
      // counted first, so "{5, 6}};" still opens a group one level down.
      if (head_line)
        --depth_;
      else
        closed_after = 1;
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
      stop = CodePart(std::string_view(part).substr(start, i - start));
      if (!end && part[i] == '{') visitor_.OnOpenBrace(++depth_);
      if (!end && part[i] == '}') --depth_;
      start = i + 1;
    }
    depth_ -= closed_after;
    if (depth_ <= 0) {
      visitor_.OnTableEnd();
      in_table_ = false;
    }
  }

  // The comment patterns applied to a line with quotes, but never inside a string or character
  // literal: a "//" in "http://host" or a "/*" in "a/*b" stays in the value instead of cutting
  // it. The patterns search a copy whose literal bytes are blanked out; what they match is cut
  // from the line itself.
  void RemoveCommentsOutsideLiterals(std::string& code, std::string& comments) const {
    std::string masked = MaskLiterals(code);
    for (const Regex* re : {&pass_.cleaning_.block_comment, &pass_.cleaning_.line_comment}) {
      MatchSpan span;
      while (re->Search(masked, span) && span.len > 0) {
        comments.append(code, span.pos, span.len);
        code.erase(span.pos, span.len);
        masked.erase(span.pos, span.len);
      }
    }
  }

  // The line with every byte inside a string or character literal replaced by "_". Literals are
  // looked for outside comments only (an apostrophe in "// don't" opens nothing); a backslash
  // escapes the next byte and a CP932 lead byte takes its trail byte with it, so the 0x5C trail
  // byte of a character such as "表" never ends a literal.
  static std::string MaskLiterals(std::string_view line) {
    std::string masked(line);
    char quote = 0;
    for (std::size_t i = 0; i < masked.size(); ++i) {
      const char c = masked[i];
      if (quote) {
        if (c == quote) {
          quote = 0;
          continue;
        }
        const bool pair =
            (c == '\\' || IsCp932LeadByte(static_cast<unsigned char>(c))) && i + 1 < masked.size();
        masked[i] = '_';
        if (pair) masked[++i] = '_';
        continue;
      }
      if (IsCp932LeadByte(static_cast<unsigned char>(c)) && i + 1 < masked.size()) {
        ++i;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '/' && i + 1 < masked.size() && masked[i + 1] == '/') {
        break;
      } else if (c == '/' && i + 1 < masked.size() && masked[i + 1] == '*') {
        const std::size_t end = masked.find("*/", i + 2);
        if (end == std::string::npos) break;
        i = end + 1;
      }
    }
    return masked;
  }

  // Hands over the pieces of one code part; true when the visitor ends the line.
  bool CodePart(std::string_view text) {
    std::string part = ReplaceByte(text, '\t', ' ');
    std::string_view code = TrimBlanks(part);
    if (code.size() >= kCodePartLimit) return false;
    std::size_t i = 0;
    while (i < code.size()) {
      while (i < code.size() && IsBlankOrTab(code[i])) ++i;
      std::size_t comma = code.find(',', i);
      if (comma == std::string_view::npos) comma = code.size();
      std::string_view piece = code.substr(i, comma - i);
      i = comma + 1;
      if (piece.size() >= kPieceLimit) break;
      if (piece.empty()) continue;
      if (visitor_.OnPiece(piece)) return true;
    }
    return false;
  }

  const TablePass& pass_;
  TableWalkVisitor& visitor_;
  bool in_table_ = false;
  long depth_ = 0;
  std::string pending_;
  long pending_line_ = 0;
};

void TablePass::Read(CleanLineReader& reader, TableWalkVisitor& visitor) const {
  FileWalk(*this, visitor).Read(reader);
}

long WriteTableTreeTo(ByteSink& out, OutputContext& ctx) {
  out.Line(tree_text::Cp932("テーブル"));
  out.Write("\r\n");
  out.Line(std::string(tree_text::kDataLine) + ctx.settings.preprocessor);

  const CleaningPatterns cleaning(ctx.regex);
  const TablePass pass(ctx.regex, cleaning);
  TableTreeVisitor tree(out, pass, ctx.settings);
  return ReadRecordFiles(ctx, ListKind::Table, false, cleaning,
                         [&](CleanLineReader& reader, const std::string& path) {
                           tree.SetPath(path);
                           pass.Read(reader, tree);
                         });
}

}  // namespace kelvora
