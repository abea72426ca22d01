#include "output/html_file_pages.h"

#include <sys/stat.h>

#include <functional>

#include "analysis/analysis_passes.h"
#include "analysis/definitions_patterns.h"
#include "data/position.h"
#include "output/html_anchors.h"
#include "output/source_pass.h"
#include "platform/bytes.h"
#include "platform/cp932.h"
#include "platform/file_names.h"
#include "platform/line_reader.h"
#include "platform/output_file.h"
#include "platform/ui.h"
#include "settings/settings.h"
#include "text/encoding_detect.h"
#include "text/source_clean.h"

namespace kelvora {

namespace {

std::uint32_t Trigram(std::string_view s, std::size_t i) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(s[i])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[i + 1])) << 8 |
         static_cast<unsigned char>(s[i + 2]);
}

bool IsIdentByte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The display text of a source line: tabs as three ideographic spaces, then escaped.
std::string Display(std::string_view raw) {
  std::string text;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (IsCp932LeadByte(static_cast<unsigned char>(raw[i])) && i + 1 < raw.size()) {
      text += raw.substr(i, 2);
      ++i;
    } else if (raw[i] == '\t') {
      text += "\x81\x40\x81\x40\x81\x40";
    } else {
      text += raw[i];
    }
  }
  return HtmlEscape(text);
}

// Braces of a line counted as CP932 characters (a second byte 0x7B/0x7D is no brace).
int BraceBalance(std::string_view text) {
  int balance = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
      ++i;
    } else if (text[i] == '{') {
      ++balance;
    } else if (text[i] == '}') {
      --balance;
    }
  }
  return balance;
}

// The table name of a head: the "=" part and the bracket part removed, then the last identifier
// (an identifier "0" ends the scan).
std::string TableNameOf(std::string text) {
  if (const std::size_t eq = text.find('='); eq != std::string::npos) text.erase(eq);
  const std::size_t open = text.find('['), close = text.rfind(']');
  if (open != std::string::npos && close != std::string::npos && close > open)
    text.erase(open, close - open + 1);
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

// One line of a section writer: raw (cut to 511 bytes), cleaned, and where it stands to block
// comments.
struct SectionLine {
  std::string raw;
  std::string cleaned;
  bool in_comment = false;  // inside a block comment or closing one
  long number = 0;          // 1-based
};

class SectionReader {
 public:
  SectionReader(LineSource& source, const CleaningPatterns& pats) : source_(source), pats_(pats) {}
  bool Next(SectionLine& line) {
    if (!source_.ReadLine(line.raw)) return false;
    if (line.raw.size() > kOutputLineBytes) line.raw.resize(kOutputLineBytes);
    const bool was_in = comments_.in_block;
    line.cleaned.clear();
    if (!CleanLine(line.raw, comments_, pats_, line.cleaned)) line.cleaned.clear();
    line.in_comment = was_in;
    line.number = ++line_no_;
    return true;
  }

 private:
  LineSource& source_;
  const CleaningPatterns& pats_;
  CommentState comments_;
  long line_no_ = 0;
};

}  // namespace

FunctionCommentLookup::FunctionCommentLookup(const RegistrationList& functions)
    : functions_(functions) {
  names_.reserve(functions.RowCount());
  for (std::size_t row = 0; row < functions.RowCount(); ++row) {
    names_.push_back(functions.CellText(row, col::kName));
    const std::string& n = names_.back();
    for (std::size_t i = 0; i + 3 <= n.size(); ++i) {
      auto& rows = trigrams_[Trigram(n, i)];
      if (rows.empty() || rows.back() != row) rows.push_back(static_cast<std::uint32_t>(row));
    }
  }
}

