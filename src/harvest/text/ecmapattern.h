// Rewrites a pattern written in the ECMAScript dialect into PCRE2 syntax with the same
// meaning, so that the harvesting patterns behave as they do in a browser's engine.
#pragma once

#include <string>
#include <string_view>

namespace zoqa {

// `pattern` and the result are UTF-8. What changes:
//  - "." excludes exactly CR, LF, U+2028 and U+2029;
//  - "\s" and "\S" use ECMAScript's white-space set (U+00A0, U+3000, U+FEFF and the other
//    Unicode space separators included), also inside character classes;
//  - "\uXXXX" becomes "\x{XXXX}" and "\0" a NUL;
//  - the idioms "[\s\S]" and "(?:.|[\r\n])" become single-character sets, which the engine
//    repeats without keeping a backtracking frame per character.
std::string TranslateEcmaPattern(std::string_view pattern);

}  // namespace zoqa
