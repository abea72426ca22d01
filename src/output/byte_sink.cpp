#include "output/byte_sink.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace kelvora {

namespace {
constexpr std::size_t kFlushAt = 1 << 20;
}  // namespace

FileSink::~FileSink() {
  Close();
}

bool FileSink::Open(const std::string& path) {
  Close();
  failed_ = false;
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  buffer_.reserve(kFlushAt + 4096);
  return fd_ >= 0;
}

void FileSink::Write(std::string_view bytes) {
  buffer_.append(bytes);
  if (buffer_.size() >= kFlushAt) Flush();
}

void FileSink::Flush() {
  std::size_t done = 0;
  while (fd_ >= 0 && !failed_ && done < buffer_.size()) {
    ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed_ = true;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  buffer_.clear();
}

bool FileSink::Close() {
  if (fd_ < 0) return !failed_;
  Flush();
  if (::close(fd_) != 0) failed_ = true;
  fd_ = -1;
  return !failed_;
}

}  // namespace kelvora
