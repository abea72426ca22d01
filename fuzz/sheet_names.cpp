// The workbook sheet-name readers (.xlsx/.xlsm and .ods through libzip and expat, .xls from its
// compound file's records), given a file. Input: a first byte choosing what the rest becomes, then
// the rest:
//   0  the file's bytes as they stand (zip, compound file or anything)
//   1  sheet names, one a line, written into an .xlsx (a name starting "#" is a chart sheet)
//   2  sheet names, one a line, written into an .ods
//   3  the workbook part of an .xlsx      4  the workbook's relationships of an .xlsx
//   5  the package relationships of an .xlsx      6  the content part of an .ods
// Names written by 1 and 2 read back exactly (chart sheets left out) when they are XML text;
// whatever the input, names read are UTF-8 and a failure names the file and reads no names.
#include <zip.h>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::ScratchFile file("book");
  const int mode = size == 0 ? 0 : data[0] % 7;
  const std::string rest(fuzz::AsText(data, size).substr(size == 0 ? 0 : 1));
  const std::vector<std::string> names =
      mode == 1 || mode == 2 ? Lines(rest) : std::vector<std::string>{};
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

  const SheetNames got = ReadSheetNames(file.path());
  if (got.error == WorkbookReadError::None) {
    for (const std::string& name : got.names) FUZZ_CHECK(IsValidUtf8(name));
  } else {
    FUZZ_CHECK(got.names.empty());
    FUZZ_CHECK(UnreadableWorkbookMessage(file.path(), got).find(file.path()) != std::string::npos);
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
