// The store's part of an export: the keyword's companies read through cursors in the order
// asked for, handed to the export writer.
#include "export/exportwriter.h"
#include "store/keylist.h"

namespace zoqa {

bool TKeyListInfo::WriteExport(const std::string& keyword, const std::string& fileName,
                               const TExportFields& fields, TExportFormat format,
                               TSortOrder order) {
  if (FindKey(keyword) == nullptr) return false;
  try {
    if (CountCompanies(keyword) == 0) return false;
  } catch (...) {
    return false;
  }
  return WriteExportFile([&] { return OpenCompanies(keyword, order); }, fileName, fields, format);
}

bool TKeyListInfo::WriteExport(const std::string& keyword, const std::string& fileName,
                               bool company, bool qq, bool mobile, bool email, bool location,
                               bool url, TExportFormat format) {
  TExportFields fields;
  fields.company = company;
  fields.qq = qq;
  fields.mobile = mobile;
  fields.email = email;
  fields.location = location;
  fields.url = url;
  return WriteExport(keyword, fileName, fields, format);
}

}  // namespace zoqa
