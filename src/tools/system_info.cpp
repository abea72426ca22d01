#include "tools/system_info.h"

#include <sys/utsname.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/line_split.h"
#include "platform/output_date.h"

namespace kelvora {

namespace {

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The number after "Key:" on the line that starts with key, in the unit the file gives.
std::uint64_t FieldOf(std::string_view text, std::string_view key) {
  std::size_t at = 0;
  while (at < text.size()) {
    const std::string_view line = LineAt(text, at);
    if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == ':') {
      std::string_view rest = line.substr(key.size() + 1);
      const std::size_t digit = rest.find_first_of("0123456789");
      std::uint64_t value = 0;
      if (digit != std::string_view::npos)
        std::from_chars(rest.data() + digit, rest.data() + rest.size(), value);
      return value;
    }
  }
  return 0;
}

std::string ValueOf(std::string_view text, std::string_view key) {
  std::size_t at = 0;
  while (at < text.size()) {
    const std::string_view line = LineAt(text, at);
    if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == '=') {
      std::string_view value = line.substr(key.size() + 1);
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
          value.back() == value.front())
        value = value.substr(1, value.size() - 2);
      return std::string(value);
    }
  }
  return {};
}

int CappedHundredth(std::uint64_t kb) {
  return static_cast<int>(std::min<std::uint64_t>(kb / 100, 65535));
}

}  // namespace

MemoryFigures ParseMemInfo(std::string_view meminfo) {
  MemoryFigures m;
  m.phys_total_kb = FieldOf(meminfo, "MemTotal");
  m.phys_avail_kb = std::min(FieldOf(meminfo, "MemAvailable"), m.phys_total_kb);
  m.swap_total_kb = FieldOf(meminfo, "SwapTotal");
  m.swap_avail_kb = std::min(FieldOf(meminfo, "SwapFree"), m.swap_total_kb);
  if (m.phys_total_kb > 0)
    m.load_percent = static_cast<int>((m.phys_total_kb - m.phys_avail_kb) * 100 / m.phys_total_kb);
  return m;
}

std::uint64_t ParseVmSizeKb(std::string_view status) {
  return FieldOf(status, "VmSize");
}

std::string OsNameOfRelease(std::string_view os_release) {
  std::string name = ValueOf(os_release, "PRETTY_NAME");
  if (name.empty()) name = ValueOf(os_release, "NAME");
  return name.empty() ? "Linux" : name;
}

std::string OsVersionText(std::string_view os_name, std::string_view kernel_release) {
  int numbers[3] = {0, 0, 0};
  const char* p = kernel_release.data();
  const char* end = p + kernel_release.size();
  for (int i = 0; i < 3 && p < end; ++i) {
    auto [next, ec] = std::from_chars(p, end, numbers[i]);
    if (ec != std::errc()) break;
    p = next;
    if (p < end && *p == '.')
      ++p;
    else
      break;
  }
  char text[64];
  std::snprintf(text, sizeof text, " Version %d.%d Build %d", numbers[0], numbers[1],
                numbers[2] & 0xFFFF);
  return std::string(os_name) + text;
}

std::uint64_t UserAddressSpaceKb() {
#if defined(__x86_64__)
  return 0x7FFFFFFFF000ULL / 1024;  // 47-bit user space
#elif defined(__aarch64__)
  return (1ULL << 48) / 1024;
#else
  return sizeof(void*) == 4 ? 3ULL * 1024 * 1024 : (1ULL << 47) / 1024;
#endif
}

std::string GroupedNumber(std::uint64_t value) {
  std::string digits = std::to_string(value);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

SystemInfoTexts ReadSystemInfo(const std::tm& local, const SystemSources& sources) {
  MemoryFigures m = ParseMemInfo(ReadWhole(sources.meminfo));
  m.address_total_kb = UserAddressSpaceKb();
  const std::uint64_t used = ParseVmSizeKb(ReadWhole(sources.self_status));
  m.address_avail_kb = m.address_total_kb > used ? m.address_total_kb - used : 0;

  std::string release = sources.kernel_release;
  if (release.empty()) {
    utsname uts{};
    if (uname(&uts) == 0) release = uts.release;
  }

  SystemInfoTexts t;
  t.local_time = OutputDateText(local);
  t.os_version = OsVersionText(OsNameOfRelease(ReadWhole(sources.os_release)), release);
  t.memory_load = std::to_string(m.load_percent) + "％";
  t.physical = GroupedNumber(m.phys_avail_kb) + "／" + GroupedNumber(m.phys_total_kb) + "(KB)";
  t.paging = GroupedNumber(m.swap_avail_kb) + "／" + GroupedNumber(m.swap_total_kb) + "(KB)";
  t.address_total = GroupedNumber(m.address_total_kb) + "(KB)";
  t.address_free = GroupedNumber(m.address_avail_kb) + "(KB)";
  t.load_bar = std::clamp(m.load_percent, 0, 100);
  t.phys_bar_max = CappedHundredth(m.phys_total_kb);
  t.phys_bar_pos = CappedHundredth(m.phys_avail_kb);
  return t;
}

}  // namespace kelvora
