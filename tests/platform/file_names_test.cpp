// File names in CP932 files: UTF-8 names converted or escaped, and every written form leading
// back to the real bytes on disk.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/file_names.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

using testing::TempDir;

TEST(NameToCp932, ConvertsUtf8PartsAndEscapesWhatCp932CannotHold) {
  const struct {
    std::string name, written;
  } cases[] = {
      {"/src/a b (1) 100%.c(12)", "/src/a b (1) 100%.c(12)"},
      // 資料 (旧)/日本語ファイル.c; 表 ends in 0x5C in CP932.
      {"/\xE8\xB3\x87\xE6\x96\x99 (\xE6\x97\xA7)/\xE8\xA1\xA8.c(3)",
       "/\x8E\x91\x97\xBF (\x8B\x8C)/\x95\x5C.c(3)"},
      // A part already in CP932 (copied from Windows) stays; its UTF-8 neighbour is converted.
      {"/\xE8\xA1\xA8/\x95\x5C/x.c", "/\x95\x5C/\x95\x5C/x.c"},
      // ♥ has no CP932 form: its bytes are escaped, and so is "%" of that part only.
      {"/100%/\xE2\x99\xA5 5%.c", "/100%/%E2%99%A5 5%25.c"},
      // A line break would split the line it is written on: escaped in every kind of part.
      {"/a\nb 5%/c\r.c", "/a%0Ab 5%25/c%0D.c"},
      {"/\xE8\xA1\xA8\n%.c", "/\x95\x5C%0A%25.c"},
      {"/\x95\x5C\n%.c", "/\x95\x5C%0A%25.c"},
  };
  for (const auto& c : cases) EXPECT_EQ(NameToCp932(c.name), c.written) << c.name;
}

TEST(RealPathOf, EveryWrittenFormFindsTheFileOnDisk) {
  TempDir dir;
  const std::vector<std::string> names = {
      "\xE8\xB3\x87\xE6\x96\x99 (\xE6\x97\xA7)/\xE6\x97\xA5\xE6\x9C\xAC.c",
      "\xE2\x99\xA5 100%/%41 \xE6\x84\x9B.c",
      "\x95\x5C/\xE8\xA1\xA8.c",  // a CP932 folder holding a UTF-8 name
      "plain/a%41.c",
      "line\nfeed 5%/cr\r.c",
      "\x95\x5C\n/\xE8\xA1\xA8\n.c",  // CP932 and UTF-8 parts with line feeds
  };
  for (const std::string& name : names) {
    const std::string real = dir.Write(name, "x\n");
    const std::string written = NameToCp932(real);
    EXPECT_EQ(written.find_first_of("\n\r"), std::string::npos) << written;
    EXPECT_EQ(RealPathOf(written), real) << written;
    EXPECT_EQ(RealPathOf(real), real);
  }
  const std::string missing = dir.str() + "/\x95\x5C/none.c";
  EXPECT_EQ(RealPathOf(missing), missing);
  // The check goes through the given test, not the disk.
  const auto only = [](const std::string& p) { return p == "/\xE8\xA1\xA8" || p == "/x"; };
  EXPECT_EQ(RealPathOf("/\x95\x5C", only), "/\xE8\xA1\xA8");
}

}  // namespace
}  // namespace kelvora
