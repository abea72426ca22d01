#include "analysis/analysis_passes.h"

#include <malloc.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <fstream>
#include <vector>

#include "analysis/analysis_run.h"
#include "analysis/candidates.h"
#include "analysis/definitions.h"
#include "analysis/escape_poll.h"
#include "analysis/scan_scheduler.h"
#include "data/registration_lists.h"
#include "platform/bytes.h"
#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/line_reader.h"
#include "platform/output_file.h"
#include "platform/ui.h"
#include "settings/settings.h"
#include "text/source_clean.h"

namespace kelvora {
namespace {

constexpr std::size_t kReturnMemoryEvery = 2048;

constexpr const char* kStructClose = R"(^[ \t]*}([ \t]*[A-Za-z0-9_][ \tA-Za-z0-9_\[\]]+,?)+;)";
constexpr const char* kStructTag = R"(struct[ \t]+[A-Za-z0-9_]+[ \t\[\]A-Za-z0-9_&*=]*{*)";
constexpr const char* kPrototype =
    R"(^[ \t]*[A-Za-z0-9_]*[ \t]*[A-Za-z0-9_]+[ \t]+[*]*[A-Za-z_][A-Za-z0-9_]*[ \t]*\([ \tA-Za-z0-9_,&*]*\)[ \t]*\;)";

// Advances the progress bar by 10 after every 10 files and by the rest at the end.
class ProgressTicker {
 public:
  explicit ProgressTicker(Ui& ui) : ui_(ui) {}
  void File() {
    if (++files_ % 10 == 0) ui_.AdvanceProgress(10);
  }
  void Finish() { ui_.AdvanceProgress(files_ % 10); }

 private:
  Ui& ui_;
  long long files_ = 0;
};

// The header list is the run's own file; when it cannot be read the pass goes on without
// headers, and says so instead of registering nothing in silence.
void ReportHeaderListUnreadable(PassContext& pc) {
  pc.ctx.ui.Message(
      "ヘッダファイル一覧を読み込めませんでした。　\n" + ToDisplay(pc.header_list_file),
      Ui::kCaption, MsgIcon::Warning);
}

void FinishPass(PassContext& pc, const char* label, ListKind kind) {
  pc.done_text += label;
  pc.ctx.ui.SetStatus(3, pc.done_text);
  pc.ctx.ui.SetCountLabel(static_cast<int>(kind),
                          CountLabel(kind, pc.ctx.data.List(kind).RowCount()));
}

// Shows the file of every 10th FileList row in status lines 1 and 2.
void ShowRowStatus(PassContext& pc, std::size_t row, const char* label) {
  if (row % 10 != 0) return;
  pc.ctx.ui.SetStatus(1, ToDisplay(pc.ctx.data.files().Cell(row, col::kName)));
  pc.ctx.ui.SetStatus(2, std::string(label) + std::to_string(row));
}

// Writes the candidate text of every newly registered file, with the row status, progress and
// Escape poll of each file; false when the user cancelled.
bool CollectNewFiles(PassContext& pc, std::string FileScan::*text, const char* label,
                     std::ostream& out) {
  // Texts the function pass spooled are empty in the scans and come from the spool at the end,
  // in the same order.
  const bool spooled = pc.spool && pc.spool->active();
  const RegistrationList& files = pc.ctx.data.files();
  ProgressTicker tick(pc.ctx.ui);
  for (std::size_t row = pc.run.first_new_row; row < files.RowCount(); ++row) {
    ShowRowStatus(pc, row, label);
    FileScan* scan = nullptr;
    if (!pc.scans->Row(row - pc.run.first_new_row, scan)) return false;
    if (scan) {
      out << scan->*text;
      std::string().swap(scan->*text);
    }
    tick.File();
    if (PollAnalysisCancel(pc.ctx.ui)) return false;
  }
  tick.Finish();
  if (spooled && !pc.spool->CopyTo(text == &FileScan::table_text ? CandidateSpool::kTables
                                                                 : CandidateSpool::kPrototypes,
                                   out)) {
    pc.ctx.ui.Message("テンポラリファイルの作成エラー", Ui::kCaption, MsgIcon::Error);
    return false;
  }
  return true;
}

// Registers the rows one file gave a pass, as the extractor in place registers them; false when
// the user cancelled.
bool RegisterRows(PassContext& pc, const FileScan& scan, const DefinitionRows& rows,
                  RegistrationList& target, DefinitionMode mode) {
  ListDefinitionSink sink(target, mode, {}, pc.env);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const DefinitionRows::Row row = rows[i];
    if (!sink.AddRowAt(row.name, scan.position_prefix, row.line_no, row.marker, row.comment))
      return false;
  }
  return true;
}

bool TempWriteFailed(PassContext& pc, std::ofstream& out) {
  out.close();
  if (!out.fail()) return false;
  pc.ctx.ui.Message("テンポラリファイルの作成エラー", Ui::kCaption, MsgIcon::Error);
  return true;
}

class FunctionPass : public AnalysisPass {
 public:
  bool Enabled(const Settings& s) const override { return s.func == 1; }
  long long ProgressSteps(long h, long s) const override { return h + s; }
  PassResult Run(PassContext& pc) override {
    Ui& ui = pc.ctx.ui;
    RegistrationList& files = pc.ctx.data.files();
    ProgressTicker tick(ui);
    for (std::size_t row = pc.run.first_new_row; row < files.RowCount(); ++row) {
      FileScan* scan = nullptr;
      if (!pc.scans->Row(row - pc.run.first_new_row, scan)) return PassResult::Cancel;
      if (scan) {
        if (!scan->opened) {
          if (ui.AskYesNo(kAskCancelOnUnreadableFile,
                          OpenFailedQuestion(FilePathOfRow(files, row))))
            return PassResult::Cancel;
        } else if (!RegisterRows(pc, *scan, scan->functions, pc.ctx.data.functions(),
                                 DefinitionMode::Function) ||
                   // NOLINTNEXTLINE(bugprone-branch-clone): each branch is its own reason to stop
                   scan->engine_failed) {
          return PassResult::Cancel;
        } else if (scan->read_failed &&
                   ui.AskYesNo(kAskCancelOnUnreadableFile,
                               OpenFailedQuestion(FilePathOfRow(files, row)))) {
          // A read error part way is a file that could not be read, not its end.
          return PassResult::Cancel;
        }
        scan->functions.Clear();
        if (pc.spool && pc.spool->active() &&
            (!pc.spool->Add(scan->table_text, scan->prototype_text) ||
             !pc.scans->SpoolStructTexts())) {
          ui.Message("テンポラリファイルの作成エラー", Ui::kCaption, MsgIcon::Error);
          return PassResult::Cancel;
        }
      }
      tick.File();
      if (PollAnalysisCancel(ui)) return PassResult::Cancel;
    }
    tick.Finish();
    FinishPass(pc, "関数 ", ListKind::Function);
    return PassResult::Done;
  }

