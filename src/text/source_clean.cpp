#include "text/source_clean.h"

#include <cstring>

#include "platform/bytes.h"
#include "platform/cp932.h"
#include "text/line_matchers.h"

namespace kelvora {
namespace {

constexpr std::size_t kCleanLimit = 2048;
constexpr std::size_t kMacroItemLimit = 512;

void EraseSpan(std::string& text, const MatchSpan& span) {
  text.erase(span.pos, span.len);
}

}  // namespace

std::vector<std::string> SplitMacroItems(std::string_view text) {
  std::vector<std::string> items;
  std::size_t i = 0;
  while (i <= text.size()) {
    std::size_t comma = text.find(',', i);
    if (comma == std::string_view::npos) comma = text.size();
    std::string_view item = text.substr(i, comma - i);
    while (!item.empty() && IsBlankOrTab(item.front())) item.remove_prefix(1);
    if (item.size() >= kMacroItemLimit) break;
    if (!item.empty()) items.emplace_back(item);
    i = comma + 1;
  }
  return items;
}

MacroList::MacroList(std::string_view text) : text_(text), items_(SplitMacroItems(text)) {}

bool MacroList::Contains(std::string_view item) const {
  for (const auto& m : items_) {
    if (m == item) return true;
  }
  return false;
}

CleaningPatterns::CleaningPatterns(const RegexService& regex) : regex_(&regex) {
  ok_ = regex.Compile(R"(\".+?\")", literal) && regex.Compile(R"(/\*.*?\*/)", block_comment) &&
        regex.Compile(R"(//.+$)", line_comment) && regex.Compile(R"(/\*.*$)", open_comment) &&
        regex.Compile(R"(^.*\*/)", close_comment) &&
        regex.Compile(fixed_pattern::kComment, comment) && regex.Compile("#if(n)?(def)?", pp_if) &&
        regex.Compile("#else", pp_else) && regex.Compile("#endif", pp_endif) &&
        regex.Compile("#elif", pp_elif);
}

std::size_t EraseAll(std::string& text, std::string_view what) {
  const std::size_t size = text.size();
  if (what.empty()) return size;
  char* const p = text.data();
  std::size_t boundary = 0;  // a character boundary at or before every position looked at
  std::size_t copied = 0;    // the bytes before it are done
  std::size_t kept = 0;      // the bytes kept so far, moved to the front
  for (std::size_t at = text.find(what); at != std::string::npos;) {
    while (boundary < at) {
      // Characters as the engine reads them: a lead byte counts with its next byte only when
      // that byte can end a double-byte character.
      boundary += IsCp932LeadByte(static_cast<unsigned char>(p[boundary])) && boundary + 1 < size &&
                          IsCp932TrailByte(static_cast<unsigned char>(p[boundary + 1]))
                      ? 2
                      : 1;
    }
    if (boundary == at) {
      // Only bytes before at are written, and the search goes on after it.
      std::memmove(p + kept, p + copied, at - copied);
      kept += at - copied;
      copied = boundary = at + what.size();
      at = text.find(what, copied);
    } else {
      at = text.find(what, at + 1);
    }
  }
  std::memmove(p + kept, p + copied, size - copied);
  text.resize(kept + size - copied);
  return size - text.size();
}

bool RemoveAllMatches(std::string& text, const Regex& re, std::string* collected,
                      std::string_view sep) {
  bool removed = false;
  MatchSpan span;
  std::string what;  // a copy: the text it came from is rewritten
  while (re.Search(text, span) && span.len > 0) {
    what.assign(text, span.pos, span.len);
    if (collected) collected->append(what).append(sep);
    // Bytes that are not valid CP932 (UTF-8 text, say) can make the engine match at a place the
    // character walk never reaches; remove that match itself so the loop ends.
    if (EraseAll(text, what) == 0) text.erase(span.pos, span.len);
    removed = true;
  }
  return removed;
}

bool CleanLine(std::string_view line, CommentState& comments, const CleaningPatterns& pats,
               std::string& cleaned) {
  cleaned.assign(line.substr(0, Cp932SafeCut(line, kCleanLimit)));
  // Inside a block comment everything up to its first "*/" is comment text: a "//" or a "/*"
  // there (a URL, a commented-out line) neither ends nor reopens it.
  if (comments.in_block) {
    const std::size_t end = cleaned.find("*/");
    if (end == std::string::npos) return false;
    cleaned.erase(0, end + 2);
    comments.in_block = false;
  }
  // Each step needs its marker bytes, looked for in the text as the earlier steps left it; a
  // line without them keeps its text and the comment state.
  std::size_t quote = cleaned.find('"');
  if (quote != std::string::npos && cleaned.find('"', quote + 1) != std::string::npos)
    RemoveAllMatches(cleaned, pats.literal);
  if (cleaned.find("/*") != std::string::npos && RemoveAllMatches(cleaned, pats.block_comment))
    comments.in_block = false;
  if (cleaned.find("//") != std::string::npos && RemoveAllMatches(cleaned, pats.line_comment))
    comments.in_block = false;
  MatchSpan span;
  if (cleaned.find("/*") != std::string::npos && pats.open_comment.Search(cleaned, span)) {
    EraseSpan(cleaned, span);
    comments.in_block = true;
  }
  if (cleaned.find("*/") != std::string::npos && pats.close_comment.Search(cleaned, span)) {
    EraseSpan(cleaned, span);
    comments.in_block = false;
  } else if (comments.in_block) {
    return false;
  }
  return true;
}

std::string ConvertEucToSjis(std::string_view line) {
  std::string out;
  out.reserve(line.size());
  std::size_t i = 0;
  while (i < line.size()) {
    unsigned char b = static_cast<unsigned char>(line[i]);
    bool has_next = i + 1 < line.size();
    const unsigned char next = has_next ? static_cast<unsigned char>(line[i + 1]) : 0;
    // Half-width katakana: the second byte (0xA1..0xDF) is the character.
    if (b == 0x8E && next >= 0xA1 && next <= 0xDF) {
      out += line[i + 1];
      i += 2;
      continue;
    }
    if (b >= 0xA1 && b <= 0xFE && has_next) {
      unsigned c1 = b - 0x80u;
      unsigned c2 = static_cast<unsigned char>(line[i + 1]) - 0x80u;
      if (c1 >= 0x21 && c1 <= 0x7E && c2 >= 0x21 && c2 <= 0x7E) {
        unsigned s1 = (c1 + 1) / 2 + (c1 <= 0x5E ? 0x70 : 0xB0);
        unsigned s2 = c2 + 0x7E;
        if (c1 & 1) {
          s2 = c2 + 0x1F;
          if (s2 >= 0x7F) ++s2;
        }
        out += static_cast<char>(s1);
        out += static_cast<char>(s2);
        i += 2;
        continue;
      }
    }
    // Not a valid pair: the byte is kept and the next one is looked at on its own.
    out += line[i];
    ++i;
  }
  return out;
}

}  // namespace kelvora
