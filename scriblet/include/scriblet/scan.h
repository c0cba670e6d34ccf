#ifndef SCRIBLET_SCAN_H
#define SCRIBLET_SCAN_H
/*
 * The byte-scanning routines of scriblet, callable from C.
 *
 * Every routine is pure and re-entrant: it reads only the bytes it is given,
 * keeps no state, allocates nothing and never fails. A buffer is a pointer
 * and a byte count n; counts, offsets and indices are unsigned 64-bit. Byte
 * pointers are untyped (const void*), so char and uint8_t buffers pass alike.
 *
 * Only hs_scriblet_is_valid_utf8, hs_scriblet_ascii_length and
 * hs_scriblet_is_ascii validate. The others expect well-formed UTF-8 and give
 * unspecified (but memory-safe) results on other input: the routines that
 * take a byte count never read at or beyond it, whatever the bytes are.
 * hs_scriblet_ofs_cp and hs_scriblet_ofs_cp_rev take no count, so their
 * offset must lie at the start (or end) of a whole code point inside the
 * buffer.
 */

#include <stdint.h>

#include "scriblet/export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Number of code points: the bytes that are not continuation bytes. O(n). */
SCRIBLET_API uint64_t hs_scriblet_length(const void* bytes, uint64_t n);

/* Byte offset at which code point i (0 = first) begins, or n when there is
 * no such code point. O(i). */
SCRIBLET_API uint64_t hs_scriblet_index_ofs(const void* bytes, uint64_t n, uint64_t i);

/* Byte offset at which code point i counted from the end (0 = last) begins,
 * or n when there is no such code point. O(i). */
SCRIBLET_API uint64_t hs_scriblet_index_ofs_rev(const void* bytes, uint64_t n, uint64_t i);

/* The code point whose first byte is at ofs. O(1). */
SCRIBLET_API uint64_t hs_scriblet_ofs_cp(const void* bytes, uint64_t ofs);

/* The code point whose last byte is at ofs - 1 (ofs >= 1). O(1). */
SCRIBLET_API uint64_t hs_scriblet_ofs_cp_rev(const void* bytes, uint64_t ofs);

/* Code point i from the start, or all ones (UINT64_MAX) when there is none
 * (also when its sequence is cut off by the end of the buffer). O(i). */
SCRIBLET_API uint64_t hs_scriblet_index_cp(const void* bytes, uint64_t n, uint64_t i);

/* Code point i from the end (0 = last), or all ones when there is none.
 * O(i). */
SCRIBLET_API uint64_t hs_scriblet_index_cp_rev(const void* bytes, uint64_t n, uint64_t i);

/* 0 when the bytes are well-formed UTF-8 (no overlong form, no surrogate,
 * nothing above U+10FFFF); 1 when ill-formed; -1, -2 or -3 when they end that
 * many bytes short of a sequence whose lead byte was accepted. O(n), SIMD. */
SCRIBLET_API int32_t hs_scriblet_is_valid_utf8(const void* bytes, uint64_t n);

/* Number of leading bytes below 0x80. O(n). */
SCRIBLET_API uint64_t hs_scriblet_ascii_length(const void* bytes, uint64_t n);

/* 1 when no byte is 0x80 or above, else 0. O(n). */
SCRIBLET_API int32_t hs_scriblet_is_ascii(const void* bytes, uint64_t n);

/* For a NUL-terminated modified-UTF-8 literal (U+0000 written C0 80, lone
 * surrogates in their 3-byte form): its byte length when it is plain UTF-8,
 * else the negated length of its transcoding. O(length). */
SCRIBLET_API int64_t hs_scriblet_mutf8_strlen(const void* literal);

/* Writes the transcoding of a modified-UTF-8 literal to dst: each C0 80
 * becomes 00, each encoded surrogate EF BF BD. dst needs room for the length
 * hs_scriblet_mutf8_strlen reports; no terminator is written. */
SCRIBLET_API void hs_scriblet_mutf8_trans(const void* literal, void* dst);

#ifdef __cplusplus
}
#endif

#endif /* SCRIBLET_SCAN_H */