 private:
  static std::string OpenFailedQuestion(const std::string& path) {
    return "<<「関数」取得>>"
           "\n\nファイルが開けませんでした。\n※”ファイルの排他制御をしているエディタ”"
           "で開いている場合等で発生します。　\n　エディタの設定を変更するか、ファイルを閉じて下さ"
           "い"
           "。\n" +
           ToDisplay(path) +
           "\n\n解析を終了しますか？\n（「いいえ」でこのファイルを飛ばして継続）　";
  }
};

class StepCountPassUnit : public AnalysisPass {
 public:
  bool Enabled(const Settings& s) const override { return s.func == 1; }
  long long ProgressSteps(long, long) const override { return 0; }
  PassResult Run(PassContext& pc) override {
    const FileScans& scans = *pc.scans;
    auto known = [&scans](const std::string& path, const std::vector<long>& lines,
                          std::vector<StepCounts>& counts) {
      return scans.KnownSteps(path, lines, counts);
    };
    const bool done = StepCountPass(pc.env, known) >= 0;
    pc.scans->ReleaseSteps();
    // The pass's tables of every function row are gone; the #define rows fill that room or
    // new room, so give it back before they come.
    ReturnFreedMemory(pc.run);
    return done ? PassResult::Done : PassResult::Cancel;
  }
};

class StructPass : public AnalysisPass {
 public:
  bool Enabled(const Settings& s) const override { return s.structs == 1; }
  long long ProgressSteps(long h, long) const override { return 2LL * h; }
  PassResult Run(PassContext& pc) override {
    Ui& ui = pc.ctx.ui;
    std::ofstream out(pc.temp_file, std::ios::binary | std::ios::trunc);
    std::vector<std::string> headers;
    if (!ReadHeaderList(pc.header_list_file, headers)) ReportHeaderListUnreadable(pc);
    // The texts the function pass spooled are those of the first header-list files; the others
    // follow from the scans.
    if (pc.spool && pc.spool->active() && !pc.spool->CopyTo(CandidateSpool::kStructs, out)) {
      ui.Message("テンポラリファイルの作成エラー", Ui::kCaption, MsgIcon::Error);
      return PassResult::Cancel;
    }
    ProgressTicker tick(ui);
    for (std::size_t i = 0; i < headers.size(); ++i) {
      FileScan* scan = nullptr;
      if (!pc.scans->Header(i, scan)) return PassResult::Cancel;
      if (scan) {
        out << scan->struct_text;
        std::string().swap(scan->struct_text);
      }
      tick.File();
      if (PollAnalysisCancel(ui)) return PassResult::Cancel;
    }
    tick.Finish();
    if (TempWriteFailed(pc, out)) return PassResult::Cancel;
    pc.done_text += "構造体 ";
    ui.SetStatus(3, pc.done_text);
    if (RegisterStructs(pc.temp_file, pc.run.headers, pc.env, &pc.run.structs_over_limit) < 0)
      return PassResult::Cancel;
    ui.SetCountLabel(static_cast<int>(ListKind::Struct),
                     CountLabel(ListKind::Struct, pc.ctx.data.structs().RowCount()));
    return PassResult::Done;
  }
};

class DefinePass : public AnalysisPass {
 public:
  bool Enabled(const Settings& s) const override { return s.define == 1; }
  long long ProgressSteps(long h, long) const override { return h; }
  PassResult Run(PassContext& pc) override {
    Ui& ui = pc.ctx.ui;
    std::vector<std::string> headers;
    if (!ReadHeaderList(pc.header_list_file, headers)) ReportHeaderListUnreadable(pc);
    ProgressTicker tick(ui);
    for (std::size_t i = 0; i < headers.size(); ++i) {
      FileScan* scan = nullptr;
      if (!pc.scans->HeaderDefines(i, scan)) return PassResult::Cancel;
      if (scan && scan->opened &&
          (!RegisterRows(pc, *scan, scan->defines, pc.ctx.data.defines(), DefinitionMode::Define) ||
           scan->engine_failed))
        return PassResult::Cancel;
      if (scan) scan->defines.Clear();
      // The rows of each file were freed here in pieces; give that room back now and then, or
      // it stays in the heap beside the growing list.
      if (i % kReturnMemoryEvery == kReturnMemoryEvery - 1) ReturnFreedMemory(pc.run);
      tick.File();
      if (PollAnalysisCancel(ui)) return PassResult::Cancel;
    }
    tick.Finish();
    FinishPass(pc, "#define ", ListKind::Define);
    return PassResult::Done;
  }
};

class TablePass : public AnalysisPass {
 public:
  bool Enabled(const Settings& s) const override { return s.table == 1; }
  long long ProgressSteps(long h, long s) const override { return 2LL * (h + s); }
  PassResult Run(PassContext& pc) override {
    Ui& ui = pc.ctx.ui;
    std::ofstream out(pc.temp_file, std::ios::binary | std::ios::trunc);
    if (!CollectNewFiles(pc, &FileScan::table_text, "テーブル…", out)) return PassResult::Cancel;
    if (TempWriteFailed(pc, out)) return PassResult::Cancel;
    pc.done_text += "ﾃｰﾌﾞﾙ ";
    ui.SetStatus(3, pc.done_text);
    long file_count = pc.run.headers + pc.run.sources;
    if (RegisterTables(pc.temp_file, file_count, pc.env, &pc.run.tables_over_limit) < 0)
      return PassResult::Cancel;
    ui.SetCountLabel(static_cast<int>(ListKind::Table),
                     CountLabel(ListKind::Table, pc.ctx.data.tables().RowCount()));
    return PassResult::Done;
  }
};

class PrototypePass : public AnalysisPass {
 public:
  bool Enabled(const Settings& s) const override { return s.func == 1; }
  long long ProgressSteps(long h, long s) const override { return 2LL * (h + s); }
  PassResult Run(PassContext& pc) override {
    Ui& ui = pc.ctx.ui;
    std::ofstream out(pc.prototype_file, std::ios::binary | std::ios::trunc);
    if (!out) {
      ui.Message(OutputOpenErrorText(pc.prototype_file, errno), Ui::kCaption, MsgIcon::Error);
      return PassResult::Cancel;
    }
    if (!CollectNewFiles(pc, &FileScan::prototype_text, "プロトタイプ宣言…", out))
      return PassResult::Cancel;
    if (TempWriteFailed(pc, out)) return PassResult::Cancel;
    AttachPrototypeComments(pc.prototype_file, false, pc.env);
    pc.done_text += "関数ｺﾒﾝﾄ ";
    ui.SetStatus(3, pc.done_text);
    ui.AdvanceProgress(pc.run.headers);
    ui.AdvanceProgress(pc.run.sources);
    return PassResult::Done;
  }
};

}  // namespace

