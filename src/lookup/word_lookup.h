// Word lookup in a registration list: CP932 case-insensitive partial match, jump or match menu.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "data/registration_lists.h"
#include "lookup/menu_model.h"
#include "lookup/menu_state.h"
#include "platform/editor_launch.h"

namespace kelvora {

class Ui;

// Lower-cases CP932 text character by character: ASCII A-Z, full-width Ａ-Ｚ, Greek Α-Ω and
// Cyrillic А-Я map to their small letters; every other byte or pair stays. The length is kept.
void Cp932LowerInPlace(std::string& text);
std::string Cp932Lower(std::string_view text);

// True when word occurs in name at a character boundary (never from the second byte of a
// double-byte character). Both must be lower-cased already; an empty word matches.
bool ContainsAtCharBoundary(std::string_view name, std::string_view word);

// Rows (in list order) whose name contains the word without regard to case.
std::vector<std::size_t> FindMatchingRows(const RegistrationList& list, std::string_view word);

// The names of a list lower-cased once, for repeated lookups over the same rows. Rebuild it
// whenever the list changes.
class LoweredNames {
 public:
  explicit LoweredNames(const RegistrationList& list);
  std::size_t size() const { return offsets_.empty() ? 0 : offsets_.size() - 1; }
  std::string_view Name(std::size_t row) const {
    return std::string_view(bytes_).substr(offsets_[row], offsets_[row + 1] - offsets_[row]);
  }
  std::vector<std::size_t> Find(std::string_view word) const;

 private:
  std::string bytes_;
  std::vector<std::size_t> offsets_;
};

enum class LookupResult {
  EmptyWord,  // "検索Wordを入力して下さい！　" shown
  NoMatch,    // "見つかりませんでした！　" shown, menu state reset
  Jumped,     // exactly one match, opened at once (see open)
  Menu,       // several matches: show menu
};

struct LookupOutcome {
  LookupResult result = LookupResult::EmptyWord;
  OpenResult open = OpenResult::NoPosition;  // for Jumped
  MenuModel menu;                            // for Menu
};

// Word lookup of a CP932 word in the list of kind. Several matches leave their count in
// state.count_text and return the menu; the caller resets the menu state when it cannot show it.
// lowered, when given, must hold the current names of that list.
LookupOutcome LookupWord(const RegisteredData& data, ListKind kind, std::string_view word,
                         const MenuLayout& layout, MenuState& state, const EditorLauncher& editor,
                         Ui& ui, const LoweredNames* lowered = nullptr);

// Opens a row: its position (column 1), expanded unless the list is the file list. An empty
// expansion does nothing.
OpenResult OpenRow(const RegisteredData& data, ListKind kind, std::size_t row,
                   const EditorLauncher& editor, Ui& ui);

}  // namespace kelvora
