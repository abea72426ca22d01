#include "sheet/biff_sheets.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <set>
#include <string_view>
#include <vector>

#include "platform/cp932.h"

namespace kelvora {

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::size_t kMaxRecord = 8224;  // BIFF8's longest record body

std::uint16_t U16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t U32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void AppendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// UTF-16LE code units to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const unsigned char* p, std::size_t units) {
  std::string out;
  for (std::size_t i = 0; i < units; ++i) {
    std::uint32_t c = U16(p + 2 * i);
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units) {
      const std::uint32_t low = U16(p + 2 * (i + 1));
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (c >= 0xD800 && c < 0xE000) c = 0xFFFD;
    AppendUtf8(out, c);
  }
  return out;
}

// A BIFF5 name in the workbook's code page; CP932 when that cannot be converted.
std::string CodePageToUtf8(std::string_view bytes, int code_page) {
  if (code_page != 932 && code_page != 0) {
    const std::string from = code_page == 1200                           ? "UTF-16LE"
                             : code_page == 0x8000 || code_page == 10000 ? "MACINTOSH"
                             : code_page == 367                          ? "ASCII"
                                                : "CP" + std::to_string(code_page);
    iconv_t cd = iconv_open("UTF-8", from.c_str());
    // NOLINTNEXTLINE(performance-no-int-to-ptr): (iconv_t)-1 is iconv_open's failure value
    if (cd != reinterpret_cast<iconv_t>(-1)) {
      std::string in(bytes), out(bytes.size() * 4 + 4, '\0');
      char* src = in.data();
      char* dst = out.data();
      std::size_t left = in.size(), room = out.size();
      const bool ok = iconv(cd, &src, &left, &dst, &room) != static_cast<std::size_t>(-1);
      iconv_close(cd);
      if (ok) return out.substr(0, out.size() - room);
    }
  }
  return IsValidUtf8(bytes) ? std::string(bytes) : Cp932ToUtf8(bytes);
}

SheetNames Fail(WorkbookReadError error, std::string detail = {}) {
  SheetNames r;
  r.error = error;
  r.detail = std::move(detail);
  return r;
}

// The compound file: sectors read on demand, every sector number checked against the file.
class CompoundFile {
 public:
  ~CompoundFile() {
    if (fd_ >= 0) close(fd_);
  }

  // Empty when the header, the allocation table and the directory add up; else what does not.
  std::string Open(const std::string& path) {
    fd_ = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd_ < 0 || fstat(fd_, &st) != 0) return std::strerror(errno);
    unsigned char h[512];
    if (pread(fd_, h, sizeof h, 0) != static_cast<ssize_t>(sizeof h)) return "short header";
    const unsigned shift = U16(h + 0x1E), mini_shift = U16(h + 0x20);
    if (U16(h + 0x1C) != 0xFFFE || (shift != 9 && shift != 12) || mini_shift != 6)
      return "bad header";
    sector_ = std::size_t{1} << shift;
    mini_cutoff_ = U32(h + 0x38);
    const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
    sectors_ = size > sector_ ? (size - sector_ + sector_ - 1) / sector_ : 0;

    // The allocation table's sectors: 109 in the header, then the chain of DIFAT sectors.
    const std::uint32_t fat_count = U32(h + 0x2C);
    if (fat_count > sectors_) return "bad allocation table";
    std::vector<std::uint32_t> fat_sectors;
    for (std::uint32_t i = 0; i < 109 && fat_sectors.size() < fat_count; ++i)
      fat_sectors.push_back(U32(h + 0x4C + std::size_t{4} * i));
    std::uint32_t difat = U32(h + 0x44);
    std::vector<unsigned char> buf(sector_);
    for (std::uint64_t steps = 0; fat_sectors.size() < fat_count; ++steps) {
      if (difat >= sectors_ || steps > sectors_ || !ReadSector(difat, buf.data()))
        return "bad allocation table";
      for (std::size_t i = 0; i + 1 < sector_ / 4 && fat_sectors.size() < fat_count; ++i)
        fat_sectors.push_back(U32(buf.data() + 4 * i));
      difat = U32(buf.data() + sector_ - 4);
    }
    for (std::uint32_t s : fat_sectors) {
      if (s >= sectors_ || !ReadSector(s, buf.data())) return "bad allocation table";
      for (std::size_t i = 0; i < sector_ / 4; ++i) fat_.push_back(U32(buf.data() + 4 * i));
    }

