// libFuzzer target: every scanning routine on arbitrary bytes, held in a heap
// buffer of exactly their size so that AddressSanitizer sees any read past
// them; the fast kernels must agree with the byte-at-a-time reference.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "scan_kernels.hpp"
#include "scriblet/scan.h"

#define FUZZ_CHECK(cond) \
  do {                   \
    if (!(cond)) std::abort(); \
  } while (0)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace s = scriblet::scan;
  const std::unique_ptr<std::uint8_t[]> owned(new std::uint8_t[size ? size : 1]);
  std::uint8_t* p = owned.get();
  if (size) std::memcpy(p, data, size);
  const std::uint64_t n = size;

  const std::int32_t valid = s::validateReference(p, n);
  FUZZ_CHECK(hs_scriblet_is_valid_utf8(p, n) == valid);
  FUZZ_CHECK(s::validatePortable(p, n) == valid);
#if defined(SCRIBLET_HAVE_SSE_KERNELS)
  FUZZ_CHECK(s::validateSse(p, n) == valid);
#endif
#if defined(SCRIBLET_X86)
  if (__builtin_cpu_supports("avx2")) {
#if defined(SCRIBLET_HAVE_SSE_KERNELS)
    FUZZ_CHECK(s::validateAvx2(p, n) == valid);
#endif
    FUZZ_CHECK(s::lengthAvx2(p, n) == s::lengthReference(p, n));
  }
  FUZZ_CHECK(s::lengthSse(p, n) == s::lengthReference(p, n));
#endif
  FUZZ_CHECK(hs_scriblet_length(p, n) == s::lengthReference(p, n));
  const std::uint64_t ascii = s::asciiLengthReference(p, n);
  FUZZ_CHECK(hs_scriblet_ascii_length(p, n) == ascii);
  FUZZ_CHECK(hs_scriblet_is_ascii(p, n) == (ascii == n ? 1 : 0));

  // Offsets found block by block are the step-by-step walk's, on any bytes.
  for (std::uint64_t i : {n / 4, n / 2, n - n / 8, n - 3, n - 1, n, n + 1}) {
    FUZZ_CHECK(hs_scriblet_index_ofs(p, n, i) == s::indexOffsetReference(p, n, i));
  }

  // Positional routines on any bytes: results stay within n, reads within p.
  for (std::uint64_t i = 0; i <= n + 1 && i < 64; ++i) {
    FUZZ_CHECK(hs_scriblet_index_ofs(p, n, i) <= n);
    FUZZ_CHECK(hs_scriblet_index_ofs_rev(p, n, i) <= n);
    hs_scriblet_index_cp(p, n, i);
    hs_scriblet_index_cp_rev(p, n, i);
  }

  // The literal routines on the bytes up to the first NUL, NUL-terminated.
  const std::size_t len = ::strnlen(reinterpret_cast<const char*>(data), size);
  const std::unique_ptr<char[]> literal(new char[len + 1]);
  std::memcpy(literal.get(), data, len);
  literal[len] = '\0';
  const std::int64_t r = hs_scriblet_mutf8_strlen(literal.get());
  const std::size_t out = static_cast<std::size_t>(r < 0 ? -r : r);
  FUZZ_CHECK(out <= len);
  if (r < 0) {
    const std::unique_ptr<std::uint8_t[]> dst(new std::uint8_t[out]);
    hs_scriblet_mutf8_trans(literal.get(), dst.get());
  }
  return 0;
}
