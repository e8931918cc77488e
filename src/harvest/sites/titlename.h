// A company name taken from a title, without the decorations sites put around it:
// "欢迎访问…有限公司", "…有限公司首页", "…有限公司官网" and the like.
#pragma once

#include <string>
#include <string_view>

namespace zoqa {

// `title` (code page 936) with the common greetings cut from its start and the common page
// names from its end, and the separators and blanks these leave at either end; otherwise
// as it is. A title that is nothing but decoration stays as it is.
std::string WithoutDecorations(std::string_view title);

}  // namespace zoqa
