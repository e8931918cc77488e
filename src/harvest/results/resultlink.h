// One result of a search result page as a harvester crawls it.
#pragma once

#include <cstdint>
#include <string>

namespace zoqa {

// Which reading of the page gave a result: the classic patterns, or the structural reader
// that parses the page's markup.
enum class TReader { Classic, Page };

struct TResultLink {
  std::string Title;  // code page 936; "" when the reading gives none
  std::string Link;   // absolute URL: the engine's click link or redirector, or the target
  std::uint8_t Certified = 0;
  bool Paid = false;  // a promoted result
  TReader Reader = TReader::Classic;
};

}  // namespace zoqa
