// The call-graph commands: drawing to files, to memory for the window, and the viewer's
// "コールグラフ画像出力" with its save dialog.
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <thread>

#include "platform/cp932.h"
#include "platform/files.h"
#include "tree/call_graph.h"
#include "tree/call_graph_render.h"

namespace kelvora {

namespace {

void ReportCut(const CallGraph& graph, const CallGraphOptions& options, Ui& ui) {
  if (graph.left_out == 0) return;
  ui.Message("コールグラフのノード数が上限の" + std::to_string(options.node_budget) +
                 "個に達したため、残りの関数（延べ" + std::to_string(graph.left_out) +
                 "個）を「…(N more)」ノードにまとめました。　",
             Ui::kTreeCaption, MsgIcon::Warning);
}

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return text;
}

// Lays the graph out and renders it on a worker thread while the caller keeps polling Escape
// (which serves the window's events). Graphviz cannot be stopped midway: when the user cancels,
// the thread runs to its end on its own copy of the graph and its result is dropped.
enum class Rendered { Ok, Failed, Cancelled };

Rendered RenderWhilePolling(const CallGraph& graph, bool comments, const GraphFormats& formats,
                            RenderedGraph& out, std::string& error, Ui& ui) {
  struct Job {
    CallGraph graph;
    RenderedGraph out;
    std::string error;
    bool ok = false;
    std::promise<void> done;
  };
  auto job = std::make_shared<Job>();
  job->graph = graph;
  std::future<void> done = job->done.get_future();
  std::thread([job, comments, formats] {
    job->ok = RenderCallGraph(job->graph, comments, formats, job->out, job->error);
    job->done.set_value();
  }).detach();
  while (done.wait_for(std::chrono::milliseconds(15)) != std::future_status::ready)
    if (ui.PollEscape() &&
        ui.AskYesNo(kAskCancelCallGraph,
                    "「ESCキー」が押されました。\nコールグラフの作成を中断しますか？　\n",
                    Ui::kTreeCaption))
      return Rendered::Cancelled;
  out = std::move(job->out);
  error = std::move(job->error);
  return job->ok ? Rendered::Ok : Rendered::Failed;
}

}  // namespace

std::optional<std::vector<FunctionComment>> ReadGraphComments(const std::string& path,
                                                              const RegexService& regex, Ui& ui) {
  std::error_code ec;
  std::optional<std::string> bytes;
  if (std::filesystem::is_regular_file(path, ec)) bytes = ReadWholeFile(path);
  if (!bytes) {
    ui.Message("ファイルが存在しません！　\n" + ToDisplay(path), Ui::kTreeCaption,
               MsgIcon::Warning);
    return std::nullopt;
  }
  return ReadFunctionComments(*bytes, regex, ui);
}

DrawnGraph DrawCallGraph(const TreePage& page, const GraphStart& start,
                         const CallGraphOptions& options,
                         const std::vector<FunctionComment>* comments, const GraphFormats& formats,
                         Ui& ui) {
  DrawnGraph drawn;
  ui.SetWaitCursor(true);
  drawn.build = BuildCallGraph(page, start, options, comments, ui, drawn.graph);
  ui.SetStatus(3, "");
  std::string error;
  Rendered rendered = Rendered::Cancelled;
  if (drawn.build != GraphBuild::Cancelled)
    rendered = RenderWhilePolling(drawn.graph, options.comments, formats, drawn.out, error, ui);
  if (rendered == Rendered::Cancelled) drawn.build = GraphBuild::Cancelled;
  ui.SetWaitCursor(false);
  if (rendered == Rendered::Failed) ui.Message(error, Ui::kTreeCaption, MsgIcon::Error);
  drawn.ok = rendered == Rendered::Ok;
  return drawn;
}

GraphCommandResult WriteCallGraphFiles(const TreePage& page, const GraphStart& start,
                                       const CallGraphOptions& options,
                                       const std::vector<FunctionComment>* comments,
                                       const GraphOutputs& outputs, Ui& ui) {
  const GraphFormats formats{!outputs.svg.empty(), !outputs.png.empty(), !outputs.dot.empty()};
  const DrawnGraph drawn = DrawCallGraph(page, start, options, comments, formats, ui);
  if (drawn.build == GraphBuild::Cancelled) return GraphCommandResult::Cancelled;
  if (!drawn.ok) return GraphCommandResult::Failed;
  bool written = true;
  if (formats.svg) written = WriteGraphFile(outputs.svg, drawn.out.svg, ui) && written;
  if (formats.png) written = WriteGraphFile(outputs.png, drawn.out.png, ui) && written;
  if (formats.dot) written = WriteGraphFile(outputs.dot, drawn.out.dot, ui) && written;
  if (!written) return GraphCommandResult::Failed;
  ReportCut(drawn.graph, options, ui);
  return drawn.build == GraphBuild::Cut ? GraphCommandResult::Cut : GraphCommandResult::Written;
}

GraphCommandResult ExportCallGraph(const TreePage& page, const GraphStart& start,
                                   const CallGraphOptions& options,
                                   const std::vector<FunctionComment>* comments, Ui& ui) {
  const std::string name = ToDisplay(start.name);
  std::optional<std::string> path = ui.ChooseSaveFile(
      "■■ コールグラフ画像出力先を指定 ■■",
      "SVG画像 (*.svg);;PNG画像 (*.png);;Graphviz DOT (*.dot *.gv)", name + ".svg");
  if (!path) return GraphCommandResult::Cancelled;
  GraphOutputs outputs;
  const std::string ext = Lower(std::filesystem::path(*path).extension().string());
  if (ext == ".png")
    outputs.png = *path;
  else if (ext == ".dot" || ext == ".gv")
    outputs.dot = *path;
  else
    outputs.svg = ext == ".svg" ? *path : *path + ".svg";
  const GraphCommandResult result =
      WriteCallGraphFiles(page, start, options, comments, outputs, ui);
  if (result == GraphCommandResult::Written || result == GraphCommandResult::Cut) {
    const std::string& written = !outputs.png.empty()   ? outputs.png
                                 : !outputs.dot.empty() ? outputs.dot
                                                        : outputs.svg;
    if (ui.AskYesNo(kAskOpenCallGraph,
                    "コールグラフ画像出力完了しました！\n\n出力ファイルを開きますか？　\n" +
                        ToDisplay(written),
                    Ui::kTreeCaption) &&
        !ui.OpenWithDefaultApp(written))
      ui.Message("ファイルが見つかりません　", Ui::kTreeCaption, MsgIcon::Warning);
  }
  return result;
}

}  // namespace kelvora
