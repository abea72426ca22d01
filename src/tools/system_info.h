// The figures of the system information window: local time, OS, memory, swap and the address
// space of this process, read from /proc, /etc/os-release and uname.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace kelvora {

struct MemoryFigures {
  int load_percent = 0;  // physical memory in use
  std::uint64_t phys_avail_kb = 0, phys_total_kb = 0;
  std::uint64_t swap_avail_kb = 0, swap_total_kb = 0;  // in place of the paging file
  std::uint64_t address_total_kb = 0, address_avail_kb = 0;
};

// Where the figures come from; tests point these at files of their own.
struct SystemSources {
  std::string meminfo = "/proc/meminfo";
  std::string os_release = "/etc/os-release";
  std::string self_status = "/proc/self/status";
  std::string kernel_release;  // empty: uname's release
};

// What the window shows, UTF-8.
struct SystemInfoTexts {
  std::string local_time;                  // "%04d/%02d/%02d(%s) %02d:%02d:%02d"
  std::string os_version;                  // "<distribution> Version %d.%d Build %d"
  std::string ie_version;                  // always empty on Linux
  std::string memory_load;                 // "%s％"
  std::string physical;                    // "%s／%s(KB)": available, total
  std::string paging;                      // "%s／%s(KB)": swap available, total
  std::string address_total;               // "%s(KB)"
  std::string address_free;                // "%s(KB)"
  int load_bar = 0;                        // 0..100
  int phys_bar_max = 0, phys_bar_pos = 0;  // total/100 and available/100, capped at 65535
};

// MemTotal, MemAvailable, SwapTotal and SwapFree of a /proc/meminfo text (kB); the load is the
// used share of MemTotal, rounded down.
MemoryFigures ParseMemInfo(std::string_view meminfo);
// VmSize of a /proc/<pid>/status text, in kB; 0 when absent.
std::uint64_t ParseVmSizeKb(std::string_view status);
// PRETTY_NAME, else NAME, of an os-release text (quotes removed); "Linux" when neither is there.
std::string OsNameOfRelease(std::string_view os_release);
// "<name> Version %d.%d Build %d" from a kernel release such as "6.1.0-28-amd64" (major, minor,
// and the third number's low 16 bits).
std::string OsVersionText(std::string_view os_name, std::string_view kernel_release);
// The size of this process's user address space, in kB.
std::uint64_t UserAddressSpaceKb();
// A count with thousands separators: 16384000 gives "16,384,000".
std::string GroupedNumber(std::uint64_t value);

// Reads every figure anew and formats the window's texts.
SystemInfoTexts ReadSystemInfo(const std::tm& local, const SystemSources& sources = {});

}  // namespace kelvora
