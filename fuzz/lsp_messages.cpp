// The language server's message reader and request dispatch. Input: a first byte choosing
// whether the server is initialized first (odd: on a small tree with a Shift-JIS file), then the
// byte stream a client would send. Every message the server sends must be a JSON-RPC object, and
// every answer must carry an id or null.
#include <nlohmann/json.hpp>

#include <filesystem>

#include "fuzz_support.h"
#include "lsp/lsp_server.h"
#include "lsp/lsp_uri.h"

using namespace kelvora;

namespace {

std::string& TreeUri() {
  static std::string uri;
  return uri;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::string base =
      (std::filesystem::temp_directory_path() / ("kelvora-fuzz-lsp-" + std::to_string(::getpid())))
          .string();
  std::filesystem::create_directories(base + "/home");
  std::filesystem::create_directories(base + "/tree");
  ::setenv("KELVORA_HOME", (base + "/home").c_str(), 1);
  std::ofstream(base + "/tree/a.c", std::ios::binary)
      << "/* \x8C\x76\x8E\x5A */\nint f(int a)\n{\n\treturn g(a) + f(a - 1);\n}\n#define M 1\n";
  TreeUri() = lsp::PathToUri(base + "/tree");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool initialize = data[0] & 1;
  const std::string_view stream = fuzz::AsText(data + 1, size - 1);
  lsp::Server::Options options;
  options.log = nullptr;
  options.threads = 1;
  long sent = 0;
  lsp::Server server(options, [&sent](const std::string& body) {
    const nlohmann::json message = nlohmann::json::parse(body, nullptr, false);
    FUZZ_CHECK(message.is_object());
    FUZZ_CHECK(message.value("jsonrpc", "") == "2.0");
    FUZZ_CHECK(message.contains("method") || message.contains("id"));
    FUZZ_CHECK(!message.contains("error") || message["error"]["code"].is_number_integer());
    ++sent;
  });
  if (initialize) {
    const nlohmann::json init = {
        {"jsonrpc", "2.0"},
        {"id", 0},
        {"method", "initialize"},
        {"params", {{"rootUri", TreeUri()}, {"capabilities", nlohmann::json::object()}}}};
    server.Handle(init.dump());
    server.Handle(R"({"jsonrpc":"2.0","method":"initialized","params":{}})");
    FUZZ_CHECK(sent >= 1);
  }
  lsp::MessageReader reader = lsp::StringReader(stream);
  std::string body;
  for (int n = 0; n < 64; ++n) {
    const lsp::MessageReader::Status status = reader.Next(body);
    if (status == lsp::MessageReader::Status::kEnd) break;
    if (status != lsp::MessageReader::Status::kMessage) continue;
    // A client's initialize could name any folder: only the fixed tree is analysed.
    if (body.find("initialize") != std::string::npos && !initialize) continue;
    if (server.TakeAtOnce(body)) continue;
    server.Handle(body);
    if (server.exit_requested()) break;
  }
  return 0;
}