const std::string& FunctionCommentLookup::Find(std::string_view name) {
  auto cached = cache_.find(std::string(name));
  if (cached != cache_.end()) return cached->second;
  std::string comment;
  if (!name.empty()) {
    const std::vector<std::uint32_t>* candidates = nullptr;
    if (name.size() >= 3) {
      for (std::size_t i = 0; i + 3 <= name.size(); ++i) {
        auto it = trigrams_.find(Trigram(name, i));
        if (it == trigrams_.end()) {
          candidates = nullptr;
          goto done;  // no row holds this piece of the name
        }
        if (!candidates || it->second.size() < candidates->size()) candidates = &it->second;
      }
      for (auto r = candidates->rbegin(); r != candidates->rend(); ++r) {
        if (names_[*r].find(name) != std::string::npos) {
          comment = functions_.CellText(*r, col::kComment);
          break;
        }
      }
    } else {
      for (std::size_t r = names_.size(); r-- > 0;) {
        if (names_[r].find(name) != std::string::npos) {
          comment = functions_.CellText(r, col::kComment);
          break;
        }
      }
    }
  }
done:
  return cache_.emplace(std::string(name), std::move(comment)).first->second;
}

struct HtmlFilePages::Impl {
  Impl(const Settings& s, const RegexService& regex)
      : settings(s), cleaning(regex), defs(regex, {}, s.func_head_words) {
    regex.Compile("struct[ \\t]+[A-Za-z0-9_]+[ \\t\\[\\]A-Za-z0-9_&*=]*{*", struct_head);
    regex.Compile("^[ \\t]*}([ \\t]*[A-Za-z0-9_][ \\tA-Za-z0-9_\\[\\]]+,?)+;", struct_close);
    regex.Compile("typedef[ \\t]*(struct|union)", typedef_head);
    regex.Compile("^[ \\t]*#define[ \\t]+[A-Za-z0-9_]+[ \\t]", define_line);
    regex.Compile(kTableHeadPattern, table_head);
    regex.Compile("#define[ \\t]+[_a-zA-Z][_a-zA-Z0-9]*\\([ \\t,_a-zA-Z0-9]*", macro_line);
    regex.Compile("[*]*[A-Za-z_][A-Za-z0-9_]*[ \\t]*\\(", macro_name);
  }

  // The anchor of a definition at line of the current file (its text when there are no site
  // anchors).
  std::string Anchor(ListKind kind, long line, std::string_view text) {
    return anchors ? anchors->At(kind, line, text) : std::string(text);
  }

  void FunctionSection(LineSource& source, SjisWriter& w, const HtmlOptions& options);
  void HeaderSection(LineSource& source, SjisWriter& w);
  void TableSection(LineSource& source, SjisWriter& w);
  void MacroTable(LineSource& source, SjisWriter& w);
  void UnshownSection(const RegisteredData& data, SjisWriter& w);

  const Settings& settings;
  CleaningPatterns cleaning;
  DefinitionPatterns defs;
  Regex struct_head, struct_close, typedef_head, define_line, table_head, macro_line, macro_name;
  const RegisteredData* data = nullptr;
  std::unique_ptr<FunctionCommentLookup> comments;
  SiteAnchors* anchors = nullptr;
  std::string failure;  // why the last page could not be written
};

namespace {

// Writes the function blocks of a source file as the walker reports them.
class FunctionPageWriter : public FunctionWalkVisitor {
 public:
  using AnchorOf = std::function<std::string(long line, std::string_view text)>;
  FunctionPageWriter(SjisWriter& w, const HtmlOptions& options, FunctionCommentLookup& comments,
                     AnchorOf anchor)
      : w_(w), options_(options), comments_(comments), anchor_(std::move(anchor)) {}

  void OnDefinition(const Head& head) override {
    Finish();
    open_ = true;
    callees_ = 0;
    name_ = head.name;
    const std::string anchor = anchor_(head.line, FunctionAnchor(head.name));
    char border[16];
    std::snprintf(border, sizeof border, "c%d", options_.border);
    w_.Text("<hr>").Text("<a id=\"").Raw(anchor).Text("\" name=\"").Raw(anchor);
    w_.Text("\"></a><p class=\"").Text(border).Text("\"><FONT size=\"+2\">");
    w_.Text("ｺｰﾘﾝｸﾞｼｰｹﾝｽ：").Escaped(head.cleaned).Text("<br>\n").Text(" <br>");
  }