const char* const kPrototypeDeclarationPattern = kPrototype;

CandidateSpool::CandidateSpool() {
  for (File& file : files_) {
    std::optional<std::string> path = CreateUniqueTempFile("kelvora");
    if (!path) return;
    file.path = std::move(*path);
    file.out.open(file.path, std::ios::binary | std::ios::trunc);
    if (!file.out) return;
  }
  active_ = true;
}

CandidateSpool::~CandidateSpool() {
  for (File& file : files_) {
    file.out.close();
    if (!file.path.empty()) unlink(file.path.c_str());
  }
}

bool CandidateSpool::Append(Kind kind, std::string& text) {
  File& file = files_[kind];
  file.out << text;
  file.bytes += text.size();
  std::string().swap(text);
  return file.out.good();
}

bool CandidateSpool::Add(std::string& table_text, std::string& prototype_text) {
  const bool tables = Append(kTables, table_text);
  return Append(kPrototypes, prototype_text) && tables;
}

bool CandidateSpool::AddStructs(std::string& struct_text) {
  return Append(kStructs, struct_text);
}

bool CandidateSpool::CopyTo(Kind kind, std::ostream& out) {
  File& file = files_[kind];
  file.out.close();
  if (file.out.fail()) return false;
  if (file.bytes == 0) return true;  // copying nothing would mark out as failed
  std::ifstream in(file.path, std::ios::binary);
  if (!in) return false;
  // Copied piece by piece with each write checked: a full disk must not cut the copy unseen.
  std::vector<char> buf(1 << 16);
  while (in.read(buf.data(), static_cast<std::streamsize>(buf.size())) || in.gcount() > 0) {
    if (!out.write(buf.data(), in.gcount())) return false;
  }
  return !in.bad() && out.good();
}

