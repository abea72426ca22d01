// The Windows command-line splitter, and the quoting and templates the editor command line is
// built with.
// Input: NUL-separated arguments, also read whole as a command line. Quoting each argument and
// splitting the joined line gives the arguments back.
#include "fuzz_support.h"
#include "platform/cp932.h"
#include "platform/editor_launch.h"
#include "platform/process.h"

using namespace kelvora;

namespace {

// True when every double-byte character of the CP932 text has its second byte.
bool WholeCp932(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (IsCp932LeadByte(static_cast<unsigned char>(s[i]))) {
      if (i + 1 >= s.size()) return false;
      ++i;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzz::AsText(data, size);

  // Any bytes: no crash, no argument holds a separator outside what the line held.
  const std::vector<std::string> whole = SplitCommandLine(text);
  std::size_t total = 0;
  for (const std::string& a : whole) total += a.size();
  FUZZ_CHECK(total <= size);

  // The round trip over arguments that a caller can quote: not empty, no NUL.
  std::vector<std::string> args;
  std::size_t at = 0;
  while (at <= text.size() && args.size() < 16) {
    std::size_t nul = text.find('\0', at);
    if (nul == std::string_view::npos) nul = text.size();
    if (nul > at) args.emplace_back(text.substr(at, nul - at));
    at = nul + 1;
  }
  if (args.empty()) return 0;
  bool all_utf8 = true;
  for (const std::string& a : args) all_utf8 = all_utf8 && IsValidUtf8(a);
  const bool cp932 = !all_utf8;
  if (cp932) {
    for (const std::string& a : args)
      if (!WholeCp932(a)) return 0;
  }
  std::string line = "prog";
  for (const std::string& a : args) line += " " + QuoteEditorArgument(a, cp932);
  const std::vector<std::string> split = SplitCommandLine(line);
  FUZZ_CHECK(split.size() == args.size() + 1);
  FUZZ_CHECK(split[0] == "prog");
  for (std::size_t i = 0; i < args.size(); ++i) FUZZ_CHECK(split[i + 1] == args[i]);

  // The editor command: the path comes back whole as the last argument.
  const EditorCommand cmd = BuildEditorCommand("/opt/my editor/ed", "", args[0], "12");
  FUZZ_CHECK(!cmd.argv.empty() && cmd.argv.front() == "/opt/my editor/ed");
  if (WholeCp932(args[0]) || IsValidUtf8(args[0])) FUZZ_CHECK(cmd.argv.back() == args[0]);
  // Template options: the file and line take the places of "%f" and "%l", the file whole even
  // when its name holds "%l", blanks or quotes.
  if (WholeCp932(args[0]) || IsValidUtf8(args[0])) {
    const EditorCommand plus = BuildEditorCommand("ed", "-n +%l %f", args[0], "12");
    FUZZ_CHECK(plus.argv.size() == 4 && plus.argv[1] == "-n" && plus.argv[2] == "+12" &&
               plus.argv[3] == args[0]);
    const EditorCommand go = BuildEditorCommand("ed", "--goto %f:%l", args[0], "7");
    FUZZ_CHECK(go.argv.size() == 3 && go.argv[1] == "--goto" && go.argv[2] == args[0] + ":7");
  }
  return 0;
}