  void OnCallee(const Head&, std::string_view callee, bool recursive) override {
    if (!open_) return;
    if (callees_++ == 0) {
      Header();
      w_.Text("<br>\n<FONT color=\"yellow\">［ 関数内の呼び出し関数リスト ］</FONT><br>\n");
    } else {
      w_.Text("</li><br>\n");
    }
    w_.Text("<li>").Escaped(callee);
    if (options_.comments) {
      const std::string& comment = comments_.Find(callee);
      if (!comment.empty()) w_.Text("　　　　").Escaped(comment);
    }
    if (recursive) w_.Text("　　※再帰処理");
  }

  void OnBodyEnd(const Head&, long) override { Finish(); }

  // Ends the open function: its last callee line, or the header and the red line.
  void Finish() {
    if (!open_) return;
    open_ = false;
    if (callees_ > 0) {
      w_.Text("</li><br>\n\n");
      return;
    }
    Header();
    w_.Text("<br>\n<FONT color=\"red\">［ 関数内の呼び出し関数なし ］</FONT><br>\n");
  }

 private:
  void Header() {
    const std::string& comment = comments_.Find(FunctionAnchor(name_));
    w_.Text("関数名： ").Escaped(name_);
    if (!comment.empty()) w_.Text("　　　　").Escaped(comment);
    w_.Text("</FONT><br> </p><br>\n");
  }

  SjisWriter& w_;
  const HtmlOptions& options_;
  FunctionCommentLookup& comments_;
  AnchorOf anchor_;
  bool open_ = false;
  int callees_ = 0;
  std::string name_;
};

void AnchorLine(SjisWriter& w, std::string_view name, std::string_view display,
                std::string_view suffix = {}) {
  w.Text("<a id=\"").Raw(name).Text("\" name=\"").Raw(name);
  w.Text("\"></a><FONT color=#ff2000 size=\"+1\">").Raw(display).Text(suffix).Text("</FONT>");
}

}  // namespace

void HtmlFilePages::Impl::FunctionSection(LineSource& source, SjisWriter& w,
                                          const HtmlOptions& options) {
  FunctionWalker walker(cleaning, defs, settings, {nullptr, false, false});
  FunctionPageWriter writer(w, options, *comments, [this](long line, std::string_view text) {
    return Anchor(ListKind::Function, line, text);
  });
  walker.Walk(source, writer);
  writer.Finish();
}

void HtmlFilePages::Impl::HeaderSection(LineSource& source, SjisWriter& w) {
  SectionReader reader(source, cleaning);
  SectionLine line;
  bool in_struct = false, opened = false;
  int depth = 0;
  auto start_body = [&](const SectionLine& l) {
    if (l.cleaned.find(';') != std::string::npos) return;
    in_struct = true;
    depth = BraceBalance(l.cleaned);
    opened = depth > 0;
  };
  while (reader.Next(line)) {
    const std::string display = Display(line.raw);
    const std::string& c = line.cleaned;
    MatchSpan span;
    const bool excluded = c.find('=') != std::string::npos || c.find("extern") != std::string::npos;
    // A #define line is never a struct head, whatever it holds ("(*(struct st *)0x...)").
    const bool directive = TrimBlanks(c).starts_with('#');
    if (!c.empty() && !directive && struct_head.Search(c, span)) {
      if (excluded) continue;
      if (!in_struct) w.Text("<hr>\n");
      w.Text("<br>\n");
      std::size_t at = span.pos + 6;  // after "struct"
      while (at < c.size() && (c[at] == ' ' || c[at] == '\t')) ++at;
      std::size_t end = at;
      while (end < c.size() && IsIdentByte(c[end])) ++end;
      AnchorLine(w, Anchor(ListKind::Struct, line.number, c.substr(at, end - at)), display);
      w.Text("<br>\n");
      if (!in_struct)
        start_body(line);
      else
        depth += BraceBalance(c);
    } else if (!c.empty() && !directive && struct_close.Search(c, span)) {
      std::size_t at = c.find('}') + 1;
      while (at < c.size() && (c[at] == ' ' || c[at] == '\t')) ++at;
      std::size_t end = at;
      while (end < c.size() && IsIdentByte(c[end])) ++end;
      AnchorLine(w, Anchor(ListKind::Struct, line.number, c.substr(at, end - at)), display);
      w.Text("<br>\n");
      if (in_struct) depth += BraceBalance(c);
    } else if (!c.empty() && !directive && typedef_head.Search(c, span)) {
      if (excluded) continue;
      if (!in_struct) w.Text("<hr>\n");
      w.Text("<br>\n").Raw(display).Text("<br>\n");
      if (!in_struct)
        start_body(line);
      else
        depth += BraceBalance(c);
    } else if (!c.empty() && define_line.Search(c, span)) {
      std::size_t at = c.find("define") + 6;
      while (at < c.size() && (c[at] == ' ' || c[at] == '\t')) ++at;
      std::size_t end = at;
      while (end < c.size() && IsIdentByte(c[end])) ++end;
      const std::string name = c.substr(at, end - at);
      w.Text("<br>\n<hr>\n");
      AnchorLine(w, Anchor(ListKind::Define, line.number, name), name, " ： ");
      w.Raw(display).Text("<br>\n");
    } else if (in_struct) {
      if (line.in_comment)
        w.Text("<FONT color=#404040>").Raw(display).Text("</FONT><br>\n");
      else
        w.Raw(display).Text("<br>\n");
      depth += BraceBalance(c);
      if (depth > 0) opened = true;
    }
    if (in_struct && opened && depth <= 0) in_struct = false;
  }
}