    std::vector<unsigned char> dir;
    if (!ReadChain(fat_, U32(h + 0x30), SIZE_MAX, dir) || dir.size() < 128) return "bad directory";
    directory_ = std::move(dir);
    mini_fat_start_ = U32(h + 0x3C);
    major_ = U16(h + 0x1A);
    return {};
  }

  // Index of the root storage's stream of that name (ASCII, any case); -1 when none.
  long FindRootStream(std::string_view name) const {
    std::vector<std::uint32_t> todo{U32(Entry(0) + 0x4C)};
    std::set<std::uint32_t> seen;
    while (!todo.empty()) {
      const std::uint32_t id = todo.back();
      todo.pop_back();
      if (id >= entries() || !seen.insert(id).second) continue;
      const unsigned char* e = Entry(id);
      todo.push_back(U32(e + 0x44));
      todo.push_back(U32(e + 0x48));
      const std::size_t units = std::min<std::size_t>(U16(e + 0x40), 64) / 2;
      if (e[0x42] != 2 || units != name.size() + 1) continue;
      bool same = true;
      for (std::size_t i = 0; i < name.size() && same; ++i) {
        const std::uint16_t c = U16(e + 2 * i);
        same = c < 0x80 && std::tolower(c) == std::tolower(static_cast<unsigned char>(name[i]));
      }
      if (same) return static_cast<long>(id);
    }
    return -1;
  }

  // The first `want` bytes of a stream (fewer when the stream is shorter); false when its chain
  // breaks before that.
  bool ReadStream(std::uint32_t id, std::size_t want, std::vector<unsigned char>& out) {
    const unsigned char* e = Entry(id);
    std::uint64_t size = U32(e + 0x78);
    if (major_ == 4) size |= static_cast<std::uint64_t>(U32(e + 0x7C)) << 32;
    want = static_cast<std::size_t>(std::min<std::uint64_t>(size, want));
    if (size >= mini_cutoff_) {
      if (!ReadChain(fat_, U32(e + 0x74), want, out)) return false;
    } else {
      if (!LoadMiniStream()) return false;
      out.clear();
      std::uint32_t s = U32(e + 0x74);
      for (std::size_t steps = 0; out.size() < want; ++steps) {
        if (s >= mini_fat_.size() || steps > mini_stream_.size() / 64 ||
            (std::size_t{s} + 1) * 64 > mini_stream_.size())
          return false;
        const auto from = mini_stream_.begin() + static_cast<std::ptrdiff_t>(std::size_t{s} * 64);
        out.insert(out.end(), from, from + 64);
        s = mini_fat_[s];
      }
    }
    out.resize(std::min(out.size(), want));
    return true;
  }

 private:
  std::size_t entries() const { return directory_.size() / 128; }
  const unsigned char* Entry(std::uint32_t id) const {
    return directory_.data() + std::size_t{128} * id;
  }

  bool ReadSector(std::uint32_t s, unsigned char* buf) const {
    const off_t at = static_cast<off_t>((std::uint64_t{s} + 1) * sector_);
    const ssize_t got = pread(fd_, buf, sector_, at);
    if (got <= 0) return false;
    std::memset(buf + got, 0, sector_ - static_cast<std::size_t>(got));  // a short last sector
    return true;
  }

  // Follows a chain of the table from start until ENDOFCHAIN or `want` bytes.
  bool ReadChain(const std::vector<std::uint32_t>& table, std::uint32_t start, std::size_t want,
                 std::vector<unsigned char>& out) const {
    out.clear();
    std::uint32_t s = start;
    for (std::size_t steps = 0; s != kEndOfChain && out.size() < want; ++steps) {
      // No chain is longer than the file has sectors: a longer one runs in a circle.
      if (s >= table.size() || s >= sectors_ || steps > sectors_) return false;
      const std::size_t at = out.size();
      out.resize(at + sector_);
      if (!ReadSector(s, out.data() + at)) return false;
      s = table[s];
    }
    return want == SIZE_MAX || out.size() >= want;
  }

  bool LoadMiniStream() {
    if (mini_loaded_) return mini_ok_;
    mini_loaded_ = true;
    std::vector<unsigned char> table;
    if (!ReadChain(fat_, mini_fat_start_, SIZE_MAX, table)) return false;
    for (std::size_t i = 0; i + 4 <= table.size(); i += 4) mini_fat_.push_back(U32(&table[i]));
    const unsigned char* root = Entry(0);
    mini_ok_ = ReadChain(fat_, U32(root + 0x74), U32(root + 0x78), mini_stream_);
    return mini_ok_;
  }

  int fd_ = -1;
  std::size_t sector_ = 512;
  std::uint64_t sectors_ = 0;
  std::uint32_t mini_cutoff_ = 4096;
  std::uint32_t mini_fat_start_ = kEndOfChain;
  unsigned major_ = 3;
  std::vector<std::uint32_t> fat_;
  std::vector<unsigned char> directory_;
  bool mini_loaded_ = false, mini_ok_ = false;
  std::vector<std::uint32_t> mini_fat_;
  std::vector<unsigned char> mini_stream_;
};

}  // namespace

