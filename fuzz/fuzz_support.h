// Shared pieces of the fuzz targets: a check that stops the run with a message, a scratch file
// per process, and splitting the input into a first line and the rest.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

// Stops the run (libFuzzer then saves the input) when a property does not hold.
#define FUZZ_CHECK(cond)                                                               \
  do {                                                                                 \
    if (!(cond)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                    \
    }                                                                                  \
  } while (0)

namespace kelvora::fuzz {

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The first line of the input (without its LF) and everything after it.
inline std::string_view FirstLine(std::string_view input, std::string_view& rest) {
  std::size_t lf = input.find('\n');
  if (lf == std::string_view::npos) {
    rest = {};
    return input;
  }
  rest = input.substr(lf + 1);
  return input.substr(0, lf);
}

// A file of this process, rewritten by every input.
class ScratchFile {
 public:
  explicit ScratchFile(std::string_view tag) {
    // Memory-backed when the system has it: a target rewrites its file for every input.
    const char* dir = std::getenv("TMPDIR");
    std::string folder = dir && *dir ? dir : ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    path_ = folder + "/kelvora-fuzz-" + std::string(tag) + "-" + std::to_string(::getpid());
  }
  ~ScratchFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }
  void Write(std::string_view bytes) const {
    std::ofstream(path_, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
  }
  std::string Read() const {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::string path_;
};

}  // namespace kelvora::fuzz
