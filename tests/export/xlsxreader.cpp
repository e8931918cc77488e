#include "xlsxreader.h"

#include <zip.h>

#include <pugixml.hpp>
#include <stdexcept>

namespace zoqa::test {

namespace {

constexpr int kTextFormat = 49;  // the built-in number format "@"

std::string ZipEntry(const std::string& file, const char* name) {
  int error = 0;
  zip_t* zip = zip_open(file.c_str(), ZIP_RDONLY, &error);
  if (!zip) throw std::runtime_error("not a zip archive: " + file);
  zip_stat_t stat;
  zip_file_t* entry = zip_stat(zip, name, 0, &stat) == 0 ? zip_fopen(zip, name, 0) : nullptr;
  std::string bytes(entry ? stat.size : 0, '\0');
  bool read = entry && zip_fread(entry, bytes.data(), bytes.size()) == zip_int64_t(bytes.size());
  if (entry) zip_fclose(entry);
  zip_discard(zip);
  if (!read) throw std::runtime_error(std::string("no part ") + name);
  return bytes;
}

void Load(pugi::xml_document& doc, const std::string& bytes) {
  if (!doc.load_buffer(bytes.data(), bytes.size())) throw std::runtime_error("bad XML");
}

struct TStyle {
  bool bold = false, wrap = false, text = false;
};

std::vector<TStyle> Styles(const std::string& file) {
  pugi::xml_document doc;
  Load(doc, ZipEntry(file, "xl/styles.xml"));
  pugi::xml_node sheet = doc.child("styleSheet");
  std::vector<bool> boldFonts;
  for (pugi::xml_node font : sheet.child("fonts").children("font")) {
    boldFonts.push_back(font.child("b") != nullptr);
  }
  std::vector<TStyle> styles;
  for (pugi::xml_node xf : sheet.child("cellXfs").children("xf")) {
    unsigned font = xf.attribute("fontId").as_uint();
    styles.push_back({font < boldFonts.size() && boldFonts[font],
                      xf.child("alignment").attribute("wrapText").as_bool(),
                      xf.attribute("numFmtId").as_int() == kTextFormat});
  }
  return styles;
}

// "C12" → column 2.
std::size_t Column(const std::string& ref) {
  std::size_t col = 0;
  for (char c : ref) {
    if (c < 'A' || c > 'Z') break;
    col = col * 26 + static_cast<std::size_t>(c - 'A' + 1);
  }
  return col - 1;
}

}  // namespace

TXlsxSheet ReadXlsx(const std::string& file) {
  const std::vector<TStyle> styles = Styles(file);
  pugi::xml_document doc;
  Load(doc, ZipEntry(file, "xl/worksheets/sheet1.xml"));
  pugi::xml_node worksheet = doc.child("worksheet");
  TXlsxSheet sheet;
  pugi::xml_node pane = worksheet.child("sheetViews").child("sheetView").child("pane");
  if (std::string(pane.attribute("state").value()) == "frozen") {
    sheet.frozenRows = pane.attribute("ySplit").as_int();
  }
  for (pugi::xml_node row : worksheet.child("sheetData").children("row")) {
    sheet.rows.resize(row.attribute("r").as_uint());
    auto& cells = sheet.rows.back();
    for (pugi::xml_node c : row.children("c")) {
      std::size_t col = Column(c.attribute("r").value());
      if (cells.size() <= col) cells.resize(col + 1);
      TStyle style = styles.at(c.attribute("s").as_uint());
      sheet.allText =
          sheet.allText && style.text && std::string(c.attribute("t").value()) == "inlineStr";
      cells[col] = {c.child("is").child("t").text().get(), style.bold, style.wrap};
    }
  }
  return sheet;
}

std::vector<std::vector<std::string>> Texts(const TXlsxSheet& sheet) {
  std::vector<std::vector<std::string>> texts;
  for (const auto& row : sheet.rows) {
    texts.emplace_back();
    for (const TXlsxCell& cell : row) texts.back().push_back(cell.text);
  }
  return texts;
}

}  // namespace zoqa::test
