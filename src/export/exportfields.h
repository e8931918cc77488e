// The columns a user picks for an export.
#pragma once

namespace zoqa {

struct TExportFields {
  bool company = false, qq = false, mobile = false, email = false, location = false, url = false;
};

}  // namespace zoqa
