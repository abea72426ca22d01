#include <gtest/gtest.h>

#include "cli/cli_app.h"

namespace kelvora {
namespace {

TEST(CliGrepArguments, GrepCommentAndImportOptions) {
  CliOptions o;
  std::string error;
  ASSERT_TRUE(ParseCliArguments(
      {"analyse", "--grep", "if", "--grep=assign:a\\[0\\]", "--comment", "table:表 (1)",
       "--comment=func:x:y", "--exact", "--case", "--import-comments", "c file.txt", "r"},
      o, error))
      << error;
  EXPECT_EQ((std::vector<std::string>{"if", "assign:a\\[0\\]"}), o.greps);
  ASSERT_EQ(2u, o.comments.size());
  EXPECT_EQ(4, o.comments[0].list);
  EXPECT_EQ("表 (1)", o.comments[0].word);
  EXPECT_EQ(1, o.comments[1].list);
  EXPECT_EQ("x:y", o.comments[1].word);
  EXPECT_TRUE(o.comment_exact && o.comment_case);
  EXPECT_EQ((std::vector<std::string>{"c file.txt"}), o.import_comments);

  for (std::vector<std::string> bad :
       {std::vector<std::string>{"analyse", "--grep", "assign:", "r"},
        {"analyse", "--grep", "all", "r"},
        {"analyse", "--comment", "file:x", "r"},
        {"analyse", "--import-comments"}}) {
    EXPECT_FALSE(ParseCliArguments(bad, o, error)) << bad[1] << " " << bad.back();
    EXPECT_NE(std::string::npos, error.find(bad[1])) << error;
  }
}

}  // namespace
}  // namespace kelvora