void HtmlFilePages::Impl::TableSection(LineSource& source, SjisWriter& w) {
  SectionReader reader(source, cleaning);
  SectionLine line;
  bool in_table = false;
  int depth = 0;
  // The line before, for a head split over two lines ("... table[] =" / "{"); none after a
  // directive, as the table pass reads them.
  std::string previous, previous_display, joined;
  long previous_no = 0;
  while (reader.Next(line)) {
    const std::string display = Display(line.raw);
    if (in_table) {
      if (line.in_comment)
        w.Text("<FONT color=#404040>").Raw(display).Text("</FONT><br>\n");
      else
        w.Raw(display).Text("<br>\n");
      depth += BraceBalance(line.cleaned);
      if (depth <= 0) in_table = false;
      continue;
    }
    const std::string& c = line.cleaned;
    const bool alone = !c.empty() && table_head.Matches(c);
    bool across = false;
    if (!alone && !c.empty() && !previous.empty() && c.find('{') != std::string::npos) {
      joined.assign(previous).append(" ").append(c);
      across = table_head.Matches(joined);
    }
    if (!alone && !across) {
      if (TrimBlanks(c).starts_with('#')) {
        previous.clear();
      } else {
        previous = c;
        previous_display = display;
        previous_no = line.number;
      }
      continue;
    }
    const std::string& head = alone ? c : joined;
    const std::string name = TableNameOf(head);
    w.Text("<hr>\n<br>\n");
    if (alone) {
      AnchorLine(w, Anchor(ListKind::Table, line.number, name), display);
    } else {
      // The anchor stands on the head's first line, as the table's position names it.
      AnchorLine(w, Anchor(ListKind::Table, previous_no, name), previous_display);
      w.Text("<br>\n").Raw(display);
    }
    w.Text("<br>\n");
    previous.clear();
    if (c.find(';') == std::string::npos) {
      depth = BraceBalance(c);
      in_table = depth > 0;
    }
  }
}

void HtmlFilePages::Impl::MacroTable(LineSource& source, SjisWriter& w) {
  SectionReader reader(source, cleaning);
  SectionLine line;
  bool head = false;
  while (reader.Next(line)) {
    if (line.cleaned.empty() || !macro_line.Matches(line.cleaned)) continue;
    const std::size_t after = line.cleaned.find("define") + 6;
    MatchSpan span;
    if (!macro_name.Search(std::string_view(line.cleaned).substr(after), span)) continue;
    std::string name = line.cleaned.substr(after + span.pos, span.len);
    while (!name.empty() && (name.back() == '(' || name.back() == ' ' || name.back() == '\t'))
      name.pop_back();
    if (!head) {
      head = true;
      w.Text(
          "<table width=\"\" height=\"\"\nborder=\"2\" bgcolor=\"black\"\n"
          "cellSpacing=\"0\" cellpadding=\"2\">\n<thead>\n<tr>\n"
          "<th bgcolor=\"#004080\"><font color=\"#FFFFFF\">関数マクロ</font></th>\n"
          "<th bgcolor=\"#004080\"><font color=\"#FFFFFF\">内容</font></th>\n</tr>\n</thead>\n");
    }
    w.Text("<tr><td>");
    AnchorLine(w, Anchor(ListKind::Function, line.number, name), name);
    w.Text("</td><td>").Raw(Display(line.raw)).Text("</td></tr>\n");
  }
  w.Text("</table>\n");
}

