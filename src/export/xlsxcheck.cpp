#include "export/xlsxcheck.h"

#include <zip.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <pugixml.hpp>
#include <stdexcept>
#include <string_view>

namespace zoqa {

namespace {

const char kSheetPart[] = "xl/worksheets/sheet1.xml";
constexpr std::string_view kRowStart = "<row ";
constexpr std::string_view kSheetEnd = "</worksheet>";
constexpr zip_uint64_t kMaxSmallPart = 16 << 20;
constexpr std::size_t kChunk = 1 << 16;

struct TZipDiscard {
  void operator()(zip_t* zip) const { zip_discard(zip); }
};
struct TZipFileClose {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

[[noreturn]] void Fail(const std::string& fileName, const std::string& why) {
  throw std::runtime_error("the workbook " + fileName + " is incomplete: " + why);
}

// Hands the part's bytes to `take` chunk by chunk; a read or checksum failure raises.
void ReadPart(zip_t* zip, zip_uint64_t index, const std::string& fileName,
              const std::function<void(std::string_view)>& take) {
  std::unique_ptr<zip_file_t, TZipFileClose> file(zip_fopen_index(zip, index, 0));
  if (!file) Fail(fileName, zip_strerror(zip));
  std::string buffer(kChunk, '\0');
  for (;;) {
    zip_int64_t n = zip_fread(file.get(), buffer.data(), buffer.size());
    if (n < 0) Fail(fileName, zip_file_strerror(file.get()));
    if (n == 0) return;
    take(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
  }
}

void CheckSmallPart(zip_t* zip, zip_uint64_t index, const std::string& fileName) {
  zip_stat_t stat;
  if (zip_stat_index(zip, index, 0, &stat) != 0 || stat.size > kMaxSmallPart) {
    Fail(fileName, "unexpected part");
  }
  std::string bytes;
  ReadPart(zip, index, fileName, [&](std::string_view chunk) { bytes.append(chunk); });
  pugi::xml_document doc;
  if (!doc.load_buffer(bytes.data(), bytes.size())) Fail(fileName, std::string(stat.name));
}

// The last `keep` bytes of `text`.
std::string Tail(std::string_view text, std::size_t keep) {
  return std::string(text.substr(text.size() - std::min(text.size(), keep)));
}

// Counts the row elements as the sheet streams by (one may begin in the previous chunk) and
// keeps the last bytes to see the sheet's closing tag.
void CheckSheet(zip_t* zip, zip_uint64_t index, const std::string& fileName, std::size_t rows) {
  std::size_t found = 0;
  std::string carry, tail;
  auto count = [&](std::string_view text) {
    for (std::size_t at = text.find(kRowStart); at != std::string_view::npos;
         at = text.find(kRowStart, at + kRowStart.size())) {
      ++found;
    }
  };
  ReadPart(zip, index, fileName, [&](std::string_view chunk) {
    // A tag that begins in the carried bytes ends within the chunk's first few.
    std::string seam = carry;
    seam.append(chunk.substr(0, kRowStart.size() - 1));
    count(seam);
    count(chunk);
    carry = chunk.size() >= kRowStart.size() - 1 ? Tail(chunk, kRowStart.size() - 1)
                                                 : Tail(seam, kRowStart.size() - 1);
    tail =
        Tail(tail.append(chunk.substr(chunk.size() - std::min(chunk.size(), kSheetEnd.size() + 8))),
             kSheetEnd.size() + 8);
  });
  while (!tail.empty() && std::isspace(static_cast<unsigned char>(tail.back()))) tail.pop_back();
  if (found != rows || !tail.ends_with(kSheetEnd)) Fail(fileName, "the sheet is cut short");
}

}  // namespace

void CheckWorkbookFile(const std::string& fileName, std::size_t rows) {
  int error = 0;
  std::unique_ptr<zip_t, TZipDiscard> zip(
      zip_open(fileName.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
  if (!zip) Fail(fileName, "not a complete zip archive");
  bool sheet = false;
  const zip_int64_t count = zip_get_num_entries(zip.get(), 0);
  for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
    const char* name = zip_get_name(zip.get(), i, 0);
    if (name && std::string_view(name) == kSheetPart) {
      CheckSheet(zip.get(), i, fileName, rows);
      sheet = true;
    } else {
      CheckSmallPart(zip.get(), i, fileName);
    }
  }
  if (!sheet) Fail(fileName, "no sheet");
}

}  // namespace zoqa
