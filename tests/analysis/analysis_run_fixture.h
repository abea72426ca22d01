// Shared set-up of the analysis run tests: a source tree, a settings file and a working folder in
// a temporary folder, and the run's context over a scripted port.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "analysis/analysis_run.h"
#include "data/registration_lists.h"
#include "platform/cp932.h"
#include "platform/scripted_ui.h"
#include "settings/settings.h"
#include "support/child_process.h"
#include "support/temp_dir.h"
#include "text/regex_service.h"

namespace kelvora::testing {

class AnalysisRunTest : public ::testing::Test {
 protected:
  AnalysisRunTest()
      : store(dir.str() + "/Kelvora.ini", dir.str() + "/registry.ini"),
        ctx{data, store, regex, ui, dir.str() + "/work"} {
    std::filesystem::create_directories(dir.path() / "work");
    std::filesystem::create_directories(dir.path() / "tree");
  }

  std::string Root() const { return dir.str() + "/tree"; }
  std::string Tree(std::string_view rel, std::string_view bytes) {
    return dir.Write("tree/" + std::string(rel), bytes);
  }
  std::string WorkFile(const char* name) const { return TempDir::Read(dir.path() / "work" / name); }

  void Set(std::string_view section, std::string_view key, std::string_view value) {
    store.WriteString(section, key, value);
  }

  // Names of column 0 of a list, in row order.
  std::vector<std::string> Names(ListKind kind) const {
    std::vector<std::string> out;
    const RegistrationList& list = data.List(kind);
    for (std::size_t r = 0; r < list.RowCount(); ++r) out.push_back(list.Cell(r, col::kName));
    return out;
  }
  // The row of a name in a list, or -1.
  long RowOf(ListKind kind, std::string_view name) const {
    const RegistrationList& list = data.List(kind);
    for (std::size_t r = 0; r < list.RowCount(); ++r)
      if (list.Cell(r, col::kName) == name) return static_cast<long>(r);
    return -1;
  }

  // A small tree: one source and one header with a function, a prototype with a comment, a
  // typedef struct, a #define, a table and an initialised struct variable.
  void WriteSampleTree() {
    Tree("src/main.c", Utf8ToCp932("#include \"types.h\"\n"
                                   "static const char charTable[3][4] = {\n"
                                   "  \"ab\", \"cd\", \"ef\"\n"
                                   "};\n"
                                   "struct point origin = { 1, 2 };\n"
                                   "\n"
                                   "int helper(int a)\n"
                                   "{\n"
                                   "  int b = a;\n"
                                   "  return b + 1;\n"
                                   "}\n"
                                   "\n"
                                   "int main(void)\n"
                                   "{\n"
                                   "  helper(1);\n"
                                   "  return 0;\n"
                                   "}\n"));
    Tree("inc/types.h", Utf8ToCp932("#ifndef TYPES_H\n"
                                    "#define TYPES_H\n"
                                    "#define MAX_COUNT 10  /* 最大数 */\n"
                                    "typedef struct tagPOINT {\n"
                                    "  int x;\n"
                                    "  int y;\n"
                                    "} POINT;\n"
                                    "int helper(int a);  // ヘルパー関数\n"
                                    "#endif\n"));
  }

  // Answers the subfolder question and the confirmation with Yes and runs from Root().
  int RunSample() {
    ui.AnswerYes().AnswerYes();
    return StartAnalysisAt(ctx, Root());
  }

  TempDir dir;
  RegisteredData data;
  SettingsStore store;
  RegexService regex;
  ScriptedUi ui;
  AnalysisContext ctx;
};

// Gives everyone every right on a folder and all below it, so a child without root's rights
// can work there.
inline void OpenUp(const std::filesystem::path& top) {
  std::error_code ec;
  std::filesystem::permissions(top, std::filesystem::perms::all, std::filesystem::perm_options::add,
                               ec);
  for (auto it = std::filesystem::recursive_directory_iterator(top, ec);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
    std::filesystem::permissions(it->path(), std::filesystem::perms::all,
                                 std::filesystem::perm_options::add, ec);
}

using kelvora::testing::RunWithoutRootRights;

// Runs body in a child process that is stopped after the given seconds, so a hang fails the test
// instead of the whole test program: the child's exit code, 126 when it was stopped.
inline int RunWithTimeLimit(unsigned seconds, const std::function<int()>& body) {
  pid_t pid = fork();
  if (pid < 0) return 125;
  if (pid == 0) {
    alarm(seconds);
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 126;
}

}  // namespace kelvora::testing