// The registered rows of the file that no section showed (a head the sections read another way
// than the registration did): each still gets its anchor, with its name and position, so every
// link of the site lands.
void HtmlFilePages::Impl::UnshownSection(const RegisteredData& data, SjisWriter& w) {
  const std::vector<SiteAnchors::Unshown> rows = anchors->UnshownRows();
  if (rows.empty()) return;
  w.Text("<hr>\n<FONT color=\"yellow\">［ その他の登録項目 ］</FONT><br>\n");
  for (const SiteAnchors::Unshown& u : rows) {
    const std::string name = data.List(u.kind).CellText(u.row, col::kName);
    AnchorLine(w, u.anchor, HtmlEscape(name), " ： ");
    w.Escaped(NameToCp932(data.FullPosition(u.kind, u.row))).Text("<br>\n");
  }
}

HtmlFilePages::HtmlFilePages(const Settings& settings, const RegexService& regex)
    : impl_(std::make_unique<Impl>(settings, regex)) {}

HtmlFilePages::~HtmlFilePages() = default;

std::string HtmlFilePages::failure() const {
  return impl_->failure;
}

void HtmlFilePages::UseAnchors(SiteAnchors* anchors) {
  impl_->anchors = anchors;
}

bool HtmlFilePages::WritePage(const RegisteredData& data, std::size_t row,
                              const std::string& folder, const HtmlOptions& options, Ui& ui) {
  Impl& m = *impl_;
  if (m.data != &data || !m.comments) {
    m.data = &data;
    m.comments = std::make_unique<FunctionCommentLookup>(data.List(ListKind::Function));
  }
  const RegistrationList& files = data.List(ListKind::File);
  const std::string path(PathBeforeShortLine(files.Cell(row, col::kPosition)));
  SourceFileReader source(m.settings.char_change);
  if (!source.Open(path)) return true;  // skipped: no page, no progress step

  const std::string page = folder + "/" + PageFileOf(files.Cell(row, col::kPosition)) + ".html";
  OutputFile out;
  if (!out.Open(page, OutputFile::Mode::PageAppend)) {
    m.failure = out.message();
    return false;
  }
  SjisWriter w(out);
  if (!out.appended()) {
    WritePageHead(w);
    WritePreLine(w, options);
    w.Text("<FONT color=\"yellow\"><caption>『 ")
        .Escaped(NameToCp932(files.CellText(row, col::kName)));
    w.Text("　情報 』</caption></FONT><br><br>\n");
  }
  w.Text("<br>\n");
  if (m.anchors) m.anchors->BeginFile(row);
  const bool header = files.CellText(row, col::kMarker).find(".h") != std::string::npos;
  if (header)
    m.HeaderSection(source, w);
  else
    m.FunctionSection(source, w, options);
  // Each further section reads the file from its start; a file that cannot be read again ends
  // the page there. A header that defines functions gets their section too.
  const bool header_functions = header && m.anchors && m.anchors->FileDefinesFunctions();
  for (int section = header_functions ? -1 : 0; section < 2; ++section) {
    if (!source.Rewind()) break;
    if (section < 0)
      m.FunctionSection(source, w, options);
    else if (section == 0)
      m.TableSection(source, w);
    else
      m.MacroTable(source, w);
  }
  if (m.anchors) m.UnshownSection(data, w);
  if (!out.Commit()) {
    m.failure = out.message();
    return false;
  }
  ui.AdvanceProgress(1);
  return true;
}

}  // namespace kelvora
