// The language server: JSON-RPC messages from an editor mapped onto the workspace's registered
// data, call sites and references. Requests run one at a time on a worker thread; the reading
// thread takes cancellations and the end of the input at once.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "lsp/call_sites.h"
#include "lsp/lsp_text.h"
#include "lsp/lsp_transport.h"
#include "lsp/references.h"

namespace kelvora::lsp {

class ServerUi;
class Workspace;
struct RowRef;

// JSON-RPC and LSP error codes.
namespace error_code {
inline constexpr int kParseError = -32700;
inline constexpr int kInvalidRequest = -32600;
inline constexpr int kMethodNotFound = -32601;
inline constexpr int kInvalidParams = -32602;
inline constexpr int kInternalError = -32603;
inline constexpr int kServerNotInitialized = -32002;
inline constexpr int kRequestCancelled = -32800;
}  // namespace error_code

class Server {
 public:
  struct Options {
    std::string settings_file;  // --settings; initializationOptions.settingsFile overrides it
    std::FILE* log = stderr;    // every log line; never standard output
    std::size_t threads = 0;    // threads of the references' search (0: two)
  };
  // send receives each outgoing message body (JSON text, UTF-8); the caller frames it.
  using Send = std::function<void(const std::string& body)>;

  Server(Options options, Send send);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Reads messages until "exit" or the end of the input; returns the exit status (0 after
  // shutdown, else 1).
  int Run(MessageReader& reader);

  // One message body, handled on the calling thread as the worker handles it.
  void Handle(const std::string& body);
  // What the reading thread does with a body before it is queued: cancellations and answers
  // to the server's own requests. False when the body goes to the worker.
  bool TakeAtOnce(const std::string& body);

  bool exit_requested() const { return exit_requested_.load(); }
  int exit_status() const { return shutdown_ ? 0 : 1; }

 private:
  using json = nlohmann::json;
  struct Request;

  void Dispatch(const json& message);
  void Reply(const json& id, json result);
  void ReplyError(const json& id, int code, const std::string& message);
  void Notify(const std::string& method, json params);
  void SendRequest(const std::string& id, const std::string& method, json params);
  void Log(const std::string& text, int type = 3);

  // Lifecycle.
  json Initialize(const json& params, std::string& error);
  void Initialized();
  void StartAnalysis();
  void ReportProgress(const std::string& kind, const std::string& message, int percent);

  // Requests.
  json Definition(const json& params);
  json Hover(const json& params);
  json DocumentSymbol(const json& params);
  json WorkspaceSymbol(const json& params);
  json PrepareCallHierarchy(const json& params);
  json IncomingCalls(const json& params);
  json OutgoingCalls(const json& params);
  json References(const json& params);
  void FileChanged(const std::string& uri, bool deleted);

  // Helpers over positions and rows.
  bool DocumentPath(const json& params, std::string& path);
  // The identifier under the position of params, and the decoded line it is on.
  std::string WordAt(const json& params, std::string& path, std::string* line_text = nullptr);
  json PositionOf(const std::string& path, std::uint32_t line1, std::uint32_t char_index);
  json RangeOfName(const std::string& path, long line1, const std::string& name);
  json RowLocation(const RowRef& row);
  // The column, in the negotiated encoding, of name on a 1-based line: at byte column hint of
  // the line as the analysis read it (CP932) when hint is given, else at its first whole
  // occurrence (0 when it is not on the line).
  std::size_t NameColumn(const std::string& path, std::uint32_t line1, std::string_view name,
                         std::size_t hint = std::string_view::npos);
  json NameRange(const std::string& path, std::uint32_t line1, std::string_view name,
                 std::size_t hint = std::string_view::npos);
  json CallItem(const FunctionCalls& def);
  std::vector<FunctionCalls> DefinitionsOfFile(const std::string& path, bool with_callees);
  bool Cancelled() const { return current_cancelled_.load() || stop_.load(); }

  Options options_;
  Send send_;
  std::mutex send_mutex_;

  // The worker's queue.
  std::mutex queue_mutex_;
  std::condition_variable queue_cv_;
  std::deque<std::string> queue_;
  bool queue_closed_ = false;

  // Cancellation: ids cancelled before they ran, and the running request's flag.
  std::mutex cancel_mutex_;
  std::set<std::string> cancelled_ids_;
  std::string current_id_;
  std::atomic<bool> current_cancelled_{false};

  std::atomic<bool> stop_{false};  // the client is gone or asked to exit
  std::atomic<bool> exit_requested_{false};
  bool exit_handled_ = false;  // the worker reached "exit": what was queued before is answered
  std::atomic<bool> progress_token_ready_{false};
  bool initialize_received_ = false;
  bool shutdown_ = false;
  bool analysed_ = false;

  // What the client said it supports.
  PositionEncoding encoding_ = PositionEncoding::kUtf16;
  bool client_progress_ = false;
  bool client_watch_registration_ = false;
  bool client_hierarchical_symbols_ = false;
  bool client_markdown_ = false;

  std::vector<std::string> roots_;
  std::string work_dir_;
  std::unique_ptr<Workspace> workspace_;
  std::unique_ptr<ServerUi> ui_;
  std::unique_ptr<FileTextCache> texts_;
  std::unique_ptr<RawLineCache> raw_lines_;
  std::unique_ptr<ReferenceSetup> setup_;
  std::unique_ptr<CallSites> calls_;  // once the analysis is done
  long progress_sequence_ = 0;
  // The answer of the running request as JSON text, when it wrote it so (long answers).
  std::optional<std::string> raw_result_;
};

// `kelvora-cli lsp [--settings FILE]`: the server over standard input and output.
int RunLspCommand(const std::vector<std::string>& args, std::FILE* err);

}  // namespace kelvora::lsp
