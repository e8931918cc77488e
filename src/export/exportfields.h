// The columns a user picks for an export, and the file format.
#pragma once

namespace zoqa {

struct TExportFields {
  bool company = false, qq = false, mobile = false, email = false, location = false, url = false;
  bool tel = false;  // the landlines
  bool Any() const { return company || qq || mobile || email || location || url || tel; }
};

// Comma-separated text, the classic BIFF worksheet (.xls) or an Office Open XML workbook (.xlsx).
enum class TExportFormat { Text, Xls, Xlsx };

}  // namespace zoqa
