#include "output/html_site.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "analysis/definitions.h"
#include "data/position.h"
#include "output/html_anchors.h"
#include "platform/cp932.h"
#include "platform/file_names.h"
#include "platform/output_date.h"
#include "platform/output_file.h"
#include "platform/ui.h"
#include "platform/version.h"
#include "settings/settings.h"

// The page heads write long lines as two adjacent literals inside their lists of lines.
// NOLINTBEGIN(bugprone-suspicious-missing-comma)
namespace kelvora {

namespace {

constexpr const char* kBorderStyles[] = {"solid", "double", "dotted", "dashed",
                                         "inset", "outset", "groove", "ridge"};

const char* const kListLabels[] = {"関数     ", "構造体   ", "#define  ", "ファイル ", "テーブル "};
const char* const kIndexPages[] = {"func.html", "struct.html", "define.html", "file.html",
                                   "table.html"};

std::string FontName(const HtmlOptions& o) {
  const auto& fonts = FontChoices();
  const int i = o.font >= 1 && o.font <= static_cast<int>(fonts.size()) ? o.font : 4;
  return std::string(fonts[static_cast<std::size_t>(i - 1)]);
}

// The name group of a row for the jump bar: 0 symbols, 1 others, or the lower-case letter.
int NameGroup(std::string_view name) {
  const auto c = static_cast<signed char>(name.empty() ? '\0' : name[0]);
  if (c >= 'A' && c <= 'Z') return c - 'A' + 'a';
  if (c >= 'a' && c <= 'z') return c;
  if (c >= '{') return 1;
  return 0;
}

void Lines(SjisWriter& w, std::initializer_list<std::string_view> lines) {
  for (std::string_view l : lines) w.Text(l).Text("\n");
}

// The pages of a site run that could not be written. Each is named on the way (the command line
// prints it; the window keeps it for the end), and the run goes on with the next page.
class PageFailures {
 public:
  explicit PageFailures(Ui& ui) : ui_(ui) {}
  void Add(const std::string& message) {
    ++count_;
    if (count_ <= kShown) shown_ += "\n\n" + message;
    ui_.NoteLeftOut(message);
  }
  long count() const { return count_; }
  // The closing message of a run with failures: how many, and the first ones with their reason.
  std::string Summary() const {
    std::string text =
        "書き込めなかったページがあります（" + std::to_string(count_) + "件）。　" + shown_;
    if (count_ > kShown) text += "\n\n…";
    return text;
  }

