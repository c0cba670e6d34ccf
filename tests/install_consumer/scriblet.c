/* A C program calling scriblet's scanning routines: it names only
 * libscriblet, which brings in the rest. */
#include <scriblet/scan.h>

int main(void) {
  static const char bytes[] = "a\xC3\xA9\xE2\x82\xAC";
  const uint64_t n = sizeof bytes - 1;
  /* 0: well-formed; -1: the last sequence ends a byte short. */
  return hs_scriblet_length(bytes, n) == 3 && hs_scriblet_is_valid_utf8(bytes, n) == 0 &&
                 hs_scriblet_is_valid_utf8(bytes, n - 1) == -1
             ? 0
             : 1;
}
