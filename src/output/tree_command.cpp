// The tree-output commands: save dialogs, files, completion messages and the dispatcher.
#include <cstdio>

#include "data/registration_lists.h"
#include "output/output_texts.h"
#include "output/tree_output.h"
#include "platform/cp932.h"
#include "platform/output_file.h"
#include "platform/process.h"
#include "settings/settings.h"

namespace kelvora {

namespace {

struct SaveChoice {
  std::string_view title;
  std::string_view filter;
  std::string_view default_name;
};

constexpr SaveChoice kFunctionSave{"■■ 関数 treeファイル出力先を指定 ■■", tree_text::kTreeFilter,
                                   "関数.tree"};
constexpr SaveChoice kStructSave{"■■ 構造体 treeファイル出力先を指定 ■■", tree_text::kTreeFilter,
                                 "構造体.tree"};
constexpr SaveChoice kTableSave{"■■ テーブル treeファイル出力先を指定 ■■", tree_text::kTreeFilter,
                                "テーブル.tree"};
constexpr SaveChoice kCommentSave{"■■ コメント取得用ファイル出力先を指定 ■■",
                                  tree_text::kCommentFilter, "コメント取得用ファイル.txt"};

// Asks for the output file and creates it: false (after its message) when cancelled or when
// the file cannot be created.
bool OpenOutput(Ui& ui, const SaveChoice& choice, OutputFile& sink, std::string& path) {
  std::optional<std::string> chosen =
      ui.ChooseSaveFile(choice.title, choice.filter, choice.default_name);
  if (!chosen || chosen->empty()) {
    ui.Message(tree_text::kCancelled, Ui::kCaption, MsgIcon::Information);
    return false;
  }
  path = *chosen;
  if (!sink.Open(path)) {
    ui.Message(sink.message(), Ui::kCaption, MsgIcon::Error);
    return false;
  }
  return true;
}

// Puts the file in place; a failed write is reported, the old file is kept and the result
// turns into 0.
bool CloseOutput(Ui& ui, OutputFile& sink) {
  if (sink.Commit()) return true;
  ui.Message(sink.message(), Ui::kCaption, MsgIcon::Error);
  return false;
}

std::string Format(const char* format, long a) {
  char buf[128];
  std::snprintf(buf, sizeof buf, format, a);
  return buf;
}

using SinkWriter = long (*)(ByteSink&, OutputContext&);

int WriteRecordTree(OutputContext& ctx, const SaveChoice& choice, SinkWriter write,
                    std::string* written) {
  OutputFile sink;
  std::string path;
  if (!OpenOutput(ctx.ui, choice, sink, path)) return 0;
  const std::uint64_t started = TickCountMs();
  write(sink, ctx);
  if (!CloseOutput(ctx.ui, sink)) return 0;
  if (written) *written = path;
  ctx.ui.Message(
      "出力完了しました！　\n所要時間：" + ElapsedSecondsText(TickCountMs() - started) + "秒　",
      Ui::kCaption, MsgIcon::Information);
  return 1;
}

}  // namespace

int WriteFunctionTree(OutputContext& ctx, std::string* written) {
  OutputFile sink;
  std::string path;
  if (!OpenOutput(ctx.ui, kFunctionSave, sink, path)) return 0;
  const std::uint64_t started = TickCountMs();
  const FunctionTreeCounts counts = WriteFunctionTreeTo(sink, ctx);
  if (!CloseOutput(ctx.ui, sink)) return 0;
  if (written) *written = path;
  if (counts.files_read == 0) {
    ctx.ui.Message("Tags情報がありません！　", Ui::kCaption, MsgIcon::Warning);
    return 1;
  }
  std::string text = "出力完了しました！  所要時間：" +
                     ElapsedSecondsText(TickCountMs() - started) + "秒\n\n" +
                     Format("■検出関数総数：%ld\n", counts.detected) +
                     Format("■Tree出力関数：%ld\n", counts.written) +
                     Format("■解析ﾌｧｲﾙ数：%ld\n", counts.files_read) +
                     Format("■再帰処理数：%ld\n", counts.recursion);
  if (counts.unreadable > 0) text += Format("■読込不可ﾌｧｲﾙ数：%ld\n", counts.unreadable);
  ctx.ui.Message(text, Ui::kCaption, MsgIcon::Information);
  return 1;
}

int WriteStructTree(OutputContext& ctx, std::string* written) {
  return WriteRecordTree(ctx, kStructSave, &WriteStructTreeTo, written);
}

int WriteTableTree(OutputContext& ctx, std::string* written) {
  return WriteRecordTree(ctx, kTableSave, &WriteTableTreeTo, written);
}

int WriteCommentFile(OutputContext& ctx, std::string* written) {
  if (ctx.data.List(ListKind::Function).empty()) return -1;
  OutputFile sink;
  std::string path;
  if (!OpenOutput(ctx.ui, kCommentSave, sink, path)) return 0;
  const CommentFileCounts counts = WriteCommentFileTo(sink, ctx.data);
  if (!CloseOutput(ctx.ui, sink)) return 0;
  if (written) *written = path;
  char buf[256];
  std::snprintf(buf, sizeof buf,
                "　・コメントあり ： %ld　\n　・コメントなし ： %ld　\n"
                "　----------------------\n　　　　　合計　　%ld　\n",
                counts.with_comment, counts.without_comment,
                counts.with_comment + counts.without_comment);
  ctx.ui.Message("出力完了しました。　\n　" + ToDisplay(path) + "　\n" + buf, Ui::kCaption,
                 MsgIcon::Information);
  return 1;
}

CommentFileCounts WriteCommentFileTo(ByteSink& out, const RegisteredData& data) {
  CommentFileCounts counts;
  const RegistrationList& list = data.List(ListKind::Function);
  std::string line;
  for (std::size_t r = 0; r < list.RowCount(); ++r) {
    const std::string comment = list.CellText(r, col::kComment);
    line = std::to_string(r + 1);
    line += '\t';
    line += list.CellText(r, col::kName);
    line += "()\t\t";
    if (comment.empty()) {
      line += "//";
      ++counts.without_comment;
    } else {
      line += comment;
      ++counts.with_comment;
    }
    out.Line(line);
  }
  return counts;
}

int TreeOutputCommand(OutputContext& ctx, int kind, std::string* written) {
  if (ctx.data.AllEmpty()) return -1;
  ListKind list;
  std::string_view label;
  switch (kind) {
    case kTreeOfFunctions:
      list = ListKind::Function, label = "関数";
      break;
    case kTreeOfStructs:
      list = ListKind::Struct, label = "構造体";
      break;
    case kTreeOfTables:
      list = ListKind::Table, label = "テーブル";
      break;
    default:
      return -1;
  }
  if (ctx.data.List(list).empty()) {
    const std::string l(label);
    ctx.ui.Message(
        l + "の登録データがないのでTREE用ファイルは出力できません。　\n出力する場合は、" + l +
            "データを取得してから再度実行して下さい。",
        Ui::kCaption, MsgIcon::Warning);
    return -1;
  }
  ctx.ui.SetProgressVisible(true);
  ctx.ui.SetProgressRange(static_cast<long long>(ctx.data.List(ListKind::File).RowCount()));
  ctx.ui.SetProgressPos(0);
  std::string path;
  int result = 0;
  if (kind == kTreeOfFunctions) {
    result = WriteFunctionTree(ctx, &path);
    if (result == 1 && ctx.ui.AskYesNo(kAskWriteCommentFile,
                                       "登録データより、コメント取得用ファイルを出力しますか？　\n"
                                       "（現在、登録データにコメントがある場合、\n"
                                       "　関数ツリーにコメントを付加するのに使用できます。）　")) {
      WriteCommentFile(ctx);
    }
  } else if (kind == kTreeOfStructs) {
    result = WriteStructTree(ctx, &path);
  } else {
    result = WriteTableTree(ctx, &path);
  }
  ctx.ui.SetProgressVisible(false);
  // Until the TREE viewer opens the file, the status line says where it was written.
  if (result == 1) ctx.ui.SetStatus(3, "TREE用ファイル出力：" + ToDisplay(path));
  if (written) *written = path;
  return result;
}

}  // namespace kelvora
