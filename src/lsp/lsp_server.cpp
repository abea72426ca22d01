#include "lsp/lsp_server.h"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "analysis/analysis_passes.h"
#include "analysis/scan_scheduler.h"
#include "lsp/lsp_uri.h"
#include "lsp/server_ui.h"
#include "lsp/workspace.h"
#include "platform/files.h"

namespace kelvora::lsp {

namespace {

constexpr const char* kProgressToken = "kelvora/analysis";
constexpr const char* kProgressCreateId = "kelvora/progress";
constexpr const char* kRegisterId = "kelvora/watch";

std::string IdKey(const nlohmann::json& id) {
  return id.dump();
}

// A folder the server can read: empty, or why not.
std::string RootProblem(const std::string& path) {
  std::error_code ec;
  const auto st = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(st)) return "workspace folder does not exist: " + path;
  if (!std::filesystem::is_directory(st)) return "workspace folder is not a folder: " + path;
  DIR* dir = ::opendir(path.c_str());
  if (!dir) return "workspace folder cannot be read: " + path;
  ::closedir(dir);
  return {};
}

std::string NormalisedRoot(const std::string& path) {
  std::string text = std::filesystem::path(path).lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text == "/" ? std::string() : text;
}

}  // namespace

Server::Server(Options options, Send send) : options_(std::move(options)), send_(std::move(send)) {}

Server::~Server() {
  stop_ = true;
  if (!work_dir_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(work_dir_, ec);
  }
}

void Server::Log(const std::string& text, int type) {
  if (options_.log) std::fprintf(options_.log, "kelvora-lsp: %s\n", text.c_str());
  if (initialize_received_) Notify("window/logMessage", {{"type", type}, {"message", text}});
}

void Server::Reply(const json& id, json result) {
  json message = {{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}};
  std::lock_guard lock(send_mutex_);
  send_(message.dump(-1, ' ', false, json::error_handler_t::replace));
}

