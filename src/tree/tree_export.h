// The TREE viewer's outputs: the output window's tree below an item as text or as a workbook,
// many entries' trees into one workbook from a list file, and the selection window's list.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ui.h"
#include "tree/call_tree.h"
#include "tree/tree_file.h"

namespace kelvora {

class EditorLauncher;
class RegexService;

inline constexpr QuestionId kAskExportTreeText{"tree.export-text"};
inline constexpr QuestionId kAskOpenTreeText{"tree.open-text-output"};
inline constexpr QuestionId kAskExportTreeWorkbook{"tree.export-workbook"};
inline constexpr QuestionId kAskOpenTreeWorkbook{"tree.open-workbook"};
inline constexpr QuestionId kAskExportManyTrees{"tree.export-many"};
inline constexpr QuestionId kAskManyTreesComments{"tree.export-many-comments"};
inline constexpr QuestionId kAskOpenEntryList{"tree.open-entry-list"};

// The item an output starts at: the selected item, else the root; kNone after the warning when
// the output window is empty.
std::int32_t ExportStartItem(const CallTree& tree, Ui& ui);

// "TREE テキスト出力(&T)": the tree below the start item as indented text (CP932, CR LF). True
// when the file was written to its end.
bool ExportTreeText(CallTree& tree, const TreeSettings& settings, const EditorLauncher& editor,
                    Ui& ui);

// "TREE出力Windowから出力": the tree below the start item into a new workbook, one row a line.
// True when the workbook was saved.
bool ExportTreeWorkbook(CallTree& tree, const TreeSettings& settings, Ui& ui);

// "選択Windowから複数出力（ファイル指定）": the trees of the entries a list file names, one sheet
// each (at most 255), comments from an optional comment file attached. True when saved.
bool ExportManyTrees(const TreePage& page, const TreeSettings& settings, const RegexService& regex,
                     Ui& ui);

// The " 一覧" button: the selection window's entries, one a line, into a text file.
bool ExportEntryList(const TreePage& page, const EditorLauncher& editor, Ui& ui);

}  // namespace kelvora
