#include "support/zipbuilder.h"

#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cstdlib>
#include <stdexcept>

#include "support/testsupport.h"

namespace zoqa::test {

TZipBuilder& TZipBuilder::File(const std::string& name, const std::string& data, int unixMode,
                               bool compress) {
  TItem item{name, data, false, compress, unixMode != kNoUnixMode, 0};
  if (item.Unix) item.RawMode = S_IFREG | static_cast<unsigned>(unixMode);
  items_.push_back(item);
  return *this;
}

TZipBuilder& TZipBuilder::Folder(const std::string& name, int unixMode) {
  TItem item{name, {}, true, false, unixMode != kNoUnixMode, 0};
  if (item.Unix) item.RawMode = S_IFDIR | static_cast<unsigned>(unixMode);
  items_.push_back(item);
  return *this;
}

TZipBuilder& TZipBuilder::Special(const std::string& name, const std::string& data,
                                  unsigned rawMode) {
  items_.push_back({name, data, false, false, true, rawMode});
  return *this;
}

void TZipBuilder::WriteTo(const std::string& path) const {
  int error = 0;
  zip_t* za = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (za == nullptr) throw std::runtime_error("zip_open failed for " + path);
  for (const TItem& item : items_) {
    zip_int64_t index = -1;
    if (item.Folder) {
      index = zip_dir_add(za, item.Name.c_str(), ZIP_FL_ENC_UTF_8);
    } else {
      zip_source_t* source = zip_source_buffer(za, item.Data.data(), item.Data.size(), 0);
      index = zip_file_add(za, item.Name.c_str(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
      if (index < 0) zip_source_free(source);
    }
    if (index < 0) throw std::runtime_error(std::string("zip add failed: ") + zip_strerror(za));
    auto at = static_cast<zip_uint64_t>(index);
    if (!item.Folder)
      zip_set_file_compression(za, at, item.Compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
    if (item.Unix) {
      zip_file_set_external_attributes(za, at, 0, ZIP_OPSYS_UNIX,
                                       static_cast<zip_uint32_t>(item.RawMode) << 16);
    } else {
      zip_file_set_external_attributes(za, at, 0, ZIP_OPSYS_DOS, item.Folder ? 0x10 : 0x20);
    }
  }
  if (zip_close(za) != 0) {
    std::string text = zip_strerror(za);
    zip_discard(za);
    throw std::runtime_error("zip_close failed: " + text);
  }
}

std::string TZipBuilder::Bytes() const {
  TempDir dir;
  std::string path = dir.File("archive.zip");
  WriteTo(path);
  return ReadFileBytes(path);
}

}  // namespace zoqa::test