 private:
  static constexpr long kShown = 3;
  Ui& ui_;
  long count_ = 0;
  std::string shown_;
};

bool OpenPage(const std::string& path, OutputFile& out, Ui& ui) {
  if (out.Open(path, OutputFile::Mode::Page)) return true;
  ui.Message(out.message(), Ui::kCaption, MsgIcon::Error);
  return false;
}

// Ends a page: a write that failed (a full disk) is said like a page that could not be made.
bool ClosePage(OutputFile& out, Ui& ui) {
  if (out.Commit()) return true;
  ui.Message(out.message(), Ui::kCaption, MsgIcon::Error);
  return false;
}

}  // namespace

const std::vector<std::string_view>& BorderPatternChoices() {
  static const std::vector<std::string_view> v = {
      "solid（実線）",   "double（二重線）",   "dotted（点線）",     "dashed（破線）",
      "inset（へこみ）", "outset（飛び出し）", "groove（へこみ２）", "ridge（飛び出し２）"};
  return v;
}

const std::vector<std::string_view>& FontChoices() {
  static const std::vector<std::string_view> v = {"Century",
                                                  "ＭＳ Ｐ明朝",
                                                  "平成明朝",
                                                  "Arial Black",
                                                  "Comic Sans MS",
                                                  "Impact",
                                                  "Lucida Sans Unicode",
                                                  "ＭＳ Ｐゴシック",
                                                  "Verdana",
                                                  "HG正楷書体-PRO",
                                                  "HGS行書体",
                                                  "monospace",
                                                  "Courier New",
                                                  "HG行書体",
                                                  "ＭＳ 明朝",
                                                  "ＭＳ ゴシック",
                                                  "OCRB",
                                                  "fantasy"};
  return v;
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string HrefEncode(std::string_view file_name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : file_name) {
    const bool plain =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
        std::string_view("._~!$'()*+,;=:@-").find(static_cast<char>(c)) != std::string_view::npos;
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string PageStem(std::string_view file_name) {
  if (file_name.size() + kPageSuffix.size() <= kPageNameMax) return std::string(file_name);
  // FNV-1a of the whole name: files whose names share the kept prefix still get pages of
  // their own, and two files of one name still share theirs.
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (unsigned char c : file_name) hash = (hash ^ c) * 0x100000001b3ULL;
  char tail[16];
  std::snprintf(tail, sizeof tail, "~%08x", static_cast<unsigned>(hash ^ (hash >> 32)));
  std::size_t keep = kPageNameMax - kPageSuffix.size() - std::strlen(tail);
  // Cut before a character, not inside one: back over UTF-8 continuation bytes.
  while (keep > 0 && (static_cast<unsigned char>(file_name[keep]) & 0xC0) == 0x80) --keep;
  return std::string(file_name.substr(0, keep)) + tail;
}

std::string PageFileOf(std::string_view full_position) {
  const std::string_view path = PositionPath(full_position);
  const std::size_t slash = path.rfind('/');
  return PageStem(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string_view FunctionAnchor(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

void WritePageHead(SjisWriter& w) {
  Lines(w, {"<html lang=\"ja\">", "<head>",
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">",
            "<meta http-equiv=\"Content-Style-Type\" content=\"text/css\" />",
            "<link rel=\"stylesheet\" href=\"stylesheet.css\" type=\"text/css\" "
            "media=\"screen,print\" />",
            "<link rel=\"stylesheet\" href=\"GreenSpring.css\" type=\"text/css\" "
            "media=\"screen,print\" />",
            "</head>", "<body text=#ffffcc link=#ffffff vlink=#ffffff alink=#00aacc>",
            "<body bgcolor=#000066>", "<body>", "", "<a id=\"top\" name=\"top\"></a>", ""});
}

void WritePreLine(SjisWriter& w, const HtmlOptions& options) {
  w.Text("<pre style='line-height:94%;font-family : \"").Text(FontName(options)).Text("\";'>\n");
}

void WriteStylesheet(SjisWriter& w) {
  Lines(w, {"body {",
            "\tmargin-top: 0;",
            "\tcolor: white;",
            "\tbackground-color: black;",
            "\tscrollbar-face-color: #000000;",
            "\tscrollbar-highlight-color: #999999;",
            "\tscrollbar-shadow-color: #444444;",
            "\tscrollbar-3dlight-color: #696969;",
            "\tscrollbar-arrow-color: #757575;",
            "\tscrollbar-track-color: #555555;",
            "\tscrollbar-darkshadow-color: #000000;",
            "\tscrollbar-base-color: #ffffff;",
            "}",
            "ul {",
            "\tlist-style: none;",
            "\tmargin-left: 0;",
            "\tpadding-left: 0;",
            "}",
            "li a {",
            "\toverflow: visible;",
            "\ttext-decoration: none;",
            "\tdisplay: inline;",
            "\tpadding: 0.1em;",
            "\tborder-bottom: 1px solid #fff;",
            "\tcolor: #fff;",
            "\tbackground: #f60;",
            "}",
            "li a:link { color: #ffffff; background: #fc0000; }",
            "li a:visited { color: #ffffff; background: #fc0000; }",
            "li a:hover { color: #000000; background: #ffffff; }",
            "li a:active { color: #00aacc; background: #fc0000; }",
            "p {",
            "\tmargin: 1.5em 2em;",
            "\tpadding: 0.3em;",
            "\tborder: 9px none #ff2000;",
            "\tfont-weight: bold;",
            "\ttext-align: left;",
            "}"});
  for (int i = 0; i < 8; ++i) {
    char rule[160];
    std::snprintf(rule, sizeof rule,
                  ".c%d {\n\tborder-right-style: %s;\n\tborder-bottom-style: %s;\n}\n", i + 1,
                  kBorderStyles[i], kBorderStyles[i]);
    w.Text(rule);
  }
  w.Text("\n");
}

void WriteIndexHtml(SjisWriter& w) {
  w.Text(
       "<html>\n<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"
       "<title>Kelvora　Ver.")
      .Text(kVersionText)
      .Text("</title></head>\n");
  Lines(w, {"<frameset rows=\"35,*\">", "\t<frame src=\"header.html\" name=\"ue\">",
            "\t\t<frame src=\"AllData.html\" name=\"table\">", "\t</frameset>", "\t<noframes>",
            "\tこのページはフレームを使用しています。", "\t</noframes>", "</frameset>", "</html>"});
}

void WriteHeaderHtml(SjisWriter& w) {
  Lines(w, {"<HTML lang=\"ja\">",
            "<head>",
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">",
            "<meta http-equiv=\"Content-Style-Type\" content=\"text/css\" />",
            "<link rel=\"stylesheet\" href=\"stylesheet.css\" type=\"text/css\" "
            "media=\"screen,print\" />",
            "<link rel=\"stylesheet\" href=\"GreenSpring.css\" type=\"text/css\" "
            "media=\"screen,print\" />",
            "</head>",
            "<BODY text=#ffffcc link=#ffffff vlink=#ffffff alink=#00aacc>",
            "<BODY bgcolor=#000066>",
            "<BODY>",
            "<style type=\"text/css\">",
            "ul {",
            "\ttext-decoration: none;",
            "\tlist-style: none;",
            "\tmargin-left: 0;",
            "\tpadding-top: 10;",
            "\tpadding-left: 0;",
            "}",
            "ul { text-align: left }",
            "a:hover { color: #fff; background: #fc0; text-decoration: underline; }",
            "",
            "</style>",
            "",
            "<ul>",
            "\t<a href=\"AllData.html\" target=\"table\">登録データ一覧</a> |",
            "\t<a href=\"file.html\" target=\"table\">File</a> |",
            "\t<a href=\"func.html\" target=\"table\">関数</a> |",
            "\t<a href=\"struct.html\" target=\"table\">構造体</a> |",
            "\t<a href=\"define.html\" target=\"table\">#define</a> |",
            "\t<a href=\"table.html\" target=\"table\">テーブル</a> |",
            "\t<a href=\"排除関数設定.html\" target=\"table\">排除関数設定</a>",
            "</ul>"});
}

void WriteAllData(SjisWriter& w, const RegisteredData& data, const HtmlOptions& options,
                  const SiteAnchors* anchors) {
  WritePageHead(w);
  w.Text("<h1>≪ 登録データ一覧 ≫</h1>\n");
  WritePreLine(w, options);
  char buf[128];
  for (int slot = 0; slot < kListCount; ++slot) {
    const std::size_t count = data.Count(KindOfSlot(slot));
    if (count == 0) continue;
    std::snprintf(buf, sizeof buf, "\t<li><a href=\"#c%02d\">", slot);
    w.Text(buf).Text(kListLabels[slot]);
    std::snprintf(buf, sizeof buf, "総数：%zu</a></li><br>\n", count);
    w.Text(buf);
  }
  w.Text("<br>\n");
  for (int slot = 0; slot < kListCount; ++slot) {
    const ListKind kind = KindOfSlot(slot);
    const RegistrationList& list = data.List(kind);
    if (list.empty()) continue;
    std::snprintf(buf, sizeof buf, "<hr>\n<br>\n<a id=\"c%02d\" name=\"c%02d\"></a>", slot, slot);
    w.Text(buf).Text("<FONT size=\"+1\" color=\"yellow\"><caption>≪ ").Text(kListLabels[slot]);
    std::snprintf(buf, sizeof buf, " 総数：%zu≫</caption></FONT><br>\n", list.RowCount());
    w.Text(buf);
    w.Text(
         "<table width=\"\" height=\"\"\nborder=\"2\" bgcolor=\"black\"\n"
         "cellSpacing=\"0\" cellpadding=\"2\">\n<thead>\n<tr>\n"
         "<th bgcolor=\"#004080\"><font color=\"#FFFFFF\">No</font></th>\n"
         "<th bgcolor=\"#004080\"><font color=\"#FFFFFF\">")
        .Text(kListLabels[slot])
        .Text(
            "</font></th>\n<th bgcolor=\"#004080\"><font color=\"#FFFFFF\">概要</font></th>\n"
            "<th bgcolor=\"#004080\"><font color=\"#FFFFFF\">ファイルパス（行番号）</font></th>\n"
            "</tr>\n</thead>\n");
    for (std::size_t row = 0; row < list.RowCount(); ++row) {
      const std::string name = list.CellText(row, col::kName);
      const std::string comment = list.CellText(row, col::kComment);
      const std::string position = data.FullPosition(kind, row);
      std::snprintf(buf, sizeof buf, "\t<tr><td>%zu</td><td>", row + 1);
      w.Text(buf);
      if (kind == ListKind::File) {
        w.Escaped(NameToCp932(name));
        if (list.CellText(row, col::kMarker) == ".h")
          w.Text("</td><td><FONT color=\"slateblue\">ヘッダファイル</FONT></td><td>");
        else
          w.Text("</td><td>ソースファイル</td><td>");
        w.Escaped(NameToCp932(position))
            .Text(list.CellText(row, col::kMarker) == ".h" ? "</td></tr>\n"
                                                           : "</td></tr></FONT>\n");
        continue;
      }
      const std::string anchor =
          anchors ? anchors->OfRow(kind, row)
                  : std::string(kind == ListKind::Function ? FunctionAnchor(name) : name);
      w.Text("<a href=\"").Raw(HrefEncode(PageFileOf(position))).Text(".html#").Raw(anchor);
      w.Text("\">").Escaped(name).Text("</a></td><td>");
      const char* marker =
          kind == ListKind::Function && list.CellText(row, col::kMarker) == "#define"
              ? "（*関数マクロ）"
              : "";
      if (!comment.empty())
        w.Text(marker).Escaped(comment).Text("</td><td>");
      else
        w.Text("<FONT color=\"slateblue\">").Text(marker).Text("（なし）</FONT></td><td>");
      w.Escaped(NameToCp932(position)).Text("</td></tr>\n");
    }
    w.Text("</table><br>\n");
  }
}

void WriteIndexPage(SjisWriter& w, const RegisteredData& data, ListKind kind,
                    const HtmlOptions& options, const std::tm& date, const FilePageHook& file_page,
                    const SiteAnchors* anchors) {
  const RegistrationList& list = data.List(kind);
  WritePageHead(w);
  char buf[160];
  int previous = -1;
  for (std::size_t row = 0; row < list.RowCount(); ++row) {
    const int group = NameGroup(list.Cell(row, col::kName));
    if (group == previous) continue;
    previous = group;
    if (group == 0) {
      w.Text("<small><a href=\"#c0\">[ 記号等 ]</a></small>\n");
    } else if (group == 1) {
      w.Text("<small><a href=\"#c1\">[ その他 ]</a></small>");
      break;
    } else {
      std::snprintf(buf, sizeof buf, "<small><a href=\"#c%c\">[ %c ]</a></small>\n", group,
                    group - 'a' + 'A');
      w.Text(buf);
    }
  }
  w.Text("\n");
  WritePreLine(w, options);
  std::snprintf(buf, sizeof buf, "  総数：%zu</small>\n<ul>\n", list.RowCount());
  w.Text("<small>生成日：").Text(OutputDateText(date)).Text(buf);
  previous = -1;
  for (std::size_t row = 0; row < list.RowCount(); ++row) {
    const std::string name = list.CellText(row, col::kName);
    const int group = NameGroup(name);
    if (group != previous) {
      previous = group;
      w.Text("\t<br><br>\n");
      if (group == 0) {
        w.Text("<a id=\"c0\" name=\"c0\"></a>【 記号 】\n");
      } else if (group == 1) {
        w.Text("<a id=\"c1\" name=\"c1\"></a>【 その他 】\n");
      } else {
        std::snprintf(buf, sizeof buf, "<a id=\"c%c\" name=\"c%c\"></a>", group, group);
        w.Text(buf);
        std::snprintf(buf, sizeof buf, "%c", group - 'a' + 'A');
        w.Text("【 ").Text(buf).Text(" 】\n");
      }
    }
    if (kind == ListKind::File) {
      w.Text("\t<li><a href=\"").Raw(HrefEncode(PageStem(name))).Text(".html\">");
    } else {
      const std::string position = data.FullPosition(kind, row);
      const std::string anchor =
          anchors ? anchors->OfRow(kind, row)
                  : std::string(kind == ListKind::Function ? FunctionAnchor(name) : name);
      w.Text("\t<li><a href=\"").Raw(HrefEncode(PageFileOf(position))).Text(".html#").Raw(anchor);
      w.Text("\">");
    }
    w.Escaped(kind == ListKind::File ? NameToCp932(name) : name).Text("</a></li>");
    const std::string comment = list.CellText(row, col::kComment);
    if (!comment.empty()) w.Text("　　　　").Escaped(comment);
    w.Text("\n");
    if (kind == ListKind::File && file_page && !file_page(row)) return;
  }
  w.Text(
      "<br><br><br><br>\n"
      "<p class=\"totop\"><a href=\"#top\"><font "
      "color=\"white\"><b>▲先頭へ戻る</b></font></a></p>\n"
      "</ul>\n</body>\n</html>\n");
}

void WriteExclusionPage(SjisWriter& w, const Settings& settings, const HtmlOptions& options) {
  WritePageHead(w);
  w.Text("<style type=\"text/css\">\n</style>\n");
  WritePreLine(w, options);
  w.Text(
      "<br>\nこのHTML出力時の排除関数設定を示します。<br>\n"
      "以下の関数は［ 関数内の呼び出し関数リスト ］から排除しています。<br>\n\n<br>\n"
      "<FONT color=\"yellow\">［ 排除関数設定リスト ］</FONT>\n<ol>\n");
  for (int i = 0; i < kExcludedSlots; ++i) {
    const std::string& name = settings.excluded_names[static_cast<std::size_t>(i)];
    if (settings.excluded_flags[static_cast<std::size_t>(i)] != 1 || name.empty()) continue;
    w.Text("\t<li>").Escaped(name).Text("</li>\n");
  }
  w.Text(
      "</ol>\n<br>\n<br>\n<FONT color=\"yellow\">［ 予約語リスト ］</FONT><br>\n"
      "<table width=\"\" height=\"\"\nborder=\"4\" bgcolor=\"black\"\n"
      "cellSpacing=\"2\" cellpadding=\"2\">\n<thead>\n<tr>\n");
  for (const char* head : {"　", "1～", "11～", "21～", "31～", "41～"})
    w.Text("<th bgcolor=\"maroon\"><font color=\"#FFFFFF\">").Text(head).Text("</font></th>\n");
  w.Text("</tr>\n</thead>\n");
  const auto& keywords = KeywordsInListOrder();
  const std::size_t kCount = keywords.size();
  for (std::size_t r = 1; r <= 10; ++r) {
    w.Text("\t<tr><td>").Text(std::to_string(r)).Text("</td><td>").Text(keywords[r - 1]);
    w.Text("</td>");
    for (std::size_t k = r + 10; k <= kCount; k += 10)
      w.Text("<td>").Text(keywords[k - 1]).Text("</td>");
    w.Text("</tr>\n");
  }
  w.Text("</table>\n<br>\n<DIV align=\"right\">Kelvora　Ver.").Text(kVersionText).Text("</DIV>\n");
}

void WriteFontSamplePage(SjisWriter& w) {
  Lines(
      w,
      {"<html lang=\"ja\">", "<head>",
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">",
       "<meta http-equiv=\"Content-Style-Type\" content=\"text/css\" />",
       "<link rel=\"stylesheet\" href=\"standard.css\" type=\"text/css\" media=\"screen,print\" />",
       "<link rel=\"stylesheet\" href=\"GreenSpring.css\" type=\"text/css\" media=\"screen,print\" "
       "/>",
       "</head>", "<body text=#ffffcc link=#ffffff vlink=#ffffff alink=#00aacc>",
       "<body bgcolor=#000000>", "<body>", "", "<style type=\"text/css\">"});
  const auto& fonts = FontChoices();
  for (std::size_t i = 0; i < fonts.size(); ++i)
    w.Text(".s").Text(std::to_string(i)).Text(" { font-family: ").Text(fonts[i]).Text("}\n");
  Lines(w, {"p {", "\tpadding: 0.3em;", "\tborder: 9px none #ff2000;", "\tfont-weight: bold;",
            "\ttext-align: left;", "}"});
  for (int i = 0; i < 8; ++i) {
    char rule[160];
    std::snprintf(rule, sizeof rule,
                  ".c%d {\n\tborder-right-style: %s;\n\tborder-bottom-style: %s;\n}\n", i + 1,
                  kBorderStyles[i], kBorderStyles[i]);
    w.Text(rule);
  }
  Lines(w, {"</style>", "", "<br>", "≪ボーダーパターン≫<br>"});
  const auto& borders = BorderPatternChoices();
  for (std::size_t i = 0; i < borders.size(); ++i)
    w.Text("<p class=\"c")
        .Text(std::to_string(i + 1))
        .Text("\"><FONT size=\"+2\">")
        .Text(borders[i])
        .Text("<br><br></FONT></p>\n<br><br>\n");
  Lines(w,
        {"<br>", "<hr>", "<br>", "≪フォント≫<br>", "<table width=\"200\" height=\"\"",
         "border=\"1\" bordercolor=\"silver\" bgcolor=\"black\"",
         "cellSpacing=\"0\" cellpadding=\"5\">", "<tr><th>フォント名</th><th>サンプル</th></tr>"});
  for (std::size_t i = 0; i < fonts.size(); ++i) {
    w.Text("<tr><td>").Text(fonts[i]).Text("</td><td>\n");
    w.Text("<p class=\"s")
        .Text(std::to_string(i))
        .Text(
            "\">\tABCDEFGHTJKLMNOPQRSTUVWXYZ<br>\tabcdefghijklmnopqrstuvwxyz<br>\t0123456789 "
            "あいうえお　日本語</p></td></tr>\n");
  }
  Lines(w, {"</table>"});
}

HtmlSiteResult WriteHtmlSite(RegisteredData& data, const Settings& settings,
                             const HtmlOptions& options, Ui& ui, FilePageWriter* pages) {
  ui.Message(
      "登録データは全て昇順にソートされます。　\n出力先はなるべく空フォルダにして下さい。　\n"
      "（同じ出力ファイル名には追加書き込みとしているものがある為）　\n\n",
      Ui::kCaption, MsgIcon::Information);
  const std::optional<std::string> folder = ui.ChooseFolder("■■出力先フォルダ指定■■");
  if (!folder) {
    ui.Message("キャンセルします！　", Ui::kCaption, MsgIcon::Information);
    return HtmlSiteResult::Cancelled;
  }
  data.SortAllAscending();
  SiteAnchors anchors(data);
  if (pages) pages->UseAnchors(&anchors);
  ui.SetLayout(WindowLayout::Running);
  ui.SetStatus(1, "");
  ui.SetStatus(2, "HTML出力中です。Please Wait．．．");
  ui.SetStatus(3, "フォント：" + FontName(options));
  ui.SetWaitCursor(true);
  ui.SetProgressRange(static_cast<long long>(data.Count(ListKind::File)));
  ui.SetProgressPos(0);

  const std::time_t now = std::time(nullptr);
  std::tm date{};
  localtime_r(&now, &date);
  const std::string base = *folder + "/";
  PageFailures failures(ui);
  auto page = [&](const char* name, const std::function<void(SjisWriter&)>& write) {
    OutputFile out;
    if (!out.Open(base + name, OutputFile::Mode::Page)) {
      failures.Add(out.message());
      return;
    }
    SjisWriter w(out);
    write(w);
    if (!out.Commit()) failures.Add(out.message());
  };
  page("stylesheet.css", [](SjisWriter& w) { WriteStylesheet(w); });
  page("Index.html", [](SjisWriter& w) { WriteIndexHtml(w); });
  page("header.html", [](SjisWriter& w) { WriteHeaderHtml(w); });
  const ListKind order[] = {ListKind::Function, ListKind::Struct, ListKind::Define, ListKind::File,
                            ListKind::Table};
  for (ListKind kind : order) {
    page(kIndexPages[SlotOf(kind)], [&](SjisWriter& w) {
      FilePageHook hook;
      if (kind == ListKind::File) {
        hook = [&](std::size_t row) {
          const std::size_t count = data.Count(ListKind::File);
          char status[64];
          std::snprintf(status, sizeof status, "出力状況：%zu／%zu　　", row + 1, count);
          ui.SetStatus(
              1, std::string(status) + ToDisplay(data.files().CellText(row, col::kName)) + ".html");
          // A page that cannot be written is counted; the next file still gets its page.
          if (pages && !pages->WritePage(data, row, *folder, options, ui)) {
            failures.Add(pages->failure());
            ui.AdvanceProgress(1);
          }
          if (!pages) ui.AdvanceProgress(1);
          return true;
        };
      }
      WriteIndexPage(w, data, kind, options, date, hook, &anchors);
    });
  }
  page("AllData.html", [&](SjisWriter& w) { WriteAllData(w, data, options, &anchors); });
  // Linux file names are UTF-8; browsers turn the Shift-JIS link text into that same name.
  page("排除関数設定.html", [&](SjisWriter& w) { WriteExclusionPage(w, settings, options); });

  if (pages) pages->UseAnchors(nullptr);
  ui.SetWaitCursor(false);
  ui.SetLayout(WindowLayout::Data);
  if (failures.count() > 0) {
    ui.Message(failures.Summary(), Ui::kCaption, MsgIcon::Error);
    return HtmlSiteResult::PagesFailed;
  }
  ui.Message("完了しました！　\n\n出力された『 Index.html 』から起動して下さい。　", Ui::kCaption,
             MsgIcon::Information);
  return HtmlSiteResult::Written;
}

bool WriteFontSample(Ui& ui) {
  const std::optional<std::string> folder = ui.ChooseFolder("■■出力先フォルダ指定■■");
  if (!folder) {
    ui.Message("キャンセルします！　", Ui::kCaption, MsgIcon::Information);
    return false;
  }
  const std::string path = *folder + "/フォントサンプル.html";
  OutputFile out;
  if (!OpenPage(path, out, ui)) return false;
  SjisWriter w(out);
  WriteFontSamplePage(w);
  if (!ClosePage(out, ui)) return false;
  ui.Message("出力完了しました！　\n\n出力先：" + ToDisplay(path) + "　", Ui::kCaption,
             MsgIcon::Information);
  return true;
}

}  // namespace kelvora
// NOLINTEND(bugprone-suspicious-missing-comma)
