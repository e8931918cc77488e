// How a fetched body becomes page text: split into lines (CR, LF or CR LF), each line ended
// with CR LF, optionally trimmed, then decoded from UTF-8 into code page 936.
#pragma once

#include <string>
#include <string_view>

#include "harvest/text/pagetext.h"

namespace zoqa {

// The body's lines, each followed by CR LF.
std::string JoinBodyLines(std::string_view body);

// The harvesters' reading: lines joined, trimmed when `trim`, decoded from UTF-8 (text that is
// not valid UTF-8 gives an empty page).
TPageText DecodeBody(std::string_view body, bool trim);

// The crawlers' reading: as DecodeBody, but a body that is not UTF-8 is taken as code page
// 936 text as it is.
TPageText DecodeSitePage(std::string_view body, bool trim);

}  // namespace zoqa
