#include "tree/tree_comments.h"

#include <filesystem>

#include "platform/bytes.h"
#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/line_split.h"
#include "text/regex_service.h"

namespace kelvora {

namespace {

constexpr std::string_view kOpenTitle = "■■ コメント取得用ファイルを指定 ■■";
constexpr std::string_view kTextFilter =
    "テキストファイル（*.txt） (*.txt);;全てのファイル（*.*） (*)";

}  // namespace

std::optional<std::vector<FunctionComment>> ReadFunctionComments(std::string_view bytes,
                                                                 const RegexService& regex,
                                                                 Ui& ui) {
  Regex call, name, comment;
  if (!regex.Compile("[*~]*[A-Za-z_][A-Za-z0-9_:]*[ \t]*[(]", call) ||
      !regex.Compile("[*~]*[A-Za-z_][A-Za-z0-9_:]*", name) ||
      !regex.Compile("//.+$|/\\*.+?\\*/", comment)) {
    ui.Message("関数名・コメント取得処理 異常終了　", Ui::kTreeCaption, MsgIcon::Error);
    return std::nullopt;
  }
  std::vector<FunctionComment> out;
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::string_view line = LineAt(bytes, at);
    MatchSpan c, n, k;
    if (!call.Search(line, c)) continue;
    const std::string_view head = line.substr(c.pos, c.len);
    const std::string_view rest = line.substr(c.pos + c.len);
    if (!comment.Search(rest, k) || !name.Search(head, n)) continue;
    FunctionComment fc;
    fc.name = std::string(head.substr(n.pos, n.len));
    for (char ch : rest.substr(k.pos, k.len))
      if (ch != '\t') fc.comment += ch;
    out.push_back(std::move(fc));
  }
  return out;
}

std::string CommentedText(std::string_view name, std::string_view comment, int space) {
  std::string text(name);
  if (space > 0 && text.size() < static_cast<std::size_t>(space))
    text.append(static_cast<std::size_t>(space) - text.size(), ' ');
  text += comment;
  return text;
}

void AttachComments(CallTree& tree, const std::vector<FunctionComment>& comments, int space, Ui& ui,
                    bool show_progress) {
  if (tree.empty()) return;
  for (const FunctionComment& c : comments) {
    if (EqualsIgnoringAsciiCase(tree.Text(tree.root()), c.name)) {
      tree.SetRootText(CommentedText(c.name, c.comment, space));
    } else {
      // Items keep the text of their callee in the file, so renaming that text renames every
      // item made from it, in the part of the tree made so far and in the part made later.
      TextId source;
      if (tree.page()->Find(c.name, source))
        tree.RenameCallees(source, CommentedText(c.name, c.comment, space));
    }
    if (show_progress) {
      ui.SetStatus(1, "取得中：" + ToDisplay(c.name));
      ui.PollEscape();
    }
  }
}

bool AttachCommentsFromFile(CallTree& tree, std::size_t entry_count, int space,
                            const RegexService& regex, Ui& ui) {
  if (tree.empty()) {
    ui.Message("「TREE出力Window」にデータがありません！　", Ui::kTreeCaption, MsgIcon::Warning);
    return false;
  }
  std::optional<std::string> path = ui.ChooseOpenFile(kOpenTitle, kTextFilter);
  if (!path) {
    ui.Message("キャンセルします！　", Ui::kTreeCaption, MsgIcon::Information);
    return false;
  }
  std::string why;
  const std::optional<std::string> bytes = ReadWholeFile(*path, kCommentFileLimit, &why);
  if (!bytes) {
    ui.Message("ファイルが存在しません！　\n" + ToDisplay(*path) + "\n" + why, Ui::kTreeCaption,
               MsgIcon::Warning);
    return false;
  }
  ui.SetWaitCursor(true);
  std::optional<std::vector<FunctionComment>> comments = ReadFunctionComments(*bytes, regex, ui);
  if (comments) AttachComments(tree, *comments, space, ui, /*show_progress=*/true);
  ui.SetStatus(1, "選択Win項目数：" + std::to_string(entry_count));
  tree.selected = tree.root();
  ui.SetWaitCursor(false);
  return comments.has_value();
}

}  // namespace kelvora
