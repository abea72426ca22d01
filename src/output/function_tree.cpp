// The function tree: every function definition of the FileList files with the functions it
// calls.
#include <memory>

#include "analysis/call_index.h"
#include "data/registration_lists.h"
#include "output/call_gather.h"
#include "output/function_info.h"
#include "output/output_texts.h"
#include "output/source_pass.h"
#include "output/tree_output.h"
#include "platform/byte_sink.h"
#include "platform/line_reader.h"
#include "settings/settings.h"
#include "text/encoding_detect.h"

namespace kelvora {

namespace {

class TreeWriter : public FunctionWalkVisitor {
 public:
  TreeWriter(ByteSink& out, const FunctionInfoTable& info, FunctionTreeCounts& counts)
      : out_(out), info_(info), counts_(counts) {}

  // The path of the file walked next, as the FileList holds it.
  void SetFile(std::string_view path) { path_.assign(path); }

  void OnDefinition(const Head&) override {
    ++counts_.detected;
    pending_ = true;
  }

  void OnCallee(const Head& head, std::string_view callee, bool recursive) override {
    if (pending_) {
      pending_ = false;
      ++counts_.written;
      line_.assign("\r\n");
      line_ += head.name;
      line_ += ',';
      info_.AppendRowInfoText(info_.FindDefinition(head.name, path_, head.line), line_);
      line_ += "\r\n";
      out_.Write(line_);
    }
    line_.assign(tree_text::Cp932(tree_text::kDot));
    line_ += callee;
    if (recursive) {
      line_ += tree_text::Cp932(tree_text::kRecursionMark);
      ++counts_.recursion;
    }
    line_ += ',';
    info_.AppendRowInfoText(info_.FindCallee(callee, path_), line_);
    line_ += "\r\n";
    out_.Write(line_);
  }

 private:
  ByteSink& out_;
  const FunctionInfoTable& info_;
  FunctionTreeCounts& counts_;
  bool pending_ = false;
  std::string line_;
  std::string path_;
};

// The path of a FileList position: the text without its "(1)" at the end.
std::string_view FilePathOf(std::string_view position) {
  if (position.ends_with("(1)")) position.remove_suffix(3);
  return position;
}

}  // namespace

FunctionTreeCounts WriteFunctionTreeTo(ByteSink& out, OutputContext& ctx) {
  FunctionTreeCounts counts;
  out.Line(std::string(tree_text::kDataLine) + ctx.settings.preprocessor);

  const FunctionInfoTable info(ctx.data);
  FunctionTreeWalk walk(ctx.regex, ctx.settings);
  TreeWriter writer(out, info, counts);
  // The files the analysis walked with these settings and that have not changed since come
  // from its call index, the others are read and walked again.
  const CallIndex* index =
      ctx.calls && ctx.calls->SameWalkSettings(ctx.settings) ? ctx.calls : nullptr;

  const RegistrationList& files = ctx.data.List(ListKind::File);
  std::string previous;
  bool have_previous = false;
  for (std::size_t r = 0; r < files.RowCount(); ++r) {
    const CellView position = files.Cell(r, col::kPosition);
    const std::string_view path = FilePathOf(position);
    if (path.empty() || (have_previous && path == previous)) continue;
    previous.assign(path);
    have_previous = true;
    writer.SetFile(previous);  // entries take the rows of their own file's definitions
    if (index) {
      const CallIndex::FileId file = index->FindFile(previous);
      if (file < index->FileCount() && index->Fresh(file, ctx.settings)) {
        ReplayCalls(*index, file, writer);
        ++counts.files_read;
        ctx.ui.AdvanceProgress(1);
        ctx.ui.PollEscape();
        continue;
      }
    }
    SourceFileReader reader(ctx.settings.char_change);
    if (!reader.Open(previous)) {
      ++counts.unreadable;
      ctx.ui.AdvanceProgress(1);
      continue;
    }
    walk.Walk(reader, writer);
    if (reader.failed()) {
      ++counts.unreadable;
    } else {
      ++counts.files_read;
    }
    ctx.ui.AdvanceProgress(1);
    ctx.ui.PollEscape();
  }
  if (counts.files_read > 0) {
    out.Write("\r\n");
    out.Line(tree_text::kEndMarker);
  }
  return counts;
}

}  // namespace kelvora
