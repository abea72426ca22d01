#include "platform/ini_file.h"

#include <cstring>
#include <limits>
#include <optional>

#include "platform/bytes.h"
#include "platform/files.h"

namespace kelvora {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// Profile files also take CR, VT and FF around names and values as blanks.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  return EqualsIgnoringAsciiCase(a, b);
}

// A value read back loses one pair of enclosing quotes, as profile reads do.
std::string_view StripQuotes(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

// The text to store so that a read gives value back unchanged.
std::string EncodeValue(std::string_view value) {
  bool needs_quotes = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                                         StripQuotes(value).size() != value.size());
  if (!needs_quotes) return std::string(value);
  return "\"" + std::string(value) + "\"";
}

enum class Kind { Other, Section, Key };

struct Line {
  std::size_t begin = 0;  // first byte of the line
  std::size_t end = 0;    // end of the content, before LF
  std::size_t next = 0;   // first byte of the next line
  Kind kind = Kind::Other;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // key value, trimmed, quotes kept
  bool blank = false;
};

class Parsed {
 public:
  explicit Parsed(std::string data) : data_(std::move(data)) { Split(); }

  const std::string& data() const { return data_; }
  const std::vector<Line>& lines() const { return lines_; }

  // Calls fn(line index) for each key line of every section named section, in file order.
  template <typename Fn>
  void ForEachKey(std::string_view section, Fn fn) const {
    bool in = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const Line& l = lines_[i];
      if (l.kind == Kind::Section)
        in = SameName(l.name, section);
      else if (in && l.kind == Kind::Key && !fn(i))
        return;
    }
  }

  std::optional<std::size_t> FindKey(std::string_view section, std::string_view key) const {
    std::optional<std::size_t> found;
    ForEachKey(section, [&](std::size_t i) {
      if (!SameName(lines_[i].name, key)) return true;
      found = i;
      return false;
    });
    return found;
  }

  std::optional<std::size_t> FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
      if (lines_[i].kind == Kind::Section && SameName(lines_[i].name, section)) return i;
    return std::nullopt;
  }

 private:
  void Split() {
    std::size_t pos = 0;
    if (data_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;  // a UTF-8 mark is no part of a name
    bool first = true;
    while (pos < data_.size()) {
      Line l;
      l.begin = first ? 0 : pos;
      // NOLINTNEXTLINE(bugprone-not-null-terminated-result): a search for the LF, nothing copied
      const void* lf = std::memchr(data_.data() + pos, '\n', data_.size() - pos);
      l.end =
          lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - data_.data()) : data_.size();
      l.next = lf ? l.end + 1 : data_.size();
      Classify(std::string_view(data_).substr(pos, l.end - pos), l);
      lines_.push_back(l);
      pos = l.next;
      first = false;
    }
  }

  static void Classify(std::string_view text, Line& l) {
    std::string_view t = Trim(text);
    l.blank = t.empty();
    if (t.empty() || t.front() == ';') return;
    if (t.front() == '[') {
      std::size_t close = t.find(']');
      if (close != std::string_view::npos) {
        l.kind = Kind::Section;
        l.name = Trim(t.substr(1, close - 1));
        return;
      }
    }
    std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) return;
    std::string_view key = Trim(t.substr(0, eq));
    if (key.empty()) return;
    l.kind = Kind::Key;
    l.name = key;
    l.value = Trim(t.substr(eq + 1));
  }

  std::string data_;
  std::vector<Line> lines_;
};

Parsed Load(const std::string& path) {
  return Parsed(ReadWholeFile(path, kSettingsFileLimit).value_or(std::string()));
}

bool HasLineBreak(std::string_view s) {
  return s.find('\n') != std::string_view::npos || s.find('\r') != std::string_view::npos;
}

bool ValidNames(std::string_view section, std::string_view key) {
  if (section.empty() || HasLineBreak(section) || section.find(']') != std::string_view::npos ||
      Trim(section).size() != section.size())
    return false;
  if (key.empty() || HasLineBreak(key) || key.find('=') != std::string_view::npos ||
      key.front() == '[' || key.front() == ';' || Trim(key).size() != key.size())
    return false;
  return true;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
  Parsed ini = Load(path_);
  auto i = ini.FindKey(section, key);
  if (!i) return std::string(fallback);
  return std::string(StripQuotes(ini.lines()[*i].value));
}

long long IniFile::ReadInt(std::string_view section, std::string_view key,
                           long long fallback) const {
  Parsed ini = Load(path_);
  auto i = ini.FindKey(section, key);
  if (!i) return fallback;
  std::string_view v = StripQuotes(ini.lines()[*i].value);
  std::size_t p = 0;
  while (p < v.size() && IsBlank(v[p])) ++p;
  bool negative = false;
  if (p < v.size() && (v[p] == '-' || v[p] == '+')) negative = v[p++] == '-';
  if (p >= v.size() || v[p] < '0' || v[p] > '9') return fallback;
  constexpr long long kMax = std::numeric_limits<long long>::max();
  long long n = 0;
  for (; p < v.size() && v[p] >= '0' && v[p] <= '9'; ++p) {
    int d = v[p] - '0';
    n = n > (kMax - d) / 10 ? kMax : n * 10 + d;
  }
  return negative ? -n : n;
}

bool IniFile::HasKey(std::string_view section, std::string_view key) const {
  return Load(path_).FindKey(section, key).has_value();
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  if (read_only_ || !ValidNames(section, key) || HasLineBreak(value)) return false;
  Parsed ini = Load(path_);
  const std::string& data = ini.data();
  const auto& lines = ini.lines();
  std::string stored = EncodeValue(value);
  std::string out;
  out.reserve(data.size() + key.size() + stored.size() + section.size() + 16);

  if (auto i = ini.FindKey(section, key)) {
    const Line& l = lines[*i];
    std::size_t content = l.begin == 0 && data.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : l.begin;
    out.append(data, 0, content);
    out.append(l.name).append("=").append(stored).append(kCrLf);
    out.append(data, l.next, std::string::npos);
  } else if (auto s = ini.FindSection(section)) {
    std::size_t last = *s;
    for (std::size_t i = *s + 1; i < lines.size() && lines[i].kind != Kind::Section; ++i)
      if (!lines[i].blank) last = i;
    const Line& l = lines[last];
    out.append(data, 0, l.next);
    if (l.next == l.end) out.append(kCrLf);  // the last line had no line end
    out.append(key).append("=").append(stored).append(kCrLf);
    out.append(data, l.next, std::string::npos);
  } else {
    out = data;
    if (!out.empty() && out.back() != '\n') out.append(kCrLf);
    if (!lines.empty() && !lines.back().blank) out.append(kCrLf);
    out.append("[").append(section).append("]").append(kCrLf);
    out.append(key).append("=").append(stored).append(kCrLf);
  }
  return WriteFileAtomically(path_, out);
}

bool IniFile::WriteInt(std::string_view section, std::string_view key, long long value) {
  return WriteString(section, key, std::to_string(value));
}

std::vector<std::pair<std::string, std::string>> IniFile::Section(std::string_view section) const {
  Parsed ini = Load(path_);
  std::vector<std::pair<std::string, std::string>> out;
  ini.ForEachKey(section, [&](std::size_t i) {
    const Line& l = ini.lines()[i];
    for (const auto& kv : out)
      if (SameName(kv.first, l.name)) return true;
    out.emplace_back(std::string(l.name), std::string(StripQuotes(l.value)));
    return true;
  });
  return out;
}

}  // namespace kelvora
