// Zip archives for tests, made with libzip: files and folders with or without stored Unix
// permission bits, any names (also ones an unpacker must refuse).
#pragma once

#include <string>
#include <vector>

namespace zoqa::test {

class TZipBuilder {
 public:
  static constexpr int kNoUnixMode = -1;  // stored as made on Windows, without permissions

  // A file entry; `unixMode` such as 0755 is stored with the regular-file type.
  TZipBuilder& File(const std::string& name, const std::string& data, int unixMode = 0644,
                    bool compress = true);
  // A folder entry ("name/").
  TZipBuilder& Folder(const std::string& name, int unixMode = 0755);
  // An entry with raw Unix mode bits, file type included (a link: S_IFLNK | 0777).
  TZipBuilder& Special(const std::string& name, const std::string& data, unsigned rawMode);

  // The archive's bytes.
  std::string Bytes() const;
  void WriteTo(const std::string& path) const;

 private:
  struct TItem {
    std::string Name;
    std::string Data;
    bool Folder = false;
    bool Compress = true;
    bool Unix = true;
    unsigned RawMode = 0;  // type and permission bits
  };
  std::vector<TItem> items_;
};

}  // namespace zoqa::test
