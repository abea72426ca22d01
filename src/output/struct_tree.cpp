// The struct tree: every struct and union definition of the StructList files with its members.
#include <unordered_set>
#include <vector>

#include "output/output_texts.h"
#include "output/record_files.h"
#include "output/source_pass.h"
#include "output/tree_output.h"
#include "platform/byte_sink.h"
#include "platform/bytes.h"
#include "platform/line_reader.h"
#include "settings/settings.h"

namespace kelvora {

namespace {

struct StructPatterns {
  explicit StructPatterns(const RegexService& regex) {
    regex.Compile("struct[ \\t]+[A-Za-z0-9_]+[ \\t\\[\\]A-Za-z0-9_&*=]*{*", head);
    regex.Compile("^[ \\t]*}([ \\t]*[A-Za-z0-9_][ \\tA-Za-z0-9_\\[\\]]+,?)+;", closing);
    regex.Compile("}[\\t ]*", brace);
    regex.Compile("[A-Za-z0-9_]+(\\[[A-Za-z0-9_+-/*]*\\])*", closing_name);
    regex.Compile("^[\\t ]*(unsigned[\\t ]+)?[A-Za-z0-9_*]+[\\t ]+", type);
    regex.Compile("[*]?[A-Za-z0-9_]+(\\[[A-Za-z0-9_+-/* \\t]*\\])*[\\t 0-9:]*", declarator);
    regex.Compile("/.+", comment);
  }
  Regex head, closing, brace, closing_name, type, declarator, comment;
};

bool IsIdentByte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// True when word stands in text as a word of its own.
bool HasWord(std::string_view text, std::string_view word) {
  for (std::size_t at = text.find(word); at != std::string_view::npos;
       at = text.find(word, at + 1)) {
    const bool before = at > 0 && IsIdentByte(text[at - 1]);
    const std::size_t end = at + word.size();
    const bool after = end < text.size() && IsIdentByte(text[end]);
    if (!before && !after) return true;
  }
  return false;
}

// A run of blanks before "*/" becomes one blank.
std::string ShortenBlanksBeforeClose(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ' ') {
      std::size_t j = i;
      while (j < text.size() && text[j] == ' ') ++j;
      if (text.substr(j).starts_with("*/")) {
        out += ' ';
        i = j - 1;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

struct Record {
  std::string tag;
  bool is_union = false;
  long begin = 0;
  long level = 0;  // brace depth inside the record's body
  std::vector<std::string> members;
};

class StructFileWriter {
 public:
  StructFileWriter(ByteSink& out, const StructPatterns& pats,
                   std::unordered_set<std::string>& names)
      : out_(out), pats_(pats), names_(names) {}

  void Read(CleanLineReader& reader, const std::string& path) {
    path_ = &path;
    stack_.clear();
    depth_ = 0;
    pending_ = false;
    std::string_view raw, cleaned;
    bool used = false;
    while (reader.Next(raw, cleaned, used)) {
      if (!used) continue;
      Line(reader.line_number(), raw, cleaned);
    }
  }

 private:
  // Head of a struct or union definition: true with tag and kind set when the line starts one.
  bool Head(std::string_view cleaned, std::string& tag, bool& is_union) const {
    const bool has_struct = HasWord(cleaned, "struct");
    const bool has_union = HasWord(cleaned, "union");
    if (!has_struct && !has_union) return false;
    if (Contains(cleaned, "=") || Contains(cleaned, "extern") || Contains(cleaned, "("))
      return false;
    MatchSpan span;
    tag.clear();
    is_union = false;
    if (has_struct && pats_.head.Search(cleaned, span)) {
      std::string_view rest = cleaned.substr(span.pos + 6);
      rest = TrimBlanks(rest);
      std::size_t n = 0;
      while (n < rest.size() && IsIdentByte(rest[n])) ++n;
      tag.assign(rest.substr(0, n));
    } else if (!has_struct) {
      is_union = true;
    }
    return true;
  }

  void Line(long line_no, std::string_view raw, std::string_view cleaned) {
    const long opens = CountCp932Char(cleaned, '{');
    const long closes = CountCp932Char(cleaned, '}');
    std::string tag;
    bool is_union = false;
    if (pending_) {
      pending_ = false;
      if (TrimBlanks(cleaned).starts_with("{")) {
        Open(pending_record_, line_no, opens, closes, cleaned);
        return;
      }
    }
    if (Head(cleaned, tag, is_union)) {
      Record rec{tag, is_union || (!stack_.empty() && stack_.back().is_union), line_no, 0, {}};
      if (opens > 0) {
        Open(std::move(rec), line_no, opens, closes, cleaned);
        return;
      }
      if (!Contains(cleaned, ";")) {
        pending_ = true;
        pending_record_ = std::move(rec);
        return;
      }
    }
    if (stack_.empty()) return;
    if (opens == 0 && closes == 0) {
      if (depth_ == stack_.back().level) Member(raw);
      return;
    }
    depth_ += opens - closes;
    while (!stack_.empty() && depth_ < stack_.back().level) Close(line_no, cleaned);
  }

  void Open(Record rec, long line_no, long opens, long closes, std::string_view cleaned) {
    if (!stack_.empty() && stack_.back().is_union) rec.is_union = true;
    rec.level = depth_ + 1;
    stack_.push_back(std::move(rec));
    depth_ += opens - closes;
    while (!stack_.empty() && depth_ < stack_.back().level) Close(line_no, cleaned);
  }

  void Member(std::string_view raw) {
    MatchSpan type_span, decl_span, comment_span;
    if (!pats_.type.Search(raw, type_span)) return;
    std::string_view rest = raw.substr(type_span.pos + type_span.len);
    if (!pats_.declarator.Search(rest, decl_span)) return;
    std::string text(TrimBlanks(RemoveBytes(raw.substr(type_span.pos, type_span.len), "\t")));
    text += "    ";
    text += rest.substr(decl_span.pos, decl_span.len);
    text += "    ";
    std::string_view after = rest.substr(decl_span.pos + decl_span.len);
    if (pats_.comment.Search(after, comment_span)) {
      text += ShortenBlanksBeforeClose(
          ReplaceAll(after.substr(comment_span.pos, comment_span.len), "\t", "  "));
    }
    stack_.back().members.push_back(std::move(text));
  }

  void Close(long line_no, std::string_view cleaned) {
    Record rec = std::move(stack_.back());
    stack_.pop_back();
    std::string name = rec.tag;
    bool named_by_closing = false;
    MatchSpan span;
    if (pats_.closing.Search(cleaned, span)) {
      MatchSpan brace, word;
      if (pats_.brace.Search(cleaned, brace)) {
        std::string_view rest = cleaned.substr(brace.pos + brace.len);
        if (pats_.closing_name.Search(rest, word)) {
          name.assign(rest.substr(word.pos, word.len));
          named_by_closing = true;
        }
      }
    }
    name = UniqueName(std::move(name));
    std::string line = name + ",0,0,0," + *path_;
    line += named_by_closing ? "(" + std::to_string(line_no) + ")," + std::to_string(rec.begin)
                             : "(" + std::to_string(rec.begin) + ")";
    out_.Line(line);
    const std::string& dot = tree_text::Cp932(tree_text::kDot);
    const std::string& union_member = tree_text::Cp932(tree_text::kUnionMember);
    for (const std::string& m : rec.members) {
      std::string text = dot;
      if (rec.is_union) text += union_member;
      text += m;
      out_.Line(text);
    }
    out_.Write("\r\n");
    if (!stack_.empty()) {
      std::string member = name;
      if (rec.is_union) member += tree_text::Cp932(tree_text::kUnionTag);
      stack_.back().members.push_back(std::move(member));
    }
  }

  std::string UniqueName(std::string name) {
    if (names_.insert(name).second) return name;
    char suffix[16];
    for (int n = 1;; ++n) {
      std::snprintf(suffix, sizeof suffix, "_%03d", n);
      std::string candidate = name + suffix;
      if (names_.insert(candidate).second) return candidate;
    }
  }

  ByteSink& out_;
  const StructPatterns& pats_;
  std::unordered_set<std::string>& names_;
  const std::string* path_ = nullptr;
  std::vector<Record> stack_;
  long depth_ = 0;
  bool pending_ = false;
  Record pending_record_;
};

}  // namespace

long WriteStructTreeTo(ByteSink& out, OutputContext& ctx) {
  out.Line(tree_text::Cp932("構造体"));
  out.Write("\r\n");
  out.Line(std::string(tree_text::kDataLine) + ctx.settings.preprocessor);

  const CleaningPatterns cleaning(ctx.regex);
  const StructPatterns pats(ctx.regex);
  std::unordered_set<std::string> names;
  StructFileWriter writer(out, pats, names);
  return ReadRecordFiles(
      ctx, ListKind::Struct, true, cleaning,
      [&](CleanLineReader& reader, const std::string& path) { writer.Read(reader, path); });
}

}  // namespace kelvora
