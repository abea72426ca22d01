#include "sheet/sheet_names.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "sheet/workbook.h"
#include "support/temp_dir.h"

namespace kelvora {
namespace {

using testing::TempDir;

std::string Fixture(const char* name) {
  return std::string(KELVORA_FIXTURES "/sheet/") + name;
}

struct ReadCase {
  const char* file;
  WorkbookReadError error;
  std::vector<std::string> names;
};

class ReadFixture : public ::testing::TestWithParam<ReadCase> {};

// Workbooks written by peer tools (see fixtures/sheet/make_fixtures.py) and containers that
// hold no readable workbook.
TEST_P(ReadFixture, NamesOrMessage) {
  const ReadCase& c = GetParam();
  SheetNames got = ReadSheetNames(Fixture(c.file));
  EXPECT_EQ(c.error, got.error) << c.file << ": " << got.detail;
  EXPECT_EQ(c.names, got.names) << c.file;
  const std::string message = UnreadableWorkbookMessage(Fixture(c.file), got);
  EXPECT_EQ(c.error != WorkbookReadError::None, message.find(c.file) != std::string::npos)
      << message;
}

INSTANTIATE_TEST_SUITE_P(
    Sheet, ReadFixture,
    ::testing::Values(
        ReadCase{"legacy.xls", WorkbookReadError::None, {"Data", "日本語シート", "集計 (2)"}},
        ReadCase{"with_chart.xlsx", WorkbookReadError::None, {"First", "Last"}},
        ReadCase{"book.ods", WorkbookReadError::None, {"表1", "Second & last"}},
        ReadCase{"protected.xls", WorkbookReadError::Encrypted, {}},
        // Found by fuzzing: a record whose string length runs far past it (a library that
        // trusted it read 64 KB of the stack).
        ReadCase{"overlong_string.xls", WorkbookReadError::Broken, {}},
        ReadCase{"encrypted.xlsx", WorkbookReadError::Encrypted, {}},
        ReadCase{"encrypted.ods", WorkbookReadError::Encrypted, {}},
        ReadCase{"not_a_workbook.xlsx", WorkbookReadError::NotWorkbook, {}},
        ReadCase{"broken_xml.xlsx", WorkbookReadError::Broken, {}},
        ReadCase{"make_fixtures.py", WorkbookReadError::NotWorkbook, {}},
        ReadCase{"missing.xlsx", WorkbookReadError::CannotOpen, {}},
        ReadCase{"", WorkbookReadError::CannotOpen, {}}));  // the folder itself

TEST(ReadSheetNames, OwnWorkbookRoundTripsAndBrokenCopiesGiveAMessage) {
  TempDir dir;
  Workbook book;
  for (int k = 1; k < 12; ++k) book.Add();
  std::vector<std::string> names;
  for (int k = 1; k <= 12; ++k) {
    names.push_back(k == 7 ? "日本語の名前" : k == 8 ? "a,b \"c\" & <d>" : "S" + std::to_string(k));
    ASSERT_EQ(SheetNameError::None, book.Item(k).SetName(names.back()));
  }
  const std::string path = (dir.path() / "twelve.xlsx").string();
  ASSERT_EQ(SaveResult::Saved, book.SaveAs(path));
  EXPECT_EQ(names, ReadSheetNames(path).names);

  // Cut short anywhere, the zip or a part in it is broken: a message, never a crash.
  const std::string bytes = TempDir::Read(path);
  for (std::size_t size :
       {std::size_t{0}, std::size_t{3}, std::size_t{30}, bytes.size() / 2, bytes.size() - 10}) {
    const std::string cut = dir.Write("cut.xlsx", bytes.substr(0, size));
    SheetNames got = ReadSheetNames(cut);
    EXPECT_NE(WorkbookReadError::None, got.error) << size;
    EXPECT_TRUE(got.names.empty()) << size;
  }
  EXPECT_EQ(WorkbookReadError::Empty, ReadSheetNames(dir.Write("empty.xlsx", "")).error);
  const std::string fifo = (dir.path() / "pipe.xlsx").string();
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  EXPECT_EQ(WorkbookReadError::CannotOpen, ReadSheetNames(fifo).error);
}

// A legacy workbook whose compound file or records do not add up: cut short anywhere, or a sheet
// name longer than its record. A message, never a read past what the file holds.
TEST(ReadSheetNames, BrokenLegacyWorkbooksGiveAMessage) {
  TempDir dir;
  const std::string bytes = TempDir::Read(Fixture("legacy.xls"));
  std::vector<std::string> broken;
  for (std::size_t size : {std::size_t{8}, std::size_t{600}, bytes.size() / 2, bytes.size() - 600})
    broken.push_back(bytes.substr(0, size));
  const std::size_t sheet = bytes.find(std::string("\x85\x00\x0c\x00", 4));  // "Data"
  ASSERT_NE(std::string::npos, sheet);
  broken.push_back(bytes);
  broken.back()[sheet + 10] = '\x7f';  // 127 characters in a record of 12 bytes
  for (std::size_t k = 0; k < broken.size(); ++k) {
    const SheetNames got = ReadSheetNames(dir.Write("broken.xls", broken[k]));
    EXPECT_EQ(WorkbookReadError::Broken, got.error) << k << ": " << got.detail;
    EXPECT_TRUE(got.names.empty()) << k;
  }
}

TEST(ReadSheetNames, WorkbookExtensions) {
  for (const char* yes : {"a.xls", "a.XLSX", "b.xlsm", "c.ods", "x.y.Xls"})
    EXPECT_TRUE(IsWorkbookName(yes)) << yes;
  for (const char* no : {"a.xlsb", "a.csv", "xls", "a.xls.bak", ".xlsx.txt"})
    EXPECT_FALSE(IsWorkbookName(no)) << no;
}

}  // namespace
}  // namespace kelvora
