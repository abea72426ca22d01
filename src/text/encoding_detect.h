// Per-file source encodings: which encoding a file's bytes are in, and its text as CP932.
#pragma once

#include <string>
#include <string_view>

#include "platform/line_reader.h"

namespace kelvora {

// "CharChange" (section "Analysis"): 0 no conversion, 1 every line from EUC-JP, 2 each file's
// encoding detected and its text converted to CP932 before any line is read.
inline constexpr int kCharChangeNone = 0;
inline constexpr int kCharChangeEuc = 1;
inline constexpr int kCharChangeDetect = 2;

enum class SourceEncoding {
  Ascii,    // only bytes below 0x80
  Cp932,    // Shift-JIS with the Windows extensions
  EucJp,    // EUC-JP
  Utf8,     // UTF-8 without a byte-order mark
  Utf8Bom,  // UTF-8 starting with EF BB BF (the mark is dropped)
  Unknown,  // valid in none of them: the bytes are kept as they are, as CP932
};

// "ASCII", "CP932", "EUC-JP", "UTF-8", "UTF-8 BOM", "unknown".
std::string_view EncodingName(SourceEncoding encoding);

// Strict structural tests: every byte belongs to a well-formed character of the encoding.
bool IsValidCp932(std::string_view bytes);
bool IsValidEucJp(std::string_view bytes);

// Decides a file's encoding from all its bytes, in this order: a UTF-8 byte-order mark; only
// ASCII; valid UTF-8; valid EUC-JP and not CP932; valid CP932 and not EUC-JP. A file valid in
// both EUC-JP and CP932 is EUC-JP when its CP932 reading holds a double-byte character, or only
// half-width katakana of which at least a quarter are "｡｢｣､･" (0xA1..0xA5, the lead bytes of
// EUC-JP's symbol, hiragana and katakana rows); else CP932. Nothing valid: Unknown.
SourceEncoding DetectEncoding(std::string_view bytes);

// A file's text as the analysis reads it.
struct SourceText {
  std::string text;
  SourceEncoding encoding = SourceEncoding::Cp932;
  long replaced = 0;  // characters CP932 cannot hold, written as "〓"
};

// The read step of every pass that honours "CharChange": with 2 the encoding is detected and
// EUC-JP (as value 1 converts it) and UTF-8 text are converted to CP932, a character CP932 cannot
// hold becoming "〓" (counted); with 0 and 1 the bytes are kept (value 1 converts line by line
// later) and the encoding reported is the one the setting reads them as.
SourceText DecodeSourceText(std::string bytes, int char_change);

// One line of a file whose encoding is known, as DecodeSourceText converts it (a byte-order mark
// at the line's start dropped); *replaced grows by the characters written as "〓". For readers
// that decide the encoding from the start of a file and then convert line by line.
std::string LineToCp932(std::string_view line, SourceEncoding encoding, long* replaced);

// Lines of a source file as DecodeSourceText gives them. With 0 and 1 the file is streamed as
// FileLineReader reads it; with 2 it is read whole, decoded, and served from memory.
class SourceFileReader : public LineSource {
 public:
  explicit SourceFileReader(int char_change) : char_change_(char_change) {}
  // Opens and, with 2, reads and decodes the file; false when it cannot be opened.
  bool Open(const std::string& path);
  bool is_open() const { return open_; }
  void Close();
  bool Rewind();
  bool ReadLine(std::string& line) override;
  bool failed() const override { return failed_; }
  int error() const { return error_; }
  SourceEncoding encoding() const { return encoding_; }
  long replaced() const { return replaced_; }

 private:
  int char_change_;
  bool open_ = false;
  bool failed_ = false;
  int error_ = 0;
  FileLineReader file_;
  std::string text_;
  std::size_t pos_ = 0;
  SourceEncoding encoding_ = SourceEncoding::Cp932;
  long replaced_ = 0;
};

}  // namespace kelvora
