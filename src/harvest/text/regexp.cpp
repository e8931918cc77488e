#define PCRE2_CODE_UNIT_WIDTH 8
#include "harvest/text/regexp.h"

#include <pcre2.h>

#include <algorithm>

#include "harvest/text/ecmapattern.h"
#include "util/codepage.h"

namespace zoqa {
namespace {

// The JIT stack starts small and grows fourfold whenever a search runs out of room, up to a
// ceiling that holds lazy spans over a whole page. A stack reserves its maximum size up front,
// so growing only on demand keeps hundreds of searching threads cheap where the system counts
// reservations strictly.
constexpr std::size_t kJitStackStart = 32 * 1024;
constexpr std::size_t kJitStackFirstMax = 1024 * 1024;
constexpr std::size_t kJitStackCeiling = 512 * 1024 * 1024;
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

namespace {

// The JIT stack of the searches made on one thread: created on the thread's first search,
// replaced by a larger one only when a search needs more, freed when the thread ends. All
// pattern objects of the thread share it, since a thread runs one search at a time.
class ThreadJitStack {
 public:
  ThreadJitStack() = default;
  ~ThreadJitStack() { pcre2_jit_stack_free(stack_); }
  ThreadJitStack(const ThreadJitStack&) = delete;
  ThreadJitStack& operator=(const ThreadJitStack&) = delete;

  // The stack, created at its first size on first use; null when it cannot be reserved,
  // which leaves PCRE2 its small built-in stack.
  pcre2_jit_stack* Get() {
    if (stack_ == nullptr && max_ == 0) Replace(kJitStackFirstMax);
    return stack_;
  }

  // Replaces the stack by one four times as large; false at the ceiling or when the larger
  // stack cannot be reserved (the current one is then kept).
  bool Grow() {
    if (max_ >= kJitStackCeiling) return false;
    return Replace(std::min(std::max(max_, kJitStackFirstMax / 4) * 4, kJitStackCeiling));
  }

 private:
  bool Replace(std::size_t max) {
    pcre2_jit_stack* grown = pcre2_jit_stack_create(kJitStackStart, max, nullptr);
    if (grown == nullptr) {
      if (max_ == 0) max_ = kJitStackCeiling;  // nothing to grow from: do not retry per search
      return false;
    }
    pcre2_jit_stack_free(stack_);
    stack_ = grown;
    max_ = max;
    return true;
  }

  pcre2_jit_stack* stack_ = nullptr;
  std::size_t max_ = 0;  // maximum size of stack_; 0 before the first search
};

thread_local ThreadJitStack tJitStack;

// PCRE2 asks for the JIT stack at the start of every JIT search.
pcre2_jit_stack* CurrentJitStack(void*) {
  return tJitStack.Get();
}

}  // namespace

struct TRegExp::Engine {
  Engine() {
    context = pcre2_match_context_create(nullptr);
    pcre2_jit_stack_assign(context, CurrentJitStack, nullptr);
    pcre2_set_match_limit(context, kMatchLimit);
    pcre2_set_heap_limit(context, kHeapLimitKiB);
  }
  ~Engine() { pcre2_match_context_free(context); }

  // pcre2_match that gives a search which exhausts the JIT stack a larger one, and when the
  // stack cannot grow any further, runs it again in the interpreter, whose backtracking
  // lives on the heap.
  int Match(const pcre2_code* code, std::string_view subject, std::size_t start, uint32_t options,
            pcre2_match_data* data) {
    for (;;) {
      int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(),
                           start, options, data, context);
      if (rc != PCRE2_ERROR_JIT_STACKLIMIT) return rc;
      if (!tJitStack.Grow()) options |= PCRE2_NO_JIT;
    }
  }

  pcre2_match_context* context = nullptr;
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
    int rc = engine_->Match(c.code_, utf8, start, options, c.data_);
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
