#include "harvest/text/pagetext.h"

#include "util/codepage.h"

namespace zoqa {

TPageText TPageText::FromUtf8(std::string_view utf8) {
  TPageText page{std::string()};
  page.converted_ = Utf8ToCp936AndUtf8(utf8, page.cp936_, page.utf8_);
  return page;
}

const std::string& TPageText::Utf8() const {
  if (!converted_) {
    utf8_ = Cp936ToUtf8(cp936_);
    converted_ = true;
  }
  return utf8_;
}

}  // namespace zoqa
