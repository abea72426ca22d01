// The workbook sheet-name readers (.xlsx/.xlsm and .ods through libzip and expat, .xls from its
// compound file's records), given a file. Input: a first byte choosing what the rest becomes, then
// the rest:
//   0  the file's bytes as they stand (zip, compound file or anything)
//   1  sheet names, one a line, written into an .xlsx (a name starting "#" is a chart sheet)
//   2  sheet names, one a line, written into an .ods
//   3  the workbook part of an .xlsx      4  the workbook's relationships of an .xlsx
//   5  the package relationships of an .xlsx      6  the content part of an .ods
//   7  sheet names, one a line, written into an .xls (BIFF8 in a compound file; the workbook
//      stream goes to the mini stream when it is short)
// Names written by 1 and 2 read back exactly (chart sheets left out) when they are XML text;
// whatever the input, names read are UTF-8 and a failure names the file and reads no names.
#include <zip.h>

#include <algorithm>

#include "fuzz_support.h"
#include "platform/cp932.h"
#include "sheet/sheet_names.h"

using namespace kelvora;

namespace {

constexpr std::string_view kRelNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

std::string Escape(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        if (c < 0x20) {
          out += "&#" + std::to_string(c) + ";";
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

// Text an XML 1.0 document can hold: valid UTF-8 without control characters other than tab,
// LF and CR, and without U+FFFE and U+FFFF.
bool IsXmlText(std::string_view text) {
  if (!IsValidUtf8(text)) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
    if (c == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
        (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE)
      return false;
  }
  return true;
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at <= text.size() && lines.size() < 16) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    lines.emplace_back(text.substr(at, end - at));
    at = end + 1;
  }
  return lines;
}

using Parts = std::vector<std::pair<std::string, std::string>>;

void WriteZip(const std::string& path, const Parts& parts) {
  std::remove(path.c_str());
  int error = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  FUZZ_CHECK(z);
  for (const auto& [name, bytes] : parts) {
    zip_source_t* src = zip_source_buffer(z, bytes.data(), bytes.size(), 0);
    FUZZ_CHECK(src);
    const zip_int64_t index = zip_file_add(z, name.c_str(), src, ZIP_FL_OVERWRITE);
    FUZZ_CHECK(index >= 0);
    zip_set_file_compression(z, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
  }
  FUZZ_CHECK(zip_close(z) == 0);
}

const std::string kContentTypes =
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>";
const std::string kPackageRels =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"" +
    std::string(kRelNs) + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";

std::string WorkbookXml(const std::vector<std::string>& names) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<workbook "
      "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" xmlns:r=\"" +
      std::string(kRelNs) + "\"><sheets>";
  for (std::size_t i = 0; i < names.size(); ++i)
    xml += "<sheet name=\"" + Escape(names[i]) + "\" sheetId=\"" + std::to_string(i + 1) +
           "\" r:id=\"rId" + std::to_string(i + 1) + "\"/>";
  return xml + "</sheets></workbook>";
}

std::string WorkbookRels(const std::vector<std::string>& names) {
  std::string xml =
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  for (std::size_t i = 0; i < names.size(); ++i) {
    const bool chart = !names[i].empty() && names[i][0] == '#';
    xml += "<Relationship Id=\"rId" + std::to_string(i + 1) + "\" Type=\"" + std::string(kRelNs) +
           (chart ? "/chartsheet\" Target=\"chartsheets/sheet"
                  : "/worksheet\" Target=\"worksheets/sheet") +
           std::to_string(i + 1) + ".xml\"/>";
  }
  return xml + "</Relationships>";
}

std::string OdsContent(const std::vector<std::string>& names) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
      "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
      "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\"><office:body>"
      "<office:spreadsheet>";
  for (const std::string& name : names)
    xml += "<table:table table:name=\"" + Escape(name) + "\"><table:table-row/></table:table>";
  return xml + "</office:spreadsheet></office:body></office:document-content>";
}

Parts Xlsx(std::string workbook, std::string rels, std::string package = kPackageRels) {
  return {{"[Content_Types].xml", kContentTypes},
          {"_rels/.rels", std::move(package)},
          {"xl/workbook.xml", std::move(workbook)},
          {"xl/_rels/workbook.xml.rels", std::move(rels)}};
}

