// Reads a byte stream line by line: LF ends a line, a CR before it is dropped, no length limit,
// NUL bytes and invalid CP932 bytes are kept.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace kelvora {

// A source of lines; scanners take one so tests can feed them text from a string.
class LineSource {
 public:
  virtual ~LineSource() = default;
  // Reads the next line without its terminator into line; false at the end or on an error.
  virtual bool ReadLine(std::string& line) = 0;
  // The next line as a view that stays valid until the next call: into the source's own text
  // where it has one, else into buffer. A caller that passes two buffers by turns keeps the
  // previous line valid too (the source's own text never moves while it lives). False at the
  // end or on an error.
  virtual bool NextLine(std::string_view& line, std::string& buffer) {
    const bool ok = ReadLine(buffer);
    line = ok ? std::string_view(buffer) : std::string_view();
    return ok;
  }
  // True when reading stopped because of an error, not at the end of the text.
  virtual bool failed() const { return false; }
};

// Lines of a file, read through a large buffer.
class FileLineReader : public LineSource {
 public:
  FileLineReader() = default;
  ~FileLineReader() override;
  FileLineReader(const FileLineReader&) = delete;
  FileLineReader& operator=(const FileLineReader&) = delete;

  // Opens a regular file of at most limit bytes by its path bytes, never blocking
  // (OpenInputFile); false when it cannot be opened (errno and why() tell why).
  bool Open(const std::string& path, std::uint64_t limit = kUnlimitedInput);
  const std::string& why() const { return why_; }
  bool is_open() const { return fd_ >= 0; }
  void Close();
  // Starts again from the first line.
  bool Rewind();
  bool ReadLine(std::string& line) override;
  // True when a read failed after opening: ReadLine returned false for that reason, and the
  // lines before it are all the file gave. errno of the failed read is in error().
  bool failed() const override { return failed_; }
  int error() const { return error_; }

  static constexpr std::size_t kBufferSize = std::size_t{256} * 1024;

 private:
  bool Fill();
  int fd_ = -1;
  bool failed_ = false;
  int error_ = 0;
  std::string why_;
  std::unique_ptr<char[]> buf_;
  std::size_t begin_ = 0, end_ = 0;
  bool eof_ = false;
};

// Lines of a text held in memory.
class StringLineSource : public LineSource {
 public:
  explicit StringLineSource(std::string text) : text_(std::move(text)) {}
  bool ReadLine(std::string& line) override;

 private:
  std::string text_;
  std::size_t pos_ = 0;
};

}  // namespace kelvora