void Server::ReplyError(const json& id, int code, const std::string& text) {
  json message = {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", text}}}};
  std::lock_guard lock(send_mutex_);
  send_(message.dump(-1, ' ', false, json::error_handler_t::replace));
}

void Server::Notify(const std::string& method, json params) {
  json message = {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
  std::lock_guard lock(send_mutex_);
  send_(message.dump(-1, ' ', false, json::error_handler_t::replace));
}

void Server::SendRequest(const std::string& id, const std::string& method, json params) {
  json message = {
      {"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}};
  std::lock_guard lock(send_mutex_);
  send_(message.dump(-1, ' ', false, json::error_handler_t::replace));
}

bool Server::TakeAtOnce(const std::string& body) {
  const json message = json::parse(body, nullptr, false);
  if (!message.is_object()) return false;
  const auto method = message.find("method");
  if (method == message.end()) {
    // An answer to one of the server's requests.
    const auto id = message.find("id");
    if (id != message.end() && id->is_string() && *id == kProgressCreateId)
      progress_token_ready_ = !message.contains("error");
    return message.contains("id") && (message.contains("result") || message.contains("error"));
  }
  if (*method == "$/cancelRequest") {
    const auto params = message.find("params");
    if (params == message.end() || !params->is_object() || !params->contains("id")) return true;
    const std::string key = IdKey((*params)["id"]);
    std::lock_guard lock(cancel_mutex_);
    if (key == current_id_)
      current_cancelled_ = true;
    else if (cancelled_ids_.size() < 10000)
      cancelled_ids_.insert(key);
    return true;
  }
  if (*method == "exit") {
    exit_requested_ = true;
    stop_ = true;
  }
  return false;
}

int Server::Run(MessageReader& reader) {
  std::thread worker([this] {
    for (;;) {
      std::string body;
      {
        std::unique_lock lock(queue_mutex_);
        queue_cv_.wait(lock, [this] { return !queue_.empty() || queue_closed_; });
        if (queue_.empty()) return;
        body = std::move(queue_.front());
        queue_.pop_front();
      }
      Handle(body);
      if (exit_handled_) return;
    }
  });
  std::string body;
  for (;;) {
    const MessageReader::Status status = reader.Next(body);
    if (status == MessageReader::Status::kEnd) break;
    if (status == MessageReader::Status::kBadHeader) {
      if (options_.log)
        std::fprintf(options_.log, "kelvora-lsp: skipped a header: %s\n", body.c_str());
      continue;
    }
    if (TakeAtOnce(body)) continue;
    {
      std::lock_guard lock(queue_mutex_);
      queue_.push_back(std::move(body));
    }
    queue_cv_.notify_one();
    if (exit_requested_) break;
  }
  // The end of the input or "exit": whatever runs stops, the queue is answered no more.
  stop_ = true;
  {
    std::lock_guard lock(queue_mutex_);
    if (!exit_requested_) queue_.clear();
    queue_closed_ = true;
  }
  queue_cv_.notify_one();
  worker.join();
  if (!exit_requested_ && options_.log)
    std::fprintf(options_.log, "kelvora-lsp: the input ended; exiting\n");
  return exit_status();
}

void Server::Handle(const std::string& body) {
  const json message = json::parse(body, nullptr, false);
  if (message.is_discarded()) {
    if (options_.log)
      std::fprintf(options_.log, "kelvora-lsp: a message that is not JSON (%zu bytes)\n",
                   body.size());
    ReplyError(nullptr, error_code::kParseError, "Parse error: the message is not JSON");
    return;
  }
  try {
    Dispatch(message);
  } catch (const std::exception& e) {
    const auto id = message.is_object() ? message.find("id") : message.end();
    if (options_.log) std::fprintf(options_.log, "kelvora-lsp: %s\n", e.what());
    if (message.is_object() && id != message.end() && message.contains("method"))
      ReplyError(*id, error_code::kInternalError, e.what());
  }
}

void Server::Dispatch(const json& message) {
  if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
    // Answers to the server's own requests need nothing more.
    if (message.is_object() && message.contains("id") &&
        (message.contains("result") || message.contains("error")))
      return;
    ReplyError(message.is_object() && message.contains("id") ? message["id"] : json(nullptr),
               error_code::kInvalidRequest, "Invalid request: no method");
    return;
  }
  const std::string method = message["method"];
  const bool is_request = message.contains("id");
  const json id = is_request ? message["id"] : json(nullptr);
  if (is_request && !id.is_string() && !id.is_number_integer()) {
    ReplyError(nullptr, error_code::kInvalidRequest, "Invalid request: bad id");
    return;
  }
  const json params = message.contains("params") ? message["params"] : json::object();

  if (method == "exit") {
    exit_requested_ = true;
    exit_handled_ = true;
    stop_ = true;
    return;
  }
  if (!is_request) {
    if (method == "initialized") {
      if (initialize_received_) Initialized();
    } else if (!initialize_received_ || shutdown_) {
      // Notifications before initialize and after shutdown are dropped.
    } else if (method == "textDocument/didSave") {
      if (params.contains("textDocument") && params["textDocument"].contains("uri"))
        FileChanged(params["textDocument"]["uri"].get<std::string>(), false);
    } else if (method == "workspace/didChangeWatchedFiles") {
      if (params.contains("changes") && params["changes"].is_array())
        for (const json& change : params["changes"])
          if (change.is_object() && change.contains("uri") && change["uri"].is_string())
            FileChanged(change["uri"], change.value("type", 2) == 3);
    }
    // didOpen, didChange, didClose and the rest: accepted; the saved files are what counts.
    return;
  }

  {
    std::lock_guard lock(cancel_mutex_);
    current_id_ = IdKey(id);
    current_cancelled_ = cancelled_ids_.erase(current_id_) > 0;
  }
  struct ClearCurrent {
    Server* s;
    ~ClearCurrent() {
      std::lock_guard lock(s->cancel_mutex_);
      s->current_id_.clear();
      s->current_cancelled_ = false;
    }
  } clear{this};
  if (current_cancelled_) {
    ReplyError(id, error_code::kRequestCancelled, "Request cancelled");
    return;
  }

  if (method == "initialize") {
    if (initialize_received_) {
      ReplyError(id, error_code::kInvalidRequest, "initialize was already received");
      return;
    }
    std::string error;
    json result = Initialize(params, error);
    if (!error.empty()) {
      if (options_.log) std::fprintf(options_.log, "kelvora-lsp: %s\n", error.c_str());
      ReplyError(id, error_code::kInvalidParams, error);
      return;
    }
    initialize_received_ = true;
    Reply(id, std::move(result));
    return;
  }
  if (!initialize_received_) {
    ReplyError(id, error_code::kServerNotInitialized, "Server not initialized");
    return;
  }
  if (shutdown_) {
    ReplyError(id, error_code::kInvalidRequest, "the server is shut down");
    return;
  }
  if (method == "shutdown") {
    shutdown_ = true;
    Reply(id, nullptr);
    return;
  }

  using Handler = json (Server::*)(const json&);
  static const std::pair<const char*, Handler> kHandlers[] = {
      {"textDocument/definition", &Server::Definition},
      {"textDocument/hover", &Server::Hover},
      {"textDocument/documentSymbol", &Server::DocumentSymbol},
      {"workspace/symbol", &Server::WorkspaceSymbol},
      {"textDocument/prepareCallHierarchy", &Server::PrepareCallHierarchy},
      {"callHierarchy/incomingCalls", &Server::IncomingCalls},
      {"callHierarchy/outgoingCalls", &Server::OutgoingCalls},
      {"textDocument/references", &Server::References},
  };
  for (const auto& [name, handler] : kHandlers) {
    if (method != name) continue;
    if (!params.is_object()) {
      ReplyError(id, error_code::kInvalidParams, "params must be an object");
      return;
    }
    StartAnalysis();
    raw_result_.reset();
    json result = (this->*handler)(params);
    if (Cancelled()) {
      ReplyError(id, error_code::kRequestCancelled, "Request cancelled");
    } else if (raw_result_) {
      // A long answer written as text by its request.
      std::string message = R"({"jsonrpc":"2.0","id":)";
      message += id.dump(-1, ' ', false, json::error_handler_t::replace);
      message += R"(,"result":)";
      message += *raw_result_;
      message += '}';
      raw_result_.reset();
      std::lock_guard lock(send_mutex_);
      send_(message);
    } else {
      Reply(id, std::move(result));
    }
    return;
  }
  ReplyError(id, error_code::kMethodNotFound, "Method not found: " + method);
}

Server::json Server::Initialize(const json& params, std::string& error) {
  if (!params.is_object()) {
    error = "initialize needs params";
    return nullptr;
  }
  const json caps = params.value("capabilities", json::object());
  auto at = [](const json& j, std::initializer_list<const char*> keys) -> json {
    const json* p = &j;
    for (const char* k : keys) {
      if (!p->is_object() || !p->contains(k)) return nullptr;
      p = &(*p)[k];
    }
    return *p;
  };
  // The client's first supported choice; UTF-16 unless it offers another.
  const json offered = at(caps, {"general", "positionEncodings"});
  if (offered.is_array())
    for (const json& e : offered) {
      if (e == "utf-8")
        encoding_ = PositionEncoding::kUtf8;
      else if (e == "utf-32")
        encoding_ = PositionEncoding::kUtf32;
      else if (e == "utf-16")
        encoding_ = PositionEncoding::kUtf16;
      else
        continue;
      break;
    }
  client_progress_ = at(caps, {"window", "workDoneProgress"}) == true;
  client_watch_registration_ =
      at(caps, {"workspace", "didChangeWatchedFiles", "dynamicRegistration"}) == true;
  client_hierarchical_symbols_ =
      at(caps, {"textDocument", "documentSymbol", "hierarchicalDocumentSymbolSupport"}) == true;
  const json formats = at(caps, {"textDocument", "hover", "contentFormat"});
  client_markdown_ = formats.is_array() && !formats.empty() && formats[0] == "markdown";

  // The workspace folders, else the root URI, else the root path.
  std::vector<std::string> uris;
  if (params.contains("workspaceFolders") && params["workspaceFolders"].is_array())
    for (const json& f : params["workspaceFolders"])
      if (f.is_object() && f.contains("uri") && f["uri"].is_string()) uris.push_back(f["uri"]);
  if (uris.empty() && params.contains("rootUri") && params["rootUri"].is_string())
    uris.push_back(params["rootUri"]);
  for (const std::string& uri : uris) {
    const std::optional<std::string> path = UriToPath(uri);
    if (!path) {
      error = "workspace folder is no file URI: " + uri;
      return nullptr;
    }
    roots_.push_back(*path);
  }
  if (roots_.empty() && params.contains("rootPath") && params["rootPath"].is_string())
    roots_.push_back(params["rootPath"]);
  for (std::string& root : roots_) {
    error = RootProblem(root);
    if (!error.empty()) return nullptr;
    root = NormalisedRoot(root);
  }

  std::string settings_file = options_.settings_file;
  const json init = params.value("initializationOptions", json::object());
  if (init.is_object() && init.contains("settingsFile") && init["settingsFile"].is_string())
    settings_file = init["settingsFile"];
  char pattern[] = "/tmp/kelvora-lsp-XXXXXX";
  const char* tmp = std::getenv("TMPDIR");
  std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/kelvora-lsp-XXXXXX";
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  if (!::mkdtemp(buf.data()) && !::mkdtemp(pattern)) {
    error = "cannot make a work folder";
    return nullptr;
  }
  work_dir_ = buf[0] ? buf.data() : pattern;
  workspace_ = std::make_unique<Workspace>(work_dir_);
  if (!workspace_->LoadSettings(settings_file, error)) return nullptr;
  texts_ = std::make_unique<FileTextCache>(workspace_->char_change(), 16);
  raw_lines_ = std::make_unique<RawLineCache>();
  setup_ =
      std::make_unique<ReferenceSetup>(ReferenceSetup{workspace_->regex(), workspace_->settings()});
  ui_ = std::make_unique<ServerUi>(
      [this](std::string_view text, MsgIcon icon) {
        Log(std::string(text), icon == MsgIcon::Error ? 1 : icon == MsgIcon::Warning ? 2 : 3);
      },
      [this](int percent) { ReportProgress("report", "", percent); }, stop_);

  json sync = {{"openClose", true}, {"change", 0}, {"save", {{"includeText", false}}}};
  json capabilities = {
      {"positionEncoding", EncodingLabel(encoding_)},
      {"textDocumentSync", sync},
      {"definitionProvider", true},
      {"hoverProvider", true},
      {"documentSymbolProvider", true},
      {"workspaceSymbolProvider", true},
      {"callHierarchyProvider", true},
      {"referencesProvider", true},
      {"workspace", {{"workspaceFolders", {{"supported", false}}}}},
  };
  return {{"capabilities", capabilities},
          {"serverInfo", {{"name", "kelvora"}, {"version", "0.2.0"}}}};
}

void Server::Initialized() {
  if (client_watch_registration_) {
    std::string extensions;
    for (const std::string* list :
         {&workspace_->settings().ext_src, &workspace_->settings().ext_header}) {
      std::size_t start = 0;
      while (start < list->size()) {
        std::size_t end = list->find(';', start);
        if (end == std::string::npos) end = list->size();
        std::string item = list->substr(start, end - start);
        if (item.starts_with("*.")) {
          if (!extensions.empty()) extensions += ',';
          extensions += item.substr(2);
        }
        start = end + 1;
      }
    }
    json watcher = {{"globPattern", "**/*.{" + extensions + "}"}};
    SendRequest(kRegisterId, "client/registerCapability",
                {{"registrations",
                  json::array({{{"id", "kelvora-watch"},
                                {"method", "workspace/didChangeWatchedFiles"},
                                {"registerOptions", {{"watchers", json::array({watcher})}}}}})}});
  }
  StartAnalysis();
}

void Server::ReportProgress(const std::string& kind, const std::string& message, int percent) {
  if (!client_progress_ || !progress_token_ready_) {
    if (kind == "begin" && options_.log)
      std::fprintf(options_.log, "kelvora-lsp: %s\n", message.c_str());
    if (kind == "begin") Notify("window/logMessage", {{"type", 3}, {"message", message}});
    return;
  }
  json value = {{"kind", kind}};
  if (kind == "begin") value["title"] = "Kelvora";
  if (!message.empty()) value["message"] = message;
  if (kind != "end") value["percentage"] = percent;
  Notify("$/progress", {{"token", kProgressToken}, {"value", value}});
}

void Server::StartAnalysis() {
  if (analysed_ || !workspace_) return;
  analysed_ = true;
  if (client_progress_) {
    SendRequest(kProgressCreateId, "window/workDoneProgress/create", {{"token", kProgressToken}});
    // The token may be used once the client has answered.
    for (int i = 0; i < 200 && !progress_token_ready_ && !stop_; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const auto started = std::chrono::steady_clock::now();
  std::string folders;
  for (const std::string& r : roots_) folders += (folders.empty() ? "" : ", ") + r;
  ReportProgress("begin", "analysing " + folders, 0);
  const bool done = !roots_.empty() && workspace_->Analyse(roots_, *ui_);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  char text[256];
  std::snprintf(text, sizeof text, "%s: %zu files, %zu rows in %.1f s",
                done ? "analysed" : "analysis ended", workspace_->FileCount(),
                workspace_->RowCount(), seconds);
  ReportProgress("end", text, 100);
  Log(text);
  if (options_.log)
    std::fprintf(options_.log, "kelvora-lsp: lookup indexes built in %.2f s; call index %zu MB\n",
                 workspace_->index_seconds(), workspace_->calls().bytes() >> 20);
  calls_ = std::make_unique<CallSites>(workspace_->calls());
  // What the analysis freed (its per-file scans, sort buffers) goes back to the system.
  ReturnFreedMemory();
}

void Server::FileChanged(const std::string& uri, bool deleted) {
  const std::optional<std::string> path = UriToPath(uri);
  if (!path || !workspace_) return;
  StartAnalysis();
  const auto started = std::chrono::steady_clock::now();
  texts_->Forget(*path);
  raw_lines_->Forget(*path);
  std::unique_ptr<CallIndex> calls;
  if (!workspace_->ReanalyseFile(*path, *ui_, calls)) return;
  if (deleted) calls.reset();
  if (calls_) calls_->Replace(*path, std::move(calls));
  char text[64];
  std::snprintf(
      text, sizeof text, " analysed again in %.0f ms",
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
          .count());
  Log(*path + text);
}

int RunLspCommand(const std::vector<std::string>& args, std::FILE* err) {
  Server::Options options;
  options.log = err;
  // A client that goes away shows as a failed write and then the end of the input.
  std::signal(SIGPIPE, SIG_IGN);
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--settings" && i + 1 < args.size()) {
      options.settings_file = args[++i];
    } else if (args[i].rfind("--settings=", 0) == 0) {
      options.settings_file = args[i].substr(11);
    } else if (args[i] == "--stdio") {
      // What some clients add; standard input and output are the only channel anyway.
    } else {
      std::fprintf(err, "kelvora-cli lsp: unknown argument: %s\n", args[i].c_str());
      return 2;
    }
  }
  Server server(options, [](const std::string& body) {
    const std::string framed = Frame(body);
    std::size_t done = 0;
    while (done < framed.size()) {
      const ssize_t n = ::write(STDOUT_FILENO, framed.data() + done, framed.size() - done);
      if (n <= 0) {
        if (n < 0 && errno == EINTR) continue;
        return;  // the client is gone; reading ends next
      }
      done += static_cast<std::size_t>(n);
    }
  });
  MessageReader reader([](char* buf, std::size_t n) -> std::size_t {
    for (;;) {
      const ssize_t got = ::read(STDIN_FILENO, buf, n);
      if (got >= 0) return static_cast<std::size_t>(got);
      if (errno != EINTR) return 0;
    }
  });
  return server.Run(reader);
}

}  // namespace kelvora::lsp
