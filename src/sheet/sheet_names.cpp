#include "sheet/sheet_names.h"

#include <expat.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <map>
#include <memory>

#include "platform/cp932.h"
#include "sheet/biff_sheets.h"

namespace kelvora {

namespace {

constexpr char kNsSep = '\x01';

// The local part of an expat name "uri<sep>local" (or "local" without a namespace).
std::string_view LocalName(const XML_Char* name) {
  std::string_view n(name);
  std::size_t sep = n.rfind(kNsSep);
  return sep == std::string_view::npos ? n : n.substr(sep + 1);
}

std::string_view NamespaceOf(const XML_Char* name) {
  std::string_view n(name);
  std::size_t sep = n.rfind(kNsSep);
  return sep == std::string_view::npos ? std::string_view{} : n.substr(0, sep);
}

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

// Element events of one XML part; a handler may stop the parse once it has what it needs.
struct XmlEvents {
  std::function<void(const XML_Char* name, const XML_Char** attrs)> start;
  std::function<void(const XML_Char* name)> end;
  XML_Parser parser = nullptr;
  void Stop() { XML_StopParser(parser, XML_FALSE); }
};

enum class PartResult { Read, Missing, Encrypted, Broken };

class Zip {
 public:
  explicit Zip(zip_t* z) : z_(z) {}
  ~Zip() {
    if (z_) zip_discard(z_);
  }
  zip_t* get() const { return z_; }
  bool Has(const std::string& name) const {
    return zip_name_locate(z_, name.c_str(), ZIP_FL_NOCASE) >= 0;
  }

  // Streams a part through expat with namespaces; detail gets the parser's or zip's message.
  PartResult Parse(const std::string& name, XmlEvents& events, std::string& detail) const {
    zip_int64_t index = zip_name_locate(z_, name.c_str(), ZIP_FL_NOCASE);
    if (index < 0) return PartResult::Missing;
    zip_file_t* f = zip_fopen_index(z_, static_cast<zip_uint64_t>(index), 0);
    if (!f) {
      zip_error_t* e = zip_get_error(z_);
      detail = zip_error_strerror(e);
      int code = zip_error_code_zip(e);
      return code == ZIP_ER_NOPASSWD || code == ZIP_ER_ENCRNOTSUPP || code == ZIP_ER_WRONGPASSWD
                 ? PartResult::Encrypted
                 : PartResult::Broken;
    }
    std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file(f, zip_fclose);
    std::unique_ptr<std::remove_pointer_t<XML_Parser>, void (*)(XML_Parser)> parser(
        XML_ParserCreateNS(nullptr, kNsSep), XML_ParserFree);
    events.parser = parser.get();
    XML_SetUserData(parser.get(), &events);
    XML_SetElementHandler(
        parser.get(),
        [](void* data, const XML_Char* n, const XML_Char** a) {
          auto* ev = static_cast<XmlEvents*>(data);
          if (ev->start) ev->start(n, a);
        },
        [](void* data, const XML_Char* n) {
          auto* ev = static_cast<XmlEvents*>(data);
          if (ev->end) ev->end(n);
        });
    char buffer[64 * 1024];
    for (;;) {
      zip_int64_t got = zip_fread(f, buffer, sizeof buffer);
      if (got < 0) {
        detail = zip_error_strerror(zip_file_get_error(f));
        return PartResult::Broken;
      }
      const bool last = got == 0;
      if (XML_Parse(parser.get(), buffer, static_cast<int>(got), last) == XML_STATUS_ERROR) {
        if (XML_GetErrorCode(parser.get()) == XML_ERROR_ABORTED) return PartResult::Read;
        detail = name + ": " + XML_ErrorString(XML_GetErrorCode(parser.get())) + " (line " +
                 std::to_string(XML_GetCurrentLineNumber(parser.get())) + ")";
        return PartResult::Broken;
      }
      if (last) return PartResult::Read;
    }
  }

