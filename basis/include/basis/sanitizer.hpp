#pragma once
// Which sanitizer a translation unit is built with (GCC and clang spell it
// differently), for the few places that tell its runtime about their stacks
// or step aside so that it sees every allocation: BASIS_ASAN and BASIS_TSAN
// are defined to 1 under AddressSanitizer and ThreadSanitizer.

#if defined(__SANITIZE_ADDRESS__)
#define BASIS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BASIS_ASAN 1
#endif
#endif

#if defined(__SANITIZE_THREAD__)
#define BASIS_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define BASIS_TSAN 1
#endif
#endif
