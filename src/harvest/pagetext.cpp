#include "harvest/pagetext.h"

#include "util/codepage.h"

namespace zoqa {

const std::string& TPageText::Utf8() const {
  if (!converted_) {
    utf8_ = Cp936ToUtf8(cp936_);
    converted_ = true;
  }
  return utf8_;
}

}  // namespace zoqa
