// The one rule for the ends of lines, and the splitter every reader of a text in memory uses.
//
// A line ends at its LF, and a CR right before that LF is dropped with it. A last line without
// an LF ends with the text and keeps all of its bytes, a final CR included. A CR anywhere else
// (a lone CR, "\r\r\n") is a byte of its line. The file readers (FileLineReader,
// StringLineSource) give the same lines.
//
// The splitter looks for the LF sixteen bytes at a time. A line scan can ride along: LineAt
// hands it every block and byte of the line as they are read (see NoLineScan for what a scan
// provides), so a per-line summary costs no second pass over the bytes.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/bytes.h"

namespace kelvora {

// The line that begins at begin and ends at end (the position of its LF, or the size of the
// text for a last line without one), by the rule above.
constexpr std::string_view LineBetween(std::string_view text, std::size_t begin, std::size_t end) {
  if (end < text.size() && end > begin && text[end - 1] == '\r') --end;
  return text.substr(begin, end - begin);
}

// A line scan that looks at nothing. A scan has the same three members:
//   Block(w, fresh, base)  the sixteen bytes w that begin at base (offsets count from the
//                          line's start); only the bytes whose bit is set in fresh belong to
//                          the line (bit 0: the first byte)
//   Byte(c, i)             the byte c at offset i
//   DropFinalCr(i)         the CR at offset i, already handed over, is no part of the line
struct NoLineScan {
#if defined(__SSE2__)
  void Block(__m128i, unsigned, std::size_t) {}
#endif
  void Byte(char, std::size_t) {}
  void DropFinalCr(std::size_t) {}
};

// The line that begins at pos (which must lie inside text), each of its bytes handed to scan;
// pos moves to where the next line begins (text.size() after the last one).
template <class Scan>
[[gnu::always_inline]] inline std::string_view LineAt(std::string_view text, std::size_t& pos,
                                                      Scan& scan) {
  const std::size_t begin = pos;
  const std::size_t n = text.size();
  std::size_t at = begin;
  std::size_t lf = std::string_view::npos;
#if defined(__SSE2__)
  const __m128i newline = _mm_set1_epi8('\n');
  for (; at + 16 <= n; at += 16) {
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
    const auto found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(w, newline)));
    if (found == 0) {
      scan.Block(w, 0xFFFFu, at - begin);
      continue;
    }
    const int bit = std::countr_zero(found);
    scan.Block(w, (1u << bit) - 1, at - begin);
    lf = at + static_cast<std::size_t>(bit);
    break;
  }
#endif
  if (lf == std::string_view::npos) {
    for (; at < n && text[at] != '\n'; ++at) scan.Byte(text[at], at - begin);
    if (at < n) lf = at;
  }
  if (lf == std::string_view::npos) {
    pos = n;
    return text.substr(begin);
  }
  pos = lf + 1;
  const std::string_view line = LineBetween(text, begin, lf);
  if (line.size() < lf - begin) scan.DropFinalCr(line.size());
  return line;
}

// The line that begins at pos, without a scan.
inline std::string_view LineAt(std::string_view text, std::size_t& pos) {
  const void* lf = std::memchr(text.data() + pos, '\n', text.size() - pos);
  const std::size_t end =
      lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - text.data()) : text.size();
  const std::string_view line = LineBetween(text, pos, end);
  pos = lf ? end + 1 : end;
  return line;
}

// Every line of text at once, appended to lines: the same lines LineAt gives one by one,
// found sixteen (or eight) bytes at a time with several line ends to a block.
inline void SplitLines(std::string_view text, std::vector<std::string_view>& lines) {
  const char* const p = text.data();
  const std::size_t n = text.size();
  std::size_t begin = 0;
  auto line_at = [&](std::size_t lf) {
    lines.push_back(LineBetween(text, begin, lf));
    begin = lf + 1;
  };
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i newline = _mm_set1_epi8('\n');
  for (; i + 16 <= n; i += 16) {
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    for (auto lf = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(w, newline))); lf != 0;
         lf &= lf - 1)
      line_at(i + static_cast<std::size_t>(std::countr_zero(lf)));
  }
#endif
  static_assert(std::endian::native == std::endian::little);
  for (; i + 8 <= n; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, p + i, 8);
    for (std::uint64_t lf = ZeroByteMask(w ^ (kByteOnes * '\n')); lf != 0; lf &= lf - 1)
      line_at(i + static_cast<std::size_t>(std::countr_zero(lf)) / 8);
  }
  for (; i < n; ++i) {
    if (p[i] == '\n') line_at(i);
  }
  if (begin < n) lines.push_back(text.substr(begin));
}

}  // namespace kelvora
