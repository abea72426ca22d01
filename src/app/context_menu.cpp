#include "app/context_menu.h"

#include <QAction>
#include <QIcon>
#include <QMenu>

#include "app/button_patterns.h"
#include "app/main_window.h"
#include "data/registration_lists.h"

namespace kelvora {
namespace {

QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

ContextEntry Item(const char* text, int id, bool greyed = false) {
  ContextEntry e;
  e.text = U(text);
  e.id = id;
  e.greyed = greyed;
  return e;
}

ContextEntry Rule() {
  ContextEntry e;
  e.type = ContextEntry::Type::Rule;
  return e;
}

ContextEntry Submenu(QString text, std::vector<ContextEntry> children) {
  ContextEntry e;
  e.type = ContextEntry::Type::Submenu;
  e.text = std::move(text);
  e.children = std::move(children);
  return e;
}

void AddEntries(QMenu* menu, const std::vector<ContextEntry>& entries, int button_pattern) {
  for (const ContextEntry& e : entries) {
    switch (e.type) {
      case ContextEntry::Type::Rule:
        menu->addSeparator();
        break;
      case ContextEntry::Type::Submenu:
        AddEntries(menu->addMenu(e.text), e.children, button_pattern);
        break;
      case ContextEntry::Type::Item: {
        QAction* action = menu->addAction(e.text);
        action->setData(e.id);
        action->setEnabled(!e.greyed && IsBuiltCommand(e.id));
        if (e.bitmap_kind != 0) {
          action->setIcon(QIcon(KindMenuBitmap(button_pattern, e.bitmap_kind)));
        }
        break;
      }
    }
  }
}

}  // namespace

std::vector<ContextEntry> ContextMenuEntries(const RegisteredData& data, int transparency_percent) {
  const bool all_empty = data.AllEmpty();
  auto empty = [&data](ListKind kind) { return data.Count(kind) == 0; };
  const bool no_functions = empty(ListKind::Function);
  const bool no_structs = empty(ListKind::Struct);
  const bool no_defines = empty(ListKind::Define);
  const bool no_files = empty(ListKind::File);
  const bool no_tables = empty(ListKind::Table);

  std::vector<ContextEntry> menu;
  menu.push_back(Item("解析 (&A)", cmd::kAnalyse));
  menu.push_back(Rule());

  menu.push_back(Item("コメント検索 (Ctrl+&F)", cmd::kCommentSearch, all_empty));
  menu.push_back(Item("外部ファイルより関数コメント取得 (&C)", cmd::kCommentFile, all_empty));
  menu.push_back(Item("情報一覧TEXT出力 (&T)", cmd::kTextList, all_empty));
  menu.push_back(Item("情報一覧HTML出力 (&H)", cmd::kHtmlSite, all_empty));
  menu.push_back(Item("ステップ数CSV出力 (&S)", cmd::kStepCsv, no_functions));
  menu.push_back(Item("テーブル内容一覧CSV出力 (&C)", cmd::kTableCsv, no_tables));
  menu.push_back(Rule());

  menu.push_back(
      Item("登録データ 全並び替え（全データ⇒昇順にする） (&S)", cmd::kSortAllAscending, all_empty));
  menu.push_back(Item("登録データ 全並び替え（全データ⇒降順にする） (&S)", cmd::kSortAllDescending,
                      all_empty));
  static const char* const kSortTexts[kListCount] = {
      "  (&1) 『関数』 のみ並び替え　 ", "  (&2) 『構造体』 のみ並び替え",
      "  (&3) 『#define』 のみ並び替え", "  (&4) 『File』 のみ並び替え　　 ",
      "  (&5) 『ﾃｰﾌﾞﾙ』 のみ並び替え　"};
  const bool sort_greyed[kListCount] = {no_functions, no_structs, no_defines, no_files, no_tables};
  for (int slot = 0; slot < kListCount; ++slot) {
    ContextEntry e = Item(kSortTexts[slot], cmd::kSortFirstList + slot, sort_greyed[slot]);
    e.text += data.List(KindOfSlot(slot)).sort_flag() == 1 ? U("（現在：昇順⇒降順）")
                                                           : U("（現在：降順⇒昇順）");
    e.bitmap_kind = slot + 1;
    menu.push_back(std::move(e));
  }
  menu.push_back(Rule());

  menu.push_back(Item("登録データ 全削除 (&D)", cmd::kDeleteAll, all_empty));
  if (!no_files) {
    menu.push_back(Rule());
    menu.push_back(Item("登録ファイルを再解析（最新の情報に更新） (&R)", cmd::kReanalyse));
  }
  menu.push_back(Rule());

  menu.push_back(
      Submenu(U("TREE用ファイル出力 (&T)"),
              {Item("関数　　TREE用ファイル出力 (&F)", cmd::kFunctionTree, no_functions), Rule(),
               Item("構造体　TREE用ファイル出力 (&S)", cmd::kStructTree, no_structs),
               Item("テーブル　TREE用ファイル出力 (&T)", cmd::kTableTree, no_tables)}));
  menu.push_back(Item("関数TREE Viewer起動 (Ctrl+&T)", cmd::kTreeViewer));

  std::vector<ContextEntry> transparency;
  transparency.push_back(Item("透明にしない", cmd::kTransparency0));
  for (int step = 1; step <= 9; ++step) {
    ContextEntry e = Item("", cmd::kTransparency0 + step);
    e.text = QString::number(step * 10) + U("％　透明");
    transparency.push_back(std::move(e));
  }
  menu.push_back(Submenu(U("半透明化　") + U("（現在：%1％）").arg(transparency_percent),
                         std::move(transparency)));
  menu.push_back(Rule());

  menu.push_back(
      Submenu(U("オマケ機能 (&O)"),
              {Item("各種情報（OS、メモリ等） (Ctrl+&M)", cmd::kSystemInfo),
               Item("ASCII文字コード表 表示 (&A)", cmd::kAsciiTable), Rule(),
               Item("#ifﾃﾞｨﾚｸﾃｨﾌﾞ範囲削除 (&D)", cmd::kIfRemoval),
               Submenu(U("■■■ EXCEL関連 ■■■"),
                       {Item("(&1) シート名一覧取得（ファイル指定）", 104),
                        Item("(&2) シート名一覧取得（フォルダ指定-CSV出力）", 105),
                        Item("(&3) シート名一覧取得（フォルダ指定-TEXT出力）", 106), Rule(),
                        Item("(&4) EXCELファイル生成（シート名ソートなし）", 107),
                        Item("(&5) EXCELファイル生成（シート名昇順ソート）", 108),
                        Item("(&6) EXCELファイル生成（シート名降順ソート）", 109)})}));
  if (!no_files) {
    menu.push_back(Rule());
    menu.push_back(Item("Grepメニュー検索 (&G)", cmd::kGrepMenu));
  }
  menu.push_back(Rule());

  menu.push_back(Item("プロパティ (Ctrl+&P)", cmd::kProperties));
  menu.push_back(Item("ヘルプ (&H)", cmd::kHelp));
  menu.push_back(Item("変更履歴（readme.txt）", cmd::kReadme));
  menu.push_back(Item("バージョン (&V)", cmd::kVersion));
  return menu;
}

bool IsBuiltCommand(int id) {
  switch (id) {
    case cmd::kAnalyse:
    case cmd::kSortAllAscending:
    case cmd::kSortAllDescending:
    case cmd::kDeleteAll:
    case cmd::kReanalyse:
    case cmd::kProperties:
      return true;
    default:
      break;
  }
  if (id >= cmd::kSortFirstList && id < cmd::kSortFirstList + kListCount) return true;
  return id >= cmd::kTransparency0 && id <= cmd::kTransparency0 + 9;
}

QMenu* MakeContextMenu(const std::vector<ContextEntry>& entries, int button_pattern,
                       QWidget* parent) {
  auto* menu = new QMenu(parent);
  AddEntries(menu, entries, button_pattern);
  return menu;
}

}  // namespace kelvora