void ReturnFreedMemory() {
#ifdef __GLIBC__
  malloc_trim(0);
#endif
}

void ReturnFreedMemory(const AnalysisRun& run) {
  constexpr long kFewFiles = 64;
  if (run.headers + run.sources >= kFewFiles) ReturnFreedMemory();
}

std::string FilePathOfRow(const RegistrationList& files, std::size_t row) {
  const CellView pos = files.Cell(row, col::kPosition);
  if (pos.ends_with("(1)")) return std::string(pos.substr(0, pos.size() - 3));
  std::string path;
  long line = 0;
  return SplitPosition(pos, path, line) ? path : std::string();
}

const char* const kTableHeadPattern =
    R"([A-Za-z0-9_]+[*]*[ \t]+[*]*[A-Za-z0-9_]+\[?[ \tA-Za-z0-9_&*=+-]*\]?([ \t]*\[[ \tA-Za-z0-9_&*=+-]*\])*[ \t]*=[ \t]*{)";

namespace {

// The byte classes of a prototype line, looked up once per byte.
enum : unsigned char { kWordByte = 1, kBlankByte = 2, kStarByte = 4, kListByte = 8 };
constexpr std::array<unsigned char, 256> kPrototypeClasses = [] {
  std::array<unsigned char, 256> classes{};
  for (int c = 0; c < 256; ++c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')
      classes[c] = kWordByte;
  }
  classes[' '] = classes['\t'] = kBlankByte;
  classes['*'] = kStarByte;
  classes[','] = classes['&'] = kListByte;
  return classes;
}();

}  // namespace

// The closing pattern begins with blanks and "}"; the tag pattern holds "struct".
bool StructMayMatch(std::string_view text, int struct_prop) {
  auto closing = [&] {
    std::size_t first = 0;
    while (first < text.size() && IsBlankOrTab(text[first])) ++first;
    return first < text.size() && text[first] == '}';
  };
  auto tag = [&] { return text.find("struct") != std::string_view::npos; };
  if (struct_prop == 1) return closing();
  if (struct_prop == 2) return tag();
  return closing() || tag();
}

