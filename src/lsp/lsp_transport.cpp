#include "lsp/lsp_transport.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace kelvora::lsp {

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

bool MessageReader::Fill() {
  if (eof_) return false;
  if (pos_ > 0 && pos_ == buf_.size()) {
    buf_.clear();
    pos_ = 0;
  } else if (pos_ > (std::size_t{1} << 20)) {
    buf_.erase(0, pos_);
    pos_ = 0;
  }
  char chunk[65536];
  const std::size_t n = read_(chunk, sizeof chunk);
  if (n == 0) {
    eof_ = true;
    return false;
  }
  buf_.append(chunk, n);
  return true;
}

bool MessageReader::HeaderLine(std::string& line) {
  for (;;) {
    const std::size_t lf = buf_.find('\n', pos_);
    if (lf != std::string::npos) {
      std::size_t end = lf;
      if (end > pos_ && buf_[end - 1] == '\r') --end;
      line.assign(buf_, pos_, end - pos_);
      pos_ = lf + 1;
      return true;
    }
    // A header line never needs more than this; a longer one is cut into pieces and read as
    // lines without a valid length.
    if (buf_.size() - pos_ > 8192) {
      line.assign(buf_, pos_, 8192);
      pos_ += 8192;
      return true;
    }
    if (!Fill()) return false;
  }
}

MessageReader::Status MessageReader::Next(std::string& body) {
  std::string line;
  // Blank lines between messages are no header block.
  do {
    if (!HeaderLine(line)) return Status::kEnd;
  } while (line.empty());

  long long length = -1;
  bool bad = false;
  std::string why;
  for (;;) {
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) {
      bad = true;
      why = "header line without a colon";
    } else if (EqualsNoCase(Trim(std::string_view(line).substr(0, colon)), "content-length")) {
      const std::string_view v = Trim(std::string_view(line).substr(colon + 1));
      long long n = 0;
      bool ok = !v.empty() && v.size() <= 12;
      for (char c : v) ok = ok && c >= '0' && c <= '9';
      if (ok)
        for (char c : v) n = n * 10 + (c - '0');
      if (!ok || static_cast<unsigned long long>(n) > kMaxBodyBytes) {
        bad = true;
        why = "invalid Content-Length: " + std::string(v.substr(0, 40));
      } else {
        length = n;
      }
    }
    if (!HeaderLine(line)) return Status::kEnd;
    if (line.empty()) break;
  }
  if (length < 0 && !bad) {
    bad = true;
    why = "header without Content-Length";
  }
  if (bad) {
    body = why;
    return Status::kBadHeader;
  }
  while (buf_.size() - pos_ < static_cast<std::size_t>(length))
    if (!Fill()) return Status::kEnd;
  body.assign(buf_, pos_, static_cast<std::size_t>(length));
  pos_ += static_cast<std::size_t>(length);
  return Status::kMessage;
}

MessageReader StringReader(std::string_view text) {
  auto rest = std::make_shared<std::string_view>(text);
  return MessageReader([rest](char* buf, std::size_t n) {
    const std::size_t k = std::min(n, rest->size());
    std::memcpy(buf, rest->data(), k);
    rest->remove_prefix(k);
    return k;
  });
}

std::string Frame(std::string_view body) {
  std::string out = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  out += body;
  return out;
}

}  // namespace kelvora::lsp
