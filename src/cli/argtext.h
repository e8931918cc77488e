// Command-line arguments (UTF-8) as code page 936 text, the encoding of everything the store
// and the cipher tools work on.
#pragma once

#include <string>

namespace zoqa::cli {

// `utf8` in code page 936. Raises UsageError, naming `what`, when the argument is not valid
// UTF-8 or holds a character that the code page cannot hold: such a character would silently
// become "?", so that different keywords, keys or texts would turn into the same one.
std::string Cp936Argument(const std::string& utf8, const std::string& what);

}  // namespace zoqa::cli
