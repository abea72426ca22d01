// Where the writers put their bytes: a string in memory, a stream, or an output file
// (platform/output_file.h); and the text rule of every written file: CP932 with CR LF.
#pragma once

#include <ostream>
#include <streambuf>
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

// The bytes go to a stream the caller holds.
class OstreamSink : public ByteSink {
 public:
  explicit OstreamSink(std::ostream& out) : out_(out) {}
  void Write(std::string_view bytes) override { out_.write(bytes.data(), std::ssize(bytes)); }

 private:
  std::ostream& out_;
};

// A stream whose bytes go to a sink, for writers built on std::ostream.
class SinkStream : public std::ostream {
 public:
  explicit SinkStream(ByteSink& sink) : std::ostream(&buf_), buf_(sink) {}

 private:
  class Buf : public std::streambuf {
   public:
    explicit Buf(ByteSink& sink) : sink_(sink) {}

   protected:
    int_type overflow(int_type c) override {
      if (c != traits_type::eof()) {
        const char ch = traits_type::to_char_type(c);
        sink_.Write(std::string_view(&ch, 1));
      }
      return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
      sink_.Write(std::string_view(s, static_cast<std::size_t>(n)));
      return n;
    }

   private:
    ByteSink& sink_;
  };
  Buf buf_;
};

// Data bytes (CP932 names, comments, paths) with each "\n" written as CR LF.
void WriteCrLf(ByteSink& out, std::string_view bytes);
// Program text (UTF-8) converted to CP932, each "\n" written as CR LF.
void WriteCp932Text(ByteSink& out, std::string_view utf8);

}  // namespace kelvora
