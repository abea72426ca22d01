// The tree-file kinds of `kelvora-cli analyse --write KIND=PATH`.
#pragma once

#include <string>

namespace kelvora {

struct CliWriteContext;

int WriteFuncTreeCli(CliWriteContext& ctx, const std::string& path);
int WriteStructTreeCli(CliWriteContext& ctx, const std::string& path);
int WriteTableTreeCli(CliWriteContext& ctx, const std::string& path);
// Left to the function tree when func-tree is asked for too (it answers its comment-file
// question with Yes and this path).
int WriteCommentsCli(CliWriteContext& ctx, const std::string& path);

}  // namespace kelvora
