// The base protocol of the language server: messages framed by a "Content-Length" header on a
// byte stream, read and written.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kelvora::lsp {

// Bodies larger than this are refused as a bad header (their bytes are skipped as header lines).
inline constexpr std::size_t kMaxBodyBytes = std::size_t{256} << 20;

// Reads framed messages from a byte source.
class MessageReader {
 public:
  // read fills up to n bytes of buf and returns how many it gave; 0 at the end of the input.
  using ReadFn = std::function<std::size_t(char* buf, std::size_t n)>;
  explicit MessageReader(ReadFn read) : read_(std::move(read)) {}

  enum class Status {
    kMessage,    // body holds one message
    kBadHeader,  // a header block without a valid Content-Length was skipped (body: why)
    kEnd,        // the input ended (a message cut short included)
  };
  Status Next(std::string& body);

 private:
  bool Fill();
  // One header line without its CR LF (or LF); false at the end of the input.
  bool HeaderLine(std::string& line);

  ReadFn read_;
  std::string buf_;
  std::size_t pos_ = 0;
  bool eof_ = false;
};

// A reader over a text held in memory (tests and the fuzzer).
MessageReader StringReader(std::string_view text);

// "Content-Length: n\r\n\r\n" and the body.
std::string Frame(std::string_view body);

}  // namespace kelvora::lsp
