// The store's part of an export: the keyword's companies in list order, handed to the
// export writer.
#include "export/exportwriter.h"
#include "store/keylist.h"

namespace zoqa {

bool TKeyListInfo::WriteExport(const std::string& keyword, const std::string& fileName,
                               bool company, bool qq, bool mobile, bool email, bool location,
                               bool url, TExportFormat format) {
  const TKeyData* key = FindKey(keyword);
  if (key == nullptr || key->Companies.Empty()) return false;
  std::vector<const TCompany*> companies;
  companies.reserve(key->Companies.Count());
  for (const auto& entry : key->Companies) companies.push_back(entry.Company.get());
  TExportFields fields;
  fields.company = company;
  fields.qq = qq;
  fields.mobile = mobile;
  fields.email = email;
  fields.location = location;
  fields.url = url;
  return WriteExportFile(companies, fileName, fields, format);
}

}  // namespace zoqa