// The closing pattern ends in "}" ... ";", the tag pattern begins with "struct"; either holds
// nothing the other needs.
std::string_view StructNeeds(int struct_prop) {
  if (struct_prop == 1) return "};";
  if (struct_prop == 2) return "struct";
  return {};
}

// A head ends in "=", blanks and "{".
bool TableHeadMayMatch(std::string_view text, int) {
  for (std::size_t eq = text.find('='); eq != std::string_view::npos; eq = text.find('=', eq + 1)) {
    std::size_t k = eq + 1;
    while (k < text.size() && IsBlankOrTab(text[k])) ++k;
    if (k < text.size() && text[k] == '{') return true;
  }
  return false;
}

// A "=" and blanks ending the first text, blanks and a "{" beginning the second: the " "
// between them is a blank too.
bool TableHeadAcrossMayMatch(std::string_view first, std::string_view second, int) {
  std::size_t end = first.size();
  while (end > 0 && IsBlankOrTab(first[end - 1])) --end;
  if (end == 0 || first[end - 1] != '=') return false;
  std::size_t k = 0;
  while (k < second.size() && IsBlankOrTab(second[k])) ++k;
  return k < second.size() && second[k] == '{';
}

// Blanks, then up to the "(" words, blanks and "*" with a blank among them (a type and a name),
// words, blanks and ",&*" up to one ")", blanks and ";".
bool PrototypeMayMatch(std::string_view text, int) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  while (p < end && IsBlankOrTab(static_cast<char>(*p))) ++p;
  unsigned seen = 0;
  while (p < end && (kPrototypeClasses[*p] & (kWordByte | kBlankByte | kStarByte)))
    seen |= kPrototypeClasses[*p++];
  if (p == end || *p != '(' || !(seen & kBlankByte)) return false;
  ++p;
  while (p < end && kPrototypeClasses[*p] != 0) ++p;
  if (p == end || *p != ')') return false;
  ++p;
  while (p < end && IsBlankOrTab(static_cast<char>(*p))) ++p;
  return p < end && *p == ';';
}

std::string StructDetectPattern(int struct_prop) {
  if (struct_prop == 1) return kStructClose;
  if (struct_prop == 2) return kStructTag;
  return std::string(kStructClose) + "|" + kStructTag;
}

RunPatterns::RunPatterns(const RegexService& regex, const Settings& settings)
    : functions(DetectionPatterns::ForFunctions(regex, settings.func_prop)),
      defines(DetectionPatterns::ForDefines(regex)),
      definitions(regex, settings.func_header_str, settings.func_head_words) {
  regex.Compile(StructDetectPattern(settings.struct_prop), struct_detect);
  regex.Compile(kTableHeadPattern, table);
  regex.Compile(kPrototype, prototype);
}

std::vector<std::unique_ptr<AnalysisPass>> MakeAnalysisPasses() {
  std::vector<std::unique_ptr<AnalysisPass>> passes;
  passes.push_back(std::make_unique<FunctionPass>());
  passes.push_back(std::make_unique<StepCountPassUnit>());
  passes.push_back(std::make_unique<StructPass>());
  passes.push_back(std::make_unique<DefinePass>());
  passes.push_back(std::make_unique<TablePass>());
  passes.push_back(std::make_unique<PrototypePass>());
  return passes;
}

std::string HeaderListPath(std::string_view line) {
  if (line.size() > RegexService::kExtractLimit) return {};
  auto is_word = [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
  };
  for (std::size_t open = line.rfind('('); open != std::string_view::npos && open > 0;
       open = line.rfind('(', open - 1)) {
    std::size_t k = open;
    while (k > 0 && is_word(line[k - 1])) --k;
    if (k < open && k >= 2 && line[k - 1] == '.') return std::string(line.substr(0, open));
  }
  return {};
}

bool ReadHeaderList(const std::string& file, std::vector<std::string>& paths) {
  FileLineReader reader;
  if (!reader.Open(file)) return false;
  std::string line;
  while (reader.ReadLine(line)) {
    std::string path = HeaderListPath(line);
    if (!path.empty() && path.size() < 512) paths.push_back(std::move(path));
  }
  return !reader.failed();
}

}  // namespace kelvora
