#pragma once
// The error values scriblet raises. Each is a constant built once, on first
// use, whose call stack names the library's own raising site.

#include <basis/error.hpp>

#include "scriblet/export.h"

namespace scriblet {

// The package identifier that raising-site records carry.
inline constexpr const char* kPackage = "scriblet";

namespace detail {

enum class ErrorSite {
  InvalidOffset,     // "invalid offset"
  InvalidLength,     // "invalid length"
  FromLitAsciiAddr,  // "fromLitAsciiAddr#"
  Foldl1,            // "foldl1: empty ShortText"
  Foldl1Strict,      // "foldl1: empty ShortText", raised by foldl1'
  Foldr1,            // "foldr1: empty ShortText"
  DropAround,        // "dropAround: the impossible happened"
  Gunfold,           // "gunfold"
  PartialHead,       // "head: empty ShortText"
  PartialTail,       // "tail: empty ShortText"
  PartialInit,       // "init: empty ShortText"
  PartialLast,       // "last: empty ShortText"
  PartialIndex,      // "index: not within ShortText"
};

// The shared error value of a site.
SCRIBLET_API const basis::ErrorCall& errorValue(ErrorSite site);
// Throws (a copy of) the shared error value of a site.
[[noreturn]] SCRIBLET_API void raise(ErrorSite site);

// The `undefined` failure of an impossible character length in `filter`.
SCRIBLET_API const basis::Undefined& filterUndefined();
[[noreturn]] SCRIBLET_API void raiseFilterUndefined();

}  // namespace detail
}  // namespace scriblet
