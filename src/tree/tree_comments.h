// Function comments of a comment file attached to the items of a call tree
// ("関数TREE　コメント取得").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui.h"
#include "tree/call_tree.h"

namespace kelvora {

class RegexService;

// One used line of a comment file: the function name as written there (with its leading "*" or
// "~") and its comment without tab characters; CP932.
struct FunctionComment {
  std::string name;
  std::string comment;
};

// The lines of a comment file that hold a function name followed by "(" and, after that, a
// comment; lines whose comment is empty (a bare "//") are skipped. nullopt after the failure
// message when the regex engine cannot be used.
std::optional<std::vector<FunctionComment>> ReadFunctionComments(std::string_view bytes,
                                                                 const RegexService& regex, Ui& ui);

// The name padded with blanks to `space` bytes, then the comment.
std::string CommentedText(std::string_view name, std::string_view comment, int space);

// Attaches the comments in file order. A comment whose name is the root's text (ignoring ASCII
// case) changes only the root; otherwise every item below the root whose text is the name,
// including items made later. With show_progress, pane 1 names each comment as it is attached.
void AttachComments(CallTree& tree, const std::vector<FunctionComment>& comments, int space, Ui& ui,
                    bool show_progress);

// Ctrl+G: the open dialog for a comment file, then the attach with its status texts. False
// when nothing was attached (empty window, cancel, missing file, regex engine missing).
bool AttachCommentsFromFile(CallTree& tree, std::size_t entry_count, int space,
                            const RegexService& regex, Ui& ui);

}  // namespace kelvora