 private:
  zip_t* z_;
};

const XML_Char* Attr(const XML_Char** attrs, std::string_view local, bool namespaced,
                     std::string_view ns_tail = {}) {
  for (int i = 0; attrs[i]; i += 2) {
    if (LocalName(attrs[i]) != local) continue;
    std::string_view ns = NamespaceOf(attrs[i]);
    if (namespaced ? (!ns.empty() && EndsWith(ns, ns_tail)) : ns.empty()) return attrs[i + 1];
  }
  return nullptr;
}

// A part's path from a relationship target: relative to the folder of the part that holds the
// relationships, or absolute from the package root.
std::string ResolveTarget(std::string_view base_folder, std::string_view target) {
  std::string joined = target.starts_with("/") ? std::string(target.substr(1))
                                               : std::string(base_folder) + std::string(target);
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= joined.size()) {
    std::size_t slash = joined.find('/', start);
    if (slash == std::string::npos) slash = joined.size();
    std::string part = joined.substr(start, slash - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = slash + 1;
  }
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : "/") + p;
  return out;
}

// Relationship id -> (type, target) of a .rels part.
using Relations = std::map<std::string, std::pair<std::string, std::string>>;

PartResult ReadRelations(const Zip& zip, const std::string& name, Relations& rels,
                         std::string& detail) {
  XmlEvents ev;
  ev.start = [&](const XML_Char* n, const XML_Char** a) {
    if (LocalName(n) != "Relationship") return;
    const XML_Char* id = Attr(a, "Id", false);
    const XML_Char* type = Attr(a, "Type", false);
    const XML_Char* target = Attr(a, "Target", false);
    if (id && type && target) rels[id] = {type, target};
  };
  return zip.Parse(name, ev, detail);
}

SheetNames Fail(WorkbookReadError error, std::string detail = {}) {
  SheetNames r;
  r.error = error;
  r.detail = std::move(detail);
  return r;
}

SheetNames FromPart(PartResult part, std::string detail) {
  return Fail(
      part == PartResult::Encrypted ? WorkbookReadError::Encrypted : WorkbookReadError::Broken,
      std::move(detail));
}

SheetNames ReadOoxml(const Zip& zip) {
  std::string detail;
  Relations root;
  std::string workbook = "xl/workbook.xml";
  if (ReadRelations(zip, "_rels/.rels", root, detail) == PartResult::Read) {
    for (const auto& [id, rel] : root)
      if (EndsWith(rel.first, "/officeDocument")) workbook = ResolveTarget("", rel.second);
  }
  if (!zip.Has(workbook)) return Fail(WorkbookReadError::NotWorkbook);
  const std::size_t slash = workbook.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : workbook.substr(0, slash + 1);
  const std::string file = workbook.substr(folder.size());

  // Sheets whose relationship is no worksheet (chart sheets, dialog and macro sheets) are not
  // worksheets; without readable relationships every sheet counts.
  Relations rels;
  const bool have_rels =
      ReadRelations(zip, folder + "_rels/" + file + ".rels", rels, detail) == PartResult::Read;

  SheetNames result;
  bool in_sheets = false;
  XmlEvents ev;
  ev.start = [&](const XML_Char* n, const XML_Char** a) {
    std::string_view local = LocalName(n);
    if (local == "sheets") {
      in_sheets = true;
    } else if (in_sheets && local == "sheet") {
      const XML_Char* name = Attr(a, "name", false);
      const XML_Char* rid = Attr(a, "id", true, "/relationships");
      if (!name) return;
      if (have_rels && rid) {
        auto it = rels.find(rid);
        if (it != rels.end() && !EndsWith(it->second.first, "/worksheet")) return;
      }
      result.names.emplace_back(name);
    }
  };
  ev.end = [&](const XML_Char* n) {
    if (LocalName(n) == "sheets") ev.Stop();
  };
  detail.clear();
  PartResult part = zip.Parse(workbook, ev, detail);
  if (part != PartResult::Read) return FromPart(part, detail);
  return result;
}

SheetNames ReadOds(const Zip& zip) {
  std::string detail;
  bool encrypted = false;
  XmlEvents manifest;
  manifest.start = [&](const XML_Char* n, const XML_Char**) {
    if (LocalName(n) == "encryption-data") {
      encrypted = true;
      manifest.Stop();
    }
  };
  zip.Parse("META-INF/manifest.xml", manifest, detail);
  if (encrypted) return Fail(WorkbookReadError::Encrypted);

  SheetNames result;
  int depth = 0, spreadsheet_depth = -1;
  XmlEvents ev;
  ev.start = [&](const XML_Char* n, const XML_Char** a) {
    ++depth;
    std::string_view local = LocalName(n);
    if (local == "spreadsheet" && spreadsheet_depth < 0) {
      spreadsheet_depth = depth;
    } else if (local == "table" && depth == spreadsheet_depth + 1) {
      const XML_Char* name = Attr(a, "name", true, ":table:1.0");
      result.names.emplace_back(name ? name : "");
    }
  };
  ev.end = [&](const XML_Char*) {
    if (depth-- == spreadsheet_depth) ev.Stop();
  };
  detail.clear();
  PartResult part = zip.Parse("content.xml", ev, detail);
  if (part != PartResult::Read) return FromPart(part, detail);
  if (spreadsheet_depth < 0) return Fail(WorkbookReadError::NotWorkbook);
  return result;
}

SheetNames ReadZip(const std::string& path) {
  int code = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, &code);
  if (!z) {
    zip_error_t e;
    zip_error_init_with_code(&e, code);
    std::string detail = zip_error_strerror(&e);
    zip_error_fini(&e);
    return Fail(code == ZIP_ER_NOZIP ? WorkbookReadError::NotWorkbook : WorkbookReadError::Broken,
                detail);
  }
  Zip zip(z);
  if (zip.Has("[Content_Types].xml")) return ReadOoxml(zip);
  if (zip.Has("content.xml")) return ReadOds(zip);
  return Fail(WorkbookReadError::NotWorkbook);
}

}  // namespace

