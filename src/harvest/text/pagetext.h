// A fetched page's text in code page 936, with its UTF-8 form made once on first use for
// all of the page's pattern searches.
#pragma once

#include <string>
#include <string_view>

namespace zoqa {

class TPageText {
 public:
  explicit TPageText(std::string cp936) : cp936_(std::move(cp936)) {}

  // A page fetched as UTF-8: both forms made in one pass. Text that is not valid UTF-8
  // gives an empty page, as the conversion into the code page does.
  static TPageText FromUtf8(std::string_view utf8);

  const std::string& Cp936() const { return cp936_; }
  const std::string& Utf8() const;

 private:
  std::string cp936_;
  mutable std::string utf8_;
  mutable bool converted_ = false;
};

}  // namespace zoqa
