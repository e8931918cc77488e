// The pattern facility: global, case-insensitive searches with patterns in the ECMAScript
// dialect. One object per thread; each pattern text is compiled once per object and reused.
// All objects of a thread share one JIT stack, which grows only as far as a search needs.
#pragma once

#include <cstddef>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zoqa {

// A pattern that does not compile, or a failure of the engine during a search.
class ERegExpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TRegExp {
 public:
  TRegExp();
  ~TRegExp();
  TRegExp(const TRegExp&) = delete;
  TRegExp& operator=(const TRegExp&) = delete;

  // The texts of all matches, left to right and non-overlapping. The pattern is UTF-8;
  // `text` and the results are code page 936.
  std::vector<std::string> FindAll(std::string_view pattern, std::string_view text);

  // `text` with every match replaced by `replacement` (taken literally); code page 936.
  std::string ReplaceAll(std::string_view pattern, std::string_view text,
                         std::string_view replacement);

  // FindAll over UTF-8 text with UTF-8 results, for callers that convert a page once for
  // many searches; stops after `maxMatches` matches. `knownValid` skips the check for valid
  // UTF-8 when the caller made the text itself.
  std::vector<std::string> FindAllUtf8(
      std::string_view pattern, std::string_view utf8,
      std::size_t maxMatches = std::numeric_limits<std::size_t>::max(), bool knownValid = false);

 private:
  class Compiled;
  struct Span {
    std::size_t begin;
    std::size_t end;
  };

  Compiled& Get(std::string_view pattern);
  std::vector<Span> Spans(std::string_view pattern, std::string_view utf8, std::size_t limit,
                          bool knownValid);

  std::unordered_map<std::string, std::unique_ptr<Compiled>> cache_;
  struct Engine;
  std::unique_ptr<Engine> engine_;
};

}  // namespace zoqa
