// The table-contents CSV: one row per table, or per group directly inside its outer braces, with
// the table's declaration and the comment before the row, from the table pass.
#include <sys/stat.h>

#include "data/registration_lists.h"
#include "output/output_texts.h"
#include "output/record_files.h"
#include "output/reports.h"
#include "output/table_pass.h"
#include "output/tree_output.h"
#include "platform/bytes.h"
#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/output_file.h"

namespace kelvora {

namespace {

constexpr std::string_view kColumns =
    "ファイルパス,型,ﾃｰﾌﾞﾙ名,ﾃｰﾌﾞﾙ名（ｺﾒﾝﾄ）,配列番号,直前行コメント,以降はデータ";

// Rows of one file's tables. The collected comment follows the comment lines of the file: a
// line without code sets it to its own comment (an empty line empties it), a line of code
// outside a table that holds a comment sets it to that comment.
class TableCsvVisitor final : public TableWalkVisitor {
 public:
  TableCsvVisitor(ByteSink& out, const TablePass& pass) : out_(out), pass_(pass) {}

  void StartFile(const std::string& path) {
    path_ = CsvField(path);
    collected_.clear();
  }

  void OnLine(std::string_view raw, std::string_view cleaned, bool used, bool in_table) override {
    if (!used) return;  // inside a block comment or an excluded branch
    const bool code = !TrimBlanks(cleaned).empty();
    if (code && in_table) return;
    const std::string comment = LineComment(raw);
    if (!code || !comment.empty()) collected_ = comment;
  }

  void OnHead(std::string_view head, long) override {
    const TablePass::Names names = pass_.HeadNames(std::string(head));
    // The declaration comment: the head line's own comment, which OnLine has just collected,
    // else the comment collected before it.
    declaration_ = path_ + "," + CsvField(names.type) + "," + CsvField(names.name) + "," +
                   CsvField(collected_) + ",";
    out_.Write(declaration_);
    out_.Write("[0],");
    braces_ = 0;
    first_comment_written_ = false;
  }

  void OnOpenBrace(long depth) override {
    ++braces_;
    if (!first_comment_written_) {
      FirstComment();
    } else if (depth == 2) {
      out_.Write("\r\n");
      out_.Write(declaration_);
      out_.Write("[" + std::to_string(braces_ - 1) + "]," + CsvField(collected_) + ",");
      collected_.clear();
    }
  }

  bool OnPiece(std::string_view piece) override {
    piece = TrimBlanks(piece);
    if (IsConditionalPiece(piece)) return true;
    if (!first_comment_written_) FirstComment();
    out_.Write(CsvField(piece));
    out_.Write(",");
    return false;
  }

  void OnTableEnd() override { out_.Write("\r\n"); }

 private:
  void FirstComment() {
    out_.Write(CsvField(collected_) + ",");
    first_comment_written_ = true;
  }

  // The comment of a line, cleaned: its line comment when it has one, else its block comments.
  // Comment marks inside string and character literals start no comment.
  static std::string LineComment(std::string_view raw) {
    if (raw.find("//") == std::string_view::npos && raw.find("/*") == std::string_view::npos)
      return {};
    std::string block;
    char quote = 0;
    for (std::size_t i = 0; i < raw.size();) {
      const char c = raw[i];
      if (IsCp932LeadByte(static_cast<unsigned char>(c)) && i + 1 < raw.size()) {
        i += 2;
      } else if (quote) {
        if (c == quote) quote = 0;
        i += c == '\\' ? 2 : 1;
      } else if (c == '"' || c == '\'') {
        quote = c;
        ++i;
      } else if (raw.substr(i, 2) == "//") {
        return TablePass::CleanComment(raw.substr(i));
      } else if (raw.substr(i, 2) == "/*") {
        const std::size_t end = raw.find("*/", i + 2);
        const std::size_t stop = end == std::string_view::npos ? raw.size() : end + 2;
        block.append(raw.substr(i, stop - i));
        i = stop;
      } else {
        ++i;
      }
    }
    return TablePass::CleanComment(block);
  }

  ByteSink& out_;
  const TablePass& pass_;
  std::string path_;
  std::string collected_;
  std::string declaration_;
  long braces_ = 0;
  bool first_comment_written_ = false;
};

}  // namespace

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"") == std::string_view::npos) return std::string(text);
  std::string field = "\"";
  for (const char c : text) {
    if (c == '"') field += '"';
    field += c;
  }
  field += '"';
  return field;
}

long WriteTableContentsCsvTo(ByteSink& out, OutputContext& ctx) {
  out.Line(tree_text::Cp932(kColumns));
  const CleaningPatterns cleaning(ctx.regex);
  const TablePass pass(ctx.regex, cleaning);
  TableCsvVisitor csv(out, pass);
  return ReadRecordFiles(ctx, ListKind::Table, false, cleaning,
                         [&](CleanLineReader& reader, const std::string& path) {
                           csv.StartFile(path);
                           pass.Read(reader, csv);
                         });
}

bool WriteTableContentsCsv(OutputContext& ctx) {
  Ui& ui = ctx.ui;
  const std::optional<std::string> path = ui.ChooseSaveFile(
      "■■ ファイル出力先を指定 ■■", "ファイル(*.csv) (*.csv)", "テーブル内容一覧.csv");
  if (!path || path->empty()) {
    ui.Message(tree_text::kCancelled, Ui::kCaption, MsgIcon::Information);
    return false;
  }
  OutputFile sink;
  if (!sink.Open(*path)) {
    ui.Message(sink.message(), Ui::kCaption, MsgIcon::Error);
    return false;
  }
  ui.SetProgressVisible(true);
  ui.SetProgressPos(0);
  WriteTableContentsCsvTo(sink, ctx);
  ui.SetProgressVisible(false);
  if (!sink.Commit()) {
    ui.Message(sink.message(), Ui::kCaption, MsgIcon::Error);
    return false;
  }
  if (ui.AskYesNo(
          kAskOpenTableCsv,
          "出力が完了しました。  \n出力ファイルを関連付けられたアプリケーションで開きますか？"
          "　\n\n" +
              ToDisplay(*path))) {
    if (!IsFile(*path) || !ui.OpenWithDefaultApp(*path))
      ui.Message("ファイルが見つかりません　", Ui::kCaption, MsgIcon::Warning);
  }
  return true;
}

}  // namespace kelvora