Parts Ods(std::string content) {
  return {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
          {"content.xml", std::move(content)}};
}

void Put16(std::string& s, std::size_t at, std::uint32_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8 & 0xFF);
}
void Put32(std::string& s, std::size_t at, std::uint32_t v) {
  Put16(s, at, v & 0xFFFF);
  Put16(s, at + 2, v >> 16);
}
void Record(std::string& s, std::uint16_t type, const std::string& body) {
  std::string head(4, '\0');
  Put16(head, 0, type);
  Put16(head, 2, static_cast<std::uint32_t>(body.size()));
  s += head + body;
}

// Code points of valid UTF-8.
std::vector<std::uint32_t> CodePoints(std::string_view utf8) {
  std::vector<std::uint32_t> out;
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    std::uint32_t v = n == 1 ? c : n == 2 ? c & 0x1F : n == 3 ? c & 0x0F : c & 0x07;
    for (int k = 1; k < n; ++k) v = v << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    out.push_back(v);
    i += static_cast<std::size_t>(n);
  }
  return out;
}

// A BIFF8 workbook stream in a version 3 compound file: the names that can be written (valid
// UTF-8 without U+0000 and surrogates, at most 255 UTF-16 units) are, the others left out.
// Returns the names a reader must give back.
std::vector<std::string> WriteXls(const std::string& path, const std::vector<std::string>& names) {
  std::string stream, bof(16, '\0');
  Put16(bof, 0, 0x0600);
  Put16(bof, 2, 0x0005);
  Record(stream, 0x0809, bof);
  Record(stream, 0x0042, std::string("\xB0\x04", 2));
  std::vector<std::string> want;
  for (const std::string& name : names) {
    if (!IsValidUtf8(name) || name.find('\0') != std::string::npos) continue;
    std::vector<std::uint16_t> units;
    for (std::uint32_t c : CodePoints(name)) {
      if (c >= 0x10000) {
        units.push_back(static_cast<std::uint16_t>(0xD800 + ((c - 0x10000) >> 10)));
        units.push_back(static_cast<std::uint16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
      } else {
        units.push_back(static_cast<std::uint16_t>(c));
      }
    }
    if (units.size() > 255) continue;
    const bool wide = std::any_of(units.begin(), units.end(), [](auto u) { return u > 0xFF; });
    const bool chart = !name.empty() && name[0] == '#';
    std::string body(8, '\0');
    body[5] = chart ? 2 : 0;
    body[6] = static_cast<char>(units.size());
    body[7] = wide ? 1 : 0;
    for (std::uint16_t u : units) {
      body += static_cast<char>(u & 0xFF);
      if (wide) body += static_cast<char>(u >> 8);
    }
    Record(stream, 0x0085, body);
    if (!chart) want.push_back(name);
  }
  Record(stream, 0x000A, {});

  // Sector 0 the allocation table, 1 the directory, then the mini table and the mini stream, or
  // the workbook stream.
  constexpr std::uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF;
  const bool mini = stream.size() < 4096;
  std::string body = stream;
  std::string mini_fat;
  if (mini) {
    const std::size_t units = (stream.size() + 63) / 64;
    mini_fat.assign(512, '\xFF');
    for (std::size_t i = 0; i < units; ++i)
      Put32(mini_fat, 4 * i, i + 1 == units ? kEnd : static_cast<std::uint32_t>(i + 1));
    body.resize(units * 64, '\0');
  }
  body.resize((body.size() + 511) / 512 * 512, '\0');
  const std::uint32_t first = mini ? 3 : 2, count = static_cast<std::uint32_t>(body.size() / 512);
  std::string header(512, '\0'), fat(512, '\xFF'), dir(512, '\0');
  header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  Put16(header, 0x18, 0x3E);
  Put16(header, 0x1A, 3);
  Put16(header, 0x1C, 0xFFFE);
  Put16(header, 0x1E, 9);
  Put16(header, 0x20, 6);
  Put32(header, 0x2C, 1);
  Put32(header, 0x30, 1);
  Put32(header, 0x38, 4096);
  Put32(header, 0x3C, mini ? 2 : kEnd);
  Put32(header, 0x40, mini ? 1 : 0);
  Put32(header, 0x44, kEnd);
  for (std::size_t i = 0; i < 109; ++i) Put32(header, 0x4C + 4 * i, i == 0 ? 0 : kFree);
  Put32(fat, 0, 0xFFFFFFFD);
  Put32(fat, 4, kEnd);
  if (mini) Put32(fat, 8, kEnd);
  for (std::uint32_t i = 0; i < count; ++i)
    Put32(fat, 4 * (first + i), i + 1 == count ? kEnd : first + i + 1);
  auto entry = [&](std::size_t at, std::string_view name, int type, std::uint32_t child,
                   std::uint32_t start, std::uint32_t bytes) {
    for (std::size_t i = 0; i < name.size(); ++i) dir[at + 2 * i] = name[i];
    Put16(dir, at + 0x40, static_cast<std::uint32_t>(2 * name.size() + 2));
    dir[at + 0x42] = static_cast<char>(type);
    Put32(dir, at + 0x44, kFree);
    Put32(dir, at + 0x48, kFree);
    Put32(dir, at + 0x4C, child);
    Put32(dir, at + 0x74, start);
    Put32(dir, at + 0x78, bytes);
  };
  const auto stream_size = static_cast<std::uint32_t>(stream.size());
  entry(0, "Root Entry", 5, 1, mini ? first : kEnd, mini ? count * 512 : 0);
  entry(128, "Workbook", 2, kFree, mini ? 0 : first, stream_size);
  entry(256, "", 0, kFree, 0, 0);
  entry(384, "", 0, kFree, 0, 0);
  std::string file = header + fat + dir + mini_fat + body;
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(file.data(), file.size());
  return want;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::ScratchFile file("book");
  const int mode = size == 0 ? 0 : data[0] % 8;
  const std::string rest(fuzz::AsText(data, size).substr(size == 0 ? 0 : 1));
  const std::vector<std::string> names =
      mode == 1 || mode == 2 || mode == 7 ? Lines(rest) : std::vector<std::string>{};
  const std::vector<std::string> some{"Sheet1", "#Chart", "表2"};
  switch (mode) {
    case 0:
      file.Write(rest);
      break;
    case 1:
      WriteZip(file.path(), Xlsx(WorkbookXml(names), WorkbookRels(names)));
      break;
    case 2:
      WriteZip(file.path(), Ods(OdsContent(names)));
      break;
    case 3:
      WriteZip(file.path(), Xlsx(rest, WorkbookRels(some)));
      break;
    case 4:
      WriteZip(file.path(), Xlsx(WorkbookXml(some), rest));
      break;
    case 5:
      WriteZip(file.path(), Xlsx(WorkbookXml(some), WorkbookRels(some), rest));
      break;
    case 6:
      WriteZip(file.path(), Ods(rest));
      break;
  }
  std::vector<std::string> xls_names;
  if (mode == 7) xls_names = WriteXls(file.path(), names);

  const SheetNames got = ReadSheetNames(file.path());
  if (got.error == WorkbookReadError::None) {
    for (const std::string& name : got.names) FUZZ_CHECK(IsValidUtf8(name));
  } else {
    FUZZ_CHECK(got.names.empty());
    FUZZ_CHECK(UnreadableWorkbookMessage(file.path(), got).find(file.path()) != std::string::npos);
  }
  if (mode == 7) {
    FUZZ_CHECK(got.error == WorkbookReadError::None);
    FUZZ_CHECK(got.names == xls_names);
  }
  if (mode == 1 || mode == 2) {
    bool xml = true;
    std::vector<std::string> want;
    for (const std::string& name : names) {
      xml = xml && IsXmlText(name);
      if (mode == 2 || name.empty() || name[0] != '#') want.push_back(name);
    }
    if (xml) {
      FUZZ_CHECK(got.error == WorkbookReadError::None);
      FUZZ_CHECK(got.names == want);
    } else {
      FUZZ_CHECK(got.error == WorkbookReadError::Broken || got.names == want);
    }
  }
  return 0;
}
