// The HTML site of the registered data: stylesheet, frameset, navigation bar, the overview of
// all lists, one index page per list, the excluded-function page and the font sample page.
// Pages are Shift-JIS with CR LF line ends; writers take a stream so tests compare in memory.
#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "data/registration_lists.h"
#include "output/sjis_writer.h"

namespace kelvora {

struct Settings;
class SiteAnchors;
class Ui;

// The values of the "詳細設定" dialog, kept only for one run.
struct HtmlOptions {
  int border = 6;         // 1..8, position in BorderPatternChoices(); class "c%d"
  int font = 4;           // 1..18, position in FontChoices()
  bool comments = false;  // registered comments on the call lists of the file pages
};

// The dialog's choices, UTF-8, in order.
const std::vector<std::string_view>& BorderPatternChoices();
const std::vector<std::string_view>& FontChoices();

// "&" "<" ">" as entities (in that order).
std::string HtmlEscape(std::string_view text);
// A file name as the file-name part of an href: bytes outside [A-Za-z0-9._~!$'()*+,;=:@-] are
// written as %XX, so blanks, "#", "%", "?" and non-ASCII names still reach their page.
std::string HrefEncode(std::string_view file_name);
// A file page is named "<stem>.html"; its name must fit the file system's limit.
inline constexpr std::size_t kPageNameMax = 255;
inline constexpr std::string_view kPageSuffix = ".html";
// The stem of the page of a file named file_name: the name itself when "<name>.html" fits
// kPageNameMax bytes, else a prefix of it cut at a character boundary, "~" and 8 hex digits of a
// hash of the whole name. Every link to a file page and the page itself take their name here.
std::string PageStem(std::string_view file_name);
// The page stem of a registered row: PageStem of the file name (with extension) of the path before
// the position's "(line)" (a struct or table position may have ":" and blanks after it); of the
// whole text when there is none.
std::string PageFileOf(std::string_view full_position);
// The anchor of a function: its name after the last ":".
std::string_view FunctionAnchor(std::string_view name);

// The page head every content page starts with, and the preformatted block line.
void WritePageHead(SjisWriter& w);
void WritePreLine(SjisWriter& w, const HtmlOptions& options);

void WriteStylesheet(SjisWriter& w);
void WriteIndexHtml(SjisWriter& w);
void WriteHeaderHtml(SjisWriter& w);
// anchors: the anchors links name (none: every link names the row's text).
void WriteAllData(SjisWriter& w, const RegisteredData& data, const HtmlOptions& options,
                  const SiteAnchors* anchors = nullptr);
// Called for every FileList row by the file index page, after the row's item line; false when
// the page could not be written and the file index must end without its closing lines.
using FilePageHook = std::function<bool(std::size_t row)>;
void WriteIndexPage(SjisWriter& w, const RegisteredData& data, ListKind kind,
                    const HtmlOptions& options, const std::tm& date,
                    const FilePageHook& file_page = {}, const SiteAnchors* anchors = nullptr);
void WriteExclusionPage(SjisWriter& w, const Settings& settings, const HtmlOptions& options);
void WriteFontSamplePage(SjisWriter& w);

// PagesFailed: the run went on past pages that could not be created or written (each named on
// Ui::NoteLeftOut, their count said at the end instead of the completion message).
enum class HtmlSiteResult { Written, PagesFailed, Cancelled };

// Writes the file pages of one site run (the HTML file pages); given the FileList row and the
// options, returns false when the page could not be created.
class FilePageWriter {
 public:
  virtual ~FilePageWriter() = default;
  virtual bool WritePage(const RegisteredData& data, std::size_t row, const std::string& folder,
                         const HtmlOptions& options, Ui& ui) = 0;
  // Why the last WritePage returned false: the page's path and the system's reason.
  virtual std::string failure() const = 0;
  // The anchors of the site run, which the pages must write as the links name them.
  virtual void UseAnchors(SiteAnchors* /*anchors*/) {}
};

// "情報一覧HTML出力 (&H)" after the settings dialog was confirmed with options: the notice, the
// folder chooser, the sort, the busy display, every page in order, the completion message.
// Without a page writer the file index is written without file pages.
HtmlSiteResult WriteHtmlSite(RegisteredData& data, const Settings& settings,
                             const HtmlOptions& options, Ui& ui, FilePageWriter* pages = nullptr);
// "フォントサンプルHTMLを出力する": asks for a folder and writes "フォントサンプル.html".
bool WriteFontSample(Ui& ui);

}  // namespace kelvora
