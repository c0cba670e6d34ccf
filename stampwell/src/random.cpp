#include "stampwell/internal/random.hpp"

#include <cerrno>
#include <system_error>

#if defined(__linux__)
#include <sys/random.h>
#else
#include <unistd.h>
#endif

namespace stampwell {

namespace detail {

void throwRangeNotWhole() {
  static const basis::ErrorCall error(
      "stampwell: a random UUID is a version-4 UUID and can only be drawn from the whole "
      "UUID range");
  basis::throwErrorCall(error);
}

}  // namespace detail

void KernelEntropy::fill(std::uint64_t* out, std::size_t k) {
  auto* p = reinterpret_cast<unsigned char*>(out);
  std::size_t left = k * sizeof(std::uint64_t);
  // A read of up to 256 bytes is whole once the source is ready; a signal
  // while it waits to be ready interrupts it, and the read is retried.
  while (left != 0) {
    const std::size_t ask = left < 256 ? left : 256;
#if defined(__linux__)
    const ssize_t got = getrandom(p, ask, 0);
#else
    const ssize_t got = getentropy(p, ask) == 0 ? static_cast<ssize_t>(ask) : -1;
#endif
    if (got < 0) {
      if (errno == EINTR) continue;
      throw std::system_error(errno, std::generic_category(), "stampwell: reading the kernel's entropy");
    }
    p += got;
    left -= static_cast<std::size_t>(got);
  }
}

}  // namespace stampwell
