/* Calls every scanning routine from C, through the shared library, on the
 * four code points U+0061 U+00E9 U+20AC U+1F600. */

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "scriblet/scan.h"

int scriblet_c_api_failures(char* report, size_t capacity);

#define CHECK(cond)                                                                  \
  do {                                                                               \
    if (!(cond)) {                                                                   \
      ++failures;                                                                    \
      if (used < capacity) {                                                         \
        int w = snprintf(report + used, capacity - used, "%s:%d: %s\n", __FILE__,    \
                         __LINE__, #cond);                                           \
        if (w > 0) used += (size_t)w;                                                \
      }                                                                              \
    }                                                                                \
  } while (0)

int scriblet_c_api_failures(char* report, size_t capacity) {
  static const uint8_t text[10] = {0x61, 0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80};
  static const uint8_t ill[2] = {0xC0, 0x80};
  static const uint8_t truncated[1] = {0xE2};
  static const uint8_t literal[5] = {0x61, 0xC0, 0x80, 0x62, 0x00};
  uint8_t out[8];
  int failures = 0;
  size_t used = 0;
  if (capacity > 0) report[0] = '\0';

  CHECK(hs_scriblet_length(text, 10) == 4);
  CHECK(hs_scriblet_length(text, 0) == 0);
  CHECK(hs_scriblet_index_ofs(text, 10, 2) == 3);
  CHECK(hs_scriblet_index_ofs(text, 10, 4) == 10);
  CHECK(hs_scriblet_index_ofs_rev(text, 10, 0) == 6);
  CHECK(hs_scriblet_index_ofs_rev(text, 10, 4) == 10);
  CHECK(hs_scriblet_ofs_cp(text, 3) == 0x20AC);
  CHECK(hs_scriblet_ofs_cp_rev(text, 6) == 0x20AC);
  CHECK(hs_scriblet_index_cp(text, 10, 1) == 0xE9);
  CHECK(hs_scriblet_index_cp(text, 10, 4) == UINT64_MAX);
  CHECK(hs_scriblet_index_cp_rev(text, 10, 0) == 0x1F600);
  CHECK(hs_scriblet_index_cp_rev(text, 10, 9) == UINT64_MAX);
  CHECK(hs_scriblet_is_valid_utf8(text, 10) == 0);
  CHECK(hs_scriblet_is_valid_utf8(ill, 2) == 1);
  CHECK(hs_scriblet_is_valid_utf8(truncated, 1) == -2);
  CHECK(hs_scriblet_ascii_length(text, 10) == 1);
  CHECK(hs_scriblet_is_ascii(text, 10) == 0);
  CHECK(hs_scriblet_is_ascii(text, 1) == 1);
  CHECK(hs_scriblet_mutf8_strlen("a\xC0\x80" "b") == -3);
  CHECK(hs_scriblet_mutf8_strlen("abc") == 3);
  CHECK(hs_scriblet_mutf8_strlen(literal) == -3);
  memset(out, 0xAA, sizeof out);
  hs_scriblet_mutf8_trans("a\xC0\x80" "b", out);
  CHECK(out[0] == 0x61 && out[1] == 0x00 && out[2] == 0x62 && out[3] == 0xAA);
  return failures;
}
