// The ini reader and writer, the user store on top of it, loading the settings from such a file
// and the extension lists in it. Input: the file's bytes. Writes must read back as written and
// leave every other key as it was; loading the settings twice must not change the file again.
#include "analysis/extension_list.h"
#include "fuzz_support.h"
#include "platform/ini_file.h"
#include "platform/scripted_ui.h"
#include "platform/user_store.h"
#include "settings/settings.h"
#include "text/regex_service.h"

using namespace kelvora;

namespace {

using Snapshot =
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>>;

std::string_view Trim(std::string_view s) {
  constexpr std::string_view kBlanks = " \t\r\v\f";
  while (!s.empty() && kBlanks.find(s.front()) != std::string_view::npos) s.remove_prefix(1);
  while (!s.empty() && kBlanks.find(s.back()) != std::string_view::npos) s.remove_suffix(1);
  return s;
}

// Section names of the file as written between brackets (at most a few).
std::vector<std::string> SectionNames(std::string_view text) {
  std::vector<std::string> names;
  std::size_t at = 0;
  while (at < text.size() && names.size() < 4) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    const std::size_t open = line.find('['), close = line.find(']');
    if (open != std::string_view::npos && close != std::string_view::npos && open < close)
      names.emplace_back(Trim(line.substr(open + 1, close - open - 1)));
    at = end + 1;
  }
  names.emplace_back("Fuzz");
  return names;
}

Snapshot Take(const IniFile& ini, const std::vector<std::string>& sections) {
  Snapshot s;
  for (const std::string& name : sections) s.emplace_back(name, ini.Section(name));
  return s;
}

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// Every key of every section reads as before, except key in section.
void CheckUnchanged(const IniFile& ini, const Snapshot& before, std::string_view section,
                    std::string_view key) {
  for (const auto& [name, keys] : before) {
    for (const auto& [k, v] : keys) {
      if (SameNoCase(name, section) && SameNoCase(k, key)) continue;
      FUZZ_CHECK(ini.HasKey(name, k));
      FUZZ_CHECK(ini.ReadString(name, k) == v);
    }
  }
}

// A value that a single line can hold: no line ends, nothing but what the input gives.
std::string ValueFrom(std::string_view text) {
  std::string v(text.substr(0, 40));
  std::erase_if(v, [](char c) { return c == '\n' || c == '\r' || c == '\0'; });
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::ScratchFile file("ini");
  static const fuzz::ScratchFile store("store");
  const std::string_view text = fuzz::AsText(data, size);
  file.Write(text);

  IniFile ini(file.path());
  const std::vector<std::string> sections = SectionNames(text);
  const Snapshot before = Take(ini, sections);
  for (const auto& [name, keys] : before) {
    for (const auto& [k, v] : keys) {
      FUZZ_CHECK(ini.HasKey(name, k));
      FUZZ_CHECK(ini.ReadString(name, k) == v);
      ini.ReadInt(name, k, -1);
    }
  }

  // Replacing a key that exists, then adding one.
  const std::string value = ValueFrom(text.substr(size / 2));
  for (const auto& [name, keys] : before) {
    if (keys.empty()) continue;
    const std::string key = keys.front().first;
    // Names a write refuses: empty, or what would not read back as the same section or key.
    if (name.empty() || name.find_first_of("]\r") != std::string::npos || key.empty() ||
        key.find_first_of("=\r") != std::string::npos || key[0] == '[' || key[0] == ';')
      continue;
    const Snapshot now = Take(ini, sections);
    FUZZ_CHECK(ini.WriteString(name, key, value));
    FUZZ_CHECK(ini.ReadString(name, key) == value);
    CheckUnchanged(ini, now, name, key);
    break;
  }
  {
    const Snapshot now = Take(ini, sections);
    FUZZ_CHECK(ini.WriteString("Fuzz", "added", value));
    FUZZ_CHECK(ini.ReadString("Fuzz", "added") == value);
    CheckUnchanged(ini, now, "Fuzz", "added");
  }

  // The user store on the same bytes.
  store.Write(text);
  UserStore user(store.path());
  const auto dword = user.ReadDwordValue("Software\\Kelv\\RunInf", "RunCount");
  user.ReadStringValue("Software\\Kelv\\Config", "Editor");
  const std::uint32_t next = dword ? *dword + 1 : 1;
  FUZZ_CHECK(user.WriteDwordValue("Software\\Kelv\\RunInf", "RunCount", next));
  FUZZ_CHECK(user.ReadDwordValue("Software\\Kelv\\RunInf", "RunCount") == next);
  FUZZ_CHECK(user.WriteStringValue("Software\\Kelv\\Config", "Editor", value));
  FUZZ_CHECK(user.ReadStringValue("Software\\Kelv\\Config", "Editor") == value);

  // Settings: the first load may normalise and write back; a second load finds nothing to fix.
  file.Write(text);
  store.Write(text);
  SettingsStore settings_store(file.path(), store.path());
  ScriptedUi ui;
  Settings first, second;
  LoadSettings(settings_store, first, ui);
  const std::string after_first = file.Read();
  LoadSettings(settings_store, second, ui);
  FUZZ_CHECK(file.Read() == after_first);

  // The extension lists of the loaded settings: dotted names only, a bounded number of them.
  static const RegexService regex;
  for (const std::string* list : {&first.ext_src, &first.ext_header}) {
    const std::vector<std::string> exts = ParseExtensionList(*list, regex);
    FUZZ_CHECK(exts.size() <= kMaxExtensions);
    for (const std::string& e : exts) FUZZ_CHECK(e.size() >= 2 && e[0] == '.');
  }
  return 0;
}
