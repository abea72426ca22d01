// One Japanese tree written in Shift-JIS, EUC-JP and UTF-8 (converted with iconv from the UTF-8
// copy in tests/golden/encodings/japanese/tree) registers the same data: with CharChange=2 for
// every copy, with 0 for Shift-JIS and with 1 for EUC-JP. The dump and the tree files of every
// run equal the expected files beside the tree.
#include <gtest/gtest.h>
#include <iconv.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/run_process.h"
#include "support/golden.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using kelvora::testing::CompareOrUpdate;
using kelvora::testing::ReplaceAllText;
using kelvora::testing::RunProcess;
using kelvora::testing::TempDir;

namespace {

const fs::path kCaseDir = fs::path(KELVORA_GOLDEN) / "encodings" / "japanese";

std::string Convert(const std::string& utf8, const char* to) {
  iconv_t cd = iconv_open(to, "UTF-8");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << to;
  std::string out(utf8.size() * 2 + 16, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t in_left = utf8.size();
  char* dst = out.data();
  std::size_t dst_left = out.size();
  EXPECT_NE(iconv(cd, &in, &in_left, &dst, &dst_left), static_cast<std::size_t>(-1))
      << "the fixture must be writable in " << to;
  iconv_close(cd);
  out.resize(out.size() - dst_left);
  return out;
}

// The fixture tree in one encoding, below root/tree.
void WriteTree(const fs::path& root, const char* encoding) {
  const fs::path from = kCaseDir / "tree";
  for (const auto& entry : fs::recursive_directory_iterator(from)) {
    if (!entry.is_regular_file()) continue;
    const fs::path to = root / "tree" / fs::relative(entry.path(), from);
    fs::create_directories(to.parent_path());
    const std::string text = TempDir::Read(entry.path());
    std::ofstream(to, std::ios::binary) << (encoding ? Convert(text, encoding) : text);
  }
}

struct EncodedRun {
  const char* encoding;  // nullptr: UTF-8 as committed
  int char_change;
  const char* read_as;  // what --encodings says of every file
};

TEST(MixedEncodings, OneTreeInThreeEncodingsRegistersTheSameData) {
  const EncodedRun runs[] = {{nullptr, 2, "UTF-8"},
                             {"CP932", 2, "CP932"},
                             {"EUC-JP", 2, "EUC-JP"},
                             {"CP932", 0, "CP932"},
                             {"EUC-JP", 1, "EUC-JP"}};
  const char* outputs[] = {"struct-tree", "table-tree", "comments"};
  for (const EncodedRun& run : runs) {
    SCOPED_TRACE(std::string(run.encoding ? run.encoding : "UTF-8") +
                 " with CharChange=" + std::to_string(run.char_change));
    TempDir work, home;
    // Every copy lives at the same path so that paths in the outputs agree.
    const fs::path root = work.path() / "case";
    WriteTree(root, run.encoding);
    std::ofstream(root / "Kelvora.ini", std::ios::binary)
        << "[Analysis]\r\nCharChange=" << run.char_change << "\r\n";
    std::vector<std::string> argv{KELVORA_CLI_BIN, "analyse",
                                  "--settings",    (root / "Kelvora.ini").string(),
                                  "--dump",        "--encodings"};
    for (const char* kind : outputs)
      argv.push_back("--write=" + std::string(kind) + "=" + (root / kind).string());
    argv.push_back((root / "tree").string());
    const auto result = RunProcess(argv, work.str(), {"KELVORA_HOME=" + home.str()}, 60);
    ASSERT_EQ(result.status, 0) << result.err;

    std::string dump, encodings;
    std::istringstream lines(ReplaceAllText(result.out, root.string(), "<ROOT>"));
    for (std::string line; std::getline(lines, line);) {
      const bool listing = line.rfind(run.read_as + std::string("\t"), 0) == 0;
      (listing ? encodings : dump) += line + "\n";
    }
    EXPECT_EQ(encodings, std::string(run.read_as) + "\t0\t<ROOT>/tree/src/motor.c\n" + run.read_as +
                             "\t0\t<ROOT>/tree/include/motor.h\n");
    CompareOrUpdate(kCaseDir / "expected_out.txt", dump);
    for (const char* kind : outputs)
      CompareOrUpdate(kCaseDir / ("expected_" + std::string(kind) + ".txt"),
                      ReplaceAllText(TempDir::Read(root / kind), root.string(), "<ROOT>"));
  }
}

}  // namespace
