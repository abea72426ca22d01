// The table pass of one source file, shared by the table tree and the table-contents CSV: table
// heads (an initialiser that opens with a brace, possibly joined with the line before), the
// braces of the body and the comma-separated pieces of its lines, up to the end of the table.
#pragma once

#include <string>
#include <string_view>

#include "text/regex_service.h"

namespace kelvora {

class CleaningPatterns;
class CleanLineReader;

// What the pass reports while it reads one file.
class TableWalkVisitor {
 public:
  virtual ~TableWalkVisitor() = default;
  // Every line read, before the pass handles it; in_table: the line belongs to a table body.
  virtual void OnLine(std::string_view /*raw*/, std::string_view /*cleaned*/, bool /*used*/,
                      bool /*in_table*/) {}
  // A table starts: its head text (cleaned, joined with the line before when it was carried
  // over) and the line where the head begins. The head line's body follows.
  virtual void OnHead(std::string_view head, long line) = 0;
  // Each line of a table, from the head line on, before its pieces: the comments of the line.
  virtual void OnTableLine(std::string_view /*comments*/) {}
  // A "{" inside the outer braces, with the depth it raises to (the outer brace has depth 1).
  virtual void OnOpenBrace(long /*depth*/) {}
  // A piece of the initialiser split at commas, leading blanks and tabs skipped, never empty.
  // True ends the handling of this line.
  virtual bool OnPiece(std::string_view piece) = 0;
  // The brace depth is 0 after a line, or the file ended inside the table.
  virtual void OnTableEnd() = 0;
};

class TablePass {
 public:
  // cleaning: the line-cleaning patterns whose comment patterns split code from comments.
  TablePass(const RegexService& regex, const CleaningPatterns& cleaning);

  // Reads every line of reader. The depth is 1 after the head line's first "{"; on the head
  // line a closing "};" lowers it before the other braces are counted (so a table written on
  // one line never goes deeper than 1), on later lines after them.
  void Read(CleanLineReader& reader, TableWalkVisitor& visitor) const;

  // The type and the name of a head: the initialiser ("=.*$") and the bracket part
  // ("\[.*\]") removed, the identifiers read from the left up to an identifier "0" (taken); the
  // name is the last, the type the one before it.
  struct Names {
    std::string type;
    std::string name;
  };
  Names HeadNames(std::string text) const;

  // A comment as the table outputs write it: tabs as blanks, every "," as "、", "//", "/*" and
  // "*/" removed, trimmed.
  static std::string CleanComment(std::string_view comments);

  // The first match of the cast pattern "\([A-Za-z0-9_ *]+\)" removed wherever it occurs.
  void RemoveCast(std::string& piece) const;

 private:
  class FileWalk;

  const CleaningPatterns& cleaning_;
  Regex head_, initialiser_, brackets_, close_semicolon_, cast_;
};

// A trimmed piece that begins with "#if", "#else" or "#endif": it ends its line.
bool IsConditionalPiece(std::string_view trimmed);

}  // namespace kelvora
