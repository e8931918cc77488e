#define PCRE2_CODE_UNIT_WIDTH 8
#include "harvest/regexp.h"

#include <pcre2.h>

#include "harvest/ecmapattern.h"
#include "util/codepage.h"

namespace zoqa {
namespace {

// Room for lazy spans that cover a whole page: the JIT stack is reserved up front but only
// the part that a search touches is ever backed by memory.
constexpr std::size_t kJitStackStart = 64 * 1024;
constexpr std::size_t kJitStackMax = 512 * 1024 * 1024;
// Generous enough for any legitimate page, finite so that a pathological page ends the
// search with an error instead of running for hours.
constexpr uint32_t kMatchLimit = 500'000'000;
constexpr uint32_t kHeapLimitKiB = 1024 * 1024;

constexpr uint32_t kCompileOptions = PCRE2_UTF | PCRE2_CASELESS | PCRE2_DOLLAR_ENDONLY |
                                     PCRE2_ALLOW_EMPTY_CLASS | PCRE2_MATCH_UNSET_BACKREF;

std::string ErrorText(int code) {
  PCRE2_UCHAR buffer[256];
  int n = pcre2_get_error_message(code, buffer, sizeof buffer);
  return n < 0 ? "unknown error " + std::to_string(code)
               : std::string(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(n));
}

// Position just after the UTF-8 character that starts at `pos`.
std::size_t NextChar(std::string_view s, std::size_t pos) {
  ++pos;
  while (pos < s.size() && (static_cast<unsigned char>(s[pos]) & 0xC0) == 0x80) ++pos;
  return pos;
}

}  // namespace

class TRegExp::Compiled {
 public:
  explicit Compiled(std::string_view ecma) {
    std::string pattern = TranslateEcmaPattern(ecma);
    int error = 0;
    PCRE2_SIZE offset = 0;
    code_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                          kCompileOptions, &error, &offset, nullptr);
    if (!code_) {
      throw ERegExpError("invalid pattern \"" + std::string(ecma) + "\": " + ErrorText(error));
    }
    pcre2_jit_compile(code_, PCRE2_JIT_COMPLETE);  // without JIT the interpreter serves
    data_ = pcre2_match_data_create(1, nullptr);
  }
  ~Compiled() {
    pcre2_match_data_free(data_);
    pcre2_code_free(code_);
  }
  Compiled(const Compiled&) = delete;
  Compiled& operator=(const Compiled&) = delete;

  pcre2_code* code_ = nullptr;
  pcre2_match_data* data_ = nullptr;
};

struct TRegExp::Engine {
  Engine() {
    context = pcre2_match_context_create(nullptr);
    stack = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
    pcre2_jit_stack_assign(context, nullptr, stack);
    pcre2_set_match_limit(context, kMatchLimit);
    pcre2_set_heap_limit(context, kHeapLimitKiB);
  }
  ~Engine() {
    pcre2_jit_stack_free(stack);
    pcre2_match_context_free(context);
  }
  pcre2_match_context* context = nullptr;
  pcre2_jit_stack* stack = nullptr;
};

TRegExp::TRegExp() : engine_(std::make_unique<Engine>()) {}
TRegExp::~TRegExp() = default;

TRegExp::Compiled& TRegExp::Get(std::string_view pattern) {
  auto it = cache_.find(std::string(pattern));
  if (it == cache_.end()) {
    it = cache_.emplace(std::string(pattern), std::make_unique<Compiled>(pattern)).first;
  }
  return *it->second;
}

std::vector<TRegExp::Span> TRegExp::Spans(std::string_view pattern, std::string_view utf8,
                                          std::size_t limit, bool knownValid) {
  Compiled& c = Get(pattern);
  std::vector<Span> spans;
  std::size_t start = 0;
  // The text is checked for valid UTF-8 once, on the first search, unless known to be.
  uint32_t options = knownValid ? PCRE2_NO_UTF_CHECK : 0;
  while (start <= utf8.size() && spans.size() < limit) {
    int rc = pcre2_match(c.code_, reinterpret_cast<PCRE2_SPTR>(utf8.data()), utf8.size(), start,
                         options, c.data_, engine_->context);
    if (rc == PCRE2_ERROR_NOMATCH) break;
    if (rc < 0) throw ERegExpError("pattern search failed: " + ErrorText(rc));
    options = PCRE2_NO_UTF_CHECK;
    const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(c.data_);
    spans.push_back({ov[0], ov[1]});
    // An empty match moves the next search on by one character, as ECMAScript does.
    start = ov[1] > ov[0] ? ov[1] : NextChar(utf8, ov[1]);
  }
  return spans;
}

std::vector<std::string> TRegExp::FindAllUtf8(std::string_view pattern, std::string_view utf8,
                                              std::size_t maxMatches, bool knownValid) {
  std::vector<std::string> out;
  for (const Span& s : Spans(pattern, utf8, maxMatches, knownValid)) {
    out.emplace_back(utf8.substr(s.begin, s.end - s.begin));
  }
  return out;
}

std::vector<std::string> TRegExp::FindAll(std::string_view pattern, std::string_view text) {
  std::vector<std::string> out =
      FindAllUtf8(pattern, Cp936ToUtf8(text), std::numeric_limits<std::size_t>::max(), true);
  for (auto& m : out) m = Utf8ToCp936(m);
  return out;
}

std::string TRegExp::ReplaceAll(std::string_view pattern, std::string_view text,
                                std::string_view replacement) {
  std::string utf8 = Cp936ToUtf8(text);
  std::string out;
  std::size_t pos = 0;
  for (const Span& s : Spans(pattern, utf8, std::numeric_limits<std::size_t>::max(), true)) {
    out += Utf8ToCp936(std::string_view(utf8).substr(pos, s.begin - pos));
    out += replacement;
    pos = s.end;
  }
  out += Utf8ToCp936(std::string_view(utf8).substr(pos));
  return out;
}

}  // namespace zoqa