SheetNames ReadSheetNames(const std::string& path) {
  // Without blocking: a fifo that carries a workbook's name must not hang the listing.
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return Fail(WorkbookReadError::CannotOpen, std::strerror(errno));
  struct stat st {};
  unsigned char magic[8] = {};
  ssize_t got = -1;
  std::string why;
  // NOLINTNEXTLINE(bugprone-branch-clone): fstat and read failures both report the system's reason
  if (fstat(fd, &st) != 0) {
    why = std::strerror(errno);
  } else if (S_ISDIR(st.st_mode)) {
    why = std::strerror(EISDIR);
  } else if (!S_ISREG(st.st_mode)) {
    why = "通常のファイルではありません";
  } else if ((got = read(fd, magic, sizeof magic)) < 0) {
    why = std::strerror(errno);
  }
  close(fd);
  if (!why.empty()) return Fail(WorkbookReadError::CannotOpen, why);
  if (got == 0) return Fail(WorkbookReadError::Empty);
  static constexpr unsigned char kZip[4] = {'P', 'K', 3, 4};
  static constexpr unsigned char kCfb[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  if (got >= 4 && std::memcmp(magic, kZip, 4) == 0) return ReadZip(path);
  if (got == 8 && std::memcmp(magic, kCfb, 8) == 0) return ReadBiffSheetNames(path);
  return Fail(WorkbookReadError::NotWorkbook);
}

std::string UnreadableWorkbookMessage(std::string_view path, const SheetNames& r) {
  std::string why;
  switch (r.error) {
    case WorkbookReadError::None:
      return {};
    case WorkbookReadError::CannotOpen:
      why = "ファイルを開けません";
      break;
    case WorkbookReadError::Empty:
      why = "空のファイルです";
      break;
    case WorkbookReadError::Encrypted:
      why = "パスワードで保護されています";
      break;
    case WorkbookReadError::NotWorkbook:
      why = "EXCELファイルではありません";
      break;
    case WorkbookReadError::Broken:
      why = "ファイルが壊れています";
      break;
  }
  if (!r.detail.empty()) why += "（" + r.detail + "）";
  return "EXCELファイルを読み込めませんでした。読み飛ばします。　\n\n" + ToDisplay(path) + "\n" +
         why;
}

bool IsWorkbookName(std::string_view name) {
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  std::string ext(name.substr(dot));
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ext == ".xls" || ext == ".xlsx" || ext == ".xlsm" || ext == ".ods";
}

}  // namespace kelvora
