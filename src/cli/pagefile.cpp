#include "cli/pagefile.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace zoqa::cli {

std::string ReadPageFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) throw std::runtime_error("cannot read " + path);
  return bytes;
}

}  // namespace zoqa::cli
