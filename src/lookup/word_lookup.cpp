#include "lookup/word_lookup.h"

#include <cstring>

#include "data/position.h"
#include "platform/bytes.h"
#include "platform/cp932.h"
#include "platform/file_names.h"
#include "platform/ui.h"

namespace kelvora {

namespace {

// Small letter of a double-byte character, or the character itself.
unsigned LowerPair(unsigned code) {
  if (code >= 0x8260 && code <= 0x8279) return code + 0x21;  // Ａ-Ｚ -> ａ-ｚ
  if (code >= 0x839F && code <= 0x83B6) return code + 0x20;  // Α-Ω -> α-ω
  if (code >= 0x8440 && code <= 0x8460) {                    // А-Я -> а-я (0x847F is no char)
    unsigned i = code - 0x8440;
    return i < 15 ? 0x8470 + i : 0x8480 + (i - 15);
  }
  return code;
}

// True when the name, lower-cased, holds the lower-cased word from byte at (a boundary) on.
bool MatchesFoldedAt(std::string_view name, std::size_t at, std::string_view word) {
  const std::size_t n = name.size();
  for (std::size_t j = 0; j < word.size();) {
    const std::size_t i = at + j;
    const unsigned char b = static_cast<unsigned char>(name[i]);
    if (IsCp932LeadByte(b) && i + 1 < n) {
      unsigned code = (unsigned{b} << 8) | static_cast<unsigned char>(name[i + 1]);
      if (b >= 0x82 && b <= 0x84) code = LowerPair(code);
      if (static_cast<unsigned char>(word[j]) != (code >> 8)) return false;
      if (j + 1 < word.size() && static_cast<unsigned char>(word[j + 1]) != (code & 0xFF))
        return false;
      j += 2;
    } else {
      if (static_cast<unsigned char>(word[j]) != FoldAscii(b)) return false;
      ++j;
    }
  }
  return true;
}

// ContainsAtCharBoundary on the name as it is, folding while it compares.
bool ContainsFolded(std::string_view name, std::string_view lowered_word) {
  const std::size_t n = name.size();
  const std::size_t m = lowered_word.size();
  if (m == 0) return true;
  const unsigned char first = static_cast<unsigned char>(lowered_word[0]);
  for (std::size_t i = 0; i + m <= n;) {
    const unsigned char b = static_cast<unsigned char>(name[i]);
    if (FoldAscii(b) == first && MatchesFoldedAt(name, i, lowered_word)) return true;
    i += IsCp932LeadByte(b) && i + 1 < n ? 2 : 1;
  }
  return false;
}

std::size_t CharLength(const char* p, std::size_t left) {
  return left >= 2 && IsCp932LeadByte(static_cast<unsigned char>(*p)) ? 2 : 1;
}

// Lower-cases n bytes from src into dst (which may be src itself).
void LowerBytes(const char* src, char* dst, std::size_t n) {
  for (std::size_t i = 0; i < n;) {
    const unsigned char b = static_cast<unsigned char>(src[i]);
    if (b < 0x80) {
      dst[i] = static_cast<char>(static_cast<unsigned>(b - 'A') < 26u ? b + ('a' - 'A') : b);
      ++i;
    } else if (IsCp932LeadByte(b) && i + 1 < n) {
      unsigned code = (unsigned{b} << 8) | static_cast<unsigned char>(src[i + 1]);
      if (b >= 0x82 && b <= 0x84) code = LowerPair(code);
      dst[i] = static_cast<char>(code >> 8);
      dst[i + 1] = static_cast<char>(code & 0xFF);
      i += 2;
    } else {
      dst[i] = static_cast<char>(b);
      ++i;
    }
  }
}

}  // namespace

void Cp932LowerInPlace(std::string& text) {
  LowerBytes(text.data(), text.data(), text.size());
}

std::string Cp932Lower(std::string_view text) {
  std::string out(text);
  Cp932LowerInPlace(out);
  return out;
}

bool ContainsAtCharBoundary(std::string_view name, std::string_view word) {
  if (word.empty()) return true;
  if (word.size() > name.size()) return false;
  const char* p = name.data();
  const std::size_t n = name.size();
  const char first = word[0];
  std::size_t boundary = 0;  // a character boundary at or before pos
  std::size_t pos = 0;
  while (pos + word.size() <= n) {
    const void* hit = std::memchr(p + pos, first, n - word.size() + 1 - pos);
    if (!hit) return false;
    pos = static_cast<std::size_t>(static_cast<const char*>(hit) - p);
    while (boundary < pos) boundary += CharLength(p + boundary, n - boundary);
    if (boundary == pos && std::memcmp(p + pos, word.data(), word.size()) == 0) return true;
    pos = boundary == pos ? pos + 1 : boundary;
  }
  return false;
}

std::vector<std::size_t> FindMatchingRows(const RegistrationList& list, std::string_view word) {
  std::string lowered_word = Cp932Lower(word);
  std::vector<std::size_t> rows;
  std::string scratch;
  const std::size_t count = list.RowCount();
  const bool file_names = list.kind() == ListKind::File;
  for (std::size_t r = 0; r < count; ++r) {
    std::string_view name = CellForReading(list, r, col::kName, scratch);
    // The word is CP932; a file name the file system holds as UTF-8 is compared in that form.
    if (file_names) name = scratch = NameToCp932(name);
    if (ContainsFolded(name, lowered_word)) rows.push_back(r);
  }
  return rows;
}

LoweredNames::LoweredNames(const RegistrationList& list) {
  const std::size_t count = list.RowCount();
  offsets_.reserve(count + 1);
  offsets_.push_back(0);
  std::string scratch;
  for (std::size_t r = 0; r < count; ++r) {
    std::string_view name = CellForReading(list, r, col::kName, scratch);
    if (list.kind() == ListKind::File) name = scratch = NameToCp932(name);
    const std::size_t at = bytes_.size();
    bytes_ += name;
    // Each name on its own: a lone lead byte at its end must not pair with the next name.
    LowerBytes(bytes_.data() + at, bytes_.data() + at, name.size());
    offsets_.push_back(bytes_.size());
  }
}

std::vector<std::size_t> LoweredNames::Find(std::string_view word) const {
  std::string lowered_word = Cp932Lower(word);
  std::vector<std::size_t> rows;
  for (std::size_t r = 0; r < size(); ++r) {
    if (ContainsAtCharBoundary(Name(r), lowered_word)) rows.push_back(r);
  }
  return rows;
}

OpenResult OpenRow(const RegisteredData& data, ListKind kind, std::size_t row,
                   const EditorLauncher& editor, Ui& ui) {
  const RegistrationList& list = data.List(kind);
  if (row >= list.RowCount()) return OpenResult::NoPosition;
  // A row is read as a reader reads a cell, at most 511 bytes.
  const std::string position = data.FullPositionOf(kind, list.CellText(row, col::kPosition));
  if (position.empty()) return OpenResult::NoPosition;
  return OpenPosition(editor, position, ui);
}

LookupOutcome LookupWord(const RegisteredData& data, ListKind kind, std::string_view word,
                         const MenuLayout& layout, MenuState& state, const EditorLauncher& editor,
                         Ui& ui, const LoweredNames* lowered) {
  LookupOutcome outcome;
  if (word.empty()) {
    ui.Message("検索Wordを入力して下さい！　");
    outcome.result = LookupResult::EmptyWord;
    return outcome;
  }
  const RegistrationList& list = data.List(kind);
  std::vector<std::size_t> rows = lowered && lowered->size() == list.RowCount()
                                      ? lowered->Find(word)
                                      : FindMatchingRows(list, word);
  if (rows.empty()) {
    ResetMenuState(state);
    ui.Message("見つかりませんでした！　");
    outcome.result = LookupResult::NoMatch;
    return outcome;
  }
  if (rows.size() == 1) {
    ResetMenuState(state);
    outcome.result = LookupResult::Jumped;
    outcome.open = OpenRow(data, kind, rows.front(), editor, ui);
    return outcome;
  }
  outcome.result = LookupResult::Menu;
  outcome.menu = BuildMatchMenu(list, rows, layout.comment_display);
  SetItemPositions(data, kind, rows, outcome.menu);
  state.count_text = outcome.menu.count_text;
  return outcome;
}

}  // namespace kelvora
