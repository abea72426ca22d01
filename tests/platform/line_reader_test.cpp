#include "platform/line_reader.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "support/temp_dir.h"

namespace kelvora {
namespace {

std::vector<std::string> AllLines(LineSource& src) {
  std::vector<std::string> out;
  std::string line;
  while (src.ReadLine(line)) out.push_back(line);
  return out;
}

std::vector<std::string> FileLines(std::string_view bytes) {
  testing::TempDir dir;
  std::string path = dir.Write("in.c", bytes);
  FileLineReader reader;
  EXPECT_TRUE(reader.Open(path));
  auto lines = AllLines(reader);
  EXPECT_FALSE(reader.failed());
  return lines;
}

using Lines = std::vector<std::string>;

TEST(LineReader, LineEndsFromFileAndString) {
  struct Case {
    std::string in;
    Lines out;
  };
  const Case cases[] = {
      {"", {}},
      {"\n", {""}},
      {"a\nb", {"a", "b"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb\n", {"a\rb"}},  // a lone CR inside a line stays
      {"a\r\r\n", {"a\r"}},  // only the CR right before LF goes
      {"a\n\n\nb\n", {"a", "", "", "b"}},
      {"x\r", {"x\r"}},  // no LF, no line end to drop
      {std::string("n\0ul\n\x95\x5C\xFF\n", 9), {std::string("n\0ul", 4), "\x95\x5C\xFF"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileLines(c.in), c.out) << c.in;
    StringLineSource src(c.in);
    EXPECT_EQ(AllLines(src), c.out) << c.in;
  }
}

TEST(LineReader, LinesAcrossBufferBoundaries) {
  // A CR LF split over two buffer fills, and a line of several megabytes.
  const std::size_t n = FileLineReader::kBufferSize;
  std::string first(n - 1, 'a');
  std::string huge(5 * 1024 * 1024 + 7, 'h');
  std::string text = first + "\r\n" + huge + "\r\nend";
  Lines lines = FileLines(text);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], first);
  EXPECT_EQ(lines[1].size(), huge.size());
  EXPECT_EQ(lines[1], huge);
  EXPECT_EQ(lines[2], "end");
}

TEST(LineReader, ManyShortLinesCountExactly) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "line " + std::to_string(i) + "\r\n";
  Lines lines = FileLines(text);
  ASSERT_EQ(lines.size(), 100000u);
  EXPECT_EQ(lines[0], "line 0");
  EXPECT_EQ(lines[54321], "line 54321");
  EXPECT_EQ(lines.back(), "line 99999");
}

TEST(LineReader, RewindAndReopen) {
  testing::TempDir dir;
  std::string a = dir.Write("a b (1)%.c", "one\ntwo\n");
  std::string b = dir.Write("日本語.c", "x\n");
  FileLineReader reader;
  ASSERT_TRUE(reader.Open(a));
  std::string line;
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line, "one");
  ASSERT_TRUE(reader.Rewind());
  EXPECT_EQ(AllLines(reader), (Lines{"one", "two"}));
  EXPECT_FALSE(reader.ReadLine(line));
  ASSERT_TRUE(reader.Open(b));
  EXPECT_EQ(AllLines(reader), (Lines{"x"}));
  reader.Close();
  EXPECT_FALSE(reader.is_open());
  EXPECT_FALSE(reader.ReadLine(line));
}

TEST(LineReader, DirectoriesAndMissingFilesFailCleanly) {
  testing::TempDir dir;
  FileLineReader reader;
  EXPECT_FALSE(reader.Open(dir.str()));
  EXPECT_EQ(errno, EISDIR);
  EXPECT_FALSE(reader.is_open());
  EXPECT_FALSE(reader.Open(dir.str() + "/missing.c"));
  EXPECT_EQ(errno, ENOENT);
  std::string line;
  EXPECT_FALSE(reader.ReadLine(line));
  EXPECT_FALSE(reader.Rewind());
}

// Reading /proc/self/mem from offset 0 fails with EIO: an error, not the end of the file.
TEST(LineReader, ReadErrorIsReportedApartFromTheEnd) {
  FileLineReader reader;
  ASSERT_TRUE(reader.Open("/proc/self/mem"));
  std::string line;
  EXPECT_FALSE(reader.ReadLine(line));
  EXPECT_TRUE(reader.failed());
  EXPECT_EQ(reader.error(), EIO);
  LineSource& source = reader;
  EXPECT_TRUE(source.failed());
  StringLineSource text("a\n");
  EXPECT_TRUE(text.ReadLine(line));
  EXPECT_FALSE(text.ReadLine(line));
  EXPECT_FALSE(text.failed());
}

}  // namespace
}  // namespace kelvora
