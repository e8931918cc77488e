// Saved pages given to zoqa-cli: read as raw bytes, as they were fetched.
#pragma once

#include <string>

namespace zoqa::cli {

// The whole file at `path`; std::runtime_error naming it when it cannot be read.
std::string ReadPageFile(const std::string& path);

}  // namespace zoqa::cli
