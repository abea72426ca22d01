#include "platform/line_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "platform/line_split.h"

namespace kelvora {
namespace {

void DropCarriageReturn(std::string& line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
}

}  // namespace

FileLineReader::~FileLineReader() {
  Close();
}

bool FileLineReader::Open(const std::string& path, std::uint64_t limit) {
  Close();
  const int fd = OpenInputFile(path, limit, &why_);
  if (fd < 0) return false;
  why_.clear();
  fd_ = fd;
  if (!buf_) buf_.reset(new char[kBufferSize]);  // no zero fill: read() fills it
  begin_ = end_ = 0;
  eof_ = false;
  failed_ = false;
  error_ = 0;
  return true;
}

void FileLineReader::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  begin_ = end_ = 0;
  eof_ = false;
}

bool FileLineReader::Rewind() {
  if (fd_ < 0) return false;
  if (::lseek(fd_, 0, SEEK_SET) != 0) return false;
  begin_ = end_ = 0;
  eof_ = false;
  failed_ = false;
  return true;
}

bool FileLineReader::Fill() {
  if (fd_ < 0 || eof_) return false;
  begin_ = end_ = 0;
  for (;;) {
    ssize_t n = ::read(fd_, buf_.get(), kBufferSize);
    if (n > 0) {
      end_ = static_cast<std::size_t>(n);
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      failed_ = true;
      error_ = errno;
    }
    eof_ = true;
    return false;
  }
}

bool FileLineReader::ReadLine(std::string& line) {
  line.clear();
  bool any = false;
  for (;;) {
    if (begin_ == end_ && !Fill()) return any;
    const char* start = buf_.get() + begin_;
    std::size_t avail = end_ - begin_;
    const void* lf = std::memchr(start, '\n', avail);
    if (lf) {
      std::size_t len = static_cast<std::size_t>(static_cast<const char*>(lf) - start);
      line.append(start, len);
      begin_ += len + 1;
      DropCarriageReturn(line);
      return true;
    }
    line.append(start, avail);
    begin_ = end_;
    any = true;
  }
}

bool StringLineSource::ReadLine(std::string& line) {
  if (pos_ >= text_.size()) {
    line.clear();
    return false;
  }
  line.assign(LineAt(text_, pos_));
  return true;
}

}  // namespace kelvora
