// Call-tree files (function, struct and table trees) and the comment file, written from the
// registered data by reading the analysed source files again.
#pragma once

#include <string>

#include "platform/ui.h"

namespace kelvora {

class ByteSink;
class CallIndex;
class RegexService;
class RegisteredData;
struct Settings;

// What the tree outputs work on. settings gives the macro list ("Preprocessor"), the excluded
// functions and "CharChange".
struct OutputContext {
  const RegisteredData& data;
  const Settings& settings;
  const RegexService& regex;
  Ui& ui;
  // The analysis' call index, when it kept one: the function tree takes the files it holds
  // unchanged from it instead of reading them again.
  const CallIndex* calls = nullptr;
};

// The kinds of TreeOutputCommand: registration-list indexes.
inline constexpr int kTreeOfFunctions = 0;
inline constexpr int kTreeOfStructs = 1;
inline constexpr int kTreeOfTables = 4;

// Asked after a function tree: "登録データより、コメント取得用ファイルを出力しますか？…".
inline constexpr QuestionId kAskWriteCommentFile{"tree-output.comment-file"};

// Runs the generator of a kind (kTreeOf...) with the progress bar shown in place of the Index
// button; after a function tree asks kAskWriteCommentFile. Returns what the generator returned
// (1 ran, 0 cancelled or not created, -1 nothing to do); *written gets the tree file's path.
int TreeOutputCommand(OutputContext& ctx, int kind, std::string* written = nullptr);

// Each asks for the output file and writes it: 1 when it ran (also when nothing could be
// written), 0 when the dialog was cancelled or the file could not be created or written.
int WriteFunctionTree(OutputContext& ctx, std::string* written = nullptr);
int WriteStructTree(OutputContext& ctx, std::string* written = nullptr);
int WriteTableTree(OutputContext& ctx, std::string* written = nullptr);
// Nothing happens for an empty FunctionList (returns -1).
int WriteCommentFile(OutputContext& ctx, std::string* written = nullptr);

// The writers behind them, on a byte sink.
struct FunctionTreeCounts {
  long detected = 0;  // function definitions met
  long written = 0;   // entries written
  long files_read = 0;
  long recursion = 0;   // callee lines with the recursion mark
  long unreadable = 0;  // FileList files that could not be read
};
FunctionTreeCounts WriteFunctionTreeTo(ByteSink& out, OutputContext& ctx);
// Struct and table trees: the number of source files read.
long WriteStructTreeTo(ByteSink& out, OutputContext& ctx);
long WriteTableTreeTo(ByteSink& out, OutputContext& ctx);
struct CommentFileCounts {
  long with_comment = 0;
  long without_comment = 0;
};
CommentFileCounts WriteCommentFileTo(ByteSink& out, const RegisteredData& data);

}  // namespace kelvora
