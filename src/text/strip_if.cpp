#include "text/strip_if.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/cp932.h"
#include "platform/editor_launch.h"
#include "platform/files.h"
#include "platform/line_reader.h"
#include "platform/output_file.h"
#include "text/encoding_detect.h"
#include "text/regex_service.h"
#include "text/source_clean.h"

namespace kelvora {

namespace {

constexpr std::size_t kExamined = 512;
constexpr std::string_view kFilter = "*.c (*.c);;*.cpp (*.cpp);;*.txt (*.txt);;*.* (*)";

// The directives PreprocessorStep acts on in a cleaned line, found the way it finds them.
struct Directives {
  bool if_ = false, else_ = false, endif = false, elif = false;
  bool any() const { return if_ || else_ || endif || elif; }
};

Directives FindDirectives(std::string_view cleaned) {
  Directives d;
  std::size_t first = 0;
  while (first < cleaned.size() && (cleaned[first] == ' ' || cleaned[first] == '\t')) ++first;
  std::string_view head = cleaned.substr(first);
  if (!head.starts_with('#') || head.starts_with("#define")) return d;
  d.if_ = cleaned.find("#if") != std::string_view::npos;
  d.else_ = cleaned.find("#else") != std::string_view::npos;
  d.endif = cleaned.find("#endif") != std::string_view::npos;
  d.elif = cleaned.find("#elif") != std::string_view::npos;
  return d;
}

struct Member {
  std::size_t line;
  std::uint32_t group;
};

// Drops every directive line of a conditional that lost one of its directive lines, until no
// conditional is left half kept.
void DropHalfKeptConditionals(const std::vector<Member>& members, std::uint32_t groups,
                              std::vector<std::uint8_t>& keep) {
  bool changed = true;
  while (changed) {
    changed = false;
    std::vector<std::uint32_t> kept(groups, 0), total(groups, 0);
    for (const Member& m : members) {
      ++total[m.group];
      if (keep[m.line]) ++kept[m.group];
    }
    for (const Member& m : members) {
      if (keep[m.line] && kept[m.group] != total[m.group]) {
        keep[m.line] = 0;
        changed = true;
      }
    }
  }
}

}  // namespace

std::vector<std::uint8_t> DecideKeptLines(LineSource& in, const MacroList& macros,
                                          const CleaningPatterns& pats) {
  std::vector<std::uint8_t> keep;
  if (!pats.ok() || !pats.regex().available()) return keep;
  CommentState comments;
  ConditionalState cond;
  std::vector<Member> members;
  std::vector<std::uint32_t> open;  // the conditionals open at this line, innermost last
  std::uint32_t groups = 0;
  std::string raw, cleaned;
  while (in.ReadLine(raw)) {
    const std::size_t line = keep.size();
    // Only the first 512 bytes are examined; every line goes on to the filter, even one inside
    // a block comment.
    CleanLine(std::string_view(raw).substr(0, Cp932SafeCut(raw, kExamined)), comments, pats,
              cleaned);
    keep.push_back(FilterLine(cleaned, cond, macros, pats) ? 1 : 0);
    const Directives d = FindDirectives(cleaned);
    if (!d.any()) continue;
    if (d.if_) {
      open.push_back(groups++);
      members.push_back({line, open.back()});
    }
    if ((d.else_ || d.elif || d.endif) && !open.empty()) {
      if (!d.if_) members.push_back({line, open.back()});
      if (d.endif) open.pop_back();
    }
  }
  DropHalfKeptConditionals(members, groups, keep);
  return keep;
}

long WriteKeptLines(LineSource& in, const std::vector<std::uint8_t>& keep, std::ostream& out) {
  long written = 0;
  std::string raw;
  for (std::size_t line = 0; line < keep.size() && in.ReadLine(raw); ++line) {
    if (!keep[line]) continue;
    out.write(raw.data(), static_cast<std::streamsize>(raw.size()));
    out.write("\r\n", 2);
    ++written;
  }
  return written;
}

long StripFalseRegionsFile(const std::string& in_path, std::ostream& out, const MacroList& macros,
                           const CleaningPatterns& pats, int char_change) {
  std::vector<std::uint8_t> keep;
  {
    SourceFileReader decoded(char_change);
    if (!decoded.Open(in_path)) return -1;
    keep = DecideKeptLines(decoded, macros, pats);
    if (decoded.failed()) return -1;
  }
  // Decoding keeps every line where it is, so the kept lines are copied in the file's own bytes.
  FileLineReader reader;
  if (!reader.Open(in_path)) return -1;
  return WriteKeptLines(reader, keep, out);
}

StripResult StripIfCommand(const StripIfSettings& settings, const RegexService& regex,
                           const EditorLauncher& editor, Ui& ui) {
  ui.Message(
      "[機能説明]\n指定されたファイルの#if 0 ～ #else、または#if 0 ～ #endifを\n"
      "取り除いた結果をファイル出力します。\n",
      Ui::kCaption, MsgIcon::None);
  std::optional<std::string> in_path = ui.ChooseOpenFile("■■ 対象元ファイルを指定 ■■", kFilter);
  if (!in_path || in_path->empty()) {
    ui.Message("キャンセルします！　", Ui::kCaption, MsgIcon::Information);
    return StripResult::Cancelled;
  }
  if (!FileOrFolderExists(*in_path)) {
    ui.Message("指定されたファイルが存在しません。　\n終了します。", Ui::kCaption,
               MsgIcon::Warning);
    return StripResult::NoFile;
  }
  FileLineReader probe;
  if (!probe.Open(*in_path, kSourceFileLimit)) {
    ui.Message("ファイルが開けませんでした。　\n" + ToDisplay(*in_path) + "\n" + probe.why(),
               Ui::kCaption, MsgIcon::Warning);
    return StripResult::Unreadable;
  }
  probe.Close();

  if (!IsFolder(TempDirectory())) {
    ui.Message("テンポラリファイル用のディレクトリパス取得エラー", Ui::kCaption, MsgIcon::Error);
    return StripResult::TempFailed;
  }
  std::optional<std::string> temp = CreateUniqueTempFile("kelvora-strip");
  if (!temp) {
    ui.Message("テンポラリファイルの作成エラー", Ui::kCaption, MsgIcon::Error);
    return StripResult::TempFailed;
  }
  struct TempRemover {
    std::string path;
    ~TempRemover() { ::unlink(path.c_str()); }
  } remover{*temp};

  {
    OutputFile file;
    SinkStream out(file);
    CleaningPatterns pats(regex);
    MacroList macros(settings.preprocessor);
    const long written =
        file.Open(*temp) ? StripFalseRegionsFile(*in_path, out, macros, pats, settings.char_change)
                         : -1;
    out.flush();
    if (written < 0 || !file.Commit()) {
      ui.Message("テンポラリファイルの作成エラー", Ui::kCaption, MsgIcon::Error);
      return StripResult::TempFailed;
    }
  }

  std::optional<std::string> out_path =
      ui.ChooseSaveFile("■■ ファイル出力先を指定 ■■", kFilter, {}, "txt");
  if (!out_path || out_path->empty()) {
    ui.Message("キャンセルします！　", Ui::kCaption, MsgIcon::Information);
    return StripResult::Cancelled;
  }
  const std::string& target = *out_path;
  if (!CopyFileBytes(*temp, target)) {
    ui.Message(
        "ファイルの出力に失敗しました。　\n" + ToDisplay(target) + "\n" + std::strerror(errno),
        Ui::kCaption, MsgIcon::Error);
    return StripResult::WriteFailed;
  }
  if (ui.AskYesNo(kAskOpenStrippedCopy, "出力が完了しました。ファイルを開きますか？　"))
    editor.Open(target, "1", ui);
  return StripResult::Done;
}

}  // namespace kelvora
