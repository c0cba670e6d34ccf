#pragma once
// Deep evaluation of a UUID: its two words are always evaluated, so there is
// nothing to do beyond having the value (a deferred UUID is forced by the
// Lazy it sits in).

#include <basis/nfdata.hpp>

#include "stampwell/internal/representation.hpp"

template <>
struct basis::NFData<stampwell::UUID> {
  static void rnf(const stampwell::UUID&) noexcept {}
};
