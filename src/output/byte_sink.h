// Where the output writers put their bytes: a string in memory or a file created anew.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace kelvora {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void Write(std::string_view bytes) = 0;
  // One line of a text file: the bytes and CR LF.
  void Line(std::string_view bytes) {
    Write(bytes);
    Write("\r\n");
  }
};

class StringSink : public ByteSink {
 public:
  void Write(std::string_view bytes) override { text_.append(bytes); }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// A file truncated on open, written through a large buffer.
class FileSink : public ByteSink {
 public:
  FileSink() = default;
  ~FileSink() override;
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  // Creates (or truncates) the file; false when it cannot be created.
  bool Open(const std::string& path);
  void Write(std::string_view bytes) override;
  // Writes what is buffered and closes; false when any write failed (disk full, ...).
  bool Close();

 private:
  void Flush();
  int fd_ = -1;
  bool failed_ = false;
  std::string buffer_;
};

}  // namespace kelvora
