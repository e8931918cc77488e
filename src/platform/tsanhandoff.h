// Tells ThreadSanitizer about the ordering that a hand-off through Qt's event queue gives.
// The system's Qt is not built with ThreadSanitizer, so a payload written by a worker before
// it posts and read by the main thread when the posted call runs would look like a race.
// Both calls do nothing in builds without ThreadSanitizer.
#pragma once

#if defined(__SANITIZE_THREAD__)
#define ZOQA_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define ZOQA_TSAN 1
#endif
#endif

#ifdef ZOQA_TSAN
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
#endif

namespace zoqa {

// Before the hand-off, on the sending thread.
inline void HandOffRelease([[maybe_unused]] const void* tag) {
#ifdef ZOQA_TSAN
  __tsan_release(const_cast<void*>(tag));
#endif
}

// When the handed-off call runs, on the receiving thread.
inline void HandOffAcquire([[maybe_unused]] const void* tag) {
#ifdef ZOQA_TSAN
  __tsan_acquire(const_cast<void*>(tag));
#endif
}

}  // namespace zoqa