SheetNames ReadBiffSheetNames(const std::string& path) {
  CompoundFile cfb;
  if (std::string why = cfb.Open(path); !why.empty())
    return Fail(WorkbookReadError::Broken, "compound file: " + why);
  long id = cfb.FindRootStream("Workbook");
  if (id < 0) id = cfb.FindRootStream("Book");
  if (id < 0)
    return Fail(cfb.FindRootStream("EncryptedPackage") >= 0 ? WorkbookReadError::Encrypted
                                                            : WorkbookReadError::NotWorkbook);
  // The sheet records lie in the workbook globals at the start of the stream; a stream larger
  // than this is read only this far.
  std::vector<unsigned char> s;
  if (!cfb.ReadStream(static_cast<std::uint32_t>(id), 64u << 20, s))
    return Fail(WorkbookReadError::Broken, "workbook stream");

  // BOF, then the globals' records up to their EOF.
  if (s.size() < 8 || U16(&s[0]) != 0x0809) return Fail(WorkbookReadError::Broken, "no BOF");
  const bool biff8 = U16(&s[4]) == 0x0600;
  if (!biff8 && U16(&s[4]) != 0x0500) return Fail(WorkbookReadError::Broken, "BIFF version");
  SheetNames result;
  int code_page = 0;
  std::size_t at = 0;
  for (;;) {
    if (at + 4 > s.size()) return Fail(WorkbookReadError::Broken, "no EOF");
    const std::uint16_t type = U16(&s[at]);
    const std::size_t len = U16(&s[at + 2]);
    const unsigned char* body = &s[at + 4];
    if (len > kMaxRecord || at + 4 + len > s.size())
      return Fail(WorkbookReadError::Broken, "record length");
    at += 4 + len;
    if (type == 0x000A) break;                                      // EOF
    if (type == 0x002F) return Fail(WorkbookReadError::Encrypted);  // FILEPASS
    if (type == 0x0042 && len >= 2) code_page = U16(body);          // CODEPAGE
    if (type != 0x0085) continue;                                   // BOUNDSHEET
    if (len < (biff8 ? 8u : 7u)) return Fail(WorkbookReadError::Broken, "sheet record");
    const bool worksheet = body[5] == 0;
    const std::size_t chars = body[6];
    std::string name;
    if (biff8) {
      const bool wide = body[7] & 1;
      if (8 + chars * (wide ? 2 : 1) > len) return Fail(WorkbookReadError::Broken, "sheet name");
      if (wide) {
        name = Utf16ToUtf8(body + 8, chars);
      } else {
        for (std::size_t i = 0; i < chars; ++i) AppendUtf8(name, body[8 + i]);
      }
    } else {
      if (7 + chars > len) return Fail(WorkbookReadError::Broken, "sheet name");
      name = CodePageToUtf8({reinterpret_cast<const char*>(body + 7), chars}, code_page);
    }
    if (worksheet) result.names.push_back(std::move(name));
  }
  return result;
}

}  // namespace kelvora
