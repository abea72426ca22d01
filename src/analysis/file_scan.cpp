#include "analysis/file_scan.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <sstream>

#include "data/registration_lists.h"
#include "settings/settings.h"

namespace kelvora {
namespace {

// Keeps the rows of one file with their line numbers.
class RowsSink : public DefinitionSink {
 public:
  explicit RowsSink(DefinitionRows& rows) : rows_(rows) {}
  bool Add(const FoundDefinition& f) override {
    rows_.Add(f.name, f.line_no, f.marker, f.comment);
    return true;
  }

 private:
  DefinitionRows& rows_;
};

template <class Collect>
std::string CollectText(TextLines& lines, Collect&& collect) {
  lines.Rewind();
  std::ostringstream out;
  collect(out);
  return std::move(out).str();
}

}  // namespace

SourceFile ReadSourceFile(const std::string& path) {
  SourceFile file;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return file;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return file;
  }
  file.opened = true;
  std::size_t size = st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
  // One byte more than the size, so a file that grew is read to its end in the same loop.
  file.bytes.resize(size + 1);
  std::size_t got = 0;
  for (;;) {
    if (got == file.bytes.size()) file.bytes.resize(file.bytes.size() * 2 + 4096);
    const ssize_t n = ::read(fd, file.bytes.data() + got, file.bytes.size() - got);
    if (n > 0) {
      got += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) file.failed = true;
    break;
  }
  file.bytes.resize(got);
  ::close(fd);
  return file;
}

bool TextLines::ReadLine(std::string& line) {
  if (pos_ >= text_.size() || stop_.load(std::memory_order_relaxed)) {
    line.clear();
    return false;
  }
  const std::size_t lf = text_.find('\n', pos_);
  if (lf == std::string_view::npos) {
    // The last line without a line feed keeps a final CR, as the file reader gives it.
    line.assign(text_.substr(pos_));
    pos_ = text_.size();
    return true;
  }
  std::size_t end = lf;
  if (end > pos_ && text_[end - 1] == '\r') --end;
  line.assign(text_.substr(pos_, end - pos_));
  pos_ = lf + 1;
  return true;
}

ScanTools::ScanTools(const RegexService& regex, const Settings& settings, const MacroList& macros,
                     RegisteredData& data, Ui& ui)
    : cleaning(regex), patterns(regex, settings), env{regex, cleaning, settings, macros, data, ui} {
  env.patterns = &patterns.definitions;
}

std::string FileScan::Position(long line_no) const {
  std::string position = position_prefix;
  position += '(';
  position += std::to_string(line_no);
  position += ')';
  return position;
}

void ScanFile(const std::string& path, const ScanWants& wants, ScanTools& tools,
              const std::atomic<bool>& stop, FileScan& out) {
  if (path.empty()) return;
  const SourceFile file = ReadSourceFile(path);
  out.opened = file.opened;
  out.read_failed = file.failed;
  if (!file.opened) return;
  TextLines lines(file, stop);
  ExtractorEnv& env = tools.env;
  const RunPatterns& pats = tools.patterns;
  const MacroList& macros = env.macros;

  if (wants.functions || wants.defines) {
    // A position compresses by its path alone: "(line)" holds no "/" for a root to end at.
    std::string position = env.data.CompressPosition(FormatPosition(path, 0));
    position.resize(position.size() - 3);
    out.position_prefix = std::move(position);
  }
  if (wants.functions) {
    RowsSink sink(out.functions);
    if (FindDefinitions(lines, sink, DefinitionMode::Function, pats.functions, env) < 0)
      out.engine_failed = true;
    if (!out.functions.empty()) {
      lines.Rewind();
      const StepCountLines body_lines(lines);
      for (std::size_t i = 0; i < out.functions.size(); ++i) {
        const DefinitionRows::Row row = out.functions[i];
        if (row.marker == "#define") continue;
        if (!out.steps.empty() && out.steps.back().first == row.line_no) continue;
        out.steps.emplace_back(
            row.line_no, body_lines.Count(row.line_no, macros, tools.cleaning, pats.definitions));
      }
    }
  }
  if (wants.defines) {
    lines.Rewind();
    RowsSink sink(out.defines);
    if (FindDefinitions(lines, sink, DefinitionMode::Define, pats.defines, env) < 0)
      out.engine_failed = true;
  }
  const CleaningPatterns& clean = tools.cleaning;
  if (wants.structs) {
    out.struct_text = CollectText(lines, [&](std::ostream& o) {
      CollectLines(lines, path, o, pats.struct_detect, macros, 0, clean);
    });
  }
  if (wants.tables) {
    out.table_text = CollectText(lines, [&](std::ostream& o) {
      CollectTableLines(lines, path, o, pats.table, macros, clean);
    });
  }
  if (wants.functions) {
    out.prototype_text = CollectText(lines, [&](std::ostream& o) {
      CollectLines(lines, "", o, pats.prototype, macros, env.settings.char_change, clean);
    });
  }
}

}  // namespace kelvora
