// Text as the editor sees it: source files decoded to UTF-8 line by line, and columns counted in
// the negotiated position encoding over that decoded text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "text/encoding_detect.h"

namespace kelvora::lsp {

enum class PositionEncoding { kUtf8, kUtf16, kUtf32 };

// "utf-8", "utf-16", "utf-32".
std::string_view EncodingLabel(PositionEncoding encoding);

// Units of the encoding before byte offset `byte` of a UTF-8 line (a byte inside a character
// counts from that character's start; past the end, the whole line).
std::size_t ColumnOfByte(std::string_view utf8_line, std::size_t byte, PositionEncoding encoding);
// The byte offset where column `column` falls (inside a character: that character's start;
// past the end: the line's length).
std::size_t ByteOfColumn(std::string_view utf8_line, std::size_t column, PositionEncoding encoding);
// The byte offset of the character with index `index` (code points; past the end: the length).
std::size_t ByteOfCharIndex(std::string_view utf8_line, std::size_t index);
// The number of characters of CP932 text before byte offset `byte` (a double-byte character is
// one): the index of the same character in the text decoded from it.
std::size_t Cp932CharIndex(std::string_view cp932, std::size_t byte);

// The number of bytes the UTF-8 text takes in CP932 (one for ASCII and half-width katakana, two
// for every other character: what CP932 cannot hold is read as "〓").
std::size_t Cp932Length(std::string_view utf8);

// Byte offsets of the whole-identifier occurrences of name in CP932 text (the second byte of a
// double-byte character never starts or ends one).
std::vector<std::size_t> WordsCp932(std::string_view text, std::string_view name);

// CP932 text as UTF-8, every byte CP932 maps to nothing shown as "〓".
std::string Cp932ToUtf8Marked(std::string_view cp932);

// A source file as the editor shows it: each line decoded to UTF-8 (split as the analysis splits
// lines), and the encoding it was read as.
struct DecodedFile {
  bool opened = false;
  kelvora::SourceEncoding encoding = kelvora::SourceEncoding::Cp932;
  std::vector<std::string> lines;
  const std::string& Line(std::size_t zero_based) const;
};

// Decodes file bytes the way the analysis reads them with "CharChange" char_change: with 2 each
// file's own encoding (UTF-8 kept as it is, so characters CP932 cannot hold keep their width),
// with 1 EUC-JP, with 0 CP932.
DecodedFile DecodeBytes(std::string bytes, int char_change);
DecodedFile DecodeFile(const std::string& path, int char_change);

// The most recently used decoded files; thread-safe.
class FileTextCache {
 public:
  explicit FileTextCache(int char_change, std::size_t capacity = 64)
      : char_change_(char_change), capacity_(capacity) {}
  std::shared_ptr<const DecodedFile> Get(const std::string& path);
  void Forget(const std::string& path);
  int char_change() const { return char_change_; }

 private:
  int char_change_;
  std::size_t capacity_;
  std::mutex mutex_;
  std::list<std::string> order_;  // most recent first
  std::unordered_map<
      std::string, std::pair<std::shared_ptr<const DecodedFile>, std::list<std::string>::iterator>>
      files_;
};

// Files' bytes as stored, split into lines as the analysis splits them, for the few most recently
// read: a name on a line whose start is ASCII stands at the same column in every encoding, so it
// is placed without decoding the file. Thread-safe.
class RawLineCache {
 public:
  explicit RawLineCache(std::size_t capacity = 16) : capacity_(capacity) {}
  // The line (0-based) as stored; empty past the end or when the file cannot be read.
  std::string Line(const std::string& path, std::size_t zero_based);
  void Forget(const std::string& path);

 private:
  // A file read whole (not mapped: a file cut short meanwhile would end the server).
  struct File {
    std::string path;
    std::unique_ptr<char[]> data;  // not cleared before the read
    std::size_t size = 0;
    std::vector<std::uint32_t> starts;  // of the lines found so far, then where the next begins
  };
  std::size_t capacity_;
  std::mutex mutex_;
  std::list<File> files_;  // most recent first
};

// The first place at or after from where needle (not empty) stands in text, or npos: memmem,
// several times faster on the short words of symbol queries.
std::size_t FindBytes(std::string_view text, std::string_view needle, std::size_t from = 0);

// Identifier characters of C: A-Z, a-z, 0-9 and "_".
bool IsIdentChar(char c);
// The identifier that covers byte offset `byte` of a line (or ends just before it); empty when
// none. begin receives its offset.
std::string_view IdentifierAt(std::string_view line, std::size_t byte, std::size_t* begin);
// Byte offset of the first whole-identifier occurrence of name in line at or after from; npos
// when there is none.
std::size_t FindWord(std::string_view line, std::string_view name, std::size_t from = 0);

}  // namespace kelvora::lsp
