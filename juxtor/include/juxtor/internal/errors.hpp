#pragma once
// The error values of the aligning library.

#include <string_view>

#include <basis/error.hpp>

namespace juxtor {

// Raises the internal error "Data.Align: internal error: " followed by
// `message`, with the raising site of the library's error record. Nothing in
// the library calls it.
[[noreturn]] void oops(std::string_view message);

namespace detail {

// "Data.Align: internal error: Align HashMap: merge": two values that are not
// a This and a That met in a hash map alignment. A constant built on first use.
const basis::ErrorCall& alignHashMapMergeError();
[[noreturn]] void throwAlignHashMapMerge();

// The stream aligner's unreachable state: the pattern-match failure
// "src/Data/Juxtor/Internal:(684,25)-(686,43)|case". A constant built on first
// use.
const basis::PatternMatchFail& alignStreamCaseFailure();
[[noreturn]] void throwAlignStreamCase();

}  // namespace detail
}  // namespace juxtor
